#include "host/DeviceControlSetup.h"

#include "host/DeviceControlPort.h"
#include "host/PluginController.h"
#include "platform/NxPlatform.h"

const char kPrintEventName[] = "PPro Quor Print";

int32_t OpenDeviceControl(PluginController* controller, const DeviceRecord* record,
                          PersistedSettings* stored)
{
    (void)record;
    (void)stored;
    if (controller->setUp)
        return 0;
    controller->setUp = 1;

    // Boards are found and their ports opened here once board access
    // exists; until then no board is ever found.

    // Manual reset: once set, it stays set until the playout side has seen it.
    controller->exportEvent = NxCreateEvent(true, false, kPrintEventName);

    if (controller->portCount == 0) {
        CloseDeviceControl(controller);
        return -2;
    }
    return 0;
}

int32_t CloseDeviceControl(PluginController* controller)
{
    if (!controller->setUp)
        return -2;
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
    controller->setUp = 0;
    return 0;
}
