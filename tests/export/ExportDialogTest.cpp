// The export dialog on a simulated deck: the checks before an edit, the
// keys and the shuttle bar, the value fields, the board list, and how it
// looks in its two phases.
#include "export/ExportDialog.h"
#include "support/ExportFixture.h"
#include "resources/DialogIds.h"
#include "tools/hostkit/MessageBoxWatcher.h"

#include <memory>

namespace {

enum { kHotKeyJ = 11, kHotKeyK = 12, kHotKeyL = 13 };

class ExportDialog : public ExportTest {
protected:
    // The texts of the error boxes shown so far.
    std::vector<std::string> Errors() const
    {
        std::vector<std::string> texts;
        for (const MessageBoxWatcher::Box& box : watcher->Boxes()) {
            if (box.caption == "Error")
                texts.push_back(box.text);
        }
        return texts;
    }

    void Close() { PostMessageA(Dialog(), WM_CLOSE, 0, 0); }

    // A mouse move over the shuttle bar at knob position `knob`.
    void MoveShuttleTo(int knob)
    {
        HWND bar = GetDlgItem(Dialog(), IDC_EXPORT_SHUTTLE);
        RECT rect;
        GetClientRect(bar, &rect);
        POINT point = {(2 * knob - 1) * rect.right / 30, rect.bottom / 2};
        MapWindowPoints(bar, Dialog(), &point, 1);
        SendMessageA(Dialog(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    }

    // Types into the Set Time dialog that a click opened, then OK.
    static ModalScript::Step Enter(const char* typed)
    {
        return [typed] {
            HWND entry = CurrentDialog();
            SetDlgItemTextA(entry, IDC_ENTRY_FIELD, typed);
            Click(entry, IDC_ENTRY_OK);
        };
    }

    std::unique_ptr<MessageBoxWatcher> watcher;
};

TEST_F(ExportDialog, PreEditChecksShowTheirMessageAndKeepTheDialogOpen)
{
    const int32_t result = RunSettings({
        [&] {
            watcher.reset(new MessageBoxWatcher);
            Port().SetEditMode(1);
            Port().SetVideoFlag(0);
            for (int i = 0; i < 8; ++i)
                Port().SetAudioFlag(0, i);
            Click(Dialog(), IDC_EXPORT_RECORD);
            Port().SetVideoFlag(1);
            WithDeck([](sim::VirtualVtr& deck, double now) { deck.Transport(now).SetRemote(false); });
            Click(Dialog(), IDC_EXPORT_RECORD);
            WithDeck([](sim::VirtualVtr& deck, double now) {
                deck.Transport(now).SetRemote(true);
                deck.Transport(now).SetRecordInhibit(true);
            });
            Click(Dialog(), IDC_EXPORT_RECORD);
            WithDeck([](sim::VirtualVtr& deck, double now) { deck.Transport(now).SetRecordInhibit(false); });
            SetFaults({true});
            Click(Dialog(), IDC_EXPORT_RECORD);
            SetFaults({});
        },
        [&] {
            EXPECT_NE(nullptr, Dialog()) << "the dialog stays open";
            EXPECT_TRUE(controller.worker.running) << "and its worker runs on";
            Close();
        },
    });
    EXPECT_EQ(100008, result) << "closed without an edit";
    EXPECT_FALSE(Port().IsEditArmed());
    const std::vector<std::string> expected = {
        "Error - no edit channels are selected.",
        "VTR is in local mode. Please put VTR in remote mode and try again.",
        "Tape Error. Tape is in record inhibit mode.",
        "VTR Not Ready. Please check VTR status and try again.",
    };
    EXPECT_EQ(expected, Errors());
}

class ExportDialogWithoutTape : public ExportDialog {
protected:
    void SetUp() override
    {
        sim::DeckSettings deck;
        deck.tapeIn = false;
        Start(deck);
    }
};

TEST_F(ExportDialogWithoutTape, RecordButtonAsksForATape)
{
    RunSettings({
        [&] {
            watcher.reset(new MessageBoxWatcher);
            Click(Dialog(), IDC_EXPORT_RECORD);
            EXPECT_NE(nullptr, Dialog());
            Close();
        },
    });
    EXPECT_EQ(std::vector<std::string>{"No Tape. Please insert tape into VTR and try again."}, Errors());
}

TEST_F(ExportDialog, HotKeysAreHeldWhileActiveAndActOnlyWhenTheDialogMayAct)
{
    RunSettings({
        [&] {
            SetActiveWindow(Dialog());
            EXPECT_TRUE(controller.hotKeysRegistered);
            const struct {
                double from;
                int key, listOpen;
                double to;
                const char* why;
            } keys[] = {{16.0, kHotKeyL, 0, 16.0, "L at 16 times play does nothing"},
                        {2.0, kHotKeyJ, 0, 1.0, "J at 2 times play plays"},
                        {1.0, kHotKeyK, 1, 1.0, "not while a list is open"},
                        {1.0, kHotKeyK, 0, 0.0, "K stops"}};
            for (const auto& k : keys) {
                {
                    PausedWorker paused(&controller);
                    Port().Shuttle(k.from);
                }
                controller.dropDownOpen = k.listOpen;
                SendMessageA(Dialog(), WM_HOTKEY, k.key, 0);
                EXPECT_EQ(k.to, DeckSpeed()) << k.why;
            }

            SendMessageA(Dialog(), WM_ACTIVATE, WA_INACTIVE, 0);
            EXPECT_FALSE(controller.hotKeysRegistered);
            EXPECT_TRUE(RegisterHotKey(nullptr, 99, 0, 'L')) << "a deactivated dialog holds no keys";
            UnregisterHotKey(nullptr, 99);
            Close();
        },
    });
}

TEST_F(ExportDialog, TransportButtonsAndTheShuttleBarDriveTheDeck)
{
    RunSettings({
        [&] {
            Click(Dialog(), IDC_EXPORT_PLAY);
            EXPECT_EQ(1.0, DeckSpeed());
            Click(Dialog(), IDC_EXPORT_GO_TO_IN);
            EXPECT_EQ(1.0, DeckSpeed()) << "Go To In has no command of its own";
            Click(Dialog(), IDC_EXPORT_STOP);
            EXPECT_EQ(sim::TransportMode::Stopped, DeckMode());
            Click(Dialog(), IDC_EXPORT_SHUTTLE);
            EXPECT_EQ(Dialog(), GetCapture());
            MoveShuttleTo(11);
            EXPECT_EQ(1.0, DeckSpeed()) << "position 11 plays";
            MoveShuttleTo(5);
            EXPECT_EQ(-1.0, DeckSpeed()) << "position 5 shuttles at -1";
            SendMessageA(Dialog(), WM_LBUTTONUP, 0, 0);
            EXPECT_EQ(0.0, DeckSpeed());
            EXPECT_EQ(nullptr, GetCapture());
            EXPECT_FALSE(controller.shuttleDrag);
            // Another window taking the mouse ends a drag as a release does.
            Click(Dialog(), IDC_EXPORT_SHUTTLE);
            MoveShuttleTo(11);
            EXPECT_EQ(1.0, DeckSpeed());
            SetCapture(GetDlgItem(Dialog(), IDC_EXPORT_PLAY));
            EXPECT_EQ(0.0, DeckSpeed());
            EXPECT_FALSE(controller.shuttleDrag);
            ReleaseCapture();
            Close();
        },
    });
}

TEST_F(ExportDialog, ValueFieldsAndTheBoardList)
{
    RunSettings({
        [&] { Click(Dialog(), IDC_EXPORT_OFFSET); },
        Enter("45"),
        [&] {
            EXPECT_EQ("30", Text(Dialog(), IDC_EXPORT_OFFSET));
            Click(Dialog(), IDC_EXPORT_DELAY);
        },
        Enter("7"),
        [&] {
            EXPECT_EQ("7", Text(Dialog(), IDC_EXPORT_DELAY));
            Port().SetDelay(200);
            Click(Dialog(), IDC_EXPORT_BOARD);
            PressRow(Dialog(), IDC_EXPORT_BOARD, 0);
        },
        [&] {
            EXPECT_FALSE(controller.dropDownOpen);
            EXPECT_TRUE(controller.worker.running) << "choosing the current board changes nothing";
            Click(Dialog(), IDC_EXPORT_MODE);
            PressRow(Dialog(), IDC_EXPORT_MODE, 1);
        },
        [&] {
            EXPECT_EQ("Insert Edit", Text(Dialog(), IDC_EXPORT_MODE));
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(Dialog(), IDC_EXPORT_IN_POINT)));
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(Dialog(), IDC_EXPORT_DELAY)));
            Click(Dialog(), IDC_EXPORT_IN_POINT);
        },
        Enter("01002000"),
        [&] {
            EXPECT_EQ("01;00;20;00", Text(Dialog(), IDC_EXPORT_IN_POINT));
            Close();
        },
    });
    int32_t offset = 0, delay = 0;
    Port().GetTimecodeOffset(&offset);
    Port().GetDelay(&delay);
    EXPECT_EQ(30, offset);
    EXPECT_EQ(7, delay) << "a delay past 120 is ignored";
}

TEST_F(ExportDialog, LooksInBothPhases)
{
    Port().SetEditMode(0);
    Port().SetInText("01:00:03:00");
    Port().SetLastFrame(59);
    RunSettings({
        [&] {
            UpdateWindow(Dialog());
            Port().SetEditMode(1);
            Port().SetVideoFlag(1);
            LoadExportControls(&controller, Dialog(), &Port());
            UpdateWindow(Dialog());
            Click(Dialog(), IDC_EXPORT_RECORD);
        },
    });
    ASSERT_EQ(0, RunExportDialog(&controller, nullptr, nullptr, true));
    EXPECT_EQ(-2, RunExportDialog(&controller, nullptr, nullptr, true)) << "one export dialog at a time";
    ASSERT_TRUE(WaitFor([&] { return Port().IsPlayoutSignalled(); }, 20000));
    WaitFor([] { return false; }, 300);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Dialog(), IDC_EXPORT_PLAY))) << "no transport while recording";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Dialog(), IDC_EXPORT_RECORD)));
    SendMessageA(Dialog(), WM_HOTKEY, kHotKeyK, 0);
    EXPECT_EQ(1.0, DeckSpeed()) << "no key moves the deck during an edit";
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_EXPORT_RECORD, BN_CLICKED), 0);
    EXPECT_EQ(nullptr, Dialog());
}

} // namespace
