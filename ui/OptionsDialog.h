#pragma once
// The device-control options dialog: which board's deck port the module
// drives, the deck's timecode format and source, and embedded SDI timecode on
// capture. Every choice acts at once on the live port; RunOptionsDialog keeps
// the changes on Ok and puts the saved settings back on Cancel.
#include "host/PersistedSettings.h"

#include <windows.h>
#include <cstdint>

class DeviceControlPort;
class PluginController;

// 0, or -2 while device control is not open or a module dialog is open.
// `hostRecord` (may be null) receives the settings the dialog ends with.
int32_t RunOptionsDialog(PluginController* controller, HWND parent, PersistedSettings* hostRecord);

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Loads the dialog's controls from `port`; nothing for a null port.
void RefreshOptionsDialog(PluginController* controller, HWND dialog, DeviceControlPort* port);
// The setting controls are usable only on an active port with deck control.
void EnableOptionsControls(HWND dialog, DeviceControlPort* port);
