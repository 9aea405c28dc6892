#pragma once
// Finding this thread's dialog that takes input, and clicking its buttons
// as a user would.
#include <windows.h>

#include <string>

inline BOOL CALLBACK FindInputDialog(HWND window, LPARAM out)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(window) && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
    }
    return TRUE;
}

// The uppermost dialog of this thread that takes input.
inline HWND CurrentDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindInputDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

inline void Click(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
