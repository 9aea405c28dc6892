// The editor's deck commands (the Execute selector).
#include "host/DeckReport.h"
#include "host/DeviceControlPort.h"
#include "host/ModuleGlobals.h"
#include "host/PluginController.h"
#include "host/Selectors.h"

#include <cstring>

namespace {

enum HostCommand : int16_t {
    kCommandFeatures = 0,
    kCommandStatus = 1,
    kCommandDeviceName = 12,
};

// Bits 2, 3, 5 to 20 and 24.
constexpr uint32_t kFeatures = 0x011FFFEC;
const char kDeviceName[] = "Standard VTR";

// The current port, activated when it is open but not yet active; null
// when there is no deck to talk to.
DeviceControlPort* ReadyPort(PluginController* controller)
{
    DeviceControlPort* port = controller ? controller->CurrentPort() : nullptr;
    if (!port || !port->IsLinkOpen())
        return nullptr;
    if (!port->IsActive())
        port->Activate();
    return port->IsActive() ? port : nullptr;
}

// Between real reads of the deck the last reported mode is echoed, so the
// link is not loaded with a status request on every poll.
void ReportStatus(PluginController* controller, DeviceControlPort* port, DeviceRecord* record)
{
    char text[32];
    ReportDeckPosition(port, record, text);
    if (record->mode == kModeStepForward || record->mode == kModeStepBack) {
        record->mode = kModeStill;
        controller->lastReportedMode = kModeStill;
        return;
    }
    if (controller->statusPollCounter == kStatusPollNow) {
        const int16_t mode = ModeFromStatusText(port);
        if (mode == -1) {
            record->mode = controller->lastReportedMode;
        } else {
            controller->lastReportedMode = mode;
            record->mode = mode;
        }
        controller->statusPollCounter = 0;
        return;
    }
    if (controller->lastReportedMode == kModeGoto) {
        if (std::strcmp(text, controller->gotoTargetText) == 0) {
            record->mode = kModeStill;
            controller->lastReportedMode = kModeStill;
        } else {
            record->mode = kModeGoto;
        }
    } else {
        record->mode = controller->lastReportedMode;
    }
    controller->statusPollCounter++;
}

} // namespace

int16_t SelectExecute(DeviceRecord* record)
{
    PluginController* controller = gController;
    DeviceControlPort* port = ReadyPort(controller);

    switch (record->command) {
    case kCommandFeatures:
        record->features = kFeatures;
        break;
    case kCommandStatus:
        if (port) {
            ReportStatus(controller, port, record);
        } else {
            if (controller)
                controller->lastReportedMode = kModeOffline;
            ReportOffline(record);
        }
        break;
    case kCommandDeviceName:
        if (record->nameBuffer)
            std::memcpy(record->nameBuffer, kDeviceName, sizeof kDeviceName);
        break;
    default:
        // The transport commands arrive with the deck link.
        break;
    }
    return 0;
}
