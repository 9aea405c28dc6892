// Repeated use through xDevice leaves nothing behind: kernel handles,
// drawing objects and the editor's handle memory are counted before and
// after many Initialise/Cleanup cycles, options dialogs and exports.
#include "port/ModuleGlobals.h"
#include "port/PersistedSettings.h"
#include "editor/PluginController.h"
#include "resources/DialogIds.h"
#include "tools/hostkit/MessageBoxWatcher.h"
#include "support/OpenHandles.h"
#include "support/EditorFixture.h"
#include "support/DialogDriving.h"
#include "ui/DrawingObjects.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int16_t kStatus = 1;
constexpr int16_t kExportToTape = 10;

struct Resources {
    long kernelHandles;
    long drawingObjects;
    size_t hostHandles;
};

void ExpectSame(const Resources& before, const Resources& after, const std::string& what)
{
    EXPECT_EQ(before.kernelHandles, after.kernelHandles) << "kernel handles left by " << what;
    EXPECT_EQ(before.drawingObjects, after.drawingObjects) << "drawing objects left by " << what;
    EXPECT_EQ(before.hostHandles, after.hostHandles) << "host handles left by " << what;
}

class ResourceLeak : public EditorTest {
protected:
    void SetUp() override
    {
        UseTestTemplates();
        EditorTest::SetUp();
    }

    Resources Count() const { return {OpenHandleCount(), LiveDrawingObjects(), host.LiveHandleCount()}; }
};

TEST_F(ResourceLeak, HundredInitialiseAndCleanupCyclesLeaveNothing)
{
    // The first cycle loads what the process keeps for good, the simulated
    // rack's timer library among it (about 17 handles under Wine).
    ASSERT_EQ(0, Call(kSelectorInitialise));
    PersistedSettings kept;
    std::memcpy(&kept, *record.settings, sizeof kept);
    ASSERT_EQ(0, Call(kSelectorCleanup));
    const Resources before = Count();

    for (int cycle = 0; cycle < 100; ++cycle) {
        // Every other cycle the editor hands back the block it kept, as at
        // its next start.
        if (cycle % 2) {
            record.settings = host.NewHandle(sizeof kept);
            std::memcpy(*record.settings, &kept, sizeof kept);
            ASSERT_EQ(0, Call(kSelectorRestart)) << "cycle " << cycle;
        } else {
            ASSERT_EQ(0, Call(kSelectorInitialise)) << "cycle " << cycle;
        }
        ASSERT_EQ(0, record.mode) << "cycle " << cycle << ": the deck must be online";
        ASSERT_EQ(0, Execute(kStatus));
        ASSERT_EQ(0, Call(kSelectorReleasePorts));
        ASSERT_EQ(0, Execute(kStatus));
        ASSERT_EQ(0, Call(kSelectorCleanup)) << "cycle " << cycle;
        ASSERT_EQ(nullptr, gController);
    }
    ExpectSame(before, Count(), "100 Initialise/Cleanup cycles");
}

TEST_F(ResourceLeak, TwentyOptionsDialogsLeaveNothing)
{
    ASSERT_EQ(0, Call(kSelectorInitialise));
    auto dialog = [] { return gController->optionsDialog; };
    auto choose = [dialog](int selector, int row) {
        return [dialog, selector, row] {
            Click(dialog(), selector);
            PressRow(dialog(), selector, row);
        };
    };
    // Every list, the offset's nested entry dialog and the check box, ended
    // by Ok, Cancel or the close box in turn.
    auto run = [&](int ending) {
        const int end[] = {IDC_OPTIONS_OK, IDC_OPTIONS_CANCEL, 0};
        ModalScript script({
            choose(IDC_FORMAT_SELECTOR, ending == 0 ? 1 : 3),
            choose(IDC_SOURCE_SELECTOR, ending == 0 ? 1 : 0),
            choose(IDC_BOARD_SELECTOR, 0),
            [dialog] { Click(dialog(), IDC_EMBEDDED_TC); },
            [dialog] { Click(dialog(), IDC_OFFSET_VALUE); },
            [dialog] {
                HWND entry = OtherDialog(dialog());
                ASSERT_NE(nullptr, entry) << "the offset entry did not open";
                SetDlgItemTextA(entry, IDC_ENTRY_FIELD, "7");
                Click(entry, IDC_ENTRY_OK);
            },
            [dialog, &end, ending] {
                if (end[ending])
                    Click(dialog(), end[ending]);
                else
                    PostMessageA(dialog(), WM_CLOSE, 0, 0);
            },
        });
        EXPECT_EQ(0, Call(kSelectorSetup));
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(nullptr, gController->optionsDialog);
    };

    // The process's first dialog and drop-down make lasting objects of the
    // system's (about 10 handles under Wine) and register window classes.
    run(0);
    const Resources before = Count();
    for (int i = 0; i < 20; ++i) {
        run(i % 3);
        ASSERT_FALSE(HasFailure()) << "run " << i;
    }
    ExpectSame(before, Count(), "20 options dialogs");
}

class ExportRuns : public ResourceLeak {
protected:
    void SetUp() override
    {
        ResourceLeak::SetUp();
        ASSERT_EQ(0, Call(kSelectorInitialise));
        event = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, "PPro Quor Print");
        ASSERT_NE(nullptr, event);
    }

    void TearDown() override
    {
        CloseHandle(event);
        ResourceLeak::TearDown();
    }

    // Command 10 as the editor makes it, with `steps` in the export dialog.
    int16_t ExportCommand(std::vector<ModalScript::Step> steps = {})
    {
        ModalScript script(std::move(steps));
        record.command = kExportToTape;
        record.exportEnd = 15;
        return Call(kSelectorExecute);
    }

    int16_t Phase(int32_t phase) { return record.printCallback(host.Handle(), phase); }

    bool EventSet() const { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

    std::vector<std::string> Messages(const MessageBoxWatcher& watcher)
    {
        std::vector<std::string> texts;
        for (const MessageBoxWatcher::Box& box : watcher.Boxes())
            texts.push_back(box.text);
        return texts;
    }

    static std::vector<ModalScript::Step> PressRecord()
    {
        return {[] { Click(CurrentDialog(), IDC_EXPORT_RECORD); }};
    }

    // The editor polls phase 2 while its message loop runs the status
    // dialog; false when the module ended the print.
    bool Poll(const std::function<bool()>& until, DWORD ms)
    {
        bool ended = false;
        const bool reached = PumpUntil(
            [&] {
                ended = Phase(2) != 0;
                return ended || until();
            },
            ms);
        EXPECT_TRUE(reached) << "no signal from the export";
        return !ended;
    }

    // 0: the settings dialog is closed; 1: a whole Print To Video, signalled,
    // played and ended; 2: the editor's command cancels it while it runs.
    void Run(int kind)
    {
        ResetEvent(event);
        if (kind == 0) {
            ASSERT_EQ(5, ExportCommand({[] { PostMessageA(CurrentDialog(), WM_CLOSE, 0, 0); }}));
            EXPECT_TRUE(EventSet());
            return;
        }
        ASSERT_EQ(0, ExportCommand(PressRecord()));
        ASSERT_NE(nullptr, record.printCallback);
        MessageBoxWatcher watcher;
        if (kind == 1) {
            ASSERT_TRUE(Poll([&] { return EventSet(); }, 10000));
            const DWORD played = GetTickCount();
            Poll([&] { return GetTickCount() - played > 300; }, 2000);
            EXPECT_EQ(7, Phase(3));
            EXPECT_EQ(7, ExportCommand());
            EXPECT_EQ(std::vector<std::string>{"Export To Tape Successful."}, Messages(watcher));
        } else {
            const DWORD started = GetTickCount();
            Poll([&] { return GetTickCount() - started > 200; }, 2000);
            EXPECT_EQ(5, ExportCommand());
            EXPECT_EQ(std::vector<std::string>{"Export To Tape Cancelled."}, Messages(watcher));
        }
        EXPECT_EQ(nullptr, record.printCallback);
        EXPECT_EQ(0, gController->exportState);
        EXPECT_EQ(nullptr, gController->exportDialog);
    }

    HANDLE event = nullptr;
};

TEST_F(ExportRuns, TwentyExportsLeaveNothing)
{
    // One of each first: the process's first dialog, message box and worker
    // thread make lasting objects of the system's.
    for (int kind = 0; kind < 3; ++kind)
        Run(kind);
    const Resources before = Count();
    for (int i = 0; i < 20; ++i) {
        Run(i % 3);
        ASSERT_FALSE(HasFailure()) << "run " << i;
    }
    ExpectSame(before, Count(), "20 exports");
}

} // namespace
