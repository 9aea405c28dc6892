// The production module driven by quorhost on a machine without a board,
// as the project's main job runs it.
#include "e2e/QuorhostRun.h"

#include <gtest/gtest.h>

TEST(MainJob, InitialisesOfflineAndCleansUpWithNoBoard)
{
    const std::string folder = ScratchFolder("main-job");
    const ProcessResult r =
        RunQuorhost({"--module", ProductionModule(), "init", "status", "features", "name", "cleanup"}, folder);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::string offline = "mode 15 (offline or local), timecode 00:00:00:00 (frame 0), rate 30, drop-frame 0";
    const std::vector<std::string> expected = {
        "module: " + ProductionModule(),
        "display name: \"Veltrix Serial Control\"",
        "init: result 0, " + offline,
        "status: result 0, " + offline,
        "features: result 0, " + offline + ", features 0x011FFFEC",
        "name: result 0, " + offline + ", name \"Standard VTR\"",
        // Without a board the set-up failed, so there is no controller to clean up.
        "cleanup: result 1, " + offline,
        "host handles still allocated: 0",
    };
    EXPECT_EQ(expected, Lines(r.out));
    // The failed set-up gave the settings block back, so there is nothing to keep.
    EXPECT_FALSE(FileExists(folder + "\\quorhost-settings.bin"));
}
