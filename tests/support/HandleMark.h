#pragma once
// Telling whether a handle a test saw was closed later. A closed handle's
// value is free for the next handle made, so it cannot be probed by value
// alone: the test marks it inheritable first, which a newly made handle is
// not.
#include <windows.h>

inline void MarkHandle(HANDLE handle)
{
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
}

inline bool MarkedHandleIsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) && (flags & HANDLE_FLAG_INHERIT) != 0;
}
