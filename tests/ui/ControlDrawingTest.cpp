// The owner-drawn controls in each look, read back pixel by pixel.
#include "port/DeviceControlPort.h"
#include "support/PortSemaphores.h"
#include "ui/ControlDrawing.h"
#include "ui/DrawingCanvas.h"
#include "support/DeckRackFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

namespace {

DRAWITEMSTRUCT Item(const Canvas& canvas, RECT rect, UINT state, HWND window = nullptr)
{
    return {ODT_BUTTON, 0, 0, ODA_DRAWENTIRE, state, window, canvas.dc, rect, 0};
}

// Face line i at y = 1 + i in column x; past 15 lines the family runs back up.
void ExpectFace(const Canvas& canvas, const HPEN* family, int x, int lines)
{
    for (int i = 0; i < lines; ++i)
        EXPECT_EQ(Of(family[i < kButtonFaceLines ? i : 2 * kButtonFaceLines - 1 - i]), canvas.At(x, 1 + i))
            << "face line " << i;
}

TEST(DrawnPushButton, FaceOutlineAndTextFollowTheLook)
{
    HWND button = CreateWindowA("BUTTON", "Cancel", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr, nullptr, nullptr);
    const COLORREF dialogsGrey = RGB(255, 0, 0);
    for (int32_t brightness : {0, 100}) {
        Scheme scheme(brightness);
        const ColourScheme& s = scheme.s;
        for (UINT state : {0u, UINT(ODS_SELECTED), UINT(ODS_DISABLED)}) {
            SCOPED_TRACE(testing::Message() << "brightness " << brightness << ", state " << state);
            const ControlLook look = state == ODS_DISABLED ? kLookDisabled : state ? kLookPressed : kLookNormal;
            Canvas canvas(80, 20);
            canvas.Draw([&] { DrawPushButton(s, Item(canvas, {0, 0, 80, 20}, state, button), dialogsGrey); });
            ExpectFace(canvas, s.buttonFace[look], 4, kButtonFaceLines);
            const COLORREF outline = Of(look == kLookDisabled ? s.disabledOutlinePen : s.shadowPen);
            for (POINT p : {POINT{40, 0}, POINT{0, 10}, POINT{79, 10}, POINT{40, 19}})
                EXPECT_EQ(outline, canvas.At(p.x, p.y)) << "outline at " << p.x << "," << p.y;
            for (POINT p : {POINT{0, 0}, POINT{79, 0}, POINT{0, 19}, POINT{79, 19}})
                EXPECT_EQ(s.faceColour, canvas.At(p.x, p.y)) << "cut corner at " << p.x << "," << p.y;
            EXPECT_EQ(look == kLookDisabled, canvas.Count(dialogsGrey) > 0);
            EXPECT_EQ(look != kLookDisabled, canvas.Count(s.textColour) > 0);
        }
    }
    DestroyWindow(button);
}

TEST(DrawnDropDownButton, ArrowSeparatorAndPressedWhileItsListIsOpen)
{
    Scheme scheme(0);
    const ColourScheme& s = scheme.s;
    Canvas open(100, 20), disabled(100, 20);
    open.Draw([&] { DrawDropDownButton(s, Item(open, {0, 0, 100, 20}, 0), true); });
    ExpectFace(open, s.buttonFace[kLookPressed], 40, kButtonFaceLines);
    EXPECT_EQ(Of(s.shadowPen), open.At(100 - 17, 10)) << "separator";
    EXPECT_EQ(Of(s.chevronPen[kLookPressed]), open.At(100 - 8, 5));
    // The arrow's columns from right - 12 to right - 6, each from y = 6 down.
    const int heights[] = {0, 2, 3, 5, 3, 2, 0};
    for (int c = 0; c < 7; ++c) {
        const int x = 100 - 12 + c;
        EXPECT_EQ(heights[c], open.Count(s.textColour, x, x + 1)) << "arrow column right - " << 12 - c;
        EXPECT_EQ(heights[c] > 0, open.At(x, 6) == s.textColour) << "right - " << 12 - c;
    }

    disabled.Draw([&] { DrawDropDownButton(s, Item(disabled, {0, 0, 100, 20}, ODS_DISABLED | ODS_SELECTED), true); });
    ExpectFace(disabled, s.buttonFace[kLookDisabled], 40, kButtonFaceLines);
    EXPECT_EQ(Of(s.disabledGlyphPen), disabled.At(100 - 9, 10));
    EXPECT_EQ(Of(s.disabledOutlinePen), disabled.At(100 - 17, 10));
}

TEST(DrawnCheckBox, AllMarkPixelsWhenCheckedTheGradientAloneWhenNot)
{
    const POINT mark[kCheckMarkPixels] = {
        {1, 6}, {1, 7}, {2, 5}, {2, 6}, {2, 7}, {2, 8}, {3, 6}, {3, 7}, {3, 8}, {4, 7}, {4, 8}, {4, 9},
        {5, 6}, {5, 7}, {5, 8}, {5, 9}, {6, 4}, {6, 5}, {6, 6}, {6, 7}, {6, 8}, {6, 9}, {7, 2}, {7, 3},
        {7, 4}, {7, 5}, {7, 6}, {7, 7}, {8, 2}, {8, 3}, {8, 4}, {8, 5}, {9, 2}, {9, 3}, {9, 4}, {10, 2}};
    for (int32_t brightness : {0, -100}) {
        Scheme scheme(brightness);
        const ColourScheme& s = scheme.s;
        for (ControlLook look : {kLookNormal, kLookDisabled}) {
            SCOPED_TRACE(testing::Message() << "brightness " << brightness << ", look " << look);
            Canvas plain(24, 24), checked(24, 24);
            plain.Draw([&] { DrawCheckBox(s, plain.dc, {5, 5, 18, 18}, false, look); });
            checked.Draw([&] { DrawCheckBox(s, checked.dc, {5, 5, 18, 18}, true, look); });
            EXPECT_EQ(Of(s.checkBoxFrame[look]), plain.At(5, 10));
            for (int i = 0; i < kCheckMarkPixels; ++i) {
                const int x = 5 + mark[i].x, y = 5 + mark[i].y;
                EXPECT_EQ(Of(s.checkBoxFace[look][mark[i].y - 1]), plain.At(x, y)) << "pixel " << i;
                EXPECT_EQ(s.checkMark[look][i], checked.At(x, y)) << "pixel " << i;
            }
        }
    }
}

TEST(DrawnTitleStrip, BorderAndGradientWithATabUnderTheSelectedLabelOnly)
{
    Scheme scheme(0);
    const ColourScheme& s = scheme.s;
    const char* labels[] = {"Veltrix Device Control", "Second"};
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (int selected : {0, 1}) {
        Canvas canvas(340, 40);
        canvas.Draw([&] { DrawTitleStrip(s, font, canvas.dc, {10, 5, 330, 29}, 2, selected, labels); });
        auto at = [&](int x, int y) { return canvas.At(10 + x, 5 + y); };
        for (int y = 0; y < 3 + kTitleStripLines; ++y)
            EXPECT_EQ(y < 3 ? Of(s.borderPen) : Of(s.titleStrip[y - 3]), at(300, y)) << "line " << y;
        for (int x : {0, 7, 319})
            EXPECT_EQ(Of(s.borderPen), at(x, 22)) << "border column " << x;
        EXPECT_EQ(kUntouched, canvas.At(9, 10)) << "drawn outside its rectangle";
        EXPECT_EQ(kUntouched, canvas.At(100, 29));
        EXPECT_GT(canvas.Count(s.textColour), 0);
        // Between the first label's start (7) and its text (20).
        EXPECT_EQ(selected == 0 ? Of(s.raisedTab[7]) : Of(s.titleStrip[9]), at(17, 12)) << selected;
    }
}

TEST(DrawnSlider, ThumbFollowsTheScaleRulesAndNeverDividesByZero)
{
    Scheme scheme(0);
    const ColourScheme& s = scheme.s;
    const int32_t small = 10, mid = 100, large = 500;
    const struct {
        const int32_t* count;
        int32_t scale, position, wantScale, wantLeft;
    } cases[] = {
        {nullptr, 10, 49, 10, 200 / (50 / 10) - 8},
        {&small, 99, 49, 1, 200 / 50 - 8},       // below 17: no scale
        {&mid, 99, 49, 25, 200 / (50 / 25) - 8}, // 100 / (200 / 50)
        {&large, 99, 49, 49, 200 - 8},           // not below the width less 16: the position
        {nullptr, 0, 49, 0, 0},                  // the zero divisors: the left edge
        {nullptr, 100, 10, 100, 0},
        {&mid, 99, -1, 1, 0},
        {nullptr, -1, INT_MIN, -1, 200 / INT_MAX - 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "scale " << c.scale << ", position " << c.position);
        Canvas canvas(220, 20);
        int32_t used = 0;
        canvas.Draw([&] { used = DrawSlider(s, canvas.dc, {0, 0, 200, 20}, true, c.scale, c.position, c.count); });
        EXPECT_EQ(c.wantScale, used);
        // Row 7 holds only the thumb: find its right edge.
        int right = -1;
        for (int x = 0; x < 220; ++x)
            right = canvas.At(x, 7) != s.faceColour && canvas.At(x, 7) != kUntouched ? x : right;
        EXPECT_EQ(c.wantLeft, right - 15);
    }

    Canvas enabled(200, 20), disabled(200, 20);
    enabled.Draw([&] { DrawSlider(s, enabled.dc, {0, 0, 200, 20}, true, 10, 49, nullptr); });
    disabled.Draw([&] { DrawSlider(s, disabled.dc, {0, 0, 200, 20}, false, 10, 49, nullptr); });
    const COLORREF track[] = {Of(s.shadowPen), Of(s.textPen), Of(s.lightPen)};
    const COLORREF greyTrack[] = {Of(s.lightPen), Of(s.greyTextPen), Of(s.lightPen)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(track[i], enabled.At(150, 9 + i));
        EXPECT_EQ(greyTrack[i], disabled.At(150, 9 + i));
    }
    EXPECT_EQ(Of(s.checkBoxFrame[kLookDisabled]), disabled.At(32, 7));
}

TEST(DrawnRecordIndicator, CircleOnTheLooksFaceWhileNotExporting)
{
    Scheme scheme(0);
    const ColourScheme& s = scheme.s;
    const struct {
        int look;
        ControlLook family;
        COLORREF circle;
    } cases[] = {{0, kLookDisabled, s.greyTextColour}, {1, kLookNormal, 0x019001}, {2, kLookPressed, 0x019001}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "look " << c.look);
        Canvas canvas(56, 34);
        canvas.Draw([&] { DrawRecordIndicator(s, canvas.dc, {0, 0, 56, 34}, c.look, nullptr); });
        EXPECT_EQ(c.circle, canvas.At(28, 17));
        EXPECT_EQ(c.circle, canvas.At(20, 17));
        ExpectFace(canvas, s.buttonFace[c.family], 5, 30);
    }
}

class DrawnRecordIndicatorOfAPort : public DeckRackTest {
protected:
    void SetUp() override { ConfigureDecks(sim::DeckSettings{}); }
    PortSemaphores semaphores;
};

TEST_F(DrawnRecordIndicatorOfAPort, PauseSignWhileExporting)
{
    Scheme scheme(0);
    DeviceControlPort port;
    ASSERT_EQ(0, port.Open(Info(), 0));
    ASSERT_EQ(0, port.Activate());
    ASSERT_EQ(0, port.SetInText("01:00:10:00"));
    ASSERT_EQ(0, port.StartEdit());
    for (int look : {2, 0}) {
        Canvas canvas(56, 34);
        canvas.Draw([&] { DrawRecordIndicator(scheme.s, canvas.dc, {0, 0, 56, 34}, look, &port); });
        const COLORREF bar = look ? scheme.s.textColour : scheme.s.greyTextColour;
        EXPECT_EQ(bar, canvas.At(28 - 6, 17)) << look;
        EXPECT_EQ(bar, canvas.At(28 + 5, 22)) << look;
        EXPECT_NE(bar, canvas.At(28, 17)) << look;
        EXPECT_EQ(0, canvas.Count(0x019001)) << look;
    }
    port.StopEdit();
}

TEST(DrawnValueBox, LongLeftAlignedTextKeepsItsEndBehindAnEllipsis)
{
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const COLORREF ink = RGB(0, 0, 255), paper = RGB(200, 200, 200);
    HBRUSH background = CreateSolidBrush(paper);
    const std::string original = "ABCDEFGHIJKLMNOPQRST";
    char text[32];
    std::strcpy(text, original.c_str());

    Canvas canvas(100, 24);
    SIZE size = {};
    HGDIOBJ old = SelectObject(canvas.dc, font);
    GetTextExtentPoint32A(canvas.dc, text, 20, &size);
    SelectObject(canvas.dc, old);
    ASSERT_GT(size.cx, 60);
    canvas.Draw([&] { DrawValueBox(font, background, ink, paper, canvas.dc, {0, 0, 60, 24}, text, true); });
    const int kept = 60 * 20 / size.cx;
    EXPECT_EQ(std::string(original).replace(20 - kept, 3, "..."), text);
    EXPECT_GT(canvas.Count(ink), 0);
    EXPECT_EQ(paper, canvas.At(59, 23));
    EXPECT_EQ(kUntouched, canvas.At(60, 0));

    // No bitmap for an empty box: nothing drawn.
    Canvas empty(100, 24);
    empty.Draw([&] { DrawValueBox(font, background, ink, paper, empty.dc, {0, 0, 0, 24}, text, true); });
    EXPECT_EQ(100 * 24, empty.Count(kUntouched));
    DeleteObject(background);
}

} // namespace
