#include "platform/NxWin32.h"

#include <climits>

namespace {

struct OpenArgs {
    DWORD access;
    DWORD share;
    DWORD disposition;
    DWORD flags;
};

OpenArgs TranslateOpenWords(uint32_t creation, uint32_t accessWord)
{
    OpenArgs args = {};
    if (creation & NX_CREATE_ALWAYS)
        args.disposition = CREATE_ALWAYS;
    else if (creation & NX_CREATE_NEW)
        args.disposition = CREATE_NEW;
    else
        args.disposition = OPEN_EXISTING;

    const uint32_t bits = accessWord & 0xFF;
    if (bits & NX_ACCESS_READ)
        args.access |= GENERIC_READ;
    if (bits & NX_ACCESS_WRITE)
        args.access |= GENERIC_WRITE;
    if (bits & NX_ACCESS_SHARE_READ)
        args.share |= FILE_SHARE_READ;
    if (bits & NX_ACCESS_SHARE_WRITE)
        args.share |= FILE_SHARE_WRITE;
    if (bits & NX_ACCESS_UNBUFFERED)
        args.flags |= FILE_FLAG_NO_BUFFERING;
    if (bits & NX_ACCESS_OVERLAPPED)
        args.flags |= FILE_FLAG_OVERLAPPED;
    if (args.flags == 0)
        args.flags = FILE_ATTRIBUTE_NORMAL;
    return args;
}

void* HandleOrNull(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

} // namespace

void* NxOpenFile(const char* path, uint32_t creation, uint32_t access)
{
    const OpenArgs a = TranslateOpenWords(creation, access);
    return HandleOrNull(CreateFileA(path, a.access, a.share, nullptr, a.disposition, a.flags, nullptr));
}

void* NxOpenFile(const wchar_t* path, uint32_t creation, uint32_t access)
{
    const OpenArgs a = TranslateOpenWords(creation, access);
    return HandleOrNull(CreateFileW(path, a.access, a.share, nullptr, a.disposition, a.flags, nullptr));
}

NxErr NxReadFile(void* file, void* buffer, uint32_t count, NxOverlapped*)
{
    // The count must be asked for: older systems fault on a null pointer here.
    DWORD done = 0;
    return NxResult(ReadFile(file, buffer, count, &done, nullptr));
}

NxErr NxWriteFile(void* file, const void* buffer, uint32_t count, NxOverlapped*)
{
    DWORD done = 0;
    return NxResult(WriteFile(file, buffer, count, &done, nullptr));
}

NxErr NxSeekFile(void* file, int32_t offset, uint32_t count, uint32_t size, uint32_t origin)
{
    // Past this bound the 64-bit distance would overflow; no file is that large.
    const uint64_t product = static_cast<uint64_t>(count) * size;
    if (product > static_cast<uint64_t>(LLONG_MAX - INT_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return NX_FAILED;
    }
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(product) + offset;
    LONG high = distance.HighPart;
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(file, static_cast<LONG>(distance.LowPart), &high, NxMoveMethod(origin));
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return NX_FAILED;
    return NX_SUCCESS;
}

int32_t NxSeekFile(void* file, int32_t low, int32_t* high, uint32_t origin)
{
    LONG highWord = high ? *high : 0;
    SetLastError(NO_ERROR);
    const DWORD result = SetFilePointer(file, low, high ? &highWord : nullptr, NxMoveMethod(origin));
    // 0xFFFFFFFF without an error is a real position (low word of a large
    // file), not a failure.
    if (result == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return NX_FAILED;
    if (high)
        *high = highWord;
    return static_cast<int32_t>(result);
}

uint32_t NxGetFileSize(void* file, uint32_t* high)
{
    DWORD highWord = 0;
    const DWORD low = GetFileSize(file, &highWord);
    if (high)
        *high = highWord;
    return low;
}

NxErr NxDeleteFile(const char* path)
{
    return NxResult(DeleteFileA(path));
}

NxErr NxDeleteFile(const wchar_t* path)
{
    return NxResult(DeleteFileW(path));
}

NxErr NxCloseFile(void* file)
{
    return NxCloseResult(file);
}

NxErr NxFileExist(const char*)
{
    return NX_NOT_PROVIDED;
}

NxErr NxFileExist(const wchar_t*)
{
    return NX_NOT_PROVIDED;
}

NxErr NxFileIOComplete(void*)
{
    return NX_NOT_PROVIDED;
}
