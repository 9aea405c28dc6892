#pragma once
// The rack behind the driver-API table: its boards, the objects it has
// handed out, the faults to inject and the log. One lock guards all of it;
// every member is used with the lock held (RackLock).
#include "sim/SimRack.h"
#include "sim/SimUart.h"

#include <windows.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sim {

constexpr uint32_t kInterruptTypes = 16;
constexpr uint32_t kMappingKinds = 3;

struct SimBoard {
    int serial = 0; // never reused, so stale references miss
    BoardConfig config;
    uint32_t indexInType = 0;
    std::string path;
    std::map<uint32_t, uint32_t> registers; // everything outside the UART
    bool enabled[kInterruptTypes] = {};
    uint32_t counts[kInterruptTypes] = {};
    std::vector<DmaBuffer> locked;
    std::map<uint32_t, uint32_t> circulateState; // by channel
    uint32_t transfers = 0;
    std::unique_ptr<SimUart> uart;

    // pop: a read of register 71 takes the byte; a peek leaves it.
    uint32_t Read(uint32_t reg, bool pop);
    // A write from the host, with the hardware's read-only parts kept.
    void Write(uint32_t reg, uint32_t value, uint32_t mask, uint32_t shift, double nowMs);
    // A test's store past the read-only rules.
    void Store(uint32_t reg, uint32_t value, double nowMs);
};

struct DeviceHandle {
    HANDLE token = nullptr;    // a real handle, so that it is unique
    SimBoard* board = nullptr; // null once the rack is reconfigured
    bool exclusive = false;
    HANDLE events[kInterruptTypes] = {}; // the driver's duplicates
    void* mappings[kMappingKinds] = {};
};

struct InfoSet {
    GUID guid;
    unsigned generation; // boards of another generation are gone
};

class RackState {
public:
    static RackState& Instance();

    void Enter() { EnterCriticalSection(&lock_); }
    void Leave() { LeaveCriticalSection(&lock_); }

    void Configure(const RackConfig& config);

    SimBoard* BoardAt(int position) const;
    int PositionOf(const SimBoard* board) const;
    SimBoard* BoardBySerial(int serial) const;
    std::vector<SimBoard*> BoardsOf(const InfoSet& set) const;
    DeviceHandle* FindHandle(HANDLE handle) const;
    InfoSet* FindInfoSet(HDEVINFO set) const;

    // Gives back what the driver holds for the handle, leaving the handle.
    void Release(DeviceHandle& handle);

    // The first fault that matches the call, counted down; false when none.
    bool TakeFault(Call call, int board, int propertyId, int flags, int registerNumber, FaultMode* mode);
    void Record(LoggedCall entry);
    void Raise(SimBoard& board, uint32_t type);
    void FillNoise(uint8_t* bytes, size_t count);

    // Brings every UART up to now.
    void AdvanceUarts(double nowMs);
    // Starts the service thread when there is work for it and wakes it to
    // look at the wire's clock again.
    void WakeService();

    RackConfig config;
    std::vector<std::unique_ptr<SimBoard>> boards;
    std::vector<std::unique_ptr<DeviceHandle>> handles;
    std::vector<std::unique_ptr<InfoSet>> infoSets;
    std::vector<Fault> faults;
    std::deque<LoggedCall> log;
    unsigned generation = 0;
    bool serviceRunning = false;

private:
    RackState();
    static DWORD WINAPI ServiceMain(void* module);
    bool ServiceNeeded() const;
    DWORD ServiceWaitMs(double nowMs) const;

    CRITICAL_SECTION lock_;
    HANDLE wake_ = nullptr;
    int nextSerial_ = 1;
    uint32_t noise_ = 0x2545F491u;
};

class RackLock {
public:
    explicit RackLock(RackState& rack) : rack_(rack) { rack_.Enter(); }
    ~RackLock() { rack_.Leave(); }
    RackLock(const RackLock&) = delete;
    RackLock& operator=(const RackLock&) = delete;

private:
    RackState& rack_;
};

// One board request on an open handle whose board is present: the request's
// header is checked already. Returns the error (0 done) and the bytes
// written, never more than outSize.
DWORD AnswerBoardRequest(RackState& rack, DeviceHandle& handle, const std::vector<uint8_t>& request, uint8_t* out,
                         DWORD outSize, DWORD* written);

std::string DevicePathFor(uint32_t type, uint32_t indexInType);

} // namespace sim
