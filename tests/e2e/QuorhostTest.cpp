// quorhost's commands, each once, end to end through the simulation module
// and the virtual deck.
#include "e2e/QuorhostRun.h"

#include <gtest/gtest.h>

TEST(Quorhost, RunsEachCommandThroughTheModule)
{
    const std::string folder = ScratchFolder("quorhost-commands");
    const std::string script = "# set up\r\n\r\ninit\r\n  features\r\n";
    ASSERT_TRUE(WriteBytes(folder + "\\run.txt", std::vector<uint8_t>(script.begin(), script.end())));
    // Each command and what its line must hold.
    const std::vector<std::pair<std::string, std::string>> commands = {
        {"init", "init: result 0, mode 0 (stopped), timecode 01;00;00;00 (frame 107892), rate 30, drop-frame 1"},
        {"features", ", features 0x"},
        {"name", ", name \""},
        {"execute 1 frames=5", "execute 1 frames=5: result 0, mode 0 (stopped)"},
        {"handles", "handles: 1 host handle(s) allocated"},
        {"play", "play: result 0; deck mode 1 (play)"},
        {"sleep 300", "sleep 300"},
        {"status", "status: result 0, mode 1 (play)"},
        {"still", "still: result 0; deck mode 4"},
        {"step +1", "step +1: result 0; "},
        {"step -1", "step -1: result 0; "},
        {"ff", "ff: result 0; deck mode 5"},
        {"rew", "rew: result 0; deck mode 6"},
        {"shuttle -100", "shuttle -100: result 0; "},
        {"mode 0", "mode 0: result 0; deck mode 0 (stopped)"},
        {"goto 01:00:10:00", "goto 01:00:10:00: target frame 108192, result 0; deck "},
        {"locate 01:00:20:00 --preroll 30",
         "locate 01:00:20:00 --preroll 30: target frame 108492, preroll 30, result 0"},
        {"watch 3", "watch 3: 3 poll(s)"},
        {"eject", "eject: result 0; "},
        {"selector 5", "selector 5: result 0"}, // release
        {"restart", "restart: result -1"},      // the file is written at the end: no block yet
        {"cleanup", "cleanup: result 0"},
    };
    std::vector<std::string> args = {"--sim", "--settings", "kept.bin", "--script", "run.txt"};
    for (size_t i = 2; i < commands.size(); ++i)
        args.push_back(commands[i].first);
    const ProcessResult r = RunQuorhost(args, folder, 120000);
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    for (const auto& c : commands) {
        const std::string line = LineStarting(r.out, c.first + ":");
        EXPECT_NE(std::string::npos, line.find(c.second)) << c.first << " gave \"" << line << "\" in\n" << r.out;
    }
    EXPECT_EQ("host handles still allocated: 0", Lines(r.out).back());
    EXPECT_TRUE(FileExists(folder + "\\kept.bin")) << "the settings block was not kept";
}
