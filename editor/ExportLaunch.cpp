#include "editor/ExportLaunch.h"

#include "export/ExportDialog.h"
#include "export/ExportWorker.h"
#include "export/ResultCodeText.h"
#include "platform/ResultCodes.h"
#include "port/DeviceControlPort.h"
#include "editor/DeviceControlSetup.h"
#include "port/ModuleGlobals.h"
#include "editor/PluginController.h"
#include "editor/SettingsHandle.h"
#include "platform/NxPlatform.h"
#include "resources/DialogIds.h"

#include <cstring>

namespace {

const char kMessageCaption[] = "Veltrix Device Control";
const char kSuccessText[] = "Export To Tape Successful.";
const char kCancelledText[] = "Export To Tape Cancelled.";

enum ExportPhase { kPhaseStart = 1, kPhasePoll = 2, kPhaseEnd = 3 };
enum ExportStage { kIdle = 0, kSettingsAccepted = 1, kStatusOpen = 2 };

void ActivateAll(PluginController* controller)
{
    for (DeviceControlPort* port : controller->ports) {
        if (port && !port->IsActive())
            port->Activate();
    }
}

int32_t RunModal(PluginController* controller, HWND parent, PersistedSettings* out)
{
    const INT_PTR ended = DialogBoxParamA(gModuleInstance, MAKEINTRESOURCEA(IDD_EXPORT), parent, ExportDialogProc,
                                          reinterpret_cast<LPARAM>(static_cast<DialogContext*>(controller)));
    // Whatever way the dialog ended, nothing of it may outlive it.
    StopWorker(controller);
    controller->exportDialog = nullptr;
    controller->dropDown.Close();
    controller->dropDownOpen = 0;
    controller->dropDownHeld = 0;

    PersistedSettings& mirror = controller->persisted;
    mirror.selectedPort = controller->currentPort;
    for (int slot = 0; slot < kMaxPorts; ++slot) {
        if (controller->ports[slot])
            controller->ports[slot]->CopySettingsOut(&mirror.ports[slot]);
        else
            std::memset(&mirror.ports[slot], 0, sizeof mirror.ports[slot]);
    }
    PersistedSettings chosen = mirror;
    if (out)
        *out = chosen;
    for (DeviceControlPort* port : controller->ports) {
        if (port && port->IsActive())
            port->Deactivate();
    }
    ApplyPersistedSettings(controller, &chosen);
    DeviceControlPort* selected = controller->CurrentPort();
    if (selected && !selected->IsActive())
        selected->Activate();

    int32_t result = kResultUserCancelled;
    if (ended == 1)
        result = selected ? selected->StartEdit() : kResultRefused;
    ReleaseColourScheme(&controller->colourScheme);
    return result;
}

int32_t RunModeless(PluginController* controller, HWND parent)
{
    HWND dialog = CreateDialogParamA(gModuleInstance, MAKEINTRESOURCEA(IDD_EXPORT), parent, ExportDialogProc,
                                     reinterpret_cast<LPARAM>(static_cast<DialogContext*>(controller)));
    if (!dialog) {
        // Nothing would be left to end the edit: it ends cancelled now.
        EndExportEdit(controller);
        ReleaseColourScheme(&controller->colourScheme);
        return kResultRefused;
    }
    controller->exportDialog = dialog;
    StartWorker(controller);
    return 0;
}

// A new settings block for the dialog to fill, then the dialog in the
// form asked for. False when the editor had no memory for the block.
bool StartExportDialog(PluginController* controller, DeviceRecord* record, bool modeless, int32_t* result)
{
    PersistedSettings* block = RenewSettingsHandle(record);
    if (!block)
        return false;
    controller->exportState += 1;
    controller->CopyPersistedOut(block);
    *result = RunExportDialog(controller, OwnerWindow(record), block, modeless);
    return true;
}

// Ends the status dialog as its record button would.
void EndStatusDialog(PluginController* controller)
{
    if (controller->exportDialog)
        SendMessageA(controller->exportDialog, WM_COMMAND, MAKEWPARAM(IDC_EXPORT_RECORD, BN_CLICKED), 0);
    controller->exportDoneShown = 1;
}

int16_t StartPhase(PluginController* controller, DeviceRecord* record)
{
    if (controller->exportDialog)
        return 0;
    int32_t result = 0;
    if (controller->exportState == kIdle) {
        if (!StartExportDialog(controller, record, false, &result))
            return kExportCancelled;
        if (result == 0)
            return 0;
        // Cancelled or not started: the playout side must not wait forever.
        NxSetEvent(controller->exportEvent);
        controller->exportState = kStatusOpen;
        return kExportCancelled;
    }
    if (controller->exportState == kSettingsAccepted)
        return StartExportDialog(controller, record, true, &result) && result == 0 ? 0 : kExportCancelled;
    return 0;
}

int16_t PollPhase(PluginController* controller, DeviceRecord* record)
{
    int32_t result = 0;
    if (!controller->exportDialog && controller->exportState == kSettingsAccepted)
        return StartExportDialog(controller, record, true, &result) && result == 0 ? 0 : kExportCancelled;
    if (controller->exportState != kStatusOpen)
        return 0;
    DeviceControlPort* port = controller->CurrentPort();
    if (!port || port->IsEditArmed())
        return 0;
    return controller->exportDialog ? 0 : kExportFinished;
}

int16_t EndPhase(PluginController* controller, DeviceRecord* record)
{
    controller->exportState += 1;
    if (controller->exportDoneShown)
        return 0;
    EndStatusDialog(controller);
    if (controller->exportFault != 0) {
        char text[kResultCodeTextSize] = {};
        ResultCodeToText(controller->exportFault, text);
        MessageBoxA(OwnerWindow(record), text, kMessageCaption, MB_OK);
        return kExportCancelled;
    }
    MessageBoxA(OwnerWindow(record), kSuccessText, kMessageCaption, MB_OK);
    return kExportFinished;
}

} // namespace

int32_t RunExportDialog(PluginController* controller, HWND parent, PersistedSettings* out, bool modeless)
{
    if (!controller || !controller->setUp || controller->exportDialog)
        return kResultRefused;
    BuildColourScheme(controller);
    controller->hostWindow = parent;
    controller->dropDownOpen = 0;
    controller->dropDownHeld = 0;
    if (!modeless) {
        controller->exportDoneShown = 0;
        controller->exportFault = 0;
    }
    controller->ModalExport = modeless ? 0 : 1;
    ActivateAll(controller);
    controller->ResetDisplayTexts();
    return modeless ? RunModeless(controller, parent) : RunModal(controller, parent, out);
}

extern "C" int16_t PrintToTapeCallback(DeviceHandle handle, int32_t phase)
{
    PluginController* controller = gController;
    DeviceRecord* record = handle ? *handle : nullptr;
    if (!controller || !record)
        return 0;
    switch (phase) {
    case kPhaseStart:
        return StartPhase(controller, record);
    case kPhasePoll:
        return PollPhase(controller, record);
    case kPhaseEnd:
        return EndPhase(controller, record);
    default:
        return 0;
    }
}

int16_t ExportToTape(PluginController* controller, DeviceRecord* record)
{
    DeviceControlPort* port = controller->CurrentPort();
    if (controller->exportState == kIdle) {
        if (port && port->IsEditArmed() && port->IsEditRecording()) {
            record->printCallback = PrintToTapeCallback;
            return 0;
        }
        if (port) {
            // The last frame of the program; an end at the very bottom of
            // the range must not wrap.
            const int32_t end = record->exportEnd;
            port->SetLastFrame(end > INT32_MIN ? end - 1 : end);
        }
        DeviceRecord* self = record;
        if (PrintToTapeCallback(&self, kPhaseStart) != 0) {
            controller->exportState = kIdle;
            if (port)
                port->Stop();
            return kExportCancelled;
        }
        if (PrintToTapeCallback(&self, kPhaseStart) != 0) {
            controller->exportState = kIdle;
            if (port)
                port->StopEdit();
            return kExportCancelled;
        }
        record->printCallback = PrintToTapeCallback;
        return 0;
    }
    if (controller->exportState == kSettingsAccepted) {
        record->printCallback = PrintToTapeCallback;
        return 0;
    }
    record->printCallback = nullptr;
    if (controller->exportDoneShown) {
        controller->exportState = kIdle;
        return kExportFinished;
    }
    EndStatusDialog(controller);
    controller->exportState = kIdle;
    MessageBoxA(OwnerWindow(record), kCancelledText, kMessageCaption, MB_OK);
    return kExportCancelled;
}
