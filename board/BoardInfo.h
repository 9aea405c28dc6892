#pragma once
// One board found by the scanner: where it is, what it is and what it can do.
#include "board/BoardModels.h"

#include <cstdint>
#include <vector>

// A four-character code as the number whose bytes, most significant first,
// are its characters.
constexpr uint32_t FourCharCode(const char (&code)[5])
{
    return (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) | (uint32_t(uint8_t(code[2])) << 8) |
           uint32_t(uint8_t(code[3]));
}

struct BoardInfo {
    uint32_t boardType = 0;    // 2, 4 or 8
    int32_t boardId = -1;      // register 50, -1 when unreadable
    uint32_t boardIndex = 0;   // within the board type
    char displayName[20] = {}; // "<model> - <index>"
    uint16_t counts[kCapabilityCounts] = {};
    uint8_t flags[kCapabilityFlags] = {};
    std::vector<uint32_t> audioSampleRates;
    std::vector<uint32_t> audioChannelCounts;
    std::vector<uint32_t> audioSampleSizes;
    std::vector<uint32_t> audioInputKinds;
    std::vector<uint32_t> audioOutputKinds;
    uint16_t furtherCounts[kFurtherCounts] = {};
    uint16_t analogOutputs = 0;
    uint32_t memoryGranule = 0;
};
