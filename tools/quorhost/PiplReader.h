#pragma once
// Reading a plug-in property list ("PIPL" resource): a 16-bit word 1, a 32-bit
// version 0, a 32-bit property count, then per property vendor, key, id and
// data length (32 bits each) and the data padded to a multiple of 4. Every
// value is little-endian; four-character codes are 32-bit values, so '8BIM'
// lies in the resource as the bytes "MIB8".
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorhost {

constexpr uint32_t FourCC(const char (&code)[5])
{
    return (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) | (uint32_t(uint8_t(code[2])) << 8) |
           uint32_t(uint8_t(code[3]));
}

// A code as its four characters, or as hex when any is not printable.
std::string FourCCText(uint32_t code);

struct PiplProperty {
    uint32_t vendor = 0;
    uint32_t key = 0;
    uint32_t id = 0;
    std::vector<uint8_t> data; // without the padding
};

struct PiplInfo {
    std::vector<PiplProperty> properties;
    // The first property with this vendor and key, or null.
    const PiplProperty* Find(uint32_t vendor, uint32_t key) const;
};

// Parses `size` bytes. Every field is checked against the size, so any input
// gives either a list or an error text.
bool ParsePipl(const void* bytes, size_t size, PiplInfo& out, std::string& error);

// The code entry this host looks for: a 64-bit editor enters only modules
// that name their entry for 64-bit Windows in '8664'; a 32-bit device module
// carries no code entry and is entered at xDevice (0: none looked for).
#ifdef _WIN64
constexpr uint32_t kHostCodeKey = FourCC("8664");
#else
constexpr uint32_t kHostCodeKey = 0;
#endif

// A device-control module's list must say kind 'DevC' and carry its display
// name as a length-prefixed string in 'name' (vendor '8BIM' for all). With a
// code key, the list must also hold that code entry: the entry's name,
// zero-terminated within its data; without one, the entry is xDevice.
bool CheckDevicePipl(const PiplInfo& pipl, uint32_t codeKey, std::string& displayName, std::string& entryName,
                     std::string& error);

} // namespace quorhost
