#pragma once
// Shared by the platform layer's sources only.
#include <windows.h>
#include "platform/NxPlatform.h"

inline NxErr NxResult(BOOL ok)
{
    return ok ? NX_SUCCESS : NX_FAILED;
}

inline NxErr NxCloseResult(HANDLE handle)
{
    return CloseHandle(handle) ? NX_SUCCESS : NX_CLOSE_HANDLE_ERROR;
}

// Seek origin of this layer to the system's move method.
inline DWORD NxMoveMethod(uint32_t origin)
{
    switch (origin) {
    case NX_SEEK_END:
        return FILE_END;
    case NX_SEEK_CURRENT:
        return FILE_CURRENT;
    default:
        return FILE_BEGIN;
    }
}
