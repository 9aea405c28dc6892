#pragma once
// How a virtual deck starts out and which faults it shows, as the
// simulation's configuration sets them.
#include "sim/deck/DeckTimecode.h"

#include <cstdint>
#include <limits>

namespace sim {

struct DeckFaults {
    bool silent = false;        // hears and obeys, never answers
    bool nakAll = false;        // refuses every command with a NAK
    uint32_t garbleEvery = 0;   // every Nth reply has a byte corrupted (0 never)
    uint32_t truncateEvery = 0; // every Nth reply loses its second half (0 never)
    uint32_t overlongEvery = 0; // every Nth reply runs on with 40 more bytes (0 never)
    // Non-zero: every reply is replaced by 1 to 40 random bytes from this seed.
    uint32_t randomSeed = 0;
    // Goes away this long after the first byte it hears (negative: never):
    // from then on it neither hears nor answers.
    double unplugAfterMs = -1;
};

// The gap between two bytes of one command block after which the deck
// drops the block and answers with a time-out NAK: the protocol's 10 ms.
constexpr double kInterByteTimeoutMs = 10.0;

// What the deck answers to the device type request: in the range that
// broadcast digital decks announce.
constexpr uint16_t kDefaultDeviceType = 0x2025;

struct DeckSettings {
    bool tapeIn = true;
    bool remote = true;
    bool recordInhibit = false;
    TapeFormatId format = TapeFormatId::Df30;
    TimeLabel start{1, 0, 0, 0, false};
    double latencyMs = 1.0; // from a command's last byte to the reply's first
    uint16_t deviceType = kDefaultDeviceType;
    // Tests on a loaded machine widen it, so that a stalled thread does not
    // break a packet the module sent whole.
    double interByteTimeoutMs = kInterByteTimeoutMs;
    DeckFaults faults;
};

} // namespace sim
