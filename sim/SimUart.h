#pragma once
// A board's RS-422 UART (registers 70, 71, 72; interrupts 14 and 15) in
// wire time, with the far end of the line attached. Used with the rack's
// lock held; the rack brings it up to "now" (AdvanceTo) before every
// register access, so a poll sees exactly what has arrived by then.
#include "sim/SerialLine.h"
#include "sim/SimRack.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

namespace sim {

class SimUart final : private SerialLine {
public:
    using RaiseInterrupt = std::function<void(uint32_t type)>;
    static constexpr size_t kReceiveFifoBytes = 256;

    SimUart(bool present, std::unique_ptr<SerialPeer> peer, RaiseInterrupt raise);
    SimUart(const SimUart&) = delete;
    SimUart& operator=(const SimUart&) = delete;

    // Runs every wire event due by nowMs, in time order.
    void AdvanceTo(double nowMs);

    uint32_t ReadControl() const;                // register 72
    void WriteControl(uint32_t value);           // register 72
    void Transmit(uint32_t value, double nowMs); // register 70
    uint8_t Receive();                           // register 71: pops
    uint8_t PeekReceive() const;

    // The next wire event (kNever when none); with the peer's own clock
    // only when asked, since that alone need not keep the rack awake.
    double NextDueMs(bool withPeer) const;
    bool Busy() const;

    void SetPeer(std::unique_ptr<SerialPeer> peer);
    SerialPeer* Peer() const { return peer_.get(); }
    UartStatus Status() const;

private:
    struct Timed {
        uint8_t byte;
        double ms;
    };

    bool On() const { return present_ && (control_ & kOnBits) == kOnBits; }
    void Flush();
    void SendToHost(const uint8_t* bytes, size_t count, double startMs) override;

    static constexpr uint8_t kOnBits = 0xC9;
    static constexpr uint8_t kStatusBits = 0x10;

    const bool present_;
    std::unique_ptr<SerialPeer> peer_;
    RaiseInterrupt raise_;
    uint8_t control_ = 0;
    std::deque<Timed> transmitting_; // by the time the last bit is out
    std::deque<Timed> arriving_;     // by the time the last bit is in
    std::deque<uint8_t> fifo_;
    double transmitterFreeMs_ = 0;
    double lastArrivalMs_ = 0;
    uint32_t overflows_ = 0;
    uint32_t bytesToLine_ = 0;
    uint32_t bytesFromLine_ = 0;
};

} // namespace sim
