// The project's main job, quorhost making an Export to Tape on the virtual
// deck through the simulation module, the export's other endings, and the
// production module on a machine without a board.
#include "e2e/QuorhostRun.h"

#include <gtest/gtest.h>

TEST(MainJob, ExportsToTapeOnTheVirtualDeckExactlyOnTheRecordPoint)
{
    const ProcessResult r =
        RunQuorhost({"--sim", "--script", BinFolder() + "\\main-job.script"}, ScratchFolder("main-job-sim"));
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::string settings = "export --end 150 choose=1294:1 press=1139 press=1108 press=1138 press=1140 "
                                 "press=1141 press=1142 press=1143 press=1284 type=01002000 press=1 press=1044";
    std::vector<std::string> starts = {
        "module: ",
        "display name: \"Veltrix Serial Control\"",
        "init: result 0, mode 0 (stopped), timecode 01;00;00;00 (frame 107892), rate 30, drop-frame 1",
        "status: result 0, mode 0 (stopped), timecode 01;00;00;00 (frame 107892)",
        "  dialog: choose 1294 row 1",
    };
    for (const char* control : {"1139", "1108", "1138", "1140", "1141", "1142", "1143", "1284"})
        starts.push_back(std::string("  dialog: press ") + control);
    for (const char* line :
         {"  dialog: type \"01002000\"", "  dialog: press 1", "  dialog: press 1044",
          "  export 10: 0, print callback set", "  callback 2: 0",
          // The deck is read the moment the module signals: on the in
          // point, already recording.
          "  print: signalled ", "  print: program played, 150 frames at 29.97 fps and 500 ms",
          "  message: Veltrix Device Control: Export To Tape Successful.", "  callback 3: 7", "  export 10: 7",
          // 150 frames from the in point, on exactly the channels ticked.
          "  tape: insert 01;00;20;00-01;00;24;29 V A1 A2",
          "  report: event on the record point 01;00;20;00; tape: insert 01;00;20;00-01;00;24;29 V A1 A2"})
        starts.push_back(line);
    starts.push_back(settings + ": finished");
    starts.push_back("cleanup: result 0, ");
    starts.push_back("host handles still allocated: 0");
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(starts.size(), lines.size()) << r.out;
    for (size_t i = 0; i < starts.size(); ++i)
        EXPECT_EQ(0, lines[i].compare(0, starts[i].size(), starts[i])) << lines[i];
    EXPECT_NE(std::string::npos, lines[18].find(" s after command 10, deck at 01;00;20;00 (frame 108492), recording, "))
        << lines[18];
    EXPECT_EQ(starts[23], lines[23]) << "one segment, nothing else on tape";
}

TEST(MainJob, ExportEndsAsTheDialogChose)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    // Cancelled: result 5, no print, and the event set so that an editor
    // waiting on it does not hang. Print to Video: a crash record from the
    // signal on every channel.
    // Each line: the start of a line quorhost must print, and what it must hold.
    const struct {
        const char* export_;
        std::vector<std::pair<std::string, std::string>> lines;
    } cases[] = {
        {"export --end 30 close",
         {{"  dialog: close", ""},
          {"  export 10: 5, no print callback", ""},
          {"  print: event set", ""},
          {"export --end 30 close: cancelled (5)", ""}}},
        {"export --end 30 choose=1294:0 press=1044",
         {{"  export 10: 0, print callback set", ""},
          {"  print: signalled ", ", recording, read "},
          {"  message: Veltrix Device Control: Export To Tape Successful.", ""},
          {"  tape: crash ", " V A1 A2 A3 A4 A5 A6 A7 A8"},
          {"export --end 30 choose=1294:0 press=1044: finished", ""}}},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunQuorhost({"--sim", "init", c.export_, "cleanup"}, ScratchFolder("main-job-export"));
        ASSERT_FALSE(r.timedOut) << c.export_;
        ASSERT_EQ(0u, r.exitCode) << r.err;
        EXPECT_TRUE(r.err.empty()) << r.err;
        for (const auto& line : c.lines) {
            const std::string got = LineStarting(r.out, line.first);
            EXPECT_FALSE(got.empty()) << line.first << " in\n" << r.out;
            EXPECT_NE(std::string::npos, got.find(line.second)) << got;
        }
    }
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
