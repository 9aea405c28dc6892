#pragma once
// What the simulated rack holds: its boards and what each reports. Read from
// the QUOR_SIM environment variable when the rack first starts.
#include "sim/deck/DeckSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// What is wired to a board's RS-422 port.
enum class LineKind {
    None,     // nothing: transmitted bytes vanish, nothing ever arrives
    Loopback, // every byte sent comes straight back
    Deck,     // a virtual VTR, set up from the board's deck settings
};

struct BoardConfig {
    uint32_t type = 4;              // 2, 4 or 8
    uint32_t boardId = 0x10440;     // value of register 50
    bool rs422 = true;              // register 72 bit 0x100
    uint32_t frameBufferFormat = 0; // register 0 bits 3 to 6
    bool aesInput = false;          // register 24 bit 21
    uint32_t driverFlags = 0x2000;  // register 10002
    LineKind line = LineKind::Deck;
    DeckSettings deck;
};

struct RackConfig {
    std::vector<BoardConfig> boards; // in order of configuration
};

// One board of type 4 with an RS-422 port and a deck on it.
RackConfig DefaultRackConfig();

// Parses the QUOR_SIM syntax (see the README). On error returns false and
// says why; the output is then unchanged.
bool ParseRackConfig(const std::string& text, RackConfig* config, std::string* error);

// The default, or the environment's QUOR_SIM when it is set and valid. An
// invalid setting is reported once on stderr and the default used.
RackConfig RackConfigFromEnvironment();

} // namespace sim
