#include "platform/NxWin32.h"

#include <cstring>

namespace {

// A truncated name is no name: the caller gets an empty string and a failure
// rather than a cut path (which the oldest systems do not even terminate).
template <typename Char> NxErr CheckModuleName(DWORD length, Char* buffer, uint32_t size)
{
    if (length > 0 && length < size)
        return NX_SUCCESS;
    if (buffer && size > 0)
        buffer[0] = 0;
    return NX_FAILED;
}

} // namespace

void* NxLoadLibrary(const char* path)
{
    HMODULE module = LoadLibraryA(path);
    if (module)
        DisableThreadLibraryCalls(module);
    return module;
}

void* NxLoadLibrary(const wchar_t* path)
{
    HMODULE module = LoadLibraryW(path);
    if (module)
        DisableThreadLibraryCalls(module);
    return module;
}

void* NxGetProcAddress(void* module, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

NxErr NxFreeLibrary(void* module)
{
    return NxResult(FreeLibrary(static_cast<HMODULE>(module)));
}

void* NxNew(uint32_t size)
{
    return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

NxErr NxFree(void* address, uint32_t size)
{
    // Release even when the decommit is refused, so a wrong size does not
    // leak the whole region.
    const BOOL decommitted = VirtualFree(address, size, MEM_DECOMMIT);
    const BOOL released = VirtualFree(address, 0, MEM_RELEASE);
    return decommitted && released ? NX_SUCCESS : NX_FAILED;
}

void NxSleep(uint32_t ms)
{
    Sleep(ms);
}

NxErr NxGetModuleFileName(void* module, char* buffer, uint32_t size)
{
    if (!buffer || size == 0)
        return NX_FAILED;
    const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(module), buffer, size);
    return CheckModuleName(length, buffer, size);
}

NxErr NxGetModuleFileName(void* module, wchar_t* buffer, uint32_t size)
{
    if (!buffer || size == 0)
        return NX_FAILED;
    const DWORD length = GetModuleFileNameW(static_cast<HMODULE>(module), buffer, size);
    return CheckModuleName(length, buffer, size);
}

uint32_t NxGetNumProcs()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

int32_t NxGetPrimaryDisplayXSize()
{
    return GetSystemMetrics(SM_CXSCREEN);
}

int32_t NxGetPrimaryDisplayYSize()
{
    return GetSystemMetrics(SM_CYSCREEN);
}

uint32_t NxSwapUI4(uint32_t value, bool swap)
{
    return swap ? __builtin_bswap32(value) : value;
}

uint16_t NxSwapUI2(uint16_t value, bool swap)
{
    return swap ? __builtin_bswap16(value) : value;
}

float NxSwapF4(float value, bool swap)
{
    NxSwapF4(&value, swap);
    return value;
}

void NxSwapF4(float* value, bool swap)
{
    if (!value || !swap)
        return;
    uint32_t bits;
    std::memcpy(&bits, value, sizeof bits);
    bits = __builtin_bswap32(bits);
    std::memcpy(value, &bits, sizeof bits);
}
