// quorhost against a module with fixed answers (fixture/FixtureDevice.cpp):
// what it prints, what it keeps in the settings file, and how it survives a
// module's faults.
#include "e2e/QuorhostRun.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

const size_t kBlockSize = 2380;

ProcessResult RunFixture(std::vector<std::string> args, const std::string& folder)
{
    args.insert(args.begin(), {"--module", FixtureModule()});
    return RunQuorhost(args, folder);
}

std::vector<uint8_t> Pattern(unsigned multiplier)
{
    std::vector<uint8_t> bytes(kBlockSize);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * multiplier);
    return bytes;
}

} // namespace

TEST(QuorhostFixture, PrintsOneLinePerCommand)
{
    const ProcessResult r = RunFixture({"init", "features", "execute 12", "handles", "cleanup", "handles"},
                                       ScratchFolder("fixture-lines"));
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::vector<std::string> expected = {
        "module: " + FixtureModule(),
        "display name: \"Fixture Device\"",
        "init: result 0, mode 4 (paused), timecode 00;01;00;02 (frame 1800), rate 30, drop-frame 1",
        "features: result 0, mode 4 (paused), timecode 00;01;00;02 (frame 1800), rate 30, drop-frame 1, "
        "features 0x00C0FFEE",
        "execute 12: result 0, mode 4 (paused), timecode 00;01;00;02 (frame 1800), rate 30, drop-frame 1, "
        "name \"Fixture Deck\"",
        "handles: 1 host handle(s) allocated",
        "cleanup: result 0, mode 4 (paused), timecode 00;01;00;02 (frame 1800), rate 30, drop-frame 1",
        "handles: 0 host handle(s) allocated",
        "host handles still allocated: 0",
    };
    EXPECT_EQ(expected, Lines(r.out));
}

TEST(QuorhostFixture, KeepsTheLastBlockTheModuleHeld)
{
    const std::string folder = ScratchFolder("fixture-keep");
    // Cleanup disposes the block; the copy taken after init is what is kept.
    const ProcessResult r = RunFixture({"init", "cleanup"}, folder);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    std::vector<uint8_t> kept;
    ASSERT_TRUE(ReadBytes(folder + "\\quorhost-settings.bin", kept));
    ASSERT_EQ(kBlockSize, kept.size());
    for (size_t i = 0; i < kept.size(); ++i)
        ASSERT_EQ(uint8_t(i % 251), kept[i]) << "byte " << i;
}

TEST(QuorhostFixture, RestartHandsTheStoredBytesToTheModule)
{
    const std::string folder = ScratchFolder("fixture-restart");
    const std::string file = folder + "\\deck.bin";
    const std::vector<uint8_t> stored = Pattern(7);
    ASSERT_TRUE(WriteBytes(file, stored));

    // The handle init made is replaced, not leaked; the module adds 1 to
    // each byte it was given, and that block is what goes back to the file.
    const ProcessResult r = RunFixture({"--settings", file, "init", "restart"}, folder);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(5u, lines.size()) << r.out;
    EXPECT_EQ(0u, lines[3].find("restart: result 0,")) << lines[3];
    EXPECT_EQ("host handles still allocated: 1", lines[4]);
    std::vector<uint8_t> after;
    ASSERT_TRUE(ReadBytes(file, after));
    ASSERT_EQ(kBlockSize, after.size());
    for (size_t i = 0; i < after.size(); ++i)
        ASSERT_EQ(uint8_t(stored[i] + 1), after[i]) << "byte " << i;
}

TEST(QuorhostFixture, RestartWithoutStoredSettingsHandsNoBlock)
{
    const std::string folder = ScratchFolder("fixture-nofile");
    const ProcessResult r = RunFixture({"restart"}, folder);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ(0u, Lines(r.out).at(2).find("restart: result -1,")) << r.out;
    EXPECT_FALSE(FileExists(folder + "\\quorhost-settings.bin"));
}

TEST(QuorhostFixture, SettingsFileErrorsExitFour)
{
    const std::string folder = ScratchFolder("fixture-settings-errors");
    const std::string shortFile = folder + "\\short.bin";
    ASSERT_TRUE(WriteBytes(shortFile, std::vector<uint8_t>(10, 0x35)));
    ProcessResult r = RunFixture({"--settings", shortFile, "init", "restart", "status"}, folder);
    EXPECT_EQ(4u, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("10 bytes")) << r.err;
    EXPECT_EQ(std::string::npos, r.out.find("status:")) << "no command runs after a failed restart";
    std::vector<uint8_t> left;
    ASSERT_TRUE(ReadBytes(shortFile, left));
    EXPECT_EQ(10u, left.size()) << "the unusable file is left for inspection";

    const std::string unwritable = folder + "\\no-such-folder\\s.bin";
    r = RunFixture({"--settings", unwritable, "init"}, folder);
    EXPECT_EQ(4u, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find(unwritable)) << r.err;
    EXPECT_EQ("host handles still allocated: 1", Lines(r.out).back());
}

TEST(QuorhostFixture, SurvivesTheModulesHandleFaults)
{
    // Selector 5 leaks a handle; selector 6 disposes the settings block but
    // leaves the dead handle in the record, which the host must not read.
    const ProcessResult r = RunFixture({"init", "selector 5", "selector 6", "handles"}, ScratchFolder("fixture-faults"));
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("not a live host handle")) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(7u, lines.size()) << r.out;
    EXPECT_EQ("handles: 1 host handle(s) allocated", lines[5]);
    EXPECT_EQ("host handles still allocated: 1", lines[6]);
}

TEST(QuorhostFixture, ReportsACrashInsideTheModule)
{
    const ProcessResult r = RunFixture({"init", "selector 7", "status"}, ScratchFolder("fixture-crash"));
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(5u, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("unhandled exception")) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("'selector 7'")) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(4u, lines.size()) << r.out;
    EXPECT_EQ(0u, lines[2].find("init: result 0")) << "lines before the crash are not lost";
    EXPECT_EQ("host handles still allocated: 1", lines[3]);
}

TEST(QuorhostFixture, GivesAHiddenMainWindowWhenThereIsADisplay)
{
    // Whether windows can be made here tells whether the child can make one.
    HWND probe = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const bool display = probe != nullptr;
    if (probe)
        DestroyWindow(probe);
    const ProcessResult r = RunFixture({"selector 8"}, ScratchFolder("fixture-window"));
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ(0u, Lines(r.out).at(2).find(display ? "selector 8: result 1," : "selector 8: result 0,")) << r.out;
}

TEST(QuorhostFixture, ScriptRunsBeforeTheCommandLine)
{
    const std::string folder = ScratchFolder("fixture-script");
    const std::string script = "# fixture\r\n\r\ninit\r\n  execute 0 mode=2 frames=-30\r\n";
    ASSERT_TRUE(WriteBytes(folder + "\\run.txt", std::vector<uint8_t>(script.begin(), script.end())));
    const ProcessResult r = RunFixture({"--script", "run.txt", "cleanup"}, folder);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(6u, lines.size()) << r.out;
    EXPECT_EQ(0u, lines[2].find("init: ")) << lines[2];
    EXPECT_EQ("execute 0 mode=2 frames=-30: result 0, mode 2 (play forward at half speed), "
              "timecode -00;00;01;00 (frame -30), rate 30, drop-frame 1, features 0x00C0FFEE",
              lines[3]);
    EXPECT_EQ(0u, lines[4].find("cleanup: ")) << lines[4];
}

TEST(QuorhostFixture, DeckCommandsFillTheRecordThenShowAStatus)
{
    // The fixture's status always answers `still`; its name tells what the
    // last deck command found in the record.
    const std::string still = "deck mode 4 (paused), timecode 00;01;00;02 (frame 1800), rate 30, drop-frame 1";
    const std::string named = "result 0, mode 4 (paused), timecode 00;01;00;02 (frame 1800), rate 30, drop-frame 1, "
                              "name \"Fixture Deck; last command ";
    const ProcessResult r = RunFixture({"init", "play", "name", "shuttle -100", "name", "goto 00:10:00:00", "name",
                                        "locate 01:00:00:00 --preroll 150", "name", "watch 3", "cleanup"},
                                       ScratchFolder("fixture-deck"));
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    // How many positions get a line depends on timing; they are checked apart.
    std::vector<std::string> lines, positions;
    for (const std::string& line : Lines(r.out))
        (line.find("  position ") == 0 ? positions : lines).push_back(line);
    const std::vector<std::string> expected = {
        "module: " + FixtureModule(),
        "display name: \"Fixture Device\"",
        "init: result 0, " + still.substr(5),
        "play: result 0; " + still,
        "name: " + named + "2, mode 1, frames 1800, preroll 0\"",
        "shuttle -100: result 0; " + still,
        "name: " + named + "5, mode -100, frames 1800, preroll 0\"",
        "goto 00:10:00:00: target frame 17982, result 0; " + still,
        "name: " + named + "3, mode 4, frames 17982, preroll 0\"",
        "locate 01:00:00:00 --preroll 150: target frame 107892, preroll 150, result 0, positions shown 5 "
        "(last frame 107892); " + still,
        "name: " + named + "4, mode 4, frames 107892, preroll 150\"",
        "  poll 1: result 0, " + still.substr(5),
        "watch 3: 3 poll(s), 1 line(s) shown",
        "cleanup: result 0, " + still.substr(5),
        "host handles still allocated: 0",
    };
    EXPECT_EQ(expected, lines);
    // Four positions at once, the fifth 300 ms later: the first and the
    // last get a line, the three between are too soon after the first
    // (unless the machine stalled between two of them).
    ASSERT_LE(2u, positions.size()) << r.out;
    EXPECT_GT(5u, positions.size()) << r.out;
    EXPECT_EQ("  position 00;59;55;00 (frame 107742)", positions.front());
    EXPECT_EQ("  position 01;00;00;00 (frame 107892)", positions.back());
}

TEST(QuorhostFixture, TargetsCountAtTheRateLastReported)
{
    // Before init no rate is known: 30 without drop frame. After it the deck
    // reports drop frame, where minute 01 has no ;00; nothing after that runs.
    const ProcessResult r = RunFixture({"goto 00:01:00:00", "init", "goto 00:01:00:00", "name"},
                                       ScratchFolder("fixture-rate"));
    EXPECT_EQ(6u, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("'goto 00:01:00:00': no such label")) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(5u, lines.size()) << r.out;
    EXPECT_EQ(0u, lines[2].find("goto 00:01:00:00: target frame 1800, result 0;")) << lines[2];
    EXPECT_EQ(0u, lines[3].find("init: ")) << lines[3];
    EXPECT_EQ("host handles still allocated: 1", lines[4]);
}
