#include "ui/DropDownSelector.h"

#include "ui/DrawingObjects.h"

#include <cstdlib>
#include <cstring>

namespace {

const char kClassName[] = "DropDownWindow";
const char kWindowText[] = "DROPDOWN";
constexpr int kTextInset = 5;
constexpr int kFillInset = 1;

// The list whose popup exists; the window procedure reaches its data here.
DropDownSelector* gOpenList = nullptr;

int LowSigned(LPARAM value)
{
    return static_cast<short>(LOWORD(value));
}
int HighSigned(LPARAM value)
{
    return static_cast<short>(HIWORD(value));
}

RECT Inset(RECT rect, int by)
{
    InflateRect(&rect, -by, 0);
    return rect;
}

} // namespace

DropDownSelector::DropDownSelector()
{
    std::memset(items_, 0, sizeof items_);
}

DropDownSelector::~DropDownSelector()
{
    Close();
}

bool DropDownSelector::AddItem(int32_t position, const char* text)
{
    if (position != -1 || count_ >= kDropDownMaxItems || !text)
        return false;
    size_t length = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(length));
    if (!copy)
        return false;
    std::memcpy(copy, text, length);
    items_[count_++] = copy;
    return true;
}

int32_t DropDownSelector::Open(HWND parent, int left, int top, int width, int height, HFONT font, int32_t controlId,
                               COLORREF background, COLORREF highlight, COLORREF text, HINSTANCE instance)
{
    if (popup_)
        Close();
    if (count_ < 1)
        return -1;

    HBRUSH background_brush = MakeSolidBrush(background);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_PARENTDC;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = background_brush;
    windowClass.lpszClassName = kClassName;
    const bool registered = RegisterClassA(&windowClass) != 0;
    if (!registered) {
        DWORD error = GetLastError();
        DeleteDrawingObject(background_brush);
        if (error != ERROR_CLASS_ALREADY_EXISTS)
            return -1;
    }

    // Set before the window exists: its creation already paints and hovers.
    chosen_ = false;
    textColour_ = text;
    backgroundColour_ = background;
    highlightColour_ = highlight;
    font_ = font;
    HWND window = CreateWindowExA(0, kClassName, kWindowText, WS_POPUP | WS_VISIBLE, left, top, width, height, parent,
                                  nullptr, instance, this);
    if (!window) {
        popup_ = nullptr;
        if (gOpenList == this)
            gOpenList = nullptr;
        // Unregistering deletes the brush the class was made with.
        if (UnregisterClassA(kClassName, instance) && registered)
            ForgetDeletedObject(background_brush);
        DeleteDrawingObject(background_brush);
        return -1;
    }
    popup_ = window;
    parent_ = parent;
    controlId_ = controlId;
    instance_ = instance;
    backgroundBrush_ = background_brush;
    DeleteDrawingObject(highlightBrush_);
    highlightBrush_ = MakeSolidBrush(highlight);
    return 0;
}

void DropDownSelector::Close()
{
    if (popup_) {
        HWND window = popup_;
        popup_ = nullptr;
        DestroyWindow(window);
    }
    for (int32_t i = 0; i < kDropDownMaxItems; ++i) {
        std::free(items_[i]);
        items_[i] = nullptr;
    }
    // Unregistering deletes the class's background brush with the class;
    // deleting it again would free whatever object took its handle.
    if (UnregisterClassA(kClassName, instance_))
        ForgetDeletedObject(backgroundBrush_);
    DeleteDrawingObject(highlightBrush_);
    count_ = 0;
    hotRow_ = -1;
    if (gOpenList == this)
        gOpenList = nullptr;
}

int DropDownSelector::RowHeight() const
{
    RECT client;
    if (!popup_ || count_ < 1 || !GetClientRect(popup_, &client))
        return 0;
    return client.bottom / count_;
}

RECT DropDownSelector::RowRect(int32_t row) const
{
    RECT client = {};
    GetClientRect(popup_, &client);
    int height = RowHeight();
    RECT rect = {client.left, row * height, client.right, (row + 1) * height};
    return rect;
}

bool DropDownSelector::IsInside(LPARAM position) const
{
    RECT client = {};
    GetClientRect(popup_, &client);
    int x = LowSigned(position);
    int y = HighSigned(position);
    return x >= 0 && x <= client.right && y >= 0 && y <= client.bottom;
}

int32_t DropDownSelector::RowAt(LPARAM position) const
{
    int height = RowHeight();
    if (height <= 0 || !IsInside(position))
        return -1;
    int32_t row = HighSigned(position) / height;
    return row < count_ ? row : -1;
}

void DropDownSelector::DrawRow(HDC dc, int32_t row, bool hot) const
{
    RECT rect = RowRect(row);
    RECT fill = Inset(rect, kFillInset);
    FillRect(dc, &fill, hot ? highlightBrush_ : backgroundBrush_);
    RECT textRect = Inset(rect, kTextInset);
    HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, OPAQUE);
    SetTextColor(dc, textColour_);
    SetBkColor(dc, hot ? highlightColour_ : backgroundColour_);
    DrawTextA(dc, items_[row], -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    SelectObject(dc, oldFont);
}

void DropDownSelector::FrameList(HDC dc) const
{
    RECT client;
    GetClientRect(popup_, &client);
    FrameRect(dc, &client, highlightBrush_);
}

void DropDownSelector::Paint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(popup_, &paint);
    if (!dc)
        return;
    FrameList(dc);
    HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour_);
    for (int32_t row = 0; row < count_; ++row) {
        RECT textRect = Inset(RowRect(row), kTextInset);
        DrawTextA(dc, items_[row], -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    }
    SelectObject(dc, oldFont);
    EndPaint(popup_, &paint);
}

void DropDownSelector::Hover(LPARAM position)
{
    HDC dc = GetDC(popup_);
    if (!dc)
        return;
    if (IsInside(position)) {
        int height = RowHeight();
        int32_t row = height > 0 ? HighSigned(position) / height : -1;
        if (row >= 0 && row < count_ && row != hotRow_) {
            if (hotRow_ >= 0)
                DrawRow(dc, hotRow_, false);
            hotRow_ = row;
            DrawRow(dc, row, true);
            FrameList(dc);
        }
    } else if (hotRow_ >= 0) {
        DrawRow(dc, hotRow_, false);
        FrameList(dc);
        hotRow_ = -1;
    }
    ReleaseDC(popup_, dc);
}

void DropDownSelector::Choose(int32_t row)
{
    if (chosen_)
        return;
    chosen_ = true;
    PostMessageA(parent_, kDropDownChoiceMessage, static_cast<WPARAM>(controlId_), static_cast<LPARAM>(row));
}

LRESULT CALLBACK DropDownSelector::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DropDownSelector* list = gOpenList;
    switch (message) {
    case WM_CREATE: {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        gOpenList = static_cast<DropDownSelector*>(create->lpCreateParams);
        gOpenList->popup_ = window;
        SetCapture(window);
        break;
    }
    case WM_PAINT:
        // Painted here after the erase, so the background brush cannot
        // paint over the rows.
        if (list && list->popup_ == window) {
            list->Paint();
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (list && list->popup_ == window)
            list->Hover(lParam);
        break;
    case WM_LBUTTONDOWN:
        if (list && list->popup_ == window) {
            list->Choose(list->RowAt(lParam));
            ReleaseCapture();
        }
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a system dialog, say): the list
        // ends as a press outside it does, so its owner closes it.
        if (list && list->popup_ == window && reinterpret_cast<HWND>(lParam) != window)
            list->Choose(-1);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
