#pragma once
// What the export dialog's message handling and its commands share.
#include <windows.h>

#include <cstdint>

class DeviceControlPort;
struct ExportContext;

namespace export_dialog {

bool IsEditing(const DeviceControlPort* port);
// In point, out point, delay and duration from the port, in that order;
// the first that cannot be read ends the update.
void ShowEditPoints(HWND dialog, DeviceControlPort* port);
void ShowBoardName(HWND dialog, DeviceControlPort* port);
// The check box's port flag; false when the id is no check box.
bool ReadChannelFlag(DeviceControlPort* port, int id, uint8_t* value);
void RepaintChannelBox(ExportContext* controller, HWND dialog, DeviceControlPort* port, int id);

// Ends the dialog as its record button does: stops the worker and any
// edit, then ends (modal) or destroys (modeless) the dialog.
void FinishExportDialog(ExportContext* controller, HWND dialog);
// Closing from the frame or with Escape.
void CloseExportDialog(ExportContext* controller, HWND dialog);

// WM_COMMAND; true when handled.
bool OnExportCommand(ExportContext* controller, HWND dialog, int id, int notification);
// The drop-down selector's choice.
void OnExportChoice(ExportContext* controller, HWND dialog, int id, int32_t row);
// The shuttle bar's drag.
void OnShuttleMove(ExportContext* controller, HWND dialog, LPARAM position);
void OnShuttleRelease(ExportContext* controller, HWND dialog);
void OnExportHotKey(ExportContext* controller, int id);

} // namespace export_dialog
