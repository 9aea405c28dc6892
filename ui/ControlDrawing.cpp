#include "ui/ControlDrawing.h"

#include "port/DeviceControlPort.h"
#include "ui/ControlDrawingSupport.h"

namespace {

using drawing::DcState;
using drawing::DrawButtonBody;
using drawing::HLine;
using drawing::VLine;

// The anti-aliased pixels of a button's cut corners, in the order of the
// scheme's corner tables. The left and bottom corners mirror the top-left
// one; the top-right one has its own order.
const POINT kTopLeftCorner[kButtonCornerPixels] = {{0, 1}, {1, 0}, {0, 2}, {1, 1}, {2, 0}, {0, 3},
                                                   {1, 2}, {2, 1}, {3, 0}, {1, 3}, {3, 1}};
// Counted leftward from right.
const POINT kTopRightCorner[kButtonCornerPixels] = {{2, 0}, {1, 1}, {3, 0}, {2, 1}, {1, 2}, {4, 0},
                                                    {3, 1}, {2, 2}, {1, 3}, {4, 1}, {2, 3}};

// The chevron's pixels, counted leftward from right and down from the top.
const POINT kChevron[kChevronPixels] = {{12, 6}, {12, 7}, {11, 8}, {11, 9}, {10, 9}, {10, 10}, {9, 11},
                                        {8, 9},  {8, 10}, {7, 8},  {7, 9},  {6, 6},  {6, 7},   {5, 5}};
// The drop-down arrow: column counted leftward from right, rows from, to.
struct ArrowColumn {
    int fromRight;
    int top;
    int bottom;
};
const ArrowColumn kArrow[] = {{11, 6, 8}, {10, 6, 9}, {9, 6, 11}, {8, 6, 9}, {7, 6, 8}};
constexpr int kSeparatorFromRight = 17;
constexpr int kDropDownTextLeft = 5;

constexpr COLORREF kRecordColour = 0x019001;
constexpr int kRecordRadius = 10;
constexpr int kRecordFaceLines = 2 * kButtonFaceLines;

HPEN OutlinePen(const ColourScheme& scheme, ControlLook look)
{
    return look == kLookDisabled ? scheme.disabledOutlinePen : scheme.shadowPen;
}

} // namespace

// The face, cut outline and corners every button shares; `faceLines`
// gradient lines, the family drawn downward and then back up when there are
// more lines than pens. Lines stop above the bottom edge so that a short
// button keeps its outline.
void drawing::DrawButtonBody(const ColourScheme& scheme, HDC dc, const RECT& rc, ControlLook look, int faceLines)
{
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    FillRect(dc, &rc, scheme.faceBrush);

    SelectObject(dc, OutlinePen(scheme, look));
    HLine(dc, l + 3, r - 3, t);
    VLine(dc, l, t + 3, b - 3);
    VLine(dc, r - 1, t + 3, b - 3);
    HLine(dc, l + 3, r - 3, b - 1);

    const HPEN* family = scheme.buttonFace[look];
    for (int i = 0; i < faceLines && t + 1 + i < b - 1; ++i) {
        const int pen = i < kButtonFaceLines ? i : 2 * kButtonFaceLines - 1 - i;
        SelectObject(dc, family[pen]);
        HLine(dc, l + 1, r - 1, t + 1 + i);
    }

    for (int i = 0; i < kButtonCornerPixels; ++i) {
        const POINT p = kTopLeftCorner[i];
        const POINT q = kTopRightCorner[i];
        SetPixel(dc, l + p.x, t + p.y, scheme.buttonCorners[kCornerTopLeft][look][i]);
        SetPixel(dc, l + p.x, b - 1 - p.y, scheme.buttonCorners[kCornerBottomLeft][look][i]);
        SetPixel(dc, r - q.x, t + q.y, scheme.buttonCorners[kCornerTopRight][look][i]);
        SetPixel(dc, r - 1 - p.x, b - 1 - p.y, scheme.buttonCorners[kCornerBottomRight][look][i]);
    }
}

namespace {

void DrawItemText(const DRAWITEMSTRUCT& item, RECT rc, UINT format, COLORREF colour)
{
    // Some systems answer for no window with a stray string.
    char text[256] = {};
    if (item.hwndItem)
        GetWindowTextA(item.hwndItem, text, sizeof text);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, colour);
    DrawTextA(item.hDC, text, -1, &rc, format | DT_SINGLELINE | DT_VCENTER);
}

ControlLook RecordLook(int look)
{
    return look == 0 ? kLookDisabled : look == 2 ? kLookPressed : kLookNormal;
}

} // namespace

ControlLook LookOf(const DRAWITEMSTRUCT& item, bool held)
{
    if (item.itemState & ODS_DISABLED)
        return kLookDisabled;
    if ((item.itemState & ODS_SELECTED) || held)
        return kLookPressed;
    return kLookNormal;
}

void DrawPushButton(const ColourScheme& scheme, const DRAWITEMSTRUCT& item, COLORREF disabledText)
{
    DcState saved(item.hDC);
    const ControlLook look = LookOf(item);
    DrawButtonBody(scheme, item.hDC, item.rcItem, look, kButtonFaceLines);
    DrawItemText(item, item.rcItem, DT_CENTER, look == kLookDisabled ? disabledText : scheme.textColour);
}

void DrawDropDownButton(const ColourScheme& scheme, const DRAWITEMSTRUCT& item, bool held)
{
    DcState saved(item.hDC);
    HDC dc = item.hDC;
    const RECT& rc = item.rcItem;
    const int r = rc.right, t = rc.top;
    const ControlLook look = LookOf(item, held);
    const bool disabled = look == kLookDisabled;
    DrawButtonBody(scheme, dc, rc, look, kButtonFaceLines);

    SelectObject(dc, OutlinePen(scheme, look));
    VLine(dc, r - kSeparatorFromRight, t + 1, rc.bottom - 1);

    SelectObject(dc, disabled ? scheme.disabledGlyphPen : scheme.textPen);
    for (const ArrowColumn& column : kArrow)
        VLine(dc, r - column.fromRight, t + column.top, t + column.bottom);

    // The text stops at the separator rather than running under the arrow.
    RECT textRect = {rc.left + kDropDownTextLeft, t, r - kSeparatorFromRight, rc.bottom};
    DrawItemText(item, textRect, DT_LEFT, disabled ? scheme.disabledTextColour : scheme.textColour);

    SelectObject(dc, scheme.chevronPen[look]);
    HLine(dc, r - 12, r - 5, t + 5);
    for (int i = 0; i < kChevronPixels; ++i)
        SetPixel(dc, r - kChevron[i].x, t + kChevron[i].y, scheme.chevron[look][i]);
}

void DrawCheckBox(const ColourScheme& scheme, HDC dc, const RECT& rect, bool checked, ControlLook look)
{
    if (look < 0 || look >= kLookCount)
        look = kLookNormal;
    DcState saved(dc);
    for (int i = 0; i < kCheckBoxFaceLines; ++i) {
        SelectObject(dc, scheme.checkBoxFace[look][i]);
        HLine(dc, rect.left, rect.right, rect.top + 1 + i);
    }
    FrameRect(dc, &rect, scheme.checkBoxFrame[look]);
    if (!checked)
        return;
    for (int i = 0; i < kCheckMarkPixels; ++i)
        SetPixel(dc, rect.left + kCheckMarkShape[i].x, rect.top + kCheckMarkShape[i].y, scheme.checkMark[look][i]);
}

void RepaintCheckBox(const ColourScheme& scheme, HWND control, bool checked, ControlLook look)
{
    // GetDC of no window would paint on the whole screen.
    if (!control || !IsWindow(control))
        return;
    HDC dc = GetDC(control);
    if (!dc)
        return;
    RECT rect;
    GetClientRect(control, &rect);
    DrawCheckBox(scheme, dc, rect, checked, look);
    ReleaseDC(control, dc);
}

void DrawRecordIndicator(const ColourScheme& scheme, HDC target, const RECT& rect, int look,
                         const DeviceControlPort* port)
{
    DcState saved(target);
    DrawButtonBody(scheme, target, rect, RecordLook(look), kRecordFaceLines);

    const int cx = (rect.left + rect.right) / 2;
    const int cy = (rect.top + rect.bottom) / 2;
    const bool exporting = port && (port->IsEditArmed() || port->IsEditRecording());
    if (exporting) {
        const RECT bars[] = {{cx - 6, cy - 6, cx - 2, cy + 6}, {cx + 2, cy - 6, cx + 6, cy + 6}};
        for (const RECT& bar : bars)
            FillRect(target, &bar, look == 0 ? scheme.greyTextBrush : scheme.textBrush);
        return;
    }

    const COLORREF colour = look == 0 ? scheme.greyTextColour : kRecordColour;
    HPEN pen = MakeSolidPen(colour);
    HBRUSH brush = MakeSolidBrush(colour);
    if (pen && brush) {
        HGDIOBJ oldPen = SelectObject(target, pen);
        HGDIOBJ oldBrush = SelectObject(target, brush);
        Ellipse(target, cx - kRecordRadius, cy - kRecordRadius, cx + kRecordRadius, cy + kRecordRadius);
        SelectObject(target, oldBrush);
        SelectObject(target, oldPen);
    }
    DeleteDrawingObject(brush);
    DeleteDrawingObject(pen);
}
