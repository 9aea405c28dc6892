#pragma once
// The export dialog: the settings of an Export to Tape (board, edit mode,
// channels, preroll, offset, delay, in point) with the deck's transport,
// and, while the edit runs, the deck's status. Modal for the settings,
// modeless for the status; the worker keeps its read-outs current.
#include <windows.h>

#include <cstdint>

class DeviceControlPort;
struct ExportContext;

INT_PTR CALLBACK ExportDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Registers (on) or unregisters the dialog's hot keys, each at most once.
void SetExportHotKeys(ExportContext* controller, HWND dialog, bool on);
// Shows, hides, enables and disables the controls from the port's state.
void UpdateExportControls(HWND dialog, DeviceControlPort* port);
// Loads every field from the port; nothing for a null port.
void LoadExportControls(ExportContext* controller, HWND dialog, DeviceControlPort* port);
// Ends the status dialog's edit as its record button does: the edit stops
// and the playout side, waiting on the export event, is released. For a
// status dialog that could not be made or was destroyed from outside.
void EndExportEdit(ExportContext* controller);
