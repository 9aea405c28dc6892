// The drawn controls that show a state rather than take a click: the title
// strip, the slider and the value box.
#include "ui/ControlDrawing.h"

#include "ui/ControlDrawingSupport.h"

#include <cstring>

namespace {

using drawing::DcState;
using drawing::HLine;
using drawing::OffScreen;
using drawing::VLine;

constexpr int kBorderLines = 3;
constexpr int kStripHeight = kBorderLines + kTitleStripLines;
constexpr int kLeftBorderLines = 8;
constexpr int kFirstLabelStart = 7;
constexpr int kLabelIndent = 13;
constexpr int kLabelTop = 6;
constexpr int kLabelGap = 21;
constexpr int kTabPastText = 27;
constexpr int kTabTop = kBorderLines;

// The raised tab's sides climb one pixel every two rows, from `start` at
// the strip's bottom to the top line, and come down to `end` (exclusive).
int TabLeft(int start, int y)
{
    return start + (kStripHeight - 1 - y) / 2;
}
int TabRight(int end, int y)
{
    return end - 1 - (kStripHeight - 1 - y) / 2;
}

void DrawRaisedTab(const ColourScheme& scheme, HDC dc, int start, int end)
{
    const HPEN* edge = scheme.raisedTabEdge;
    const COLORREF* corner = scheme.raisedTabCorners;
    const int top = kTabTop;

    // The top line with its cut corners, and a lighter line under it.
    SelectObject(dc, edge[0]);
    HLine(dc, TabLeft(start, top) + 2, TabRight(end, top) - 1, top);
    SelectObject(dc, edge[3]);
    HLine(dc, TabLeft(start, top + 1) + 1, TabRight(end, top + 1), top + 1);
    SetPixel(dc, TabLeft(start, top), top, corner[0]);
    SetPixel(dc, TabRight(end, top), top, corner[1]);
    SetPixel(dc, TabLeft(start, top) + 1, top, corner[2]);
    SetPixel(dc, TabRight(end, top) - 1, top, corner[3]);
    SetPixel(dc, TabLeft(start, top + 1), top + 1, corner[4]);
    SetPixel(dc, TabRight(end, top + 1), top + 1, corner[5]);

    // The body: the tab's gradient between a dark outline and, on the
    // lit left side, a light inner edge.
    for (int i = 0; i < kRaisedTabLines; ++i) {
        const int y = top + 2 + i;
        const int left = TabLeft(start, y), right = TabRight(end, y);
        SelectObject(dc, scheme.raisedTab[i]);
        HLine(dc, left + 2, right, y);
        SelectObject(dc, edge[4]);
        HLine(dc, left + 1, left + 2, y);
        SelectObject(dc, edge[1]);
        HLine(dc, left, left + 1, y);
        SelectObject(dc, edge[2]);
        HLine(dc, right, right + 1, y);
    }
}

// The offset of the thumb's left edge. The division by zero the rule meets
// for a scale of 0, or a scale above position + 1, puts the thumb at the
// left edge instead.
int32_t ThumbOffset(int32_t width, int32_t scale, int32_t position)
{
    const int64_t next = int64_t(position) + 1;
    if (scale == 0)
        return 0;
    const int64_t step = next / scale;
    if (step == 0)
        return 0;
    return static_cast<int32_t>(width / step - 8);
}

// The scale a count gives. A position past the width would divide by zero;
// it takes the scale of an unusable count.
int32_t ScaleFromCount(int32_t count, int32_t width, int32_t position)
{
    const int64_t next = int64_t(position) + 1;
    if (count < 17 || count > 4096)
        return 1;
    if (count < width - 16) {
        const int64_t perStep = next == 0 ? 0 : width / next;
        return perStep == 0 ? 1 : static_cast<int32_t>(count / perStep);
    }
    return position;
}

} // namespace

int drawing::DrawSliderTrack(const ColourScheme& scheme, HDC dc, const RECT& rect, bool enabled)
{
    DcState saved(dc);
    const int m = rect.top + (rect.bottom - rect.top) / 2;
    FillRect(dc, &rect, scheme.faceBrush);

    SelectObject(dc, enabled ? scheme.shadowPen : scheme.lightPen);
    HLine(dc, rect.left, rect.right, m - 1);
    SelectObject(dc, enabled ? scheme.textPen : scheme.greyTextPen);
    HLine(dc, rect.left, rect.right, m);
    SelectObject(dc, scheme.lightPen);
    HLine(dc, rect.left, rect.right, m + 1);
    VLine(dc, rect.left, m - 1, m + 2);
    SelectObject(dc, enabled ? scheme.shadowPen : scheme.lightPen);
    VLine(dc, rect.right - 1, m - 1, m + 2);
    return m;
}

void drawing::DrawSliderThumb(const ColourScheme& scheme, HDC dc, int x, int middle, bool enabled)
{
    const RECT thumb = {x, middle - 5, x + 16, middle + 6};
    DrawCheckBox(scheme, dc, thumb, false, enabled ? kLookNormal : kLookDisabled);
}

void DrawTitleStrip(const ColourScheme& scheme, HFONT font, HDC target, const RECT& rect, int labelCount, int selected,
                    const char* const* labels)
{
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    OffScreen screen(target, width, height);
    if (!screen.Usable())
        return;
    HDC dc = screen.Dc();
    {
        DcState saved(dc);
        const RECT all = {0, 0, width, height};
        FillRect(dc, &all, scheme.faceBrush);

        SelectObject(dc, scheme.borderPen);
        for (int y = 0; y < kBorderLines; ++y)
            HLine(dc, 0, width, y);
        for (int i = 0; i < kTitleStripLines; ++i) {
            SelectObject(dc, scheme.titleStrip[i]);
            HLine(dc, 0, width, kBorderLines + i);
        }
        SelectObject(dc, scheme.borderPen);
        for (int x = 0; x < kLeftBorderLines; ++x)
            VLine(dc, x, 0, height);
        VLine(dc, width - 1, 0, height);

        if (font)
            SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, scheme.textColour);
        int start = kFirstLabelStart;
        int tabStart = 0, tabText = 0, tabEnd = 0;
        for (int i = 0; labels && i < labelCount; ++i) {
            const char* label = labels[i] ? labels[i] : "";
            const int length = static_cast<int>(std::strlen(label));
            SIZE size = {};
            GetTextExtentPoint32A(dc, label, length, &size);
            const int x = start + kLabelIndent;
            TextOutA(dc, x, kLabelTop, label, length);
            if (i == selected) {
                tabStart = start;
                tabText = x;
                tabEnd = x + size.cx + kTabPastText;
            }
            start = x + size.cx + kLabelGap;
        }
        if (labels && selected >= 0 && selected < labelCount) {
            DrawRaisedTab(scheme, dc, tabStart, tabEnd);
            const char* label = labels[selected] ? labels[selected] : "";
            TextOutA(dc, tabText, kLabelTop, label, static_cast<int>(std::strlen(label)));
        }
    }
    BitBlt(target, rect.left, rect.top, width, height, dc, 0, 0, SRCCOPY);
}

int32_t DrawSlider(const ColourScheme& scheme, HDC target, const RECT& rect, bool enabled, int32_t scale,
                   int32_t position, const int32_t* count)
{
    const int width = rect.right - rect.left;
    const int m = drawing::DrawSliderTrack(scheme, target, rect, enabled);
    if (count)
        scale = ScaleFromCount(*count, width, position);
    drawing::DrawSliderThumb(scheme, target, rect.left + ThumbOffset(width, scale, position), m, enabled);
    return scale;
}

void DrawValueBox(HFONT font, HBRUSH background, COLORREF textColour, COLORREF backgroundColour, HDC target,
                  const RECT& rect, char* text, bool leftAlign)
{
    OffScreen screen(target, rect.right, rect.bottom);
    if (!screen.Usable())
        return;
    HDC dc = screen.Dc();
    {
        DcState saved(dc);
        const int width = rect.right - rect.left;
        FillRect(dc, &rect, background);
        if (font)
            SelectObject(dc, font);
        SetTextColor(dc, textColour);
        SetBkColor(dc, backgroundColour);
        SetBkMode(dc, OPAQUE);

        const int length = text ? static_cast<int>(std::strlen(text)) : 0;
        if (!leftAlign) {
            RECT box = rect;
            DrawTextA(dc, text ? text : "", length, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        } else if (length > 0) {
            // Drawing with the current position updated measures the text
            // as it is drawn.
            const UINT align = SetTextAlign(dc, TA_UPDATECP);
            MoveToEx(dc, 0, 0, nullptr);
            TextOutA(dc, 0, 0, text, length);
            POINT end = {};
            GetCurrentPositionEx(dc, &end);
            SetTextAlign(dc, align);
            if (end.x > width) {
                // The end of a value says most: keep the last characters
                // that fit, and mark the cut.
                FillRect(dc, &rect, background);
                const int kept = static_cast<int>(int64_t(width < 0 ? 0 : width) * length / end.x);
                char* tail = text + (length - kept);
                if (kept > 3)
                    std::memset(tail, '.', 3);
                TextOutA(dc, 0, 0, tail, kept);
            }
        }
    }
    BitBlt(target, 0, 0, rect.right, rect.bottom, dc, 0, 0, SRCCOPY);
}
