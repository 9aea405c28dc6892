// The transport buttons and the shuttle bar, read back from a 32-bit DIB.
#include "ui/DrawingCanvas.h"
#include "ui/TransportDrawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kWidth = 38, kHeight = 18; // a transport button in the dialog's font

// A transport button with `text`, drawn onto the canvas.
void DrawButton(Canvas& canvas, const ColourScheme& s, const char* text, UINT state)
{
    HWND window = CreateWindowA("BUTTON", text, WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
    const DRAWITEMSTRUCT item = {ODT_BUTTON, 0, 0, ODA_DRAWENTIRE, state, window, canvas.dc, {0, 0, kWidth, kHeight},
                                 0};
    canvas.Draw([&] { DrawTransportButton(s, item); });
    DestroyWindow(window);
}

TEST(ShuttlePosition, EqualBandsClampedAtBothEnds)
{
    const struct {
        int32_t width, x, position;
    } cases[] = {{150, 0, 1},          {150, -40, 1}, {150, 75, 8}, {150, 149, 15},
                 {150, INT32_MAX, 15}, {0, 10, 8},    {-5, 10, 8}};
    for (const auto& c : cases)
        EXPECT_EQ(c.position, ShuttlePositionAt(c.width, c.x)) << c.width << " wide at " << c.x;
    int32_t last = 1; // every position reached, in order
    for (int32_t x = 0; x < 3000; ++x) {
        const int32_t position = ShuttlePositionAt(3000, x);
        ASSERT_TRUE(position == last || position == last + 1) << x;
        last = position;
    }
    EXPECT_EQ(15, last);
}

TEST(DrawnShuttleBar, ThumbAtTheEndsAndCentreOnTheSlidersTrack)
{
    Scheme scheme;
    const ColourScheme& s = scheme.s;
    // A bar 150 wide at (5, 2): the thumb travels 134 pixels. Row 9 holds
    // the thumb and nothing else.
    const struct {
        int32_t position;
        int left;
    } cases[] = {{1, 0}, {8, 67}, {15, 134}, {0, 0}, {99, 134}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "position " << c.position);
        Canvas canvas(170, 26);
        canvas.Draw([&] { DrawShuttleBar(s, canvas.dc, {5, 2, 155, 22}, true, c.position); });
        int left = -1, right = -1;
        for (int x = 0; x < 170; ++x) {
            if (canvas.At(x, 9) != s.faceColour && canvas.At(x, 9) != kUntouched) {
                left = left < 0 ? x : left;
                right = x;
            }
        }
        EXPECT_EQ(5 + c.left, left);
        EXPECT_EQ(5 + c.left + 15, right);
        const int clear = c.left < 67 ? 150 : 10;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Of(i == 0   ? s.shadowPen
                         : i == 1 ? s.textPen
                                  : s.lightPen),
                      canvas.At(clear, 11 + i))
                << "track line " << i;
        EXPECT_EQ(kUntouched, canvas.At(80, 22));
    }
    Canvas disabled(170, 26);
    disabled.Draw([&] { DrawShuttleBar(s, disabled.dc, {5, 2, 155, 22}, false, 8); });
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Of(i == 1 ? s.greyTextPen : s.lightPen), disabled.At(20, 11 + i)) << "grey track line " << i;
    EXPECT_EQ(Of(s.checkBoxFrame[kLookDisabled]), disabled.At(5 + 67, 9));
}

TEST(DrawnTransportButton, SymbolInTheTextColourWithAShadowOnlyWhenEnabled)
{
    Scheme scheme;
    const ColourScheme& s = scheme.s;
    const int cx = kWidth / 2, cy = kHeight / 2;
    const struct {
        UINT state;
        ControlLook look;
    } cases[] = {{0, kLookNormal}, {ODS_SELECTED, kLookPressed}, {ODS_DISABLED, kLookDisabled}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "look " << c.look);
        const bool enabled = c.look != kLookDisabled;
        Canvas canvas(kWidth, kHeight);
        DrawButton(canvas, s, "Play", c.state);
        EXPECT_EQ(Of(s.buttonFace[c.look][0]), canvas.At(4, 1));
        const COLORREF ink = enabled ? s.textColour : s.greyTextColour;
        const COLORREF outline = Of(enabled ? s.textPen : s.disabledGlyphPen);
        EXPECT_EQ(ink, canvas.At(cx, cy));
        // Under the symbol's lowest pixel in the middle column: the shadow.
        int bottom = cy;
        while (bottom + 1 < kHeight && (canvas.At(cx, bottom + 1) == ink || canvas.At(cx, bottom + 1) == outline))
            ++bottom;
        EXPECT_EQ(enabled, canvas.At(cx, bottom + 1) == s.lightColour) << "below row " << bottom;
        // Any other text is drawn as text, with no shadow.
        Canvas text(kWidth, kHeight);
        DrawButton(text, s, "Eject", c.state);
        EXPECT_GT(text.Count(ink), 0);
        EXPECT_EQ(0, text.Count(s.lightColour));
    }
}

TEST(DrawnTransportButton, EverySymbolCentredAndFrameStepsBarredOnTheirSide)
{
    Scheme scheme;
    const ColourScheme& s = scheme.s;
    for (const char* text :
         {"Rewind", "RPlay", "Still", "Play", "FF", "Go To In", "RAdv", "Stop", "FAdv", "Go To Out"}) {
        SCOPED_TRACE(text);
        Canvas canvas(kWidth, kHeight);
        DrawButton(canvas, s, text, 0);
        int left = kWidth, right = -1, top = -1, bottom = -1;
        for (int y = 0; y < kHeight; ++y) {
            const std::vector<int> xs = canvas.Row(s.textColour, y);
            if (xs.empty())
                continue;
            left = std::min(left, xs.front()), right = std::max(right, xs.back());
            top = top < 0 ? y : top, bottom = y;
        }
        ASSERT_GE(right, 0) << "no symbol";
        EXPECT_LE(std::abs(left + right - (kWidth - 1)), 1) << left << ".." << right;
        EXPECT_LE(std::abs(top + bottom - (kHeight - 1)), 1) << top << ".." << bottom;
        EXPECT_TRUE(bottom - top + 1 >= 7 && bottom - top + 1 <= 11) << top << ".." << bottom;
    }
    // Through the point a step's triangle is wider than its bar.
    for (const char* text : {"FAdv", "RAdv"}) {
        Canvas canvas(kWidth, kHeight);
        DrawButton(canvas, s, text, 0);
        const std::vector<int> xs = canvas.Row(s.textColour, kHeight / 2);
        const auto gap = std::adjacent_find(xs.begin(), xs.end(), [](int a, int b) { return b != a + 1; });
        ASSERT_NE(xs.end(), gap) << text << ": triangle and bar run together";
        const long before = gap - xs.begin() + 1, after = xs.end() - gap - 1;
        EXPECT_EQ(text[0] == 'F', before > after) << text << ": " << before << " then " << after;
    }
}

} // namespace
