#pragma once
// Finding this thread's dialogs, clicking their buttons as a user would,
// and running their messages while a test waits.
#include <windows.h>

#include <cstring>
#include <functional>
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
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
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

// Runs whatever this thread's queue holds now.
inline void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Pumps this thread's messages until `done` holds; false after `ms`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms)
            return false;
        PumpMessages();
        Sleep(2);
    }
    return true;
}
