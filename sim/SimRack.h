#pragma once
// A rack of simulated boards behind the driver-API table: it enumerates the
// configured boards per type, hands out device handles and answers board
// requests by decoding the request bytes, as the kernel driver would. Tests
// reach it in-process to configure boards, inject faults and read the log.
#include "board/DriverApi.h"
#include "sim/SerialLine.h"
#include "sim/SimConfig.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sim {

class SimUart;
class RackState;
class VirtualVtr;

enum class Call {
    GetClassDevs,
    EnumInterfaces,
    GetInterfaceDetail,
    DestroyInfoList,
    CreateFile,
    IoControl,
    CloseHandle,
};

struct LoggedCall {
    Call call;
    int32_t board = -1;      // rack position of the board concerned, -1 none
    uint32_t code = 0;       // IoControl: control code
    uint32_t propertyId = 0; // IoControl: bytes 16 to 19 of the request
    uint32_t flags = 0;      // IoControl: bytes 20 to 23
    uint32_t inSize = 0;
    uint32_t outSize = 0;
    std::vector<uint8_t> request; // IoControl: the input bytes as received
    bool succeeded = false;
};

enum class FaultMode {
    Fail,        // the call returns failure (SetLastError set as a driver would)
    ShortOutput, // succeeds but reports fewer bytes returned than asked for
    Garbage,     // succeeds after filling the whole output area with noise
};

struct Fault {
    Call call = Call::IoControl;
    int32_t propertyId = -1;     // IoControl only: -1 any
    int32_t flags = -1;          // IoControl only: -1 any
    int32_t registerNumber = -1; // register requests only: -1 any
    int32_t board = -1;          // rack position, -1 any
    int32_t skip = 0;            // matching calls let through before the first hit
    int32_t remaining = -1;      // calls still to hit, -1 for ever
    FaultMode mode = FaultMode::Fail;
};

struct UartStatus {
    bool present = false;          // the board has an RS-422 port
    bool on = false;               // control bits 0xC9 all set
    uint8_t control = 0;           // low byte last written to register 72
    uint32_t transmitQueued = 0;   // written, last bit not yet out
    uint32_t receiveWaiting = 0;   // in the receive FIFO
    uint32_t receiveOverflows = 0; // arrived with the FIFO full: lost
    uint32_t bytesToLine = 0;      // handed to the far end
    uint32_t bytesFromLine = 0;    // arrived from the far end
};

// A host buffer registered with the board (a to-host DMA request of frame 0
// with a byte count), until a from-host request of count 0 releases it.
struct DmaBuffer {
    uintptr_t address = 0;
    uint32_t byteCount = 0;
};

class SimRack {
public:
    // The process's rack, configured from the environment on first use.
    // Never destroyed: its service thread may outlive static destruction.
    static SimRack& Instance();

    // Replaces the boards. Handles and info sets still open stay valid
    // objects but refer to no board: their requests fail.
    void Configure(const RackConfig& config);
    RackConfig Configuration() const;

    void AddFault(const Fault& fault);
    void ClearFaults();

    std::vector<LoggedCall> Log() const;
    void ClearLog();

    // Leak accounting: objects handed out and not yet given back.
    int LiveInfoSets() const;
    int LiveDeviceHandles() const;
    int LiveSubscriptions() const; // event handles the driver holds
    int LiveMappings() const;      // address ranges mapped and not unmapped

    // Board state by rack position (order of configuration).
    int BoardCount() const;
    // As a whole-register read would answer, except that register 71 is
    // peeked rather than popped.
    uint32_t RegisterValue(int board, uint32_t reg) const;
    // Stores as the hardware would see it: the board ID (50), the driver
    // flags (10002) and the AES bit of 24 take the value too; 70 and 72 act
    // as a write from the host; 71 is left alone.
    void SetRegisterValue(int board, uint32_t reg, uint32_t value);
    bool InterruptEnabled(int board, uint32_t type) const;
    // Raises an interrupt as the board hardware would: counted and signalled
    // to every subscriber when enabled.
    void RaiseInterrupt(int board, uint32_t type);
    uint32_t InterruptCount(int board, uint32_t type) const;
    std::vector<DmaBuffer> LockedDmaBuffers(int board) const;

    // The path that names the board to createFile ("" past the last board).
    std::string DevicePath(int board) const;

    UartStatus Uart(int board) const;
    // Wires another far end to the board's line (null: nothing). The peer is
    // then called under the rack's lock; see SerialLine.h.
    void SetSerialPeer(int board, std::unique_ptr<SerialPeer> peer);
    // Calls fn with the deck on the board's line, brought up to nowMs, under
    // the rack's lock: fn must not call into the rack. False when the board
    // has no deck on its line.
    bool WithDeck(int board, const std::function<void(VirtualVtr& deck, double nowMs)>& fn);

    // Whether the service thread that runs the wire's clock is alive: only
    // while a device handle is open or bytes are still travelling.
    bool ServiceRunning() const;

    const DriverApi& Api() const;

private:
    SimRack();
    RackState& state_;
};

// The simulation binding's table (the same as SimRack::Instance().Api()).
const DriverApi& SimDriverApi();

} // namespace sim
