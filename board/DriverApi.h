#pragma once
// The only way the board classes reach the kernel: the few Win32 calls they
// make, gathered in one table. The production module binds the system's own
// functions; the simulation module binds a rack of simulated boards.
#include <windows.h>
#include <setupapi.h>

// The sizes the system gives its enumeration records on each target:
// SP_DEVICE_INTERFACE_DATA, SP_DEVINFO_DATA, and the fixed part of
// SP_DEVICE_INTERFACE_DETAIL_DATA_A (its size field and one character,
// packed on a 32-bit system, padded to eight bytes on a 64-bit one).
#ifdef _WIN64
constexpr DWORD kInterfaceDataSize = 32;
constexpr DWORD kDevInfoDataSize = 32;
constexpr DWORD kDetailHeaderSize = 8;
#else
constexpr DWORD kInterfaceDataSize = 28;
constexpr DWORD kDevInfoDataSize = 28;
constexpr DWORD kDetailHeaderSize = 5;
#endif

struct DriverApi {
    HDEVINFO(WINAPI* getClassDevs)(const GUID* classGuid, PCSTR enumerator, HWND parent, DWORD flags);
    BOOL(WINAPI* enumDeviceInterfaces)
    (HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* classGuid, DWORD memberIndex,
     PSP_DEVICE_INTERFACE_DATA interfaceData);
    BOOL(WINAPI* getDeviceInterfaceDetail)
    (HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData, PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
     PDWORD requiredSize, PSP_DEVINFO_DATA device);
    BOOL(WINAPI* destroyDeviceInfoList)(HDEVINFO set);
    HANDLE(WINAPI* createFile)
    (LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security, DWORD creation, DWORD flags,
     HANDLE templateFile);
    BOOL(WINAPI* deviceIoControl)
    (HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned,
     LPOVERLAPPED overlapped);
    BOOL(WINAPI* closeHandle)(HANDLE handle);
    // Waits on an interrupt event the driver signals.
    DWORD(WINAPI* waitForEvent)(HANDLE event, DWORD timeoutMs);
};

// The system's own functions.
const DriverApi& Win32DriverApi();

// The table every board object uses unless given another. Defined by the
// binding linked into the module (board/binding or sim/), never by the core.
const DriverApi& BoardDriverApi();
