#pragma once
// The number of kernel handles this process holds open. Where the system's
// own count is not available (Wine's GetProcessHandleCount gives 0), every
// handle value up to a ceiling is probed: handle values are multiples of 4
// and are handed out from the bottom, so a ceiling far above the number of
// open handles sees them all.
#include <windows.h>

#include <cstdint>

inline long OpenHandleCount(uintptr_t ceiling = 0x10000)
{
    long count = 0;
    for (uintptr_t value = 4; value < ceiling; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}
