#pragma once
// The module's single long-lived object: the ports, the current port, the
// mirror of the editor's settings block, the deck state carried between
// editor calls and the texts the dialogs show. It lives from Initialise or
// Restart to Cleanup and has no lock: the editor's thread owns it.
#include "export/ExportWorker.h"
#include "host/DeviceRecord.h"
#include "host/PersistedSettings.h"
#include "ui/ColourScheme.h"
#include "ui/DropDownSelector.h"
#include "ui/TimeEntryParams.h"

#include <windows.h>
#include <cstdint>

class DeviceControlPort;

// The status poll counter at this value makes the next status command read
// the deck instead of echoing the last reported mode.
constexpr int32_t kStatusPollNow = 60;

class PluginController {
public:
    PluginController();
    ~PluginController();
    PluginController(const PluginController&) = delete;
    PluginController& operator=(const PluginController&) = delete;

    int32_t CopyPersistedOut(PersistedSettings* block) const;
    int32_t GetEmbeddedTcCapture(uint8_t* value) const;
    int32_t SetEmbeddedTcCapture(uint8_t value);

    DeviceControlPort* CurrentPort() const;
    void ResetDisplayTexts();

    ColourScheme colourScheme = {};
    HWND exportDialog = nullptr;
    int32_t portCount = 0;
    int32_t currentPort = 0;
    uint8_t setUp = 0;                  // device control opened
    uint32_t processorCount = 0;

    // The options dialog: its window (also what marks it open), the editor's
    // window it centres over, its font, the status text it last showed, and
    // the drop-down's state: list open (status refreshes wait) and the
    // button that opened it held down (drawn pressed).
    HWND optionsDialog = nullptr;
    HWND hostWindow = nullptr;
    HFONT dialogFont = nullptr;
    char optionsStatusText[64];
    uint8_t dropDownOpen = 0;
    uint8_t dropDownHeld = 0;

    char timecodeDisplayText[32];
    char deviceStateTexts[2][64];
    char deckStatusText[64];
    char deviceStateText[64];
    char timecodeTexts[2][64];
    char timecodeText[32];
    char gotoLabel[64];
    TimeEntryParams timeEntry;

    char gotoTargetText[32];            // what a goto or locate cues to
    // Export to Tape: 0 idle, 1 settings accepted, 2 status dialog open,
    // 3 the editor has ended the export.
    int32_t exportState = 0;
    uint8_t exportDoneShown = 0;
    // Set by the worker when the deck stopped recording, or answering,
    // while it should record; the end of the export reports it.
    int32_t exportFault = 0;
    uint8_t ModalExport = 0;            // the record button ends the dialog
    WorkerControl worker;
    // The export dialog's shuttle drag, the control holding the mouse, and
    // whether its hot keys are registered.
    uint8_t shuttleDrag = 0;
    int32_t shuttlePosition = 8;        // the knob, 1 to 15
    HWND captureControl = nullptr;
    uint8_t hotKeysRegistered = 0;
    // Offline until the first report says otherwise.
    int16_t lastReportedMode = 15;
    const void* errorSuite = nullptr;
    HostBasicSuite* basicSuite = nullptr;
    DropDownSelector dropDown;

    DeviceControlPort* ports[kMaxPorts] = {};
    int32_t statusPollCounter = 0;
    PersistedSettings persisted;        // mirror of the editor's block
    HANDLE exportEvent = nullptr;       // "PPro Quor Print"
    uint8_t recordCopy[sizeof(DeviceRecord)];
};
