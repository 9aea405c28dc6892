// The deck's status bytes as 60 flags and as a mode text.
#include "vtr/CSerialVtrControl.h"

#include <cmath>
#include <cstring>

namespace {

// Status byte and bit of flags 1 to 59; flag 0 is "status not readable".
// Flags 19 to 25 carry D3 from its top bit down (19 is auto mode).
constexpr uint8_t kFlagBits[59][2] = {
    {0, 5}, {0, 4}, {0, 0}, {1, 7}, {1, 5}, {1, 4}, {1, 3}, {1, 2}, {1, 1}, {1, 0}, {2, 7}, {2, 6},
    {2, 5}, {2, 4}, {2, 3}, {2, 2}, {2, 1}, {2, 0}, {3, 7}, {3, 6}, {3, 5}, {3, 4}, {3, 3}, {3, 2},
    {3, 1}, {4, 7}, {4, 6}, {4, 4}, {4, 3}, {4, 2}, {4, 1}, {4, 0}, {5, 6}, {5, 5}, {5, 4}, {5, 3},
    {5, 2}, {5, 1}, {5, 0}, {6, 6}, {6, 5}, {6, 4}, {6, 3}, {6, 2}, {6, 1}, {6, 0}, {7, 5}, {7, 4},
    {7, 2}, {7, 0}, {8, 7}, {8, 6}, {8, 5}, {8, 4}, {8, 3}, {8, 2}, {8, 1}, {8, 0}, {9, 7},
};

bool Bit(const uint8_t status[10], int byte, int bit)
{
    return (status[byte] >> bit) & 1;
}

// A mode named by one status bit; tables of them are tried in order.
struct BitMode {
    int byte;
    int bit;
    const char* mode;
};

template <size_t N> const char* FirstModeSet(const uint8_t status[10], const BitMode (&table)[N])
{
    for (const BitMode& entry : table) {
        if (Bit(status, entry.byte, entry.bit))
            return entry.mode;
    }
    return nullptr;
}

// The mode of a jog or shuttle from the speed last commanded.
const char* SpeedMode(double magnitude, bool reverse, const char** suffix)
{
    *suffix = "";
    const char* play = reverse ? "Reverse Play" : "Play";
    const char* wind = reverse ? "Rewind" : "Fast Forward";
    if (magnitude > 0.05 && magnitude < 1.0) {
        *suffix = magnitude < 0.5 ? " 1/4x" : " 1/2x";
        return play;
    }
    // Whole speeds compare truncated, the slow ones rounded.
    const int truncated = static_cast<int>(magnitude);
    const int rounded = static_cast<int>(magnitude + 0.5);
    if (truncated == 0)
        return "Still";
    static const struct {
        bool byRounding;
        int speed;
        bool wind;
        const char* suffix;
    } kForms[] = {
        {true, 1, false, ""},    {true, 2, false, " 2x"},   {true, 3, false, " 3x"},   {false, 4, false, " 4x"},
        {false, 8, true, " 8x"}, {false, 16, true, " 16x"}, {false, 32, true, " 32x"},
    };
    for (const auto& form : kForms) {
        if ((form.byRounding ? rounded : truncated) == form.speed) {
            *suffix = form.suffix;
            return form.wind ? wind : play;
        }
    }
    return nullptr;
}

} // namespace

bool CSerialVtrControl::StatusBytes(uint8_t status[10])
{
    // A corrupted answer could read as any mode, recording included: only a
    // whole status block with a good checksum is decoded.
    Reply reply;
    if (!Exchange({0x61, 0x20, 0x0A}, &reply) || !reply.IsBlock(0x7A, 0x20)) {
        NoteRefusal(reply);
        return false;
    }
    std::memcpy(status, reply.bytes + 2, 10);
    return true;
}

bool CSerialVtrControl::GetStatusFlags(uint8_t flags[kStatusFlagCount])
{
    uint8_t scratch[kStatusFlagCount];
    if (flags == nullptr)
        flags = scratch;
    // Every failure leaves the flags reading "not readable", so that a
    // caller that looks at them anyway sees nothing stale.
    std::memset(flags, 0, kStatusFlagCount);
    flags[0] = 1;
    uint8_t status[10];
    if (!DeckReady() || !StatusBytes(status))
        return false;
    flags[0] = 0;
    for (size_t flag = 1; flag < kStatusFlagCount; ++flag)
        flags[flag] = Bit(status, kFlagBits[flag - 1][0], kFlagBits[flag - 1][1]);
    return true;
}

bool CSerialVtrControl::GetMode(char* text)
{
    char scratch[kModeTextBytes];
    if (text == nullptr)
        text = scratch;
    uint8_t status[10];
    if (!DeckReady() || !StatusBytes(status)) {
        std::strcpy(text, "Offline");
        return false;
    }

    static const BitMode kTransport[] = {
        {0, 5, "Tape Out"}, {0, 0, "Local"},        {1, 5, "Stop"},   {1, 1, "Record"},
        {1, 0, "Play"},     {1, 2, "Fast Forward"}, {1, 3, "Rewind"}, {4, 0, "Seeking"},
    };
    if (const char* mode = FirstModeSet(status, kTransport)) {
        std::strcpy(text, mode);
        return true;
    }

    const bool jog = Bit(status, 2, 4);
    const bool shuttle = Bit(status, 2, 5);
    if (!jog && !shuttle) {
        static const BitMode kStill[] = {
            {1, 4, "Eject"}, {2, 3, "Variable"}, {2, 1, "Still"}, {2, 0, "Cue Up"}, {1, 7, "StandBy"},
        };
        // A deck that shows none of these is in no state this module
        // knows; callers compare the text, so it must still be one.
        const char* mode = FirstModeSet(status, kStill);
        std::strcpy(text, mode ? mode : "Unknown");
        return true;
    }

    // A deck that cannot tell its speed still has a mode, so a refusal here
    // is no failure of this call.
    const char* fallback = jog ? "Jog" : "Shuttle";
    Reply speed;
    if (!Exchange({0x60, 0x2E}, &speed) || !(speed.IsBlock(0x71, 0x2E) || speed.IsBlock(0x72, 0x2E))) {
        std::strcpy(text, fallback);
        return true;
    }
    const char* suffix = "";
    const char* mode = SpeedMode(std::fabs(commandSpeed_), Bit(status, 2, 2), &suffix);
    if (mode == nullptr) {
        std::strcpy(text, fallback);
        return true;
    }
    std::strcpy(text, mode);
    std::strcat(text, suffix);
    return true;
}
