#pragma once
// Locate with preroll: cue the deck ahead of a target, play into it, and
// return once a read of the deck's timecode is exactly the target.
#include "editor/DeviceRecord.h"

class DeviceControlPort;
class PluginController;

// Target and preroll come from the record's frame count and preroll; the
// editor's position display is fed while the deck cues and its abort
// function ends the locate with the deck stopped (record mode 0).
void LocateWithPreroll(PluginController* controller, DeviceControlPort* port, DeviceRecord* record);
