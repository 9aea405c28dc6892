#include "host/DeviceControlSetup.h"

#include "board/BoardScanner.h"
#include "host/FixedText.h"
#include "host/DeviceControlPort.h"
#include "host/PluginController.h"
#include "host/TimecodeText.h"
#include "platform/NxPlatform.h"

#include <cstring>
#include <new>
#include <vector>

const char kPrintEventName[] = "PPro Quor Print";

namespace {

// The board types the module drives, by their type bits.
constexpr uint32_t kDeckBoardTypes = 2 | 4 | 8;

std::vector<BoardInfo> FindBoards()
{
    try {
        BoardScanner scanner(true, kDeckBoardTypes);
        return scanner.Boards();
    } catch (const std::bad_alloc&) {
        return {};
    }
}

// The ports take the defaults too, so that they never disagree with what
// the editor is given to keep.
void BuildDefaults(PluginController* controller)
{
    DefaultPersistedSettings(controller, &controller->persisted);
    for (int slot = 0; slot < kMaxPorts; ++slot)
        if (controller->ports[slot])
            controller->ports[slot]->CopySettingsIn(&controller->persisted.ports[slot]);
    controller->currentPort = controller->persisted.selectedPort;
}

} // namespace

int32_t OpenDeviceControl(PluginController* controller, const DeviceRecord* record,
                          PersistedSettings* stored)
{
    if (controller->setUp)
        return 0;
    controller->setUp = 1;

    // A board that does not open leaves its slot to the next one, which
    // keeps its own board's index and so its own named semaphore; there is
    // a semaphore for each of the first kMaxPorts boards only.
    const std::vector<BoardInfo> boards = FindBoards();
    int32_t slot = 0;
    for (size_t i = 0; i < boards.size() && i < size_t(kMaxPorts); ++i) {
        DeviceControlPort* port = new (std::nothrow) DeviceControlPort;
        if (!port)
            break;
        if (port->Open(boards[i], static_cast<int32_t>(i)) != 0 || !port->IsOpen()) {
            delete port;
            continue;
        }
        controller->ports[slot++] = port;
    }
    controller->portCount = slot;

    // Manual reset: once set, it stays set until the playout side has seen it.
    controller->exportEvent = NxCreateEvent(true, false, kPrintEventName);

    if (controller->portCount == 0) {
        CloseDeviceControl(controller);
        return -2;
    }
    ApplyPersistedSettings(controller, stored);
    CopyText(controller->gotoTargetText, kZeroTimecodeText);
    std::memcpy(controller->recordCopy, record, sizeof controller->recordCopy);
    return 0;
}

int32_t CloseDeviceControl(PluginController* controller)
{
    if (!controller->setUp)
        return -2;
    // Nothing may still drive a port or draw for one once it is gone.
    StopWorker(controller);
    if (controller->exportDialog) {
        DestroyWindow(controller->exportDialog);
        controller->exportDialog = nullptr;
    }
    for (DeviceControlPort*& port : controller->ports) {
        if (!port)
            continue;
        if (port->IsActive())
            port->Deactivate();
        port->Close();
        delete port;
        port = nullptr;
    }
    controller->portCount = 0;
    if (controller->exportEvent) {
        NxCloseEvent(controller->exportEvent);
        controller->exportEvent = nullptr;
    }
    ReleaseColourScheme(&controller->colourScheme);
    controller->setUp = 0;
    return 0;
}

int32_t DefaultPersistedSettings(PluginController* controller, PersistedSettings* out)
{
    if (!controller->setUp || !out)
        return -2;
    out->mark = kSettingsMark;
    out->selectedPort = 0;
    out->embeddedTcCapture = 0;
    for (int slot = 0; slot < kMaxPorts; ++slot) {
        std::memset(&out->ports[slot], 0, sizeof out->ports[slot]);
        if (controller->ports[slot])
            controller->ports[slot]->ResetSettings(&out->ports[slot]);
    }
    return 0;
}

void UpgradePersistedSettings(PersistedSettings* block)
{
    block->mark = kSettingsMark;
    for (PortSettings& port : block->ports) {
        if (port.mark == 0)
            continue;
        port.mark = kSettingsMark;
        port.board.tag = kDeckRecordTag;
        port.timecode.tag = kDeckRecordTag;
    }
}

int32_t ApplyPersistedSettings(PluginController* controller, PersistedSettings* stored)
{
    if (!controller->setUp)
        return -2;
    if (stored && stored->mark == kPreviousSettingsMark)
        UpgradePersistedSettings(stored);
    if (!stored || stored->mark != kSettingsMark) {
        BuildDefaults(controller);
        return 0;
    }

    PersistedSettings& mirror = controller->persisted;
    mirror.mark = stored->mark;
    mirror.selectedPort = stored->selectedPort;
    mirror.embeddedTcCapture = stored->embeddedTcCapture ? 1 : 0;
    if (mirror.selectedPort < 0 || mirror.selectedPort >= controller->portCount)
        mirror.selectedPort = 0;

    for (int slot = 0; slot < kMaxPorts; ++slot) {
        DeviceControlPort* port = controller->ports[slot];
        PortSettings& chosen = mirror.ports[slot];
        if (!port) {
            std::memset(&chosen, 0, sizeof chosen);
            continue;
        }
        if (port->AcceptsSettings(stored->ports[slot])) {
            chosen = stored->ports[slot];
        } else {
            // Nothing of a block that is not trusted stays behind.
            std::memset(&chosen, 0, sizeof chosen);
            port->ResetSettings(&chosen);
        }
        port->CopySettingsIn(&chosen);
    }
    controller->currentPort = mirror.selectedPort;
    return 0;
}
