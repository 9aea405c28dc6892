// Export to Tape through xDevice while the editor does what it may: keeps
// polling the deck and driving another port, gives up the ports or cleans
// up, or meets a deck unplugged while the edit runs.
#include "support/EditorFaultFixture.h"

#include "board/BoardTypes.h"
#include "export/ExportWorker.h"
#include "resources/DialogIds.h"
#include "tools/hostkit/MessageBoxWatcher.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

class ExportFaults : public EditorFaultTest {
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
    bool EventSet() const { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

    // Command 10 with the settings dialog ended by its record button.
    int16_t ExportCommand(bool startTheEdit)
    {
        std::vector<ModalScript::Step> steps;
        if (startTheEdit)
            steps.push_back([] { Click(CurrentDialog(), IDC_EXPORT_RECORD); });
        ModalScript script(std::move(steps));
        record.command = 10;
        record.exportEnd = 90;
        return Call(kSelectorExecute);
    }

    // The editor's phase 2 polls for `ms` while its loop runs the status
    // dialog; false as soon as one answers other than 0.
    bool PollFor(DWORD ms)
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            if (record.printCallback(host.Handle(), 2) != 0)
                return false;
            PumpMessages();
            Sleep(25);
        }
        return true;
    }

    std::string DeckModeShown()
    {
        char text[64] = {};
        ReadDisplayCopy(&Controller(), kDeckModeCopy, text, sizeof text);
        return text;
    }

    // The deck goes during the edit; the editor is never told to play.
    void UnplugMidEdit()
    {
        ASSERT_EQ(0, ExportCommand(true));
        ASSERT_NE(nullptr, record.printCallback);
        ASSERT_NE(nullptr, Controller().exportDialog);
        ASSERT_TRUE(Port().IsEditArmed());
        ASSERT_FALSE(DeckUnplugged()) << "the edit started with the deck there";
        UnplugIn(300);

        // Past the worker's record or edit, with time to spare.
        EXPECT_TRUE(PollFor(4500)) << "the export is still the editor's to end";
        EXPECT_TRUE(DeckUnplugged());
        EXPECT_FALSE(EventSet()) << "the playout must not start for a deck that is gone";
    }

    // The editor gives up waiting and cancels with command 10.
    void Cancel()
    {
        MessageBoxWatcher watcher;
        int16_t result = 0;
        const DWORD took = Elapsed([&] { result = ExportCommand(false); });
        EXPECT_EQ(5, result);
        EXPECT_LT(took, 6000u) << "the worker ends within about 5 s";
        ASSERT_EQ(1u, watcher.Boxes().size());
        EXPECT_EQ("Export To Tape Cancelled.", watcher.Boxes()[0].text);
        EXPECT_EQ(nullptr, Controller().exportDialog);
        EXPECT_EQ(nullptr, Controller().worker.thread);
        EXPECT_FALSE(Controller().worker.running);
        EXPECT_FALSE(Port().IsEditArmed());
        EXPECT_EQ(nullptr, record.printCallback);
        EXPECT_EQ(0, Controller().exportState);
        EXPECT_EQ(0, Port().SetLastFrame(10)) << "the port's lock is free";
        EXPECT_EQ(kModeOfflineReported, ReadStatus());
        EXPECT_EQ(0, record.timecode);
    }

    // The deck's frame the moment the event is set, seen from a thread of
    // its own so that the editor's thread can stay busy; -1 if it never is.
    class SignalWatch {
    public:
        explicit SignalWatch(HANDLE event)
            : thread_([this, event] {
                  if (WaitForSingleObject(event, 30000) != WAIT_OBJECT_0)
                      return;
                  sim::SimRack::Instance().WithDeck(0, [&](sim::VirtualVtr& deck, double now) {
                      frame_ = deck.Transport(now).Frame(now);
                  });
              })
        {
        }
        ~SignalWatch() { Join(); }
        int64_t Frame()
        {
            Join();
            return frame_;
        }

    private:
        void Join()
        {
            if (thread_.joinable())
                thread_.join();
        }
        std::atomic<int64_t> frame_{-1};
        std::thread thread_;
    };

    // The editor polls the deck as fast as it can, playing and stopping the
    // second port between polls, until `done`: every answer is the deck's.
    void PollBusilyUntil(const std::function<bool()>& done, DWORD ms)
    {
        DeviceControlPort* second = Controller().ports[1];
        ASSERT_NE(nullptr, second);
        const DWORD start = GetTickCount();
        for (int poll = 0; !done() && GetTickCount() - start < ms; ++poll) {
            EXPECT_NE(kModeOfflineReported, ReadStatus()) << "poll " << poll;
            EXPECT_GE(record.timecode, kOneHour) << "poll " << poll;
            EXPECT_EQ(0, poll % 2 ? second->Stop() : second->Play()) << "poll " << poll;
            EXPECT_EQ(0, record.printCallback(host.Handle(), 2)) << "poll " << poll;
            PumpMessages();
        }
    }

    // UART-on writes since the log was last cleared.
    static int UartSwitchedOn()
    {
        int on = 0;
        for (const sim::LoggedCall& call : Requests()) {
            on += call.propertyId == kPropertyRegister && call.flags == kFlagSet &&
                  Word(call, 24) == kRegisterUartControl && (Word(call, 28) & kUartOnBits) != 0;
        }
        return on;
    }

    HANDLE event = nullptr;
};

TEST_F(ExportFaults, AnEditorPollingAsFastAsItCanLeavesEveryEditOnItsRecordPoint)
{
    ASSERT_EQ(0, Call(kSelectorCleanup));
    ConfigureDecks(sim::DeckSettings{}, 2);
    ASSERT_EQ(0, Call(kSelectorInitialise));
    ASSERT_EQ(0, Port().SetInText("01:00:05:00"));
    ASSERT_EQ(0, Port().SetPreviewFlag(0));
    const int64_t in = FrameOf("01:00:05:00");
    for (int editMode : {1, 0}) {
        SCOPED_TRACE(editMode ? "insert edit" : "print to video");
        ResetEvent(event);
        ASSERT_EQ(0, Port().SetEditMode(editMode));
        SignalWatch watch(event);
        ASSERT_EQ(0, ExportCommand(true));
        ASSERT_NE(nullptr, record.printCallback);
        PollBusilyUntil([&] { return EventSet(); }, 20000);
        const int64_t signalled = watch.Frame();
        ASSERT_GE(signalled, 0) << "the playout was told to start";
        if (editMode == 1) {
            EXPECT_EQ(in, signalled) << "on the record point";
        }
        PollBusilyUntil([&] { return DeckMode() != sim::TransportMode::AutoEdit && DeckFrame() > signalled + 90; },
                        15000);

        MessageBoxWatcher boxes;
        EXPECT_EQ(7, record.printCallback(host.Handle(), 3));
        ExportCommand(false);
        ASSERT_EQ(1u, boxes.Boxes().size());
        EXPECT_EQ("Export To Tape Successful.", boxes.Boxes()[0].text);
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

TEST_F(ExportFaults, GivingUpThePortsOrCleaningUpDuringAnEditLeavesTheUartOff)
{
    for (int16_t selector : {kSelectorReleasePorts, kSelectorCleanup}) {
        SCOPED_TRACE(selector);
        ASSERT_EQ(0, Port().SetEditMode(1));
        ASSERT_EQ(0, Port().SetInText("01:00:20:00"));
        ASSERT_EQ(0, ExportCommand(true));
        ASSERT_TRUE(Controller().worker.running);
        PollFor(500);  // the worker cues and reads the deck all the while

        Call(selector);
        Rack().ClearLog();
        // Given up, or gone with the module's cleanup.
        HANDLE semaphore = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, "QuorControl0");
        EXPECT_TRUE(semaphore ? WaitForSingleObject(semaphore, 0) == WAIT_OBJECT_0 : selector == kSelectorCleanup)
            << "the deck is free for another";
        if (gController) {
            EXPECT_EQ(nullptr, Controller().worker.thread);
            // The record button still ends the edit, without the deck.
            SendMessageA(Controller().exportDialog, WM_COMMAND, MAKEWPARAM(IDC_EXPORT_RECORD, BN_CLICKED), 0);
            EXPECT_FALSE(Port().IsEditArmed());
        }
        Sleep(200);
        EXPECT_EQ(0, UartSwitchedOn());
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

TEST_F(ExportFaults, PrintToVideoOnADeckUnpluggedBeforeItRecords)
{
    ASSERT_EQ(0, Port().SetEditMode(0));
    UnplugMidEdit();
    EXPECT_EQ("Offline", DeckModeShown()) << "what the status dialog shows";
    Cancel();
}

TEST_F(ExportFaults, InsertEditOnADeckUnpluggedWhileItCues)
{
    ASSERT_EQ(0, Port().SetEditMode(1));
    ASSERT_EQ(0, Port().SetInText("01:00:20:00"));
    UnplugMidEdit();
    Cancel();
}

} // namespace
