#pragma once
// The settings the editor keeps for the module between runs: one block per
// port and the few module-wide choices. Both layouts are stored by the
// editor, so they are fixed to the byte. They hold no pointer: the asserts
// below are the same on both targets, so the 32-bit and the 64-bit module
// each read the block the other saved.
#include "vtr/ControlSettings.h"
#include "vtr/DeckBoardInfo.h"

#include <cstddef>
#include <cstdint>

constexpr uint32_t kSettingsMark = 0x12345735;
constexpr uint32_t kPreviousSettingsMark = 0x12345720;
constexpr int kMaxPorts = 8;

struct PortSettings {
    uint32_t mark; // kSettingsMark; 0 in an empty slot
    DeckBoardInfo board;
    ControlSettings timecode;
    int32_t timecodeOffset; // frames, -30 to 30
    int32_t delay;          // frames, 0 to 120
    int32_t editMode;       // 0 Print To Video, 1 Insert Edit
    uint8_t preview;
    uint8_t video;
    uint8_t audio[32];
    uint8_t unused[2];
};

static_assert(sizeof(PortSettings) == 296, "port settings are 296 bytes");
static_assert(offsetof(PortSettings, board) == 4, "port settings layout");
static_assert(offsetof(PortSettings, board.description) == 8, "port settings layout");
static_assert(offsetof(PortSettings, timecode) == 152, "port settings layout");
static_assert(offsetof(PortSettings, timecodeOffset) == 248, "port settings layout");
static_assert(offsetof(PortSettings, delay) == 252, "port settings layout");
static_assert(offsetof(PortSettings, editMode) == 256, "port settings layout");
static_assert(offsetof(PortSettings, preview) == 260, "port settings layout");
static_assert(offsetof(PortSettings, video) == 261, "port settings layout");
static_assert(offsetof(PortSettings, audio) == 262, "port settings layout");

struct PersistedSettings {
    uint32_t mark; // kSettingsMark, kPreviousSettingsMark, else no settings
    int32_t selectedPort;
    uint8_t embeddedTcCapture; // "Enable Embedded SDI TC In/Out Capture"
    uint8_t unused[3];
    PortSettings ports[kMaxPorts];
};

static_assert(sizeof(PersistedSettings) == 2380, "persisted settings are 2380 bytes");
static_assert(offsetof(PersistedSettings, selectedPort) == 4, "persisted layout");
static_assert(offsetof(PersistedSettings, embeddedTcCapture) == 8, "persisted layout");
static_assert(offsetof(PersistedSettings, ports) == 12, "persisted layout");
