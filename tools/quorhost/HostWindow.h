#pragma once
#include <windows.h>

namespace quorhost {

// The editor's main window as the module sees it: hidden, top-level, owned
// by this thread. Null when no window can be made (no display).
HWND CreateHiddenMainWindow();
void DestroyMainWindow(HWND window);

} // namespace quorhost
