#pragma once
// Export to Tape from the editor's side: the launcher of the export dialog
// (modal for the settings, modeless for the status), the editor's command
// and the callback it polls through the run's phases.
#include "editor/DeviceRecord.h"
#include "port/PersistedSettings.h"

#include <windows.h>
#include <cstdint>

class PluginController;

// Modal: the dialog's outcome as a result code (the edit's start, or
// 100008 when the user cancelled), with the chosen settings in `out`.
// Modeless: 0 once the dialog exists. -2 when device control is not open or
// an export dialog is already open.
int32_t RunExportDialog(PluginController* controller, HWND parent, PersistedSettings* out, bool modeless);

// The editor's results of an export: cancelled or failed, and finished.
constexpr int16_t kExportCancelled = 5;
constexpr int16_t kExportFinished = 7;

// The callback the editor calls with phase 1, 2 or 3 while the export runs.
extern "C" int16_t PrintToTapeCallback(DeviceHandle handle, int32_t phase);

// The editor's Export to Tape command (Execute command 10).
int16_t ExportToTape(PluginController* controller, DeviceRecord* record);
