#pragma once
// What the export dialog's keyboard and shuttle bar ask of the deck, from
// the key or the bar's knob position and the deck's current speed.
#include <windows.h>

#include <cstdint>

class DeviceControlPort;

struct DeckAction {
    enum Kind { kNothing, kPlay, kStill, kReversePlay, kStepBack, kStepForward, kShuttle };
    Kind kind;
    double speed; // kShuttle only
};

// The hot keys: ids 6 to 13, no modifiers.
struct ExportHotKey {
    int id;
    UINT virtualKey;
};
constexpr int kExportHotKeyCount = 8;
extern const ExportHotKey kExportHotKeys[kExportHotKeyCount];

// The speed of a shuttle bar's knob position (clamped to the bar's).
double ShuttleSpeedAt(int32_t position);
// Play speed is a play; every other speed, -1 included, a shuttle.
DeckAction ShuttleAction(double speed);
// The action of hot key `id` with the deck at `deckSpeed`.
DeckAction HotKeyAction(int id, double deckSpeed);
// Sends the action to the port; 0, or the port's refusal.
int32_t RunDeckAction(DeviceControlPort* port, const DeckAction& action);
