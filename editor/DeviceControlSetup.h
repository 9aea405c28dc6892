#pragma once
// Opening and closing the module's device control: one port per board
// found, the export event, and the editor's settings block loaded into the
// ports.
#include "editor/DeviceRecord.h"
#include "port/PersistedSettings.h"

#include <cstdint>

class PluginController;

extern const char kPrintEventName[];

// 0 when at least one port opened (or already opened), else -2 with
// everything closed again.
int32_t OpenDeviceControl(PluginController* controller, const DeviceRecord* record, PersistedSettings* stored);
// 0, or -2 when device control was not open.
int32_t CloseDeviceControl(PluginController* controller);
