#pragma once
// Module-wide state: one instance of each, zero at load.
#include "port/PersistedSettings.h"

#include <windows.h>

extern HINSTANCE gModuleInstance;         // for the dialog templates
extern HANDLE gPortSemaphores[kMaxPorts]; // QuorControl0 to QuorControl7
