#include "tools/quorhost/HostWindow.h"

namespace quorhost {

namespace {

const char kClassName[] = "QuorHostMainWindow";

} // namespace

HWND CreateHiddenMainWindow()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return CreateWindowExA(0, kClassName, "quorhost", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                           nullptr, nullptr, instance, nullptr);
}

void DestroyMainWindow(HWND window)
{
    if (window)
        DestroyWindow(window);
}

} // namespace quorhost
