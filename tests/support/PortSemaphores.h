#pragma once
// The ports' system-wide semaphores, as Initialise makes them, for tests
// that drive ports without going through the editor's entry. Private
// stand-ins by default, so that nothing else on the machine can hold them;
// named ones when a test plays another process holding a port.
#include "port/ModuleGlobals.h"
#include "platform/NxPlatform.h"

#include <cstdio>

class PortSemaphores {
public:
    explicit PortSemaphores(bool named = false)
    {
        for (int i = 0; i < kMaxPorts; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "QuorControl%d", i);
            gPortSemaphores[i] = NxCreateSemaphore(1, 1, named ? name : nullptr);
        }
    }
    ~PortSemaphores()
    {
        for (HANDLE& semaphore : gPortSemaphores) {
            NxCloseSemaphore(semaphore);
            semaphore = nullptr;
        }
    }
    PortSemaphores(const PortSemaphores&) = delete;
    PortSemaphores& operator=(const PortSemaphores&) = delete;
};
