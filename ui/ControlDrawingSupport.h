#pragma once
// Small helpers shared by the control drawing routines.
#include "ui/ColourScheme.h"
#include "ui/DrawingObjects.h"

#include <windows.h>

namespace drawing {

// Everything selected into or set on a device context while drawing goes
// back as it was when the scope ends, so that a caller's DC (and a memory
// DC about to be deleted) holds none of our objects.
class DcState {
public:
    explicit DcState(HDC dc) : dc_(dc), saved_(dc ? SaveDC(dc) : 0) {}
    ~DcState()
    {
        if (saved_)
            RestoreDC(dc_, saved_);
    }
    DcState(const DcState&) = delete;
    DcState& operator=(const DcState&) = delete;

private:
    HDC dc_;
    int saved_;
};

// Lines in the selected pen; the end is not drawn.
inline void HLine(HDC dc, int x0, int x1, int y)
{
    MoveToEx(dc, x0, y, nullptr);
    LineTo(dc, x1, y);
}

inline void VLine(HDC dc, int x, int y0, int y1)
{
    MoveToEx(dc, x, y0, nullptr);
    LineTo(dc, x, y1);
}

// A memory DC holding a bitmap of the given size, for drawing that is
// copied to the screen in one block. Usable only when both could be had.
class OffScreen {
public:
    OffScreen(HDC target, int width, int height)
        : dc_(MakeMemoryDc(target)), bitmap_(dc_ ? MakeBitmap(target, width, height) : nullptr)
    {
        if (bitmap_)
            previous_ = SelectObject(dc_, bitmap_);
    }
    ~OffScreen()
    {
        if (previous_)
            SelectObject(dc_, previous_);
        DeleteMemoryDc(dc_);
        DeleteDrawingObject(bitmap_);
    }
    OffScreen(const OffScreen&) = delete;
    OffScreen& operator=(const OffScreen&) = delete;

    bool Usable() const { return dc_ && bitmap_; }
    HDC Dc() const { return dc_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_ = nullptr;
};

// The face, cut outline and corners every button shares, with `faceLines`
// lines of the look's gradient.
void DrawButtonBody(const ColourScheme& scheme, HDC dc, const RECT& rc, ControlLook look, int faceLines);
// A slider's track across `rect`; gives the row of its middle line.
int DrawSliderTrack(const ColourScheme& scheme, HDC dc, const RECT& rect, bool enabled);
// A slider's 16 by 11 thumb, its left edge at `x`, centred on row `middle`.
void DrawSliderThumb(const ColourScheme& scheme, HDC dc, int x, int middle, bool enabled);

} // namespace drawing
