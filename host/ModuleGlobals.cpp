#include "host/ModuleGlobals.h"

HINSTANCE gModuleInstance = nullptr;
HANDLE gPortSemaphores[kMaxPorts] = {};
PluginController* gController = nullptr;
