#pragma once
// The popup list that the module's selector buttons open below themselves.
// It holds the mouse capture, so the first left-button press anywhere in the
// thread ends it: the row pressed, or -1, is posted to the parent as
// kDropDownChoiceMessage (first parameter the button's id). The parent then
// closes the list, which also empties it. One list at a time.
#include <windows.h>
#include <cstdint>

constexpr UINT kDropDownChoiceMessage = 33333;
constexpr int32_t kDropDownMaxItems = 128;

class DropDownSelector {
public:
    DropDownSelector();
    virtual ~DropDownSelector();
    DropDownSelector(const DropDownSelector&) = delete;
    DropDownSelector& operator=(const DropDownSelector&) = delete;

    // Only appending (position -1) to a list of fewer than 128 items.
    bool AddItem(int32_t position, const char* text);
    // 0, or -1 with nothing shown. Coordinates are screen coordinates.
    int32_t Open(HWND parent, int left, int top, int width, int height, HFONT font, int32_t controlId,
                 COLORREF background, COLORREF highlight, COLORREF text, HINSTANCE instance);
    void Close();

    int32_t ItemCount() const { return count_; }
    int32_t HotRow() const { return hotRow_; }
    HWND Window() const { return popup_; }
    int32_t ControlId() const { return controlId_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    int RowHeight() const;
    RECT RowRect(int32_t row) const;
    // The row at a client point, or -1 when the point lies outside the popup
    // or below the last row.
    int32_t RowAt(LPARAM position) const;
    bool IsInside(LPARAM position) const;
    void DrawRow(HDC dc, int32_t row, bool hot) const;
    void FrameList(HDC dc) const;
    void Paint();
    void Hover(LPARAM position);
    // Posts the row chosen (-1: none) to the parent, once per opening.
    void Choose(int32_t row);

    char* items_[kDropDownMaxItems];
    int32_t count_ = 0;
    int32_t hotRow_ = -1;
    bool chosen_ = false;
    COLORREF textColour_ = 0;
    COLORREF backgroundColour_ = 0;
    COLORREF highlightColour_ = 0;
    HBRUSH highlightBrush_ = nullptr;
    HBRUSH backgroundBrush_ = nullptr;
    HWND popup_ = nullptr;
    HWND parent_ = nullptr;
    HFONT font_ = nullptr;
    int32_t controlId_ = 0;
    HINSTANCE instance_ = nullptr;
};
