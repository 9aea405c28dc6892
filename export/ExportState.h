#pragma once
// Export to Tape's state: the export dialog, how it ends, and the control of
// the worker that drives the deck meanwhile.
#include "export/ExportWorker.h"
#include "ui/DialogState.h"

#include <windows.h>
#include <cstdint>

struct ExportState {
    HWND exportDialog = nullptr;
    // Set by the worker when the deck stopped recording, or answering,
    // while it should record; the end of the export reports it.
    int32_t exportFault = 0;
    uint8_t ModalExport = 0; // the record button ends the dialog
    WorkerControl worker;
    HANDLE exportEvent = nullptr; // "PPro Quor Print"
    // The export dialog's shuttle drag, the control holding the mouse, and
    // whether its hot keys are registered.
    uint8_t shuttleDrag = 0;
    int32_t shuttlePosition = 8; // the knob, 1 to 15
    HWND captureControl = nullptr;
    uint8_t hotKeysRegistered = 0;
};

// What the export's dialog and worker may touch.
struct ExportContext : DialogContext, ExportState {};
