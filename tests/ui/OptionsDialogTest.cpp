// The options dialog on simulated boards and decks: what it lists, what a
// choice does to the live port and to the editor's settings block, Ok and
// Cancel, a port that cannot be activated, and how it is drawn.
#include "port/DeviceControlPort.h"
#include "editor/DeviceControlSetup.h"
#include "editor/PluginController.h"
#include "resources/DialogIds.h"
#include "support/PortSemaphores.h"
#include "support/DialogDriving.h"
#include "ui/DrawingCanvas.h"
#include "ui/OptionsDialog.h"
#include "support/DeckRackFixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr int kFormat25 = 1;

class OptionsDialog : public DeckRackTest {
protected:
    void SetUp() override
    {
        UseTestTemplates();
        ConfigureDecks(sim::DeckSettings{}, 2);
        ASSERT_EQ(0, OpenDeviceControl(&controller, &record, nullptr));
        before_ = LiveDrawingObjects();
    }
    void TearDown() override
    {
        EXPECT_EQ(before_, LiveDrawingObjects()) << "drawing objects left behind by the dialog";
        CloseDeviceControl(&controller);
        DeckRackTest::TearDown();
    }

    int32_t Run(std::vector<ModalScript::Step> steps, HWND host = nullptr)
    {
        ModalScript script(std::move(steps));
        int32_t result = RunOptionsDialog(&controller, host, &block);
        EXPECT_TRUE(script.Finished());
        return result;
    }

    HWND Dialog() const { return controller.optionsDialog; }
    DeviceControlPort& Port(int slot) { return *controller.ports[slot]; }

    int32_t FormatOf(int slot)
    {
        int32_t index = -1;
        Port(slot).GetTimecodeFormat(&index);
        return index;
    }

    // The colour at a point of a control (or of the dialog, id 0) as drawn.
    COLORREF PixelOf(int id, int x, int y)
    {
        HWND window = id ? GetDlgItem(Dialog(), id) : Dialog();
        UpdateWindow(Dialog());
        HDC dc = GetDC(window);
        COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return colour;
    }

    // Named: a test holds the first one as another editor would.
    PortSemaphores semaphores{true};
    PluginController controller;
    DeviceRecord record = {};
    PersistedSettings block = {};
    long before_ = 0;
};

TEST_F(OptionsDialog, ListsWhatTheBoardsOfferAndOkKeepsTheChoices)
{
    char board1[128] = {};
    Port(1).GetBoardName(board1);
    int32_t result = Run({
        [&] {
            ASSERT_NE(nullptr, Dialog());
            char name[128] = {};
            Port(0).GetBoardName(name);
            EXPECT_EQ(name, Text(Dialog(), IDC_BOARD_SELECTOR));
            EXPECT_EQ("Active", Text(Dialog(), IDC_STATUS_TEXT));
            EXPECT_EQ("Base 30 DF", Text(Dialog(), IDC_FORMAT_SELECTOR));
            EXPECT_EQ("LTC", Text(Dialog(), IDC_SOURCE_SELECTOR));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Dialog(), IDC_FORMAT_SELECTOR)));
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(Dialog(), IDC_OFFSET_VALUE)));
            Click(Dialog(), IDC_FORMAT_SELECTOR);
            EXPECT_EQ(7, controller.dropDown.ItemCount());
            EXPECT_TRUE(controller.dropDownOpen && controller.dropDownHeld);
            UpdateWindow(DropDownWindow());
            PressRow(Dialog(), IDC_FORMAT_SELECTOR, kFormat25);
        },
        [&] {
            EXPECT_EQ(nullptr, DropDownWindow());
            EXPECT_FALSE(controller.dropDownOpen || controller.dropDownHeld);
            EXPECT_EQ(kFormat25, FormatOf(0)) << "the live port changes at once";
            EXPECT_EQ("Base 25", Text(Dialog(), IDC_FORMAT_SELECTOR));
            Click(Dialog(), IDC_SOURCE_SELECTOR);
            PressRow(Dialog(), IDC_SOURCE_SELECTOR, 1);
        },
        [&] {
            EXPECT_EQ("VITC", Text(Dialog(), IDC_SOURCE_SELECTOR));
            // The board list names both boards; choosing the second makes it current.
            Click(Dialog(), IDC_BOARD_SELECTOR);
            EXPECT_EQ(2, controller.dropDown.ItemCount());
            PressRow(Dialog(), IDC_BOARD_SELECTOR, 1);
        },
        [&] {
            EXPECT_EQ(1, controller.currentPort);
            EXPECT_EQ(board1, Text(Dialog(), IDC_BOARD_SELECTOR));
            EXPECT_EQ("Base 30 DF", Text(Dialog(), IDC_FORMAT_SELECTOR));
            Click(Dialog(), IDC_OFFSET_VALUE);
        },
        [&] {
            HWND entry = OtherDialog(Dialog());
            ASSERT_NE(nullptr, entry) << "the offset entry did not open";
            SetDlgItemTextA(entry, IDC_ENTRY_FIELD, "-31");
            Click(entry, IDC_ENTRY_OK);
        },
        [&] {
            EXPECT_EQ("-30", Text(Dialog(), IDC_OFFSET_VALUE)) << "clamped to thirty frames";
            Click(Dialog(), IDC_OPTIONS_OK);
        },
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(-30, block.ports[1].timecodeOffset);
    EXPECT_EQ(1, block.selectedPort);
    EXPECT_EQ(uint32_t(kFormat25), block.ports[0].timecode.formatIndex);
    EXPECT_EQ(25000u, block.ports[0].timecode.format.rateNumerator);
    EXPECT_EQ(1u, block.ports[0].timecode.sourceIndex);
    EXPECT_EQ(0, std::memcmp(&block, &controller.persisted, sizeof block));
    EXPECT_EQ(1, controller.currentPort);
    EXPECT_FALSE(Port(0).IsActive() || Port(1).IsActive()) << "the dialog leaves the ports as it found them";
    EXPECT_EQ(nullptr, controller.optionsDialog);
}

TEST_F(OptionsDialog, CancelPutsBackTheBlockAndTheBoard)
{
    PersistedSettings original = controller.persisted;
    int32_t result = Run({
        [&] {
            Click(Dialog(), IDC_FORMAT_SELECTOR);
            PressRow(Dialog(), IDC_FORMAT_SELECTOR, kFormat25);
        },
        [&] {
            EXPECT_EQ(kFormat25, FormatOf(0));
            // The current entry again: nothing reaches the port or the deck.
            Drain();
            Click(Dialog(), IDC_FORMAT_SELECTOR);
            PressRow(Dialog(), IDC_FORMAT_SELECTOR, kFormat25);
        },
        [&] {
            EXPECT_TRUE(Sent().empty());
            Click(Dialog(), IDC_BOARD_SELECTOR);
            PressRow(Dialog(), IDC_BOARD_SELECTOR, 1);
        },
        [&] {
            EXPECT_EQ(1, controller.currentPort);
            // A press outside the list's rows changes nothing.
            Click(Dialog(), IDC_BOARD_SELECTOR);
            PressList(10, 500);
        },
        [&] {
            EXPECT_EQ(1, controller.currentPort);
            Click(Dialog(), IDC_OPTIONS_CANCEL);
        },
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(0, std::memcmp(&original, &block, sizeof block));
    EXPECT_EQ(0, std::memcmp(&original, &controller.persisted, sizeof block));
    EXPECT_EQ(0, controller.currentPort);
    ASSERT_EQ(0, Port(0).Activate());
    EXPECT_EQ(3, FormatOf(0)) << "the port takes its stored format again";
    Port(0).Deactivate();
}

TEST_F(OptionsDialog, PortThatCannotBeActivatedShowsNotActive)
{
    // Another process holds the first board's deck.
    HANDLE held = CreateSemaphoreA(nullptr, 1, 1, "QuorControl0");
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held, 0));
    Run({
        [&] {
            EXPECT_EQ("Not Active", Text(Dialog(), IDC_STATUS_TEXT));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Dialog(), IDC_FORMAT_SELECTOR)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Dialog(), IDC_SOURCE_SELECTOR)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Dialog(), IDC_OFFSET_VALUE)));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Dialog(), IDC_BOARD_SELECTOR)));
            // Freed meanwhile: the next activation of the dialog takes it.
            ReleaseSemaphore(held, 1, nullptr);
            SendMessageA(Dialog(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
            EXPECT_EQ("Active", Text(Dialog(), IDC_STATUS_TEXT));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Dialog(), IDC_FORMAT_SELECTOR)));
            PostMessageA(Dialog(), WM_CLOSE, 0, 0);
        },
    });
    CloseHandle(held);
}

TEST_F(OptionsDialog, OpensOverTheEditorOrCentredOnTheScreen)
{
    HWND host = CreateWindowA("STATIC", "editor", WS_POPUP | WS_VISIBLE, 100, 100, 600, 500, nullptr, nullptr, nullptr,
                              nullptr);
    auto closeAt = [&](POINT want) {
        return [&, want] {
            RECT r;
            GetWindowRect(Dialog(), &r);
            EXPECT_NEAR(want.x, (r.left + r.right) / 2, 1);
            EXPECT_NEAR(want.y, (r.top + r.bottom) / 2, 1);
            Click(Dialog(), IDC_OPTIONS_CANCEL);
        };
    };
    Run({closeAt(POINT{400, 350})}, host);
    // Centred over the editor it would leave the screen.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    SetWindowPos(host, nullptr, screenWidth - 150, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Run({closeAt(POINT{screenWidth / 2, GetSystemMetrics(SM_CYSCREEN) / 2})}, host);
    DestroyWindow(host);
}

// The check box is repainted on each click, not left to the next paint.
TEST_F(OptionsDialog, DrawnInTheSchemeOfTheEditorsBrightnessAndTheCheckBoxRepaintedOnEachClick)
{
    // Not the scheme of a brightness of 0, nor of no file at all.
    PreferenceFile prefs("100");
    const int32_t was = controller.persisted.embeddedTcCapture;
    Run({
        [&] {
            const ColourScheme& s = controller.colourScheme;
            RECT client;
            GetClientRect(Dialog(), &client);
            EXPECT_EQ(RGB(219, 219, 219), s.faceColour);
            EXPECT_EQ(s.faceColour, PixelOf(0, 6, client.bottom - 8));
            EXPECT_EQ(Of(s.borderPen), PixelOf(0, 0, client.bottom / 2)) << "frame";
            RECT status;
            GetClientRect(GetDlgItem(Dialog(), IDC_STATUS_TEXT), &status);
            bool text = false, face = false;
            for (int x = 0; x < status.right; ++x) {
                for (int y = 0; y < status.bottom; ++y) {
                    const COLORREF colour = PixelOf(IDC_STATUS_TEXT, x, y);
                    text |= colour == s.textColour;
                    face |= colour == s.faceColour;
                }
            }
            EXPECT_TRUE(text && face) << "status text in the text colour on the face";
            // The check mark's pixel (7, 2).
            const COLORREF before = PixelOf(IDC_EMBEDDED_TC, 7, 2);
            Click(Dialog(), IDC_EMBEDDED_TC);
            EXPECT_EQ(!was, controller.persisted.embeddedTcCapture);
            EXPECT_EQ(!was, PixelOf(IDC_EMBEDDED_TC, 7, 2) == s.checkMark[kLookNormal][22]);
            Click(Dialog(), IDC_EMBEDDED_TC);
            EXPECT_EQ(was, controller.persisted.embeddedTcCapture);
            EXPECT_EQ(before, PixelOf(IDC_EMBEDDED_TC, 7, 2));
            Click(Dialog(), IDC_EMBEDDED_TC);
            Click(Dialog(), IDC_OPTIONS_OK);
        },
    });
    EXPECT_EQ(!was, block.embeddedTcCapture);
}

} // namespace
