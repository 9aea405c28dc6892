#include "platform/NxFile.h"

#include <cstddef>
#include <cstring>

#include "platform/NxWin32.h"

namespace {

// A copy of a handle owned by the caller; null when there is nothing to copy
// or the system refuses.
void* DuplicateOwnHandle(void* handle)
{
    if (!handle)
        return nullptr;
    HANDLE process = GetCurrentProcess();
    HANDLE copy = nullptr;
    if (!DuplicateHandle(process, handle, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

} // namespace

NxFile::NxFile() : m_handle(nullptr), m_flag(0), m_word1(0), m_word2(0), m_ioState(0)
{
    // Other modules rely on this layout; a 64-bit handle moves the rest on.
#ifdef _WIN64
    constexpr size_t kFlag = 8, kWord1 = 12, kIoState = 20, kUserArea = 24, kSize = 424;
#else
    constexpr size_t kFlag = 4, kWord1 = 8, kIoState = 16, kUserArea = 20, kSize = 420;
#endif
    static_assert(offsetof(NxFile, m_handle) == 0, "handle first");
    static_assert(offsetof(NxFile, m_flag) == kFlag, "flag byte");
    static_assert(offsetof(NxFile, m_word1) == kWord1, "first word");
    static_assert(offsetof(NxFile, m_ioState) == kIoState, "third word");
    static_assert(offsetof(NxFile, m_userArea) == kUserArea, "user area");
    static_assert(sizeof(NxFile) == kSize, "whole object");
}

NxFile::NxFile(const NxFile& other) : NxFile()
{
    *this = other;
}

NxFile& NxFile::operator=(const NxFile& other)
{
    if (this == &other)
        return *this;
    void* copy = DuplicateOwnHandle(other.m_handle);
    // The handle held so far would otherwise be lost without a close.
    if (m_handle)
        CloseHandle(m_handle);
    m_handle = copy;
    m_flag = other.m_flag;
    m_word1 = other.m_word1;
    m_word2 = other.m_word2;
    m_ioState = other.m_ioState;
    std::memcpy(m_userArea, other.m_userArea, sizeof m_userArea);
    return *this;
}

NxFile::~NxFile()
{
    if (m_handle)
        CloseHandle(m_handle);
}

NxErr NxFile::OpenNxFile(const char* path, uint32_t creation, uint32_t access)
{
    if (m_handle)
        return NX_HANDLE_ALREADY_OPEN;
    m_handle = NxOpenFile(path, creation, access);
    return m_handle ? NX_SUCCESS : NX_FAILED;
}

NxErr NxFile::OpenNxFile(const wchar_t* path, uint32_t creation, uint32_t access)
{
    if (m_handle)
        return NX_HANDLE_ALREADY_OPEN;
    m_handle = NxOpenFile(path, creation, access);
    return m_handle ? NX_SUCCESS : NX_FAILED;
}

NxErr NxFile::ReadNxFile(void* buffer, uint32_t count, NxOverlapped* overlapped)
{
    if (!m_handle)
        return NX_UNDEFINED_HANDLE;
    return NxReadFile(m_handle, buffer, count, overlapped);
}

NxErr NxFile::WriteNxFile(const void* buffer, uint32_t count, NxOverlapped* overlapped)
{
    if (!m_handle)
        return NX_UNDEFINED_HANDLE;
    return NxWriteFile(m_handle, buffer, count, overlapped);
}

NxErr NxFile::SeekNxFile(int32_t offset, uint32_t count, uint32_t size, uint32_t origin)
{
    if (!m_handle)
        return NX_UNDEFINED_HANDLE;
    return NxSeekFile(m_handle, offset, count, size, origin);
}

int32_t NxFile::SeekNxFile(int32_t low, int32_t* high, uint32_t origin, bool extended)
{
    if (!m_handle)
        return NX_UNDEFINED_HANDLE;
    if (extended) {
        LARGE_INTEGER distance;
        LARGE_INTEGER position;
        distance.QuadPart = low;
        if (!SetFilePointerEx(m_handle, distance, &position, NxMoveMethod(origin)))
            return NX_FAILED;
        if (high)
            *high = position.HighPart;
        return static_cast<int32_t>(position.LowPart);
    }
    // Non-negative moves take the 64-bit form, which does not refuse a
    // position that needs more than 32 bits.
    int32_t zeroHigh = 0;
    if (!high && low >= 0)
        high = &zeroHigh;
    return NxSeekFile(m_handle, low, high, origin);
}

NxErr NxFile::CloseNxFile()
{
    if (!m_handle)
        return NX_UNDEFINED_HANDLE;
    const NxErr result = NxCloseResult(m_handle);
    // Even a failed close leaves nothing usable behind.
    m_handle = nullptr;
    m_word1 = 0;
    m_word2 = 0;
    m_ioState = 0;
    return result;
}

NxErr NxFile::IsNxFileIOComplete(int32_t)
{
    return m_handle ? NX_SUCCESS : NX_UNDEFINED_HANDLE;
}

NxErr NxFile::CancelNxFileIO()
{
    if (!m_handle)
        return NX_UNDEFINED_HANDLE;
    m_ioState = 0;
    return NX_SUCCESS;
}

void* NxFile::GetNxFileHandle()
{
    return m_handle;
}

uint32_t NxFile::GetNxFileSize(uint32_t* high)
{
    if (!m_handle)
        return NX_UNDEFINED_HANDLE;
    return NxGetFileSize(m_handle, high);
}
