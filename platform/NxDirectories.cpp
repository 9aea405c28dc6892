#include "platform/NxWin32.h"

namespace {

void Store(_NxLargeInteger* out, const ULARGE_INTEGER& value)
{
    if (out)
        out->QuadPart = static_cast<int64_t>(value.QuadPart);
}

NxErr StoreDiskSpace(BOOL ok, const ULARGE_INTEGER (&values)[3], _NxLargeInteger* freeToCaller, _NxLargeInteger* total,
                     _NxLargeInteger* totalFree)
{
    if (!ok)
        return NX_FAILED;
    Store(freeToCaller, values[0]);
    Store(total, values[1]);
    Store(totalFree, values[2]);
    return NX_SUCCESS;
}

} // namespace

NxErr NxCreateDir(const char* path)
{
    return NxResult(CreateDirectoryA(path, nullptr));
}

NxErr NxCreateDir(const wchar_t* path)
{
    return NxResult(CreateDirectoryW(path, nullptr));
}

NxErr NxRemoveDir(const char* path)
{
    return NxResult(RemoveDirectoryA(path));
}

NxErr NxRemoveDir(const wchar_t* path)
{
    return NxResult(RemoveDirectoryW(path));
}

void* NxOpenDir(const char*)
{
    return nullptr;
}

void* NxOpenDir(const wchar_t*)
{
    return nullptr;
}

NxErr NxReadDir(void*)
{
    return NX_NOT_PROVIDED;
}

NxErr NxCloseDir(void*)
{
    return NX_NOT_PROVIDED;
}

NxErr NxGetDiskFreeSpace(const char* path, _NxLargeInteger* freeToCaller, _NxLargeInteger* total,
                         _NxLargeInteger* totalFree)
{
    ULARGE_INTEGER v[3] = {};
    return StoreDiskSpace(GetDiskFreeSpaceExA(path, &v[0], &v[1], &v[2]), v, freeToCaller, total, totalFree);
}

NxErr NxGetDiskFreeSpace(const wchar_t* path, _NxLargeInteger* freeToCaller, _NxLargeInteger* total,
                         _NxLargeInteger* totalFree)
{
    ULARGE_INTEGER v[3] = {};
    return StoreDiskSpace(GetDiskFreeSpaceExW(path, &v[0], &v[1], &v[2]), v, freeToCaller, total, totalFree);
}
