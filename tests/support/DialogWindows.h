#pragma once
// Finding this thread's dialog that takes input, and clicking its buttons
// as a user would.
#include <windows.h>

#include <cstring>
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

inline BOOL CALLBACK FindOtherDialog(HWND window, LPARAM found)
{
    HWND* out = reinterpret_cast<HWND*>(found);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (window == *out || std::strcmp(name, "#32770") != 0)
        return TRUE;
    *out = window;
    return FALSE;
}

// The dialog of this thread other than `dialog`, shown yet or not: a busy
// machine may run a step inside a nested dialog's loop before it shows it.
inline HWND OtherDialog(HWND dialog)
{
    HWND found = dialog;
    EnumThreadWindows(GetCurrentThreadId(), FindOtherDialog, reinterpret_cast<LPARAM>(&found));
    return found == dialog ? nullptr : found;
}
