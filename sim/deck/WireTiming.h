#pragma once
// The 9-pin line: 38400 baud, 8 data bits, odd parity, one stop bit.
#include <cstddef>
#include <cstdint>

namespace sim {

constexpr double kWireBitsPerByte = 11.0;
constexpr double kWireBaud = 38400.0;
constexpr double kWireByteMs = kWireBitsPerByte * 1000.0 / kWireBaud;

// A block's checksum: the low byte of the sum of the bytes before it.
inline uint8_t BlockChecksum(const uint8_t* bytes, size_t count)
{
    uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum = static_cast<uint8_t>(sum + bytes[i]);
    return sum;
}

} // namespace sim
