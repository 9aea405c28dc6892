// Export to Tape as the editor runs it through xDevice: command 10, the print
// callback's phases and end messages, and what the editor may do meanwhile:
// poll as fast as it can, give up the ports, clean up, or meet a deck gone.
#include "board/BoardTypes.h"
#include "editor/ExportLaunch.h"
#include "export/ExportWorker.h"
#include "resources/DialogIds.h"
#include "support/EditorFaultFixture.h"
#include "support/OpenHandles.h"
#include "tools/hostkit/MessageBoxWatcher.h"
#include "ui/DrawingObjects.h"

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

class ExportLaunch : public EditorFaultTest {
protected:
    void SetUp() override
    {
        EditorFaultTest::SetUp();
        ASSERT_EQ(0, Call(kSelectorInitialise));
        event = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, "PPro Quor Print");
        ASSERT_NE(nullptr, event);
        ResetEvent(event);
    }

    void TearDown() override
    {
        CloseHandle(event);
        EditorFaultTest::TearDown();
    }

    PluginController& Controller() { return *gController; }
    DeviceControlPort& Port() { return *gController->ports[0]; }
    HWND Dialog() { return Controller().exportDialog; }
    bool EventSet() const { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }
    int16_t Phase(int32_t phase) { return record.printCallback(host.Handle(), phase); }

    // Command 10, with `steps` run inside the settings dialog.
    int16_t ExportCommand(std::vector<ModalScript::Step> steps = {})
    {
        ModalScript script(std::move(steps));
        record.command = 10;
        record.exportEnd = 90;
        return Call(kSelectorExecute);
    }

    // The settings dialog ended by its record button: the edit starts.
    static std::vector<ModalScript::Step> StartTheEdit()
    {
        return {[] { Click(CurrentDialog(), IDC_EXPORT_RECORD); }};
    }

    static std::vector<std::string> Messages(const MessageBoxWatcher& watcher)
    {
        std::vector<std::string> texts;
        for (const MessageBoxWatcher::Box& box : watcher.Boxes())
            texts.push_back(box.text);
        return texts;
    }

    // The editor's phase 2 polls while its loop runs the status dialog, until
    // `until` or `ms`; false as soon as one answers other than 0.
    bool PollFor(
        DWORD ms, const std::function<bool()>& until = [] { return false; })
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms && !until()) {
            if (Phase(2) != 0)
                return false;
            PumpMessages();
            Sleep(25);
        }
        return true;
    }

    // The export ended by the editor's command 10 before its end.
    void ExpectCancelled()
    {
        MessageBoxWatcher watcher;
        int16_t result = 0;
        const DWORD took = Elapsed([&] { result = ExportCommand(); });
        EXPECT_EQ(5, result);
        EXPECT_LT(took, 6000u) << "the worker ends within about 5 s";
        EXPECT_EQ(std::vector<std::string>{"Export To Tape Cancelled."}, Messages(watcher));
        EXPECT_EQ(nullptr, Dialog());
        EXPECT_EQ(nullptr, Controller().worker.thread);
        EXPECT_FALSE(Controller().worker.running);
        EXPECT_FALSE(Port().IsEditArmed());
        EXPECT_EQ(nullptr, record.printCallback);
        EXPECT_EQ(0, Controller().exportState);
        EXPECT_EQ(0, Port().SetLastFrame(10)) << "the port's lock is free";
    }

    HANDLE event = nullptr;
};

TEST_F(ExportLaunch, CancelledSettingsReturnFiveAndReleaseThePlayout)
{
    EXPECT_EQ(5, ExportCommand({[] { PostMessageA(CurrentDialog(), WM_CLOSE, 0, 0); }}));
    EXPECT_TRUE(EventSet()) << "the playout side must not wait for an export that will not come";
    EXPECT_EQ(nullptr, record.printCallback);
    EXPECT_EQ(0, Controller().exportState);
    EXPECT_EQ(nullptr, Dialog());
    EXPECT_NE(nullptr, record.settings) << "the settings the dialog ended with go to the editor";
}

TEST_F(ExportLaunch, WholeRunEndsWithTheSuccessMessageOnce)
{
    ASSERT_EQ(0, ExportCommand(StartTheEdit()));
    ASSERT_NE(nullptr, record.printCallback);
    ASSERT_NE(nullptr, Dialog()) << "the status dialog stays open while the edit runs";
    EXPECT_EQ(2, Controller().exportState);
    EXPECT_TRUE(Port().IsEditArmed());
    EXPECT_EQ(0, Phase(2)) << "the edit still runs";
    EXPECT_EQ(-2, RunExportDialog(&Controller(), nullptr, nullptr, false));
    // Escape is no way to end a recording.
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_NE(nullptr, Dialog());
    EXPECT_TRUE(Port().IsEditArmed());

    MessageBoxWatcher watcher;
    EXPECT_EQ(7, Phase(3));
    EXPECT_EQ(nullptr, Dialog());
    EXPECT_FALSE(Port().IsEditArmed());
    EXPECT_TRUE(EventSet());
    EXPECT_EQ(0, Phase(3)) << "the end is handled once";
    EXPECT_EQ(7, ExportCommand()) << "the editor's closing command";
    EXPECT_EQ(0, Controller().exportState);
    EXPECT_EQ(nullptr, record.printCallback);
    EXPECT_EQ(std::vector<std::string>{"Export To Tape Successful."}, Messages(watcher));
}

TEST_F(ExportLaunch, AStatusDialogNotMadeOrDestroyedByItsOwnerEndsTheExportCancelled)
{
    const long objects = LiveDrawingObjects();
    // The owner is gone by the time the status dialog is to be made.
    HWND gone = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(5, ExportCommand({[&] {
                  record.parentWindow = gone;
                  Click(CurrentDialog(), IDC_EXPORT_RECORD);
              }}));
    record.parentWindow = nullptr;
    EXPECT_FALSE(Port().IsEditArmed());
    EXPECT_TRUE(EventSet());
    EXPECT_EQ(0, Controller().exportState);
    EXPECT_EQ(objects, LiveDrawingObjects()) << "the colour scheme released";

    ResetEvent(event);
    ASSERT_EQ(0, ExportCommand(StartTheEdit()));
    ASSERT_NE(nullptr, Dialog());
    DestroyWindow(Dialog());
    EXPECT_FALSE(Port().IsEditArmed());
    EXPECT_TRUE(EventSet());
    EXPECT_EQ(objects, LiveDrawingObjects()) << "the colour scheme released";
    MessageBoxWatcher watcher;
    EXPECT_EQ(7, Phase(2)) << "the edit is over";
    EXPECT_EQ(5, ExportCommand()) << "the editor's closing command";
    EXPECT_EQ(std::vector<std::string>{"Export To Tape Cancelled."}, Messages(watcher));
}

TEST_F(ExportLaunch, ADeckThatStopsRecordingBeforeTheEndFailsTheExport)
{
    const struct {
        const char* what;
        void (*fault)(sim::VirtualVtr& deck, double now);
        const char* message;
    } cases[] = {
        {"stopped at its panel", [](sim::VirtualVtr& deck, double now) { deck.Transport(now).Stop(now); },
         "VTR Not Ready. Please check VTR status and try again."},
        {"gone", [](sim::VirtualVtr& deck, double) { deck.SetUnplugged(true); },
         "VTR is offline. Please check VTR status and try again."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetEvent(event);
        ASSERT_EQ(0, ExportCommand(StartTheEdit()));
        ASSERT_TRUE(PumpUntil([&] { return EventSet(); }, 6000)) << "the print to video records";
        WithDeck([&](sim::VirtualVtr& deck, double now) { c.fault(deck, now); });
        EXPECT_TRUE(PumpUntil([&] { return Controller().exportFault != 0; }, 3000));
        MessageBoxWatcher watcher;
        EXPECT_EQ(5, Phase(3));
        EXPECT_EQ(std::vector<std::string>{c.message}, Messages(watcher));
        ExportCommand();
        WithDeck([](sim::VirtualVtr& deck, double) { deck.SetUnplugged(false); });
    }
}

TEST_F(ExportLaunch, ADeckUnpluggedBeforeItRecordsNeverStartsThePlayoutAndTheEditorsCancelEndsIt)
{
    for (int editMode : {0, 1}) {
        SCOPED_TRACE(editMode ? "insert edit, unplugged while it cues" : "print to video");
        ASSERT_EQ(0, Port().SetEditMode(editMode));
        if (editMode == 1) {
            ASSERT_EQ(0, Port().SetInText("01:00:20:00"));
        }
        ASSERT_EQ(0, ExportCommand(StartTheEdit()));
        ASSERT_NE(nullptr, Dialog());
        ASSERT_FALSE(DeckUnplugged()) << "the edit started with the deck there";
        UnplugIn(300);
        // Past the worker's record or edit, with time to spare.
        EXPECT_TRUE(PollFor(4500)) << "the export is still the editor's to end";
        EXPECT_TRUE(DeckUnplugged());
        EXPECT_FALSE(EventSet()) << "the playout must not start for a deck that is gone";
        char shown[64] = {};
        ReadDisplayCopy(&Controller(), kDeckModeCopy, shown, sizeof shown);
        if (editMode == 0) {
            EXPECT_STREQ("Offline", shown) << "what the status dialog shows";
        }
        ExpectCancelled();
        EXPECT_EQ(kModeOfflineReported, ReadStatus());
        EXPECT_EQ(0, record.timecode);
        Call(kSelectorCleanup);
        WithDeck([](sim::VirtualVtr& deck, double) {
            deck.SetFaults({});
            deck.SetUnplugged(false);
        });
        ASSERT_EQ(0, Call(kSelectorInitialise));
        ResetEvent(event);
    }
}

TEST_F(ExportLaunch, AnEditorPollingAsFastAsItCanLeavesEveryEditOnItsRecordPoint)
{
    ASSERT_EQ(0, Call(kSelectorCleanup));
    ConfigureDecks(sim::DeckSettings{}, 2);
    ASSERT_EQ(0, Call(kSelectorInitialise));
    ASSERT_EQ(0, Port().SetInText("01:00:05:00"));
    ASSERT_EQ(0, Port().SetPreviewFlag(0));
    DeviceControlPort* second = Controller().ports[1];
    ASSERT_NE(nullptr, second);
    const int64_t in = FrameOf("01:00:05:00");
    // Polls the deck, plays or stops the second port and polls the print,
    // as fast as it can until `done`: every answer is the deck's.
    auto pollBusily = [&](const std::function<bool()>& done, DWORD ms) {
        const DWORD start = GetTickCount();
        for (int poll = 0; !done() && GetTickCount() - start < ms; ++poll) {
            EXPECT_NE(kModeOfflineReported, ReadStatus()) << "poll " << poll;
            EXPECT_GE(record.timecode, kOneHour) << "poll " << poll;
            EXPECT_EQ(0, poll % 2 ? second->Stop() : second->Play()) << "poll " << poll;
            EXPECT_EQ(0, Phase(2)) << "poll " << poll;
            PumpMessages();
        }
    };
    for (int editMode : {1, 0}) {
        SCOPED_TRACE(editMode ? "insert edit" : "print to video");
        ResetEvent(event);
        ASSERT_EQ(0, Port().SetEditMode(editMode));
        // The deck's frame the moment the event is set, seen from a thread
        // of its own while the editor's thread stays busy.
        std::atomic<int64_t> signalled{-1};
        std::thread watch([&] {
            if (WaitForSingleObject(event, 30000) == WAIT_OBJECT_0)
                WithDeck([&](sim::VirtualVtr& deck, double now) { signalled = deck.Transport(now).Frame(now); });
        });
        EXPECT_EQ(0, ExportCommand(StartTheEdit()));
        if (record.printCallback)
            pollBusily([&] { return EventSet(); }, 20000);
        watch.join();
        ASSERT_GE(signalled, 0) << "the playout was told to start";
        if (editMode == 1) {
            EXPECT_EQ(in, signalled) << "on the record point";
        }
        pollBusily([&] { return DeckMode() != sim::TransportMode::AutoEdit && DeckFrame() > signalled + 90; }, 15000);

        MessageBoxWatcher boxes;
        EXPECT_EQ(7, Phase(3));
        ExportCommand();
        EXPECT_EQ(std::vector<std::string>{"Export To Tape Successful."}, Messages(boxes));
        EXPECT_FALSE(Controller().worker.running);
        std::vector<sim::RecordedSegment> segments;
        WithDeck([&](sim::VirtualVtr& deck, double now) { segments = deck.Transport(now).Segments(); });
        ASSERT_FALSE(segments.empty());
        if (editMode == 1) {
            EXPECT_EQ(sim::RecordKind::Insert, segments.back().kind);
            EXPECT_EQ(in, segments.back().first) << "recorded from the in point";
        } else {
            EXPECT_LE(segments.back().first, signalled) << "recording when the playout starts";
        }
    }
}

TEST_F(ExportLaunch, GivingUpThePortsOrCleaningUpDuringAnEditLeavesTheUartOff)
{
    for (int16_t selector : {kSelectorReleasePorts, kSelectorCleanup}) {
        SCOPED_TRACE(selector);
        ASSERT_EQ(0, Port().SetEditMode(1));
        ASSERT_EQ(0, Port().SetInText("01:00:20:00"));
        ASSERT_EQ(0, ExportCommand(StartTheEdit()));
        ASSERT_TRUE(Controller().worker.running);
        PollFor(500); // the worker cues and reads the deck all the while

        Call(selector);
        Rack().ClearLog();
        // Given up, or gone with the module's cleanup.
        HANDLE semaphore = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, "QuorControl0");
        EXPECT_TRUE(semaphore ? WaitForSingleObject(semaphore, 0) == WAIT_OBJECT_0 : selector == kSelectorCleanup)
            << "the deck is free for another";
        if (gController) {
            EXPECT_EQ(nullptr, Controller().worker.thread);
            // The record button still ends the edit, without the deck.
            SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_EXPORT_RECORD, BN_CLICKED), 0);
            EXPECT_FALSE(Port().IsEditArmed());
        }
        Sleep(200);
        int uartSwitchedOn = 0;
        for (const sim::LoggedCall& call : Requests())
            uartSwitchedOn += call.propertyId == kPropertyRegister && call.flags == kFlagSet &&
                              Word(call, 24) == kRegisterUartControl && (Word(call, 28) & kUartOnBits) != 0;
        EXPECT_EQ(0, uartSwitchedOn);
        EXPECT_FALSE(Rack().Uart(0).on);
        if (semaphore) {
            ReleaseSemaphore(semaphore, 1, nullptr);
            CloseHandle(semaphore);
        }
        Call(kSelectorCleanup);
        ASSERT_EQ(0, Call(kSelectorInitialise));
        ResetEvent(event);
    }
}

// Closed, whole and cancelled Print To Video runs, and the module cleaned up
// and set up again, after one of each that makes the system's lasting
// objects (first dialog, box, thread, the rack's timer library).
TEST_F(ExportLaunch, RepeatedUseLeavesNoHandleDrawingObjectOrHostMemory)
{
    auto count = [&] {
        return std::vector<long>{OpenHandleCount(), LiveDrawingObjects(), long(host.LiveHandleCount())};
    };
    std::vector<long> before;
    for (int run = -4; run < 24; ++run) {
        if (run == 0)
            before = count();
        SCOPED_TRACE(run);
        ResetEvent(event);
        const int kind = (run + 4) % 4;
        if (kind == 0) {
            ASSERT_EQ(5, ExportCommand({[] { PostMessageA(CurrentDialog(), WM_CLOSE, 0, 0); }}));
            continue;
        }
        if (kind == 3) {
            // Every other time the editor hands back the block it kept.
            PersistedSettings kept;
            std::memcpy(&kept, *record.settings, sizeof kept);
            ASSERT_EQ(0, Call(kSelectorCleanup));
            record.settings = run / 4 % 2 ? host.NewHandle(sizeof kept) : nullptr;
            if (record.settings)
                std::memcpy(*record.settings, &kept, sizeof kept);
            ASSERT_EQ(0, Call(record.settings ? kSelectorRestart : kSelectorInitialise));
            ASSERT_EQ(0, ReadStatus()) << "the deck must be online";
            ASSERT_EQ(0, Call(kSelectorReleasePorts));
            continue;
        }
        ASSERT_EQ(0, ExportCommand(StartTheEdit()));
        MessageBoxWatcher watcher;
        if (kind == 1) {
            ASSERT_TRUE(PollFor(10000, [&] { return EventSet(); }) && EventSet()) << "no signal from the export";
            PollFor(300);
            EXPECT_EQ(7, Phase(3));
            EXPECT_EQ(7, ExportCommand());
            EXPECT_EQ(std::vector<std::string>{"Export To Tape Successful."}, Messages(watcher));
        } else {
            PollFor(200);
            EXPECT_EQ(5, ExportCommand());
            EXPECT_EQ(std::vector<std::string>{"Export To Tape Cancelled."}, Messages(watcher));
        }
        EXPECT_EQ(nullptr, record.printCallback);
        EXPECT_EQ(nullptr, Dialog());
        ASSERT_FALSE(HasFailure());
    }
    const std::vector<long> after = count();
    EXPECT_EQ(before[0], after[0]) << "kernel handles left";
    EXPECT_EQ(before[1], after[1]) << "drawing objects left";
    EXPECT_EQ(before[2], after[2]) << "host handles left";
}

} // namespace
