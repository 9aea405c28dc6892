#pragma once
// Opening and closing the module's device control: one port per board
// found, the export event, and the editor's settings block loaded into the
// ports.
#include "host/DeviceRecord.h"
#include "host/PersistedSettings.h"

#include <cstdint>

class PluginController;

extern const char kPrintEventName[];

// 0 when at least one port opened (or already opened), else -2 with
// everything closed again.
int32_t OpenDeviceControl(PluginController* controller, const DeviceRecord* record,
                          PersistedSettings* stored);
// 0, or -2 when device control was not open.
int32_t CloseDeviceControl(PluginController* controller);

// Builds defaults for every slot into `out`; -2 when not open or no record.
int32_t DefaultPersistedSettings(PluginController* controller, PersistedSettings* out);
// Validates the editor's record slot by slot, falling back to defaults, and
// loads the result into the mirror and the ports. `stored` may be null
// (defaults) and is upgraded in place from the previous layout.
int32_t ApplyPersistedSettings(PluginController* controller, PersistedSettings* stored);

// Brings a record of the previous layout to the current one in place.
void UpgradePersistedSettings(PersistedSettings* block);
