#include "port/ModuleGlobals.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        gModuleInstance = instance;
    return TRUE;
}
