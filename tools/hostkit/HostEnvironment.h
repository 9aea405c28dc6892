#pragma once
// The editor's side of the device-control interface: the device record, the
// function tables behind it, handle memory with an account of what is still
// allocated, the suite access object, an abort flag and a position display.
// Host functions are plain C callbacks without context, so there is one
// environment per process.
#include "editor/DeviceRecord.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class HostEnvironment {
public:
    static HostEnvironment& Instance();

    DeviceRecord record;
    DeviceRecord* recordPointer;
    DeviceHandle Handle() { return &recordPointer; }

    // Clears the record to zeros and wires fresh function tables in; the
    // account of handles and suites is kept.
    void ResetRecord();

    // Handle memory.
    size_t LiveHandleCount() const { return handles_.size(); }
    bool IsLiveHandle(HostHandle h) const { return handles_.count(h) != 0; }
    int32_t HandleSize(HostHandle h) const;
    HostHandle NewHandle(int32_t size);
    void DisposeHandle(HostHandle h);
    void DisposeAllHandles();
    // The next `count` allocations fail, as a host out of memory would.
    void FailNextAllocations(int count) { failAllocations_ = count; }
    int disposeOfUnknownHandle = 0; // disposals of handles we never gave
    int writesPastHandles = 0;      // handles disposed of with their guard hit

    // Suites: names currently acquired, with their count.
    std::map<std::string, int> acquiredSuites;
    int suiteAcquireCalls = 0;
    int suiteReleaseCalls = 0;
    bool basicSuiteAvailable = true;

    HWND mainWindow = nullptr;
    volatile LONG abortRequested = 0;

    // Position display: every position shown while the module cues.
    std::vector<int32_t> positionsShown;
    // Called with every position shown, when set: a live display of a cue.
    void (*positionListener)(int32_t frame, int32_t reference) = nullptr;

private:
    static constexpr size_t kHandleGuard = 16;
    static constexpr char kGuardByte = char(0xA5);
    HostEnvironment();
    std::map<HostHandle, int32_t> handles_;
    int failAllocations_ = 0;
    HostTables tables_;
    HostMemoryFuncs memory_;
    HostWindowFuncs window_;
    HostSuiteFuncs suites_;
};
