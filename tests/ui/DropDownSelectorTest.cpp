// The popup list: what it holds, what a press posts to its parent, and the
// hover highlight that redraws only the rows concerned.
#include "ui/DrawingObjects.h"
#include "ui/DropDownSelector.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <climits>

namespace {

constexpr int32_t kButtonId = 1052;
constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kHighlight = RGB(255, 0, 0);

class DropDown : public ::testing::Test {
protected:
    void SetUp() override
    {
        before_ = LiveDrawingObjects();
        parent_ = CreateWindowA("STATIC", "", WS_POPUP, 100, 100, 200, 200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, parent_);
    }
    void TearDown() override
    {
        list_.Close();
        DestroyWindow(parent_);
        EXPECT_EQ(before_, LiveDrawingObjects()) << "brushes left behind";
    }

    // Three rows of 11 pixels (35 / 3).
    int32_t OpenThree()
    {
        for (const char* item : {"Base 24", "Base 25", "Base 30 DF"})
            list_.AddItem(-1, item);
        int32_t result = list_.Open(parent_, 300, 300, 100, 35, nullptr, kButtonId, kBackground, kHighlight,
                                    RGB(0, 0, 0), GetModuleHandleA(nullptr));
        if (list_.Window())
            UpdateWindow(list_.Window());
        return result;
    }

    void Send(UINT message, int x, int y)
    {
        SendMessageA(list_.Window(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    }

    // The row the list posted, INT_MIN when it posted nothing.
    int32_t Posted()
    {
        MSG msg;
        if (!PeekMessageA(&msg, parent_, kDropDownChoiceMessage, kDropDownChoiceMessage, PM_REMOVE))
            return INT_MIN;
        EXPECT_EQ(static_cast<WPARAM>(kButtonId), msg.wParam);
        return static_cast<int32_t>(msg.lParam);
    }

    COLORREF Pixel(int x, int y)
    {
        HDC dc = GetDC(list_.Window());
        COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(list_.Window(), dc);
        return colour;
    }

    DropDownSelector list_;
    HWND parent_ = nullptr;
    long before_ = 0;
};

TEST_F(DropDown, HoldsAtMost128AppendedItems)
{
    for (int i = 0; i < kDropDownMaxItems; ++i)
        ASSERT_TRUE(list_.AddItem(-1, "row"));
    EXPECT_FALSE(list_.AddItem(-1, "one too many"));
    EXPECT_EQ(kDropDownMaxItems, list_.ItemCount());
    list_.Close();
    EXPECT_FALSE(list_.AddItem(0, "only appending"));
    EXPECT_FALSE(list_.AddItem(-1, nullptr));
    EXPECT_EQ(0, list_.ItemCount());
}

TEST_F(DropDown, PressPostsItsRowAndReleasesTheCapture)
{
    ASSERT_EQ(0, OpenThree());
    EXPECT_EQ(list_.Window(), GetCapture());
    Send(WM_LBUTTONDOWN, 10, 12);
    EXPECT_EQ(1, Posted());
    EXPECT_EQ(INT_MIN, Posted()) << "one choice a press";
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_NE(nullptr, list_.Window()) << "the parent closes the list, not the press";

    // y = 34 is row 3 of three: below the rows. Outside the popup too.
    for (POINT p : {POINT{10, 34}, POINT{-5, 12}, POINT{10, 40}}) {
        list_.Close();
        ASSERT_EQ(0, OpenThree());
        Send(WM_LBUTTONDOWN, p.x, p.y);
        EXPECT_EQ(-1, Posted()) << p.x << "," << p.y;
    }
    // Another window taking the mouse ends the list as a press outside.
    list_.Close();
    ASSERT_EQ(0, OpenThree());
    SetCapture(parent_);
    EXPECT_EQ(-1, Posted());
    ReleaseCapture();
    list_.Close();
    EXPECT_EQ(nullptr, FindWindowA("DropDownWindow", nullptr));
    EXPECT_EQ(0, list_.ItemCount());
}

TEST_F(DropDown, HoverHighlightsOneRowAndLeavingRestoresIt)
{
    ASSERT_EQ(0, OpenThree());
    Send(WM_MOUSEMOVE, 10, 15);
    EXPECT_EQ(1, list_.HotRow());
    EXPECT_EQ(kHighlight, Pixel(2, 16));
    EXPECT_EQ(kBackground, Pixel(2, 5));
    Send(WM_MOUSEMOVE, 30, 17);
    EXPECT_EQ(1, list_.HotRow());

    Send(WM_MOUSEMOVE, 10, 2);
    EXPECT_EQ(0, list_.HotRow());
    EXPECT_EQ(kBackground, Pixel(2, 16)) << "the old row is restored";
    EXPECT_EQ(kHighlight, Pixel(2, 5));

    Send(WM_MOUSEMOVE, 500, 2);
    EXPECT_EQ(-1, list_.HotRow());
    EXPECT_EQ(kBackground, Pixel(2, 5));
}

TEST_F(DropDown, OpeningAgainClosesTheListFirstAndSoFails)
{
    ASSERT_EQ(0, OpenThree());
    EXPECT_EQ(-1, list_.Open(parent_, 0, 0, 10, 10, nullptr, kButtonId, kBackground, kHighlight, 0,
                             GetModuleHandleA(nullptr)));
    EXPECT_EQ(nullptr, list_.Window());
    EXPECT_EQ(0, list_.ItemCount());
    EXPECT_EQ(nullptr, FindWindowA("DropDownWindow", nullptr));
}

} // namespace
