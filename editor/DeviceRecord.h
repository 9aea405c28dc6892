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
    HostNewHandleFn NewHandle; // slot 4
    void* reserved14[2];
    HostDisposeHandleFn DisposeHandle; // slot 7
};

struct HostWindowFuncs {
    void* reserved00;
    HostMainWindowFn MainWindow; // slot 1
};

struct HostSuiteFuncs {
    void* reserved00[7];
    HostBasicSuiteFn BasicSuite; // slot 7
};

struct HostTables {
    void* reserved00;
    HostMemoryFuncs* memory; // slot 1
    HostWindowFuncs* window; // slot 2
    void* reserved0C;
    HostSuiteFuncs* suites; // slot 4
};

struct DeviceRecord {
    HostHandle settings; // the module's PersistedSettings
    int16_t command;     // Execute command code
    int16_t mode;        // requested mode or shuttle speed in, current mode out
    int32_t timecode;    // frame count: target in, position out
    uint16_t dropFrame;
    uint16_t frameRate; // 24, 25 or 30
    uint32_t features;
    uint8_t hostReserved14[2];
    int16_t preroll; // frames
    HostAbortFn abortFn;
    uint8_t hostReserved1C[8];
    int32_t exportEnd; // end position of an export, frames
    uint8_t hostReserved28[8];
    PrintToTapeCallbackFn printCallback; // set or cleared by the module
    HWND parentWindow;                   // 0: none given
    HostTables* tables;
    char* nameBuffer; // receives the device name
    HostPositionFn positionFn;
    int32_t positionReference;
    uint8_t hostReserved48[0x38];
};

// Where the editor keeps each field: the given layout of a 32-bit editor, and
// the natural one of a 64-bit editor (pointers of 8 bytes on 8-byte bounds).
struct DeviceRecordLayout {
    size_t settings, command, mode, timecode, dropFrame, frameRate, features, preroll, abortFn, exportEnd,
        printCallback, parentWindow, tables, nameBuffer, positionFn, positionReference, size;
    size_t tablesMemory, tablesWindow, tablesSuites, newHandle, disposeHandle, mainWindow, basicSuite;
};
#ifdef _WIN64
constexpr DeviceRecordLayout kRecordLayout = {0x00, 0x08, 0x0A, 0x0C, 0x10, 0x12, 0x14, 0x1A, 0x20, 0x30, 0x40, 0x48,
                                              0x50, 0x58, 0x60, 0x68, 168,  0x08, 0x10, 0x20, 0x20, 0x38, 0x08, 0x38};
#else
constexpr DeviceRecordLayout kRecordLayout = {0x00, 0x04, 0x06, 0x08, 0x0C, 0x0E, 0x10, 0x16, 0x18, 0x24, 0x30, 0x34,
                                              0x38, 0x3C, 0x40, 0x44, 128,  0x04, 0x08, 0x10, 0x10, 0x1C, 0x04, 0x1C};
#endif

static_assert(offsetof(DeviceRecord, settings) == kRecordLayout.settings, "record layout");
static_assert(offsetof(DeviceRecord, command) == kRecordLayout.command, "record layout");
static_assert(offsetof(DeviceRecord, mode) == kRecordLayout.mode, "record layout");
static_assert(offsetof(DeviceRecord, timecode) == kRecordLayout.timecode, "record layout");
static_assert(offsetof(DeviceRecord, dropFrame) == kRecordLayout.dropFrame, "record layout");
static_assert(offsetof(DeviceRecord, frameRate) == kRecordLayout.frameRate, "record layout");
static_assert(offsetof(DeviceRecord, features) == kRecordLayout.features, "record layout");
static_assert(offsetof(DeviceRecord, preroll) == kRecordLayout.preroll, "record layout");
static_assert(offsetof(DeviceRecord, abortFn) == kRecordLayout.abortFn, "record layout");
static_assert(offsetof(DeviceRecord, exportEnd) == kRecordLayout.exportEnd, "record layout");
static_assert(offsetof(DeviceRecord, printCallback) == kRecordLayout.printCallback, "record layout");
static_assert(offsetof(DeviceRecord, parentWindow) == kRecordLayout.parentWindow, "record layout");
static_assert(offsetof(DeviceRecord, tables) == kRecordLayout.tables, "record layout");
static_assert(offsetof(DeviceRecord, nameBuffer) == kRecordLayout.nameBuffer, "record layout");
static_assert(offsetof(DeviceRecord, positionFn) == kRecordLayout.positionFn, "record layout");
static_assert(offsetof(DeviceRecord, positionReference) == kRecordLayout.positionReference, "record layout");
static_assert(sizeof(DeviceRecord) == kRecordLayout.size, "record size");

static_assert(offsetof(HostTables, memory) == kRecordLayout.tablesMemory, "host tables");
static_assert(offsetof(HostTables, window) == kRecordLayout.tablesWindow, "host tables");
static_assert(offsetof(HostTables, suites) == kRecordLayout.tablesSuites, "host tables");
static_assert(offsetof(HostMemoryFuncs, NewHandle) == kRecordLayout.newHandle, "host tables");
static_assert(offsetof(HostMemoryFuncs, DisposeHandle) == kRecordLayout.disposeHandle, "host tables");
static_assert(offsetof(HostWindowFuncs, MainWindow) == kRecordLayout.mainWindow, "host tables");
static_assert(offsetof(HostSuiteFuncs, BasicSuite) == kRecordLayout.basicSuite, "host tables");

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
