#pragma once
// The device-control options dialog: which board's deck port the module
// drives, the deck's timecode format and source, and embedded SDI timecode on
// capture. Every choice acts at once on the live port; RunOptionsDialog keeps
// the changes on Ok and puts the saved settings back on Cancel.
#include "port/PersistedSettings.h"

#include <windows.h>
#include <cstdint>

class DeviceControlPort;
struct DialogContext;

// 0, or -2 while device control is not open or the options dialog is open
// already; the editor's set-up keeps it from opening over an export.
// `hostRecord` (may be null) receives the settings the dialog ends with.
int32_t RunOptionsDialog(DialogContext* controller, HWND parent, PersistedSettings* hostRecord);

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Loads the dialog's controls from `port`; nothing for a null port.
void RefreshOptionsDialog(DialogContext* controller, HWND dialog, DeviceControlPort* port);
// The setting controls are usable only on an active port with deck control.
void EnableOptionsControls(HWND dialog, DeviceControlPort* port);
