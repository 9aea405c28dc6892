// quorhost acting on the dialogs a module runs during its call: the fixture's
// options dialog (fixture/FixtureDialog.cpp) prints what was done in it, and
// quorhost prints what it did, so the two can be read in order.
#include "e2e/QuorhostRun.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

bool HaveDisplay()
{
    HWND probe = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (probe)
        DestroyWindow(probe);
    return probe != nullptr;
}

// The lines between the module's name and the final line.
std::vector<std::string> RunLines(const std::vector<std::string>& commands, const std::string& folder,
                                  ProcessResult& r)
{
    std::vector<std::string> args = {"--module", FixtureModule()};
    args.insert(args.end(), commands.begin(), commands.end());
    r = RunQuorhost(args, folder);
    std::vector<std::string> lines = Lines(r.out);
    if (lines.size() < 3)
        return lines;
    return std::vector<std::string>(lines.begin() + 2, lines.end() - 1);
}

const char kSetupResult[] = "result 0, mode 0 (stopped), timecode --:--:--:-- (frame 0), rate 0, drop-frame 0";

} // namespace

TEST(QuorhostDialog, PressesTypesAndChoosesInTheModulesDialog)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    // The first edit gets the text while the focus is on a button; the
    // button moves the focus, and the focused edit gets the next. The
    // press after OK never runs: OK ends the call.
    ProcessResult r;
    const std::vector<std::string> lines =
        RunLines({"setup type=45 press=1001 type=-12:3; choose=1004:2 wait=100 press=1 press=1001"},
                 ScratchFolder("dialog-actions"), r);
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::vector<std::string> expected = {
        "  fixture: edit 1002 changed to \"45\"",
        "  dialog: type \"45\"",
        "  dialog: press 1001",
        "  fixture: button 1001 pressed",
        "  fixture: edit 1003 changed to \"-12:3;\"",
        "  dialog: type \"-12:3;\"",
        "  fixture: drop-down 1004 opened",
        "  dialog: choose 1004 row 2",
        "  fixture: row 2 chosen",
        "  dialog: wait 100 ms",
        "  dialog: press 1",
        "  fixture: OK with \"45\" and \"-12:3;\"",
        "  fixture: dialog ended with 1",
        "  dialog: 1 action(s) not run: the call returned first",
        std::string("setup type=45 press=1001 type=-12:3; choose=1004:2 wait=100 press=1 press=1001: ") + kSetupResult,
    };
    EXPECT_EQ(expected, lines) << r.out;
}

TEST(QuorhostDialog, ActsOnTheNewestDialogNotTheOneItDisables)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    // While the nested dialog is open the options dialog is disabled under
    // it: 1001 is not found there, and the first OK closes the nested one.
    ProcessResult r;
    const std::vector<std::string> lines =
        RunLines({"selector 1 press=1005 press=1001 press=1 choose=1004:0 press=1"}, ScratchFolder("dialog-nested"), r);
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    const std::vector<std::string> expected = {
        "  dialog: press 1005",
        "  dialog: no control 1001 for press",
        "  dialog: press 1",
        "  fixture: nested dialog ended with 1",
        "  fixture: drop-down 1004 opened",
        "  dialog: choose 1004 row 0",
        "  fixture: row 0 chosen",
        "  dialog: press 1",
        "  fixture: OK with \"\" and \"\"",
        "  fixture: dialog ended with 1",
        std::string("selector 1 press=1005 press=1001 press=1 choose=1004:0 press=1: ") + kSetupResult,
    };
    EXPECT_EQ(expected, lines) << r.out;
}

TEST(QuorhostDialog, ClosesWhatTheActionsLeftOpenAndRunsOn)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    // A row beyond the list is not clicked; the list stays open over the
    // options dialog, and the nested dialog ignores WM_CLOSE. Ten seconds
    // after the last action everything is closed, innermost first.
    ProcessResult r;
    const DWORD start = GetTickCount();
    const std::vector<std::string> lines =
        RunLines({"setup choose=1004:3 press=1005", "name"}, ScratchFolder("dialog-left-open"), r);
    const DWORD elapsed = GetTickCount() - start;
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    const std::vector<std::string> expected = {
        "  fixture: drop-down 1004 opened",
        "  dialog: no row 3 in the list of 1004 (3 rows), nothing chosen",
        "  dialog: press 1005",
        "  dialog: still open, closing it",
        "  fixture: nested dialog ignores WM_CLOSE",
        "  dialog: still open after WM_CLOSE, cancelling it",
        "  fixture: nested dialog ended with 2",
        "  dialog: still open, closing it",
        "  fixture: dialog ended with 2",
        std::string("setup choose=1004:3 press=1005: ") + kSetupResult,
        std::string("name: ") + kSetupResult + ", name \"Fixture Deck\"",
    };
    EXPECT_EQ(expected, lines) << r.out;
    EXPECT_LE(10000u, elapsed);
    EXPECT_GT(30000u, elapsed);
}
