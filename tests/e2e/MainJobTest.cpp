// The project's main job, quorhost driving the virtual deck through the
// simulation module, and the production module on a machine without a
// board.
#include "e2e/QuorhostRun.h"

#include <gtest/gtest.h>

namespace {

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

// The command's line, as it starts, with the position lines of a cue
// left out.
std::vector<std::string> CommandLines(const std::string& out)
{
    std::vector<std::string> lines;
    for (const std::string& line : Lines(out))
        if (!StartsWith(line, "  position "))
            lines.push_back(line);
    return lines;
}

} // namespace

TEST(MainJob, DrivesTheVirtualDeckAndReportsEachStep)
{
    const std::string folder = ScratchFolder("main-job-sim");
    const ProcessResult r = RunQuorhost({"--sim", "--script", BinFolder() + "\\main-job.script"}, folder);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::vector<std::string> lines = CommandLines(r.out);
    const std::vector<std::string> starts = {
        "module: ",
        "display name: \"Veltrix Serial Control\"",
        "init: result 0, mode 0 (stopped), timecode 01;00;00;00 (frame 107892), rate 30, drop-frame 1",
        "status: result 0, mode 0 (stopped), timecode 01;00;00;00 (frame 107892)",
        "play: result 0; deck mode 1 (play), timecode 01;00;00;",
        "sleep 1000: slept",
        "stop: result 0; deck mode 0 (stopped), timecode 01;00;0",
        "locate 01:00:10:00 --preroll 90: target frame 108192, preroll 90, result 0, positions shown ",
        "cleanup: result 0, ",
        "host handles still allocated: 0",
    };
    ASSERT_EQ(starts.size(), lines.size()) << r.out;
    for (size_t i = 0; i < starts.size(); ++i)
        EXPECT_TRUE(StartsWith(lines[i], starts[i])) << lines[i];
    // The last position the module showed is the frame it landed on.
    EXPECT_NE(std::string::npos, lines[7].find("(last frame 108192); deck mode 1 (play), timecode 01;00;10;"))
        << lines[7];
}

TEST(MainJob, ProductionModuleInitialisesOfflineAndCleansUpWithNoBoard)
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
