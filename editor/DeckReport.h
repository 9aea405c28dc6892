#pragma once
// What the editor is told about the deck: its position and its mode.
#include "editor/DeviceRecord.h"

#include <cstdint>

class DeviceControlPort;

// The editor's mode numbers that the module reports on its own account.
enum HostMode : int16_t {
    kModeStopped = 0,
    kModePlay = 1,
    kModeStill = 4,
    kModeFastForward = 5,
    kModeRewind = 6,
    kModeRecord = 7,
    kModeGoto = 8,
    kModeStepForward = 9,
    kModeStepBack = 10,
    kModeTapeOut = 14,
    kModeOffline = 15,
};

// The rate at which the editor counts the port's frames: its nominal rate
// (24, 25 or 30, so double-rate formats count pairs), in thousandths, with
// the format's divisor and drop-frame flag.
struct HostTimecodeRate {
    int32_t rate;
    int32_t divisor;
    uint8_t dropFrame;
    uint16_t nominal;
};
HostTimecodeRate HostRateOf(DeviceControlPort* port);

// The editor's mode number for the port's status text; -1 when the text is
// not one the editor knows.
int16_t ModeFromStatusText(DeviceControlPort* port);

// Writes the deck's timecode into the record as a frame count with its
// rate and drop-frame flag, and copies the timecode text (12 bytes) into
// `text`. 0; -1 when the deck gave no time (the zero text, frame 0).
int32_t ReportDeckPosition(DeviceControlPort* port, DeviceRecord* record, char* text);

// The deck is offline: drop frame 0, rate 30, mode 15, frame 0.
void ReportOffline(DeviceRecord* record);
