#pragma once
// The RS-422 line between a simulated board's UART and whatever is wired to
// its far end. Times are rack-clock milliseconds (RackClockMs). Every call
// into a peer is made with the rack's lock held, from whichever thread
// brought the UART up to date, and always in time order: a peer must not
// call back into the rack, only into the line it is handed.
#include "sim/SimConfig.h"
#include "sim/deck/WireTiming.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

namespace sim {

constexpr double kNever = std::numeric_limits<double>::infinity();

// The board's end of the line, as the far end sees it.
class SerialLine {
public:
    // Puts bytes on the wire towards the board, the first starting no
    // earlier than startMs (which may lie in the future: a reply latency).
    // The line spaces them a wire-byte apart and queues them behind what is
    // already travelling. Never calls back into the peer.
    virtual void SendToHost(const uint8_t* bytes, size_t count, double startMs) = 0;

protected:
    ~SerialLine() = default;
};

// What is wired to the far end.
class SerialPeer {
public:
    virtual ~SerialPeer() = default;

    // A byte from the board has arrived whole (its stop bit is out) at atMs.
    virtual void FromHost(uint8_t byte, double atMs, SerialLine& line) = 0;

    // For a far end with a clock of its own: when it next wants AdvanceTo
    // though no byte arrives (kNever when it has nothing to do). Only while a
    // device handle is open is it woken for this; a peer must not rely on
    // ticks to stay correct, only to speak unprompted.
    virtual double NextDueMs() const { return kNever; }
    virtual void AdvanceTo(double /*nowMs*/, SerialLine& /*line*/) {}
};

// The far end a board's configuration asks for; null when nothing is wired.
std::unique_ptr<SerialPeer> MakeSerialPeer(const BoardConfig& board);

// The rack clock: milliseconds from a fixed origin, monotonic.
double RackClockMs();

} // namespace sim
