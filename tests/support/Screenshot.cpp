#include "support/Screenshot.h"

#include "support/BuildPaths.h"

#include <cstdio>
#include <vector>

std::string SaveScreenshot(HWND window, const std::string& name)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT box;
    if (!GetWindowRect(window, &box))
        return "";
    BITMAPINFOHEADER header = {sizeof header, box.right - box.left, -(box.bottom - box.top), 1, 32, BI_RGB};
    std::vector<uint32_t> pixels(size_t(header.biWidth) * -header.biHeight);
    // The window's own pixels: the screen may not yet show what was drawn.
    HDC screen = GetWindowDC(window), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, header.biWidth, -header.biHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, header.biWidth, -header.biHeight, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    const bool read = GetDIBits(memory, bitmap, 0, -header.biHeight, pixels.data(),
                                reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) != 0;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);

    const std::string folder = BinFolder() + "\\..\\screens", path = folder + "\\" + name + ".bmp";
    CreateDirectoryA(folder.c_str(), nullptr);
    const DWORD bytes = DWORD(pixels.size() * 4), offset = sizeof(BITMAPFILEHEADER) + sizeof header;
    const BITMAPFILEHEADER file = {0x4D42, offset + bytes, 0, 0, offset};
    FILE* out = read ? std::fopen(path.c_str(), "wb") : nullptr;
    if (!out)
        return "";
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
              std::fwrite(pixels.data(), 1, bytes, out) == bytes;
    return std::fclose(out) == 0 && ok ? path : "";
}
