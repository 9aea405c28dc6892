// The editor's deck commands (the Execute selector).
#include "editor/ExportLaunch.h"
#include "editor/DeckLocate.h"
#include "editor/DeckReport.h"
#include "port/DeviceControlPort.h"
#include "port/FixedText.h"
#include "port/ModuleGlobals.h"
#include "editor/PluginController.h"
#include "editor/Selectors.h"
#include "port/TimecodeText.h"

#include <cstring>

namespace {

enum HostCommand : int16_t {
    kCommandFeatures = 0,
    kCommandStatus = 1,
    kCommandNewMode = 2,
    kCommandGoto = 3,
    kCommandLocate = 4,
    kCommandShuttle = 5,
    kCommandEject = 8,
    kCommandExportToTape = 10,
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

// A requested mode that is only ever reported: nothing goes to the deck.
constexpr int32_t kReportedOnly = 1;

// The deck operation of a requested mode: the port's result, or
// kReportedOnly.
int32_t RunMode(DeviceControlPort* port, int16_t mode)
{
    switch (mode) {
    case kModeStopped:
        return port->Stop();
    case kModePlay:
        return port->Play();
    case 2:
        return port->Shuttle(0.5);
    case 3:
        return port->Shuttle(0.2);
    case kModeStill:
        return port->Still();
    case kModeFastForward:
        return port->FastForward();
    case kModeRewind:
        return port->Rewind();
    case kModeStepForward:
        return port->StepForward();
    case kModeStepBack:
        return port->StepBack();
    case 11:
        return port->Shuttle(-1.0);
    case 12:
        return port->Shuttle(-0.5);
    case 13:
        return port->Shuttle(-0.2);
    case 17:
        return port->Shuttle(5.0);
    case 18:
        return port->Shuttle(-5.0);
    default:
        return kReportedOnly;
    }
}

void NewMode(PluginController* controller, DeviceControlPort* port, const DeviceRecord* record)
{
    // A stop while a goto runs would cut the cue short; the goto ends it.
    if (record->mode == kModeStopped && controller->lastReportedMode == kModeGoto)
        return;
    const int32_t result = RunMode(port, record->mode);
    if (result == kReportedOnly)
        return;
    if (result == 0) {
        controller->lastReportedMode = record->mode;
        return;
    }
    // The mode never happened as asked: the next poll reads the deck. A goto
    // is over all the same, so a stop that follows is sent.
    controller->statusPollCounter = kStatusPollNow;
    if (controller->lastReportedMode == kModeGoto)
        controller->lastReportedMode = kModeOffline;
}

// The editor's shuttle lever, -100 to 100, in steps of ten.
struct ShuttleStep {
    int16_t upTo; // the highest lever value of the step
    double speed; // 0: still, 1: play
    int16_t mode;
};
const ShuttleStep kShuttleSteps[] = {
    {-100, -32.0, 18}, {-90, -16.0, 18}, {-80, -8.0, 18}, {-70, -4.0, 18},  {-60, -2.0, 18},
    {-50, -1.0, 11},   {-40, -0.75, 12}, {-30, -0.5, 12}, {-20, -0.25, 13}, {-1, -0.1, 13},
    {0, 0.0, 4},       {10, 0.1, 3},     {20, 0.25, 3},   {30, 0.5, 2},     {40, 0.75, 2},
    {50, 1.0, 1},      {60, 2.0, 17},    {70, 4.0, 17},   {80, 8.0, 17},    {90, 16.0, 17},
};

void ShuttleLever(PluginController* controller, DeviceControlPort* port, int16_t lever)
{
    double speed = 32.0;
    int16_t mode = 17;
    for (const ShuttleStep& step : kShuttleSteps) {
        if (lever <= step.upTo) {
            speed = step.speed;
            mode = step.mode;
            break;
        }
    }
    if (speed == 0.0)
        port->Still();
    else if (speed == 1.0)
        port->Play();
    else
        port->Shuttle(speed);
    controller->lastReportedMode = mode;
}

void Goto(PluginController* controller, DeviceControlPort* port, const DeviceRecord* record)
{
    controller->lastReportedMode = kModeGoto;
    const HostTimecodeRate rate = HostRateOf(port);
    char text[16];
    // There is no tape before zero.
    FramesToTimecodeText(record->timecode < 0 ? 0 : record->timecode, rate.rate, rate.divisor, rate.dropFrame, text);
    CopyText(controller->gotoTargetText, text);
    port->GoToTimecode(text);
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
    case kCommandNewMode:
        if (port)
            NewMode(controller, port, record);
        break;
    case kCommandGoto:
        if (port)
            Goto(controller, port, record);
        break;
    case kCommandLocate:
        if (port)
            LocateWithPreroll(controller, port, record);
        break;
    case kCommandShuttle:
        if (port)
            ShuttleLever(controller, port, record->mode);
        break;
    case kCommandEject:
        if (port) {
            port->Stop();
            controller->lastReportedMode = kModeTapeOut;
            port->Eject();
        }
        break;
    case kCommandExportToTape:
        if (port)
            return ExportToTape(controller, record);
        break;
    case kCommandDeviceName:
        if (record->nameBuffer)
            std::memcpy(record->nameBuffer, kDeviceName, sizeof kDeviceName);
        break;
    default:
        // 6, 7, 9 and 11 are the editor's but ask nothing of a deck.
        break;
    }
    return 0;
}
