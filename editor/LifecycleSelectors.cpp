// Initialise, Setup, Cleanup, Restart and Release the ports: the selectors
// that manage the module's life and the editor's settings block.
#include "export/ExportWorker.h"
#include "editor/DeckReport.h"
#include "port/DeviceControlPort.h"
#include "editor/DeviceControlSetup.h"
#include "port/ModuleGlobals.h"
#include "editor/PluginController.h"
#include "editor/SettingsHandle.h"
#include "editor/Selectors.h"
#include "platform/NxPlatform.h"
#include "ui/OptionsDialog.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

const char kErrorSuiteName[] = "Premiere Error Suite";
constexpr int32_t kErrorSuiteVersion = 1;

void CreatePortSemaphores()
{
    for (int i = 0; i < kMaxPorts; ++i) {
        if (gPortSemaphores[i])
            continue;
        char name[16];
        std::snprintf(name, sizeof name, "QuorControl%d", i);
        gPortSemaphores[i] = NxCreateSemaphore(1, 1, name);
    }
}

void ClosePortSemaphores()
{
    for (HANDLE& semaphore : gPortSemaphores) {
        if (semaphore)
            NxCloseSemaphore(semaphore);
        semaphore = nullptr;
    }
}

// The worker goes first: an exchange of its in flight, or its next one,
// would switch a UART on again after the port gave up its named semaphore,
// and another process may take the deck by then.
void DeactivateAllPorts(PluginController* controller)
{
    StopWorker(controller);
    for (DeviceControlPort* port : controller->ports)
        if (port)
            port->Deactivate();
}

void AcquireErrorSuite(PluginController* controller, const DeviceRecord* record)
{
    HostSuiteFuncs* suites = record->tables ? record->tables->suites : nullptr;
    controller->basicSuite = suites && suites->BasicSuite ? suites->BasicSuite() : nullptr;
    HostBasicSuite* basic = controller->basicSuite;
    if (!basic || !basic->AcquireSuite)
        return;
    if (basic->AcquireSuite(kErrorSuiteName, kErrorSuiteVersion, &controller->errorSuite) != 0)
        controller->errorSuite = nullptr;
}

void ReleaseErrorSuite(PluginController* controller)
{
    HostBasicSuite* basic = controller->basicSuite;
    if (basic && controller->errorSuite) {
        if (basic->ReleaseSuite)
            basic->ReleaseSuite(kErrorSuiteName, kErrorSuiteVersion);
        controller->basicSuite = nullptr;
        controller->errorSuite = nullptr;
    }
}

// Creates the controller and opens device control. On failure the
// controller is gone again and the deck is reported offline.
bool CreateController(DeviceRecord* record, PersistedSettings* block)
{
    PluginController* controller = new (std::nothrow) PluginController;
    if (!controller)
        return false;
    if (OpenDeviceControl(controller, record, block) != 0) {
        CloseDeviceControl(controller);
        delete controller;
        return false;
    }
    gController = controller;
    controller->CopyPersistedOut(block);
    AcquireErrorSuite(controller, record);
    return true;
}

void ReportActivePort(PluginController* controller, DeviceRecord* record, DeviceControlPort* port)
{
    char text[32];
    ReportDeckPosition(port, record, text);
    const int16_t mode = ModeFromStatusText(port);
    controller->lastReportedMode = mode == -1 ? int16_t(kModeStill) : mode;
    record->mode = controller->lastReportedMode;
}

void ReportPortOffline(PluginController* controller, DeviceRecord* record)
{
    ReportOffline(record);
    controller->lastReportedMode = kModeOffline;
}

void ReportCurrentPort(PluginController* controller, DeviceRecord* record)
{
    DeviceControlPort* port = controller->CurrentPort();
    if (!port)
        return;
    port->Activate();
    if (port->IsActive())
        ReportActivePort(controller, record, port);
    else
        ReportPortOffline(controller, record);
}

// A module already set up loads only the current slot of the editor's
// block; what it did not trust must not stay with the editor either.
void ReplaceUntrustedParts(const PluginController* controller, PersistedSettings* block)
{
    const PersistedSettings& own = controller->persisted;
    if (block->selectedPort < 0 || block->selectedPort >= controller->portCount)
        block->selectedPort = own.selectedPort;
    block->embeddedTcCapture = block->embeddedTcCapture ? 1 : 0;
    for (int slot = 0; slot < kMaxPorts; ++slot) {
        DeviceControlPort* port = controller->ports[slot];
        if (!port || !port->AcceptsSettings(block->ports[slot]))
            block->ports[slot] = own.ports[slot];
    }
}

} // namespace

int16_t SelectInitialise(DeviceRecord* record)
{
    // A block left from an earlier Initialise is ours and would be lost.
    if (SettingsBlock(record->settings))
        DisposeSettingsHandle(record);
    PersistedSettings* block = NewSettingsHandle(record);
    record->timecode = 0;
    record->mode = 0;
    if (!block)
        return -1;

    CreatePortSemaphores();
    if (!gController) {
        if (!CreateController(record, block)) {
            DisposeSettingsHandle(record);
            ReportOffline(record);
            return 0;
        }
    } else {
        gController->CopyPersistedOut(block);
    }
    ReportCurrentPort(gController, record);
    gController->statusPollCounter = kStatusPollNow;
    return 0;
}

int16_t SelectRestart(DeviceRecord* record)
{
    PersistedSettings* block = SettingsBlock(record->settings);
    if (!block)
        return -1;
    bool replaced = false;
    if (block->mark == kPreviousSettingsMark) {
        UpgradePersistedSettings(block);
    } else if (block->mark != kSettingsMark) {
        DisposeSettingsHandle(record);
        block = NewSettingsHandle(record);
        if (!block) {
            record->timecode = 0;
            record->mode = 0;
            return -1;
        }
        replaced = true;
    }
    record->timecode = 0;
    record->mode = 0;

    CreatePortSemaphores();
    if (!gController) {
        if (!CreateController(record, block)) {
            ReportOffline(record);
            return 0;
        }
    } else if (replaced) {
        gController->CopyPersistedOut(block); // the editor keeps what we use
    }

    PluginController* controller = gController;
    DeviceControlPort* port = controller->CurrentPort();
    if (port)
        port->Activate();
    if (port && port->IsActive()) {
        // The editor's block is not trusted: a slot made for another board
        // or damaged leaves the port's own settings in place.
        const PortSettings& stored = block->ports[controller->currentPort];
        if (port->AcceptsSettings(stored)) {
            port->RestoreSettings(stored);
            port->CopySettingsOut(&controller->persisted.ports[controller->currentPort]);
        }
        ReportActivePort(controller, record, port);
    } else {
        ReportPortOffline(controller, record);
    }
    ReplaceUntrustedParts(controller, block);
    controller->statusPollCounter = kStatusPollNow;
    return 0;
}

int16_t SelectSetup(DeviceRecord* record)
{
    // With nothing set up (no board at start, say) the editor's block is
    // all there is of the user's settings: it stays as it is.
    if (!gController)
        return 0;
    PersistedSettings* block = RenewSettingsHandle(record);
    if (!block)
        return -1;
    gController->CopyPersistedOut(block);

    HWND parent = record->parentWindow ? record->parentWindow : GetActiveWindow();
    // Not over an export dialog: both would work the same ports.
    if (!gController->exportDialog)
        RunOptionsDialog(gController, parent, block);
    if (parent)
        SetActiveWindow(parent);
    return 0;
}

int16_t SelectCleanup(DeviceRecord* record)
{
    int16_t result = 0;
    if (record->settings)
        DisposeSettingsHandle(record);
    if (!gController) {
        result = 1;
    } else {
        PluginController* controller = gController;
        ReleaseErrorSuite(controller);
        DeactivateAllPorts(controller);
        controller->statusPollCounter = kStatusPollNow;
        CloseDeviceControl(controller);
        delete controller;
        gController = nullptr;
    }
    ClosePortSemaphores();
    return result;
}

int16_t SelectReleasePorts(DeviceRecord*)
{
    if (gController) {
        DeactivateAllPorts(gController);
        gController->statusPollCounter = kStatusPollNow;
    }
    return 0;
}
