#pragma once
// What the module knows of each board model by its board ID: display name,
// capabilities and frame memory. Unknown IDs get "BOARD NOT FOUND", no
// capabilities and no memory.
#include <cstdint>

extern const char kUnknownBoardName[]; // "BOARD NOT FOUND"

constexpr int kCapabilityCounts = 9;
constexpr int kCapabilityFlags = 13;
constexpr int kFurtherCounts = 6;

enum CapabilityCount {
    kCountVideoInputs,
    kCountVideoOutputs,
    kCountSerialPorts,
    kCountReferenceInputs,
    kCountLtcInputs,
    kCountLtcOutputs,
    kCountDmaEngines,
    kCountFrameStores,
    kCountLutBanks,
};

enum CapabilityFlag {
    kCapHasAudio,
    kCapAudio96k,
    kCapAudio2Channels,
    kCapAudio6Channels,
    kCapAudio8Channels,
    kCapAnalogAudioInput,
    kCapHighDefinition,
    kCapDualLink,
    kCapKeyOutput,
    kCapAnalogVideoOutput,
    kCapDownConverter,
    kCapRs422Port,
    kCapBitFileSwitch,
};

enum FurtherCount {
    kFurtherMixers,
    kFurtherColourConverters,
    kFurtherUpConverters,
    kFurtherDownConverters,
    kFurtherCrossPoints,
    kFurtherAncillaryInserters,
};

struct BoardCapabilities {
    uint16_t counts[kCapabilityCounts];
    uint8_t flags[kCapabilityFlags]; // each 0 or 1
    uint16_t furtherCounts[kFurtherCounts];
    uint16_t analogOutputs; // 0, 3 or 4
    uint32_t memoryGranule; // 0x10000 or 0x80000
};

struct BoardMemory {
    uint32_t memorySize; // bytes of frame memory, 0 for an unknown board
    uint32_t frameSize;  // bytes per frame buffer
    uint32_t frameCount; // frame buffers
};

const char* BoardModelName(int32_t boardId);
BoardCapabilities CapabilitiesForBoard(int32_t boardId);
// frameBufferFormat: bits 3 to 6 of register 0. Some formats need frames of
// twice the size, and then half as many fit.
BoardMemory BoardMemoryFor(int32_t boardId, uint32_t frameBufferFormat);
// Boards whose frame memory is seen through two windows.
bool HasSplitFrameWindow(int32_t boardId);
