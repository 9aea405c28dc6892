#pragma once
// Thin operating-system layer exported by name for the other modules of the
// family. Every call maps to one system service; handles are opaque.
#include <cstdint>

#ifndef NX_API
#define NX_API __declspec(dllexport)
#endif

enum NxErr : int32_t {
    NX_SUCCESS = 0,
    NX_NOT_PROVIDED = -1,
    NX_FAILED = -2,
    NX_CLOSE_HANDLE_ERROR = 10000,
    NX_UNDEFINED_HANDLE = 10001,
    NX_HANDLE_ALREADY_OPEN = 10002,
};

// Same layout as the system's LARGE_INTEGER: low word first.
union _NxLargeInteger {
    struct {
        uint32_t LowPart;
        int32_t HighPart;
    } u;
    int64_t QuadPart;
};
typedef _NxLargeInteger NxLargeInteger;
static_assert(sizeof(_NxLargeInteger) == 8, "64-bit value");

// Accepted by the read and write calls for source compatibility; all I/O
// of this layer is synchronous.
struct NxOverlapped {
    uintptr_t Internal;
    uintptr_t InternalHigh;
    uint32_t Offset;
    uint32_t OffsetHigh;
    void* hEvent;
};

// Creation word of NxOpenFile and NxFile::OpenNxFile.
enum : uint32_t {
    NX_CREATE_ALWAYS = 2, // wins over NX_CREATE_NEW
    NX_CREATE_NEW = 4,    // neither bit: open an existing file
};

// Access word (low byte) of NxOpenFile and NxFile::OpenNxFile.
enum : uint32_t {
    NX_ACCESS_UNBUFFERED = 1,
    NX_ACCESS_WRITE = 2,
    NX_ACCESS_READ = 4,
    NX_ACCESS_SHARE_READ = 8,
    NX_ACCESS_SHARE_WRITE = 16,
    NX_ACCESS_OVERLAPPED = 128,
};

// Seek origins; any other value seeks from the start.
enum : uint32_t {
    NX_SEEK_BEGIN = 0,
    NX_SEEK_CURRENT = 2,
    NX_SEEK_END = 3,
};

// Thread priorities of NxCreateThread; any other value is normal.
enum : uint32_t {
    NX_PRIORITY_LOWEST = 0,
    NX_PRIORITY_NORMAL = 1,
    NX_PRIORITY_HIGHEST = 2,
    NX_PRIORITY_TIME_CRITICAL = 3,
};
const uint32_t NX_AFFINITY_ANY = 0xFFFFFFFFu;

typedef uint32_t(__stdcall* NxThreadRoutine)(void* argument);

// Files
NX_API void* NxOpenFile(const char* path, uint32_t creation, uint32_t access);
NX_API void* NxOpenFile(const wchar_t* path, uint32_t creation, uint32_t access);
NX_API NxErr NxReadFile(void* file, void* buffer, uint32_t count, NxOverlapped* overlapped);
NX_API NxErr NxWriteFile(void* file, const void* buffer, uint32_t count, NxOverlapped* overlapped);
// Moves by count * size + offset; 0 or NX_FAILED.
NX_API NxErr NxSeekFile(void* file, int32_t offset, uint32_t count, uint32_t size, uint32_t origin);
// Returns the new low position (high word through high when given) or NX_FAILED.
NX_API int32_t NxSeekFile(void* file, int32_t low, int32_t* high, uint32_t origin);
NX_API uint32_t NxGetFileSize(void* file, uint32_t* high);
NX_API NxErr NxDeleteFile(const char* path);
NX_API NxErr NxDeleteFile(const wchar_t* path);
NX_API NxErr NxCloseFile(void* file);
NX_API NxErr NxFileExist(const char* path);
NX_API NxErr NxFileExist(const wchar_t* path);
NX_API NxErr NxFileIOComplete(void* file);

// Directories and disks
NX_API NxErr NxCreateDir(const char* path);
NX_API NxErr NxCreateDir(const wchar_t* path);
NX_API NxErr NxRemoveDir(const char* path);
NX_API NxErr NxRemoveDir(const wchar_t* path);
NX_API void* NxOpenDir(const char* path);
NX_API void* NxOpenDir(const wchar_t* path);
NX_API NxErr NxReadDir(void* dir);
NX_API NxErr NxCloseDir(void* dir);
NX_API NxErr NxGetDiskFreeSpace(const char* path, _NxLargeInteger* freeToCaller, _NxLargeInteger* total,
                                _NxLargeInteger* totalFree);
NX_API NxErr NxGetDiskFreeSpace(const wchar_t* path, _NxLargeInteger* freeToCaller, _NxLargeInteger* total,
                                _NxLargeInteger* totalFree);

// Events, semaphores and mutexes. A mutex here is a semaphore of count 1:
// any thread may release it and it is not re-entrant.
NX_API void* NxCreateEvent(bool manualReset, bool initiallySet, const char* name);
NX_API NxErr NxSetEvent(void* event);
NX_API NxErr NxResetEvent(void* event);
NX_API NxErr NxWaitForEvent(void* event, uint32_t timeoutMs);
NX_API NxErr NxCloseEvent(void* event);
NX_API void* NxCreateSemaphore(int32_t initial, int32_t maximum, const char* name);
NX_API NxErr NxWaitForSemaphore(void* semaphore, uint32_t timeoutMs);
NX_API NxErr NxReleaseSemaphore(void* semaphore);
NX_API NxErr NxCloseSemaphore(void* semaphore);
NX_API void* NxMutexCreate();
NX_API NxErr NxMutexWait(void* mutex, uint32_t timeoutMs);
NX_API NxErr NxMutexRelease(void* mutex);
NX_API NxErr NxMutexClose(void* mutex);

// Threads
NX_API void* NxCreateThread(NxThreadRoutine routine, void* argument, uint32_t stackSize, uint32_t priority,
                            uint32_t affinity, uint32_t* threadId);
[[noreturn]] NX_API void NxThreadExit(uint32_t code);
NX_API NxErr NxGetExitCodeThread(void* thread, uint32_t* code);
NX_API NxErr NxResumeThread(void* thread);
NX_API NxErr NxSuspendThread(void* thread);
NX_API NxErr NxTerminateThread(void* thread, uint32_t code);
NX_API NxErr NxCloseThread(void* thread);

// Libraries, memory and miscellany
NX_API void* NxLoadLibrary(const char* path);
NX_API void* NxLoadLibrary(const wchar_t* path);
NX_API void* NxGetProcAddress(void* module, const char* name);
NX_API NxErr NxFreeLibrary(void* module);
NX_API void* NxNew(uint32_t size);
NX_API NxErr NxFree(void* address, uint32_t size);
NX_API void NxSleep(uint32_t ms);
NX_API NxErr NxGetModuleFileName(void* module, char* buffer, uint32_t size);
NX_API NxErr NxGetModuleFileName(void* module, wchar_t* buffer, uint32_t size);
NX_API uint32_t NxGetNumProcs();
NX_API int32_t NxGetPrimaryDisplayXSize();
NX_API int32_t NxGetPrimaryDisplayYSize();
NX_API uint32_t NxSwapUI4(uint32_t value, bool swap);
NX_API uint16_t NxSwapUI2(uint16_t value, bool swap);
// A float returned by value passes the x87 stack on this platform, which turns
// a byte pattern that reads as a signalling NaN into a quiet one. Data whose
// every bit matters is swapped in place instead.
NX_API float NxSwapF4(float value, bool swap);
NX_API void NxSwapF4(float* value, bool swap);
