#pragma once
// The 9-pin line: 38400 baud, 8 data bits, odd parity, one stop bit.
namespace sim {

constexpr double kWireBitsPerByte = 11.0;
constexpr double kWireBaud = 38400.0;
constexpr double kWireByteMs = kWireBitsPerByte * 1000.0 / kWireBaud;

}  // namespace sim
