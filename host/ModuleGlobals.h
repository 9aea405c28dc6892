#pragma once
// Module-wide state: one instance of each, zero at load.
#include "host/PersistedSettings.h"

#include <windows.h>

class PluginController;

extern HINSTANCE gModuleInstance;          // for the dialog templates
extern HANDLE gPortSemaphores[kMaxPorts];  // QuorControl0 to QuorControl7
extern PluginController* gController;
