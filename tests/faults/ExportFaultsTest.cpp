// Export to Tape through xDevice with the deck unplugged while the edit
// runs: the playout is never told to start, the editor's cancel ends the
// export, the worker and the port's lock go, and the deck reads offline.
#include "faults/EditorFaultFixture.h"

#include "export/ExportWorker.h"
#include "resources/DialogIds.h"
#include "support/MessageBoxWatcher.h"

#include <string>
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

    HANDLE event = nullptr;
};

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
