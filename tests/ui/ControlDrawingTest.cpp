// The owner-drawn controls in each look, read back pixel by pixel.
#include "port/DeviceControlPort.h"
#include "support/DeckRackFixture.h"
#include "support/PortSemaphores.h"
#include "ui/ControlDrawing.h"
#include "ui/DrawingCanvas.h"

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
            for (POINT p : {POINT{0, 0}, POINT{79, 19}})
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

TEST(DrawnCheckBox, MarkInTheLooksInkWhenCheckedTheGradientAloneWhenNot)
{
    for (int32_t brightness : {0, -100}) {
        Scheme scheme(brightness);
        const ColourScheme& s = scheme.s;
        for (ControlLook look : {kLookNormal, kLookDisabled}) {
            SCOPED_TRACE(testing::Message() << "brightness " << brightness << ", look " << look);
            Canvas plain(24, 24), checked(24, 24);
            plain.Draw([&] { DrawCheckBox(s, plain.dc, {5, 5, 18, 18}, false, look); });
            checked.Draw([&] { DrawCheckBox(s, checked.dc, {5, 5, 18, 18}, true, look); });
            EXPECT_EQ(Of(s.checkBoxFrame[look]), plain.At(5, 10));
            for (int y = 1; y <= kCheckBoxFaceLines; ++y)
                EXPECT_EQ(Of(s.checkBoxFace[look][y - 1]), plain.At(5 + 11, 5 + y)) << "gradient line " << y;
            // The mark's stroke through (7, 2), pixel 22 of its shape.
            EXPECT_EQ(s.checkMark[look][22], checked.At(5 + 7, 5 + 2));
            int differ = 0;
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 24; ++x)
                    differ += plain.At(x, y) != checked.At(x, y);
            EXPECT_GE(differ, kCheckMarkPixels - 4) << "the mark is all there";
            EXPECT_LE(differ, kCheckMarkPixels);
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

using DrawnRecordIndicator = DeckRackTest;

TEST_F(DrawnRecordIndicator, CircleOnTheLooksFaceIdleAPauseSignWhileExporting)
{
    Scheme scheme(0);
    const ColourScheme& s = scheme.s;
    const struct {
        int look;
        ControlLook family;
        COLORREF circle;
    } cases[] = {{0, kLookDisabled, s.greyTextColour}, {1, kLookNormal, 0x019001}, {2, kLookPressed, 0x019001}};
    for (const auto& c : cases) {
        Canvas canvas(56, 34);
        canvas.Draw([&] { DrawRecordIndicator(s, canvas.dc, {0, 0, 56, 34}, c.look, nullptr); });
        EXPECT_EQ(c.circle, canvas.At(28, 17)) << "look " << c.look;
        EXPECT_EQ(c.circle, canvas.At(20, 17)) << "look " << c.look;
        ExpectFace(canvas, s.buttonFace[c.family], 5, 30);
    }

    PortSemaphores semaphores;
    ConfigureDecks(sim::DeckSettings{});
    DeviceControlPort port;
    ASSERT_EQ(0, port.Open(Info(), 0));
    ASSERT_EQ(0, port.Activate());
    ASSERT_EQ(0, port.SetInText("01:00:10:00"));
    ASSERT_EQ(0, port.StartEdit());
    for (int look : {2, 0}) {
        Canvas canvas(56, 34);
        canvas.Draw([&] { DrawRecordIndicator(s, canvas.dc, {0, 0, 56, 34}, look, &port); });
        const COLORREF bar = look ? s.textColour : s.greyTextColour;
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

    Canvas empty(100, 24);
    empty.Draw([&] { DrawValueBox(font, background, ink, paper, empty.dc, {0, 0, 0, 24}, text, true); });
    EXPECT_EQ(100 * 24, empty.Count(kUntouched)) << "an empty box draws nothing";
    DeleteObject(background);
}

} // namespace
