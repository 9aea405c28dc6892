#include "port/ModuleGlobals.h"

HINSTANCE gModuleInstance = nullptr;
HANDLE gPortSemaphores[kMaxPorts] = {};
