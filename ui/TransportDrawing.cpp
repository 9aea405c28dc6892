#include "ui/TransportDrawing.h"

#include "ui/ControlDrawing.h"
#include "ui/ControlDrawingSupport.h"

#include <cstring>

namespace {

using drawing::DcState;
using drawing::OffScreen;

// A symbol is a row of parts, left to right, centred on the button.
enum class Part { kLeft, kRight, kBar, kThinBar, kSquare };

struct Symbol {
    const char* text;
    Part parts[3];
    int count;
};

const Symbol kSymbols[] = {
    {"Rewind", {Part::kLeft, Part::kLeft}, 2},   {"RPlay", {Part::kLeft}, 1},
    {"Still", {Part::kBar, Part::kBar}, 2},      {"Play", {Part::kRight}, 1},
    {"FF", {Part::kRight, Part::kRight}, 2},     {"Go To In", {Part::kThinBar, Part::kLeft, Part::kLeft}, 3},
    {"RAdv", {Part::kThinBar, Part::kLeft}, 2},  {"Stop", {Part::kSquare}, 1},
    {"FAdv", {Part::kRight, Part::kThinBar}, 2}, {"Go To Out", {Part::kRight, Part::kRight, Part::kThinBar}, 3},
};

constexpr int kThinBarWidth = 2;
constexpr int kSmallestSymbol = 3;
// Room left between the symbol and the button's outline.
constexpr int kSideMargin = 3;

const Symbol* SymbolOf(HWND control)
{
    char text[32] = {};
    if (control)
        GetWindowTextA(control, text, sizeof text);
    for (const Symbol& symbol : kSymbols)
        if (std::strcmp(symbol.text, text) == 0)
            return &symbol;
    return nullptr;
}

// Triangles are `height` rows (odd, so that the point sits on a row) and
// height / 2 + 1 columns; bars are a third of the height wide.
int PartWidth(Part part, int height)
{
    switch (part) {
    case Part::kLeft:
    case Part::kRight:
        return height / 2 + 1;
    case Part::kBar:
        return height / 3 > kThinBarWidth ? height / 3 : kThinBarWidth;
    case Part::kThinBar:
        return kThinBarWidth;
    case Part::kSquare:
        return height - 2;
    }
    return 0;
}

// Triangles side by side touch; a bar keeps a pixel from a point so that
// the two stay apart at this size. The pause sign's gap is as wide as a bar.
int GapBetween(Part left, Part right, int height)
{
    if (left == Part::kBar && right == Part::kBar)
        return PartWidth(Part::kBar, height);
    return left == right ? 0 : 1;
}

int SymbolWidth(const Symbol& symbol, int height)
{
    int width = 0;
    for (int i = 0; i < symbol.count; ++i) {
        if (i)
            width += GapBetween(symbol.parts[i - 1], symbol.parts[i], height);
        width += PartWidth(symbol.parts[i], height);
    }
    return width;
}

// Half the button's height, odd, made smaller until the symbol fits across.
int SymbolHeight(const Symbol& symbol, const RECT& rc)
{
    int height = ((rc.bottom - rc.top) / 2) | 1;
    while (height >= kSmallestSymbol && SymbolWidth(symbol, height) > rc.right - rc.left - 2 * kSideMargin)
        height -= 2;
    return height;
}

// The parts in the selected pen and brush, the first column at `x`.
void DrawParts(HDC dc, const Symbol& symbol, int x, int top, int height)
{
    const int half = height / 2;
    for (int i = 0; i < symbol.count; ++i) {
        const Part part = symbol.parts[i];
        if (i)
            x += GapBetween(symbol.parts[i - 1], part, height);
        const int width = PartWidth(part, height);
        if (part == Part::kLeft || part == Part::kRight) {
            const int base = part == Part::kRight ? x : x + half;
            const int point = part == Part::kRight ? x + half : x;
            const POINT corners[3] = {{base, top}, {base, top + height - 1}, {point, top + half}};
            Polygon(dc, corners, 3);
        } else if (part == Part::kSquare) {
            Rectangle(dc, x, top + 1, x + width, top + 1 + width);
        } else {
            Rectangle(dc, x, top, x + width, top + height);
        }
        x += width;
    }
}

void DrawSymbol(const ColourScheme& scheme, HDC dc, const RECT& rc, const Symbol& symbol, ControlLook look)
{
    const int height = SymbolHeight(symbol, rc);
    if (height < kSmallestSymbol)
        return;
    const int x = (rc.left + rc.right) / 2 - SymbolWidth(symbol, height) / 2;
    const int top = (rc.top + rc.bottom) / 2 - height / 2;
    if (look == kLookDisabled) {
        SelectObject(dc, scheme.disabledGlyphPen);
        SelectObject(dc, scheme.greyTextBrush);
        DrawParts(dc, symbol, x, top, height);
        return;
    }
    // Lit from the top left: a light copy under the symbol's lower right
    // edges sets it into the face.
    SelectObject(dc, scheme.lightPen);
    SelectObject(dc, scheme.lightBrush);
    DrawParts(dc, symbol, x + 1, top + 1, height);
    SelectObject(dc, scheme.textPen);
    SelectObject(dc, scheme.textBrush);
    DrawParts(dc, symbol, x, top, height);
}

int32_t ClampShuttle(int32_t position)
{
    return position < kShuttleFirst ? kShuttleFirst : position > kShuttleLast ? kShuttleLast : position;
}

void DrawShuttleInto(const ColourScheme& scheme, HDC dc, const RECT& rect, bool enabled, int32_t position)
{
    const int m = drawing::DrawSliderTrack(scheme, dc, rect, enabled);
    // A bar narrower than the thumb keeps it at the left edge.
    const int travel = rect.right - rect.left > 16 ? rect.right - rect.left - 16 : 0;
    const int offset =
        static_cast<int>(int64_t(travel) * (ClampShuttle(position) - kShuttleFirst) / (kShuttleLast - kShuttleFirst));
    drawing::DrawSliderThumb(scheme, dc, rect.left + offset, m, enabled);
}

} // namespace

void DrawTransportButton(const ColourScheme& scheme, const DRAWITEMSTRUCT& item)
{
    const Symbol* symbol = SymbolOf(item.hwndItem);
    if (!symbol) {
        DrawPushButton(scheme, item, scheme.greyTextColour);
        return;
    }
    DcState saved(item.hDC);
    const ControlLook look = LookOf(item);
    drawing::DrawButtonBody(scheme, item.hDC, item.rcItem, look, kButtonFaceLines);
    DrawSymbol(scheme, item.hDC, item.rcItem, *symbol, look);
}

int32_t ShuttlePositionAt(int32_t width, int32_t x)
{
    if (width <= 0)
        return kShuttleCentre;
    if (x < 0)
        return kShuttleFirst;
    if (x >= width)
        return kShuttleLast;
    const int32_t bands = kShuttleLast - kShuttleFirst + 1;
    return kShuttleFirst + static_cast<int32_t>(int64_t(x) * bands / width);
}

void DrawShuttleBar(const ColourScheme& scheme, HDC target, const RECT& rect, bool enabled, int32_t position)
{
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    OffScreen screen(target, width, height);
    if (!screen.Usable()) {
        // Better a flicker than no bar when memory is short.
        if (width > 0 && height > 0)
            DrawShuttleInto(scheme, target, rect, enabled, position);
        return;
    }
    DrawShuttleInto(scheme, screen.Dc(), {0, 0, width, height}, enabled, position);
    BitBlt(target, rect.left, rect.top, width, height, screen.Dc(), 0, 0, SRCCOPY);
}
