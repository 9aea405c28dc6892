#pragma once
// Pictures of windows for people to look at, and the pixels tests sample.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first

    COLORREF At(int x, int y) const;  // as GDI gives colours: 0x00BBGGRR
};

// The window as it is on the screen, frame included; empty when it cannot
// be read.
Picture CaptureWindow(HWND window);

// Writes a PNG (8-bit RGB, uncompressed deflate blocks); false on failure.
bool WritePng(const std::string& path, const Picture& picture);

// Saves the window as build/screens/NAME.png; the path, or "" on failure.
std::string SaveScreenshot(HWND window, const std::string& name);
