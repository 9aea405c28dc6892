// Export to Tape from quorhost's side: the command's words, the verdict on
// a print, the print loop against the fixture's scripted print
// (fixture/FixtureExport.cpp), and prints on the virtual deck through the
// simulation module. The insert edit of the main job is in MainJobTest.
#include "e2e/QuorhostRun.h"
#include "tools/quorhost/Commands.h"
#include "tools/quorhost/DeckInspection.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace quorhost;

namespace {

bool HaveDisplay()
{
    HWND probe = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (probe)
        DestroyWindow(probe);
    return probe != nullptr;
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The lines between the module's name and the final line, with the
// seconds of a signal, which vary from run to run, as "N".
std::vector<std::string> RunLines(std::vector<std::string> args, const std::string& folder, ProcessResult& r)
{
    r = RunQuorhost(args, folder);
    std::vector<std::string> lines = Lines(r.out);
    if (lines.size() < 3)
        return lines;
    lines = std::vector<std::string>(lines.begin() + 2, lines.end() - 1);
    for (std::string& line : lines) {
        for (const std::string start : {"  print: signalled ", "  print: started "}) {
            const size_t seconds = line.find(" s after command 10");
            if (StartsWith(line, start) && seconds != std::string::npos)
                line = start + "N" + line.substr(seconds);
        }
    }
    return lines;
}

std::vector<std::string> FixtureLines(std::vector<std::string> commands, const std::string& folder, ProcessResult& r)
{
    commands.insert(commands.begin(), {"--module", FixtureModule()});
    return RunLines(commands, folder, r);
}

const char kFixtureInit[] = "init: result 0, mode 4 (paused), timecode 00;01;00;02 (frame 1800), rate 30, drop-frame 1";

} // namespace

TEST(ExportCommand, TakesTheEndAndTimeoutThenActions)
{
    std::vector<HostCommand> commands;
    std::string error;
    ASSERT_TRUE(ParseCommandWords({"export", "--timeout", "5", "--end", "150", "choose=1294:1", "close", "press=1044",
                                   "export", "--end", "1", "status"},
                                  commands, error))
        << error;
    ASSERT_EQ(3u, commands.size());
    EXPECT_EQ(CommandKind::Export, commands[0].kind);
    EXPECT_EQ(150, commands[0].frames);
    EXPECT_EQ(5, commands[0].signalTimeoutSeconds);
    ASSERT_EQ(3u, commands[0].dialog.size());
    EXPECT_EQ(DialogActionKind::Close, commands[0].dialog[1].kind);
    EXPECT_EQ("export --end 150 --timeout 5 choose=1294:1 close press=1044", commands[0].text);
    EXPECT_EQ(60, commands[1].signalTimeoutSeconds);
    EXPECT_EQ("export --end 1", commands[1].text);

    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"export"}, "--end"},
        {{"export", "press=1044"}, "--end"},
        {{"export", "--end", "0"}, "'0'"},
        {{"export", "--end", "2592001"}, "'2592001'"},
        {{"export", "--end", "5", "--end", "6"}, "twice"},
        {{"export", "--end", "5", "--timeout", "0"}, "'0'"},
        {{"export", "--end", "5", "mode=1"}, "'mode'"},
        {{"export", "--end", "5", "press=1", "--timeout", "5"}, "'--timeout'"},
    };
    for (const auto& b : bad) {
        commands.clear();
        EXPECT_FALSE(ParseCommandWords(b.first, commands, error)) << b.first.back();
        EXPECT_NE(std::string::npos, error.find(b.second)) << error << " does not name " << b.second;
    }
}

TEST(ExportCommand, VerdictComparesTheSignalWithTheFirstSegmentRecorded)
{
    TapeSegment first, second;
    ASSERT_TRUE(ParseTapeSegment("insert 01;00;20;00-01;00;24;29 V A1 A2 (frames 108492-108641)", first));
    EXPECT_EQ("insert 01;00;20;00-01;00;24;29 V A1 A2", first.text);
    EXPECT_EQ("01;00;20;00", first.firstLabel);
    EXPECT_EQ(108492, first.first);
    EXPECT_EQ(108641, first.last);
    ASSERT_TRUE(ParseTapeSegment("insert 01;00;25;00-01;00;25;09 V (frames 108642-108651)", second));
    EXPECT_FALSE(ParseTapeSegment("insert 01;00;20;00-01;00;24;29 V A1 A2", second));
    EXPECT_FALSE(ParseTapeSegment("insert 01;00;20;00 (frames 12-x)", second));
    ASSERT_TRUE(ParseTapeSegment("insert 01;00;25;00-01;00;25;09 V (frames 108642-108651)", second));

    DeckReading onPoint{"01;00;20;00", 108492, true};
    DeckReading late{"01;00;20;02", 108494, true};
    DeckReading early{"01;00;19;29", 108491, false};
    EXPECT_EQ("event on the record point 01;00;20;00; tape: insert 01;00;20;00-01;00;24;29 V A1 A2",
              PrintVerdict(true, onPoint, {first}));
    EXPECT_EQ("event 2 frames after the record point 01;00;20;00 (deck at 01;00;20;02); tape: insert "
              "01;00;20;00-01;00;24;29 V A1 A2, insert 01;00;25;00-01;00;25;09 V",
              PrintVerdict(true, late, {first, second}));
    EXPECT_EQ("event 1 frame before the record point 01;00;20;00 (deck at 01;00;19;29), deck not recording; tape: "
              "insert 01;00;20;00-01;00;24;29 V A1 A2",
              PrintVerdict(true, early, {first}));
    EXPECT_EQ("event at 01;00;20;00; tape: nothing recorded", PrintVerdict(true, onPoint, {}));
    EXPECT_EQ("no event; tape: insert 01;00;20;00-01;00;24;29 V A1 A2", PrintVerdict(false, DeckReading(), {first}));
}

TEST(QuorhostExport, FollowsThePrintFromTheSignalToItsEnd)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    // The fixture sets the event from its status dialog's timer: only a
    // host that runs its message loop while it polls gets a signal.
    ProcessResult r;
    const DWORD start = GetTickCount();
    const std::vector<std::string> lines =
        FixtureLines({"init", "export --end 15 press=1", "cleanup"}, ScratchFolder("export-fixture"), r);
    const DWORD elapsed = GetTickCount() - start;
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::vector<std::string> expected = {
        kFixtureInit,
        "  dialog: press 1",
        "  fixture: OK with \"\" and \"\"",
        "  fixture: dialog ended with 1",
        "  export 10: 0, print callback set",
        "  callback 2: 0",
        "  fixture: deck recording, event set",
        "  print: signalled N s after command 10, deck time unavailable",
        "  print: program played, 15 frames at 29.97 fps and 500 ms",
        "  message: Fixture Device: Export To Tape Successful.",
        "  callback 3: 7",
        "  export 10: 7",
        "  report: deck time unavailable, event signalled",
        "export --end 15 press=1: finished",
        std::string("cleanup: result 0, ") + (kFixtureInit + 16),
    };
    EXPECT_EQ(expected, lines) << r.out;
    // The action, the fixture's 200 ms, then the program and its margin.
    EXPECT_LE(300u + 200u + 500u + 500u, elapsed);
}

TEST(QuorhostExport, CancelledDialogStopsAtOnceAndTellsOfTheEvent)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    ProcessResult r;
    const std::vector<std::string> lines =
        FixtureLines({"init", "export --end 15 close"}, ScratchFolder("export-fixture-cancel"), r);
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    const std::vector<std::string> expected = {
        kFixtureInit,
        "  dialog: close",
        "  fixture: dialog ended with 2",
        "  export 10: 5, no print callback",
        "  print: event set",
        "export --end 15 close: cancelled (5)",
    };
    EXPECT_EQ(expected, lines) << r.out;
}

TEST(QuorhostExport, StopsThePrintWhenTheModuleEndsItOrTheDeckNeverRecords)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    ProcessResult r;
    const std::vector<std::string> lines = FixtureLines(
        {"init", "export --end 15 choose=1004:1 press=1", "export --end 15 --timeout 1 choose=1004:2 press=1"},
        ScratchFolder("export-fixture-stops"), r);
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    const auto settings = [](int row) {
        return std::vector<std::string>{
            "  fixture: drop-down 1004 opened",
            "  dialog: choose 1004 row " + std::to_string(row),
            "  fixture: row " + std::to_string(row) + " chosen",
            "  dialog: press 1",
            "  fixture: OK with \"\" and \"\"",
            "  fixture: dialog ended with 1",
            "  export 10: 0, print callback set",
            "  callback 2: 0",
        };
    };
    std::vector<std::string> expected = {kFixtureInit};
    for (const std::string& line : settings(1))
        expected.push_back(line);
    for (const char* line : {"  fixture: edit ended", "  callback 2: 7", "  export 10: 7",
                             "  report: deck time unavailable, no event",
                             "export --end 15 choose=1004:1 press=1: ended by the module, export 10 gave 7"})
        expected.push_back(line);
    for (const std::string& line : settings(2))
        expected.push_back(line);
    // Command 10 while the print runs is the editor's stop.
    for (const char* line : {"  print: no signal within 1 s", "  message: Fixture Device: Export To Tape Cancelled.",
                             "  export 10: 5", "  report: deck time unavailable, no event",
                             "export --end 15 --timeout 1 choose=1004:2 press=1: aborted, no signal, export 10 gave 5"})
        expected.push_back(line);
    EXPECT_EQ(expected, lines) << r.out;
}

TEST(QuorhostExport, WithoutTheEventTheProgramStartsWithThePrint)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    // Without init the fixture has made no event.
    ProcessResult r;
    const std::vector<std::string> lines =
        FixtureLines({"export --end 15 press=1"}, ScratchFolder("export-fixture-no-event"), r);
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    ASSERT_LE(7u, lines.size()) << r.out;
    EXPECT_EQ("  print: no event \"PPro Quor Print\" (error 2): the program starts with the print, not with the deck",
              lines[0]);
    EXPECT_EQ("  print: started N s after command 10, deck time unavailable", lines[6]) << r.out;
    EXPECT_EQ("export --end 15 press=1: finished", lines.back()) << r.out;
}

TEST(QuorhostExportSim, CancelledExportDialogGivesFiveAndSetsTheEvent)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    ProcessResult r;
    const std::vector<std::string> lines =
        RunLines({"--sim", "init", "export --end 30 close", "cleanup"}, ScratchFolder("export-sim-cancel"), r);
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::vector<std::string> expected = {
        "  dialog: close",
        "  export 10: 5, no print callback",
        "  print: event set",
        "export --end 30 close: cancelled (5)",
    };
    ASSERT_EQ(expected.size() + 2, lines.size()) << r.out;
    EXPECT_EQ(expected, std::vector<std::string>(lines.begin() + 1, lines.end() - 1)) << r.out;
}

TEST(QuorhostExportSim, PrintToVideoRecordsFromTheSignal)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    ProcessResult r;
    const std::vector<std::string> lines = RunLines(
        {"--sim", "init", "export --end 30 choose=1294:0 press=1044", "cleanup"}, ScratchFolder("export-sim-ptv"), r);
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const auto line = [&](const std::string& start) {
        for (const std::string& l : lines)
            if (StartsWith(l, start))
                return l;
        return std::string();
    };
    EXPECT_EQ("  export 10: 0, print callback set", line("  export 10: 0")) << r.out;
    // A crash record has no preset point: the event comes once the deck
    // records, and the take runs from about there to the end of the print.
    const std::string signal = line("  print: signalled ");
    EXPECT_NE(std::string::npos, signal.find(", recording, read ")) << r.out;
    EXPECT_EQ("  message: Veltrix Device Control: Export To Tape Successful.", line("  message: ")) << r.out;
    EXPECT_TRUE(StartsWith(line("  tape: "), "  tape: crash ")) << r.out;
    EXPECT_TRUE(EndsWith(line("  tape: "), " V A1 A2 A3 A4 A5 A6 A7 A8")) << r.out;
    EXPECT_EQ("export --end 30 choose=1294:0 press=1044: finished", line("export ")) << r.out;
}
