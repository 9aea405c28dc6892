#include "editor/DeviceControlSetup.h"
#include "platform/ResultCodes.h"

#include "board/BoardScanner.h"
#include "port/FixedText.h"
#include "port/DeviceControlPort.h"
#include "editor/PluginController.h"
#include "port/TimecodeText.h"
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

} // namespace

int32_t OpenDeviceControl(PluginController* controller, const DeviceRecord* record, PersistedSettings* stored)
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
        return kResultRefused;
    }
    ApplyPersistedSettings(controller, stored);
    CopyText(controller->gotoTargetText, kZeroTimecodeText);
    std::memcpy(controller->recordCopy, record, sizeof controller->recordCopy);
    return 0;
}

int32_t CloseDeviceControl(PluginController* controller)
{
    if (!controller->setUp)
        return kResultRefused;
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
