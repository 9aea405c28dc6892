#pragma once
// The editor's device record and function tables, as far as the module reads
// and writes them. Every other byte belongs to the editor.
#include <windows.h>
#include <cstddef>
#include <cstdint>

// A memory handle of the editor: a pointer to the pointer to the block.
typedef char** HostHandle;

extern "C" {
typedef HostHandle (*HostNewHandleFn)(int32_t size);
typedef void (*HostDisposeHandleFn)(HostHandle handle);
typedef HWND (*HostMainWindowFn)(void);
typedef int32_t (*HostAcquireSuiteFn)(const char* name, int32_t version, const void** suite);
typedef int32_t (*HostReleaseSuiteFn)(const char* name, int32_t version);
typedef int32_t (*HostAbortFn)(void);
typedef void (*HostPositionFn)(int32_t frame, int32_t reference);
}

struct DeviceRecord;
// xDevice's handle argument points to the pointer to the record.
typedef DeviceRecord** DeviceHandle;
extern "C" typedef int16_t (*PrintToTapeCallbackFn)(DeviceHandle handle, int32_t phase);

// The suite access object: its first two slots acquire and release a suite.
struct HostBasicSuite {
    HostAcquireSuiteFn AcquireSuite;
    HostReleaseSuiteFn ReleaseSuite;
};

extern "C" typedef HostBasicSuite* (*HostBasicSuiteFn)(void);

struct HostMemoryFuncs {
    void* reserved00[4];
    HostNewHandleFn NewHandle;           // +0x10
    void* reserved14[2];
    HostDisposeHandleFn DisposeHandle;   // +0x1C
};

struct HostWindowFuncs {
    void* reserved00;
    HostMainWindowFn MainWindow;         // +0x04
};

struct HostSuiteFuncs {
    void* reserved00[7];
    HostBasicSuiteFn BasicSuite;         // +0x1C
};

struct HostTables {
    void* reserved00;
    HostMemoryFuncs* memory;             // +0x04
    HostWindowFuncs* window;             // +0x08
    void* reserved0C;
    HostSuiteFuncs* suites;              // +0x10
};

struct DeviceRecord {
    HostHandle settings;                 // the module's PersistedSettings
    int16_t command;                     // Execute command code
    int16_t mode;                        // requested mode or shuttle speed in, current mode out
    int32_t timecode;                    // frame count: target in, position out
    uint16_t dropFrame;
    uint16_t frameRate;                  // 24, 25 or 30
    uint32_t features;
    uint8_t hostReserved14[2];
    int16_t preroll;                     // frames
    HostAbortFn abortFn;
    uint8_t hostReserved1C[8];
    int32_t exportEnd;                   // end position of an export, frames
    uint8_t hostReserved28[8];
    PrintToTapeCallbackFn printCallback; // set or cleared by the module
    HWND parentWindow;                   // 0: none given
    HostTables* tables;
    char* nameBuffer;                    // receives the device name
    HostPositionFn positionFn;
    int32_t positionReference;
    uint8_t hostReserved48[0x38];
};

static_assert(offsetof(DeviceRecord, settings) == 0x00, "record layout");
static_assert(offsetof(DeviceRecord, command) == 0x04, "record layout");
static_assert(offsetof(DeviceRecord, mode) == 0x06, "record layout");
static_assert(offsetof(DeviceRecord, timecode) == 0x08, "record layout");
static_assert(offsetof(DeviceRecord, dropFrame) == 0x0C, "record layout");
static_assert(offsetof(DeviceRecord, frameRate) == 0x0E, "record layout");
static_assert(offsetof(DeviceRecord, features) == 0x10, "record layout");
static_assert(offsetof(DeviceRecord, preroll) == 0x16, "record layout");
static_assert(offsetof(DeviceRecord, abortFn) == 0x18, "record layout");
static_assert(offsetof(DeviceRecord, exportEnd) == 0x24, "record layout");
static_assert(offsetof(DeviceRecord, printCallback) == 0x30, "record layout");
static_assert(offsetof(DeviceRecord, parentWindow) == 0x34, "record layout");
static_assert(offsetof(DeviceRecord, tables) == 0x38, "record layout");
static_assert(offsetof(DeviceRecord, nameBuffer) == 0x3C, "record layout");
static_assert(offsetof(DeviceRecord, positionFn) == 0x40, "record layout");
static_assert(offsetof(DeviceRecord, positionReference) == 0x44, "record layout");
static_assert(sizeof(DeviceRecord) == 128, "the record is 128 bytes");

static_assert(offsetof(HostTables, memory) == 0x04, "host tables");
static_assert(offsetof(HostTables, window) == 0x08, "host tables");
static_assert(offsetof(HostTables, suites) == 0x10, "host tables");
static_assert(offsetof(HostMemoryFuncs, NewHandle) == 0x10, "host tables");
static_assert(offsetof(HostMemoryFuncs, DisposeHandle) == 0x1C, "host tables");
static_assert(offsetof(HostWindowFuncs, MainWindow) == 0x04, "host tables");
static_assert(offsetof(HostSuiteFuncs, BasicSuite) == 0x1C, "host tables");

// Selectors of xDevice.
enum DeviceSelector : int16_t {
    kSelectorInitialise = 0,
    kSelectorSetup = 1,
    kSelectorExecute = 2,
    kSelectorCleanup = 3,
    kSelectorRestart = 4,
    kSelectorReleasePorts = 5,
};

extern "C" int16_t xDevice(int16_t selector, DeviceHandle handle);
