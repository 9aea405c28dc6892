#pragma once
// Drawing read back from a 32-bit DIB (GetPixel works there without a
// display); every drawing must leave no GDI object behind and the DC holding
// what it held before.
#include "ui/ColourScheme.h"
#include "ui/DrawingObjects.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <vector>

struct Scheme {
    explicit Scheme(int32_t brightness = 0) { BuildColourSchemeFor(&s, brightness); }
    ~Scheme() { ReleaseColourScheme(&s); }
    ColourScheme s = {};
};

inline COLORREF Of(HPEN pen)
{
    LOGPEN p = {};
    return GetObject(pen, sizeof p, &p) ? p.lopnColor : CLR_INVALID;
}
inline COLORREF Of(HBRUSH brush)
{
    LOGBRUSH b = {};
    return GetObject(brush, sizeof b, &b) ? b.lbColor : CLR_INVALID;
}

constexpr COLORREF kUntouched = RGB(1, 2, 3);

class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc, bitmap_);
        std::fill_n(static_cast<uint32_t*>(bits), width * height, 0x010203u); // kUntouched as the DIB stores it
    }
    ~Canvas()
    {
        SelectObject(dc, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    template <typename Fn> void Draw(Fn draw)
    {
        const long live = LiveDrawingObjects();
        const UINT kinds[] = {OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP};
        HGDIOBJ before[4];
        for (int i = 0; i < 4; ++i)
            before[i] = GetCurrentObject(dc, kinds[i]);
        draw();
        EXPECT_EQ(live, LiveDrawingObjects()) << "drawing objects left behind";
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(before[i], GetCurrentObject(dc, kinds[i])) << "object kind " << kinds[i] << " left selected";
    }

    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
    // x of every pixel of `colour` in row y.
    std::vector<int> Row(COLORREF colour, int y) const
    {
        std::vector<int> xs;
        for (int x = 0; x < width_; ++x)
            if (At(x, y) == colour)
                xs.push_back(x);
        return xs;
    }
    int Count(COLORREF colour, int x0 = 0, int x1 = INT_MAX) const
    {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = x0; x < std::min(x1, width_); ++x)
                n += At(x, y) == colour;
        return n;
    }

    const HDC dc = CreateCompatibleDC(nullptr);

private:
    int width_, height_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};
