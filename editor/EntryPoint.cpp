#include "editor/DeviceRecord.h"
#include "editor/Selectors.h"

// The editor's only way into the module. Nothing may unwind into the
// editor, so every selector runs behind one guard.
extern "C" int16_t xDevice(int16_t selector, DeviceHandle handle)
{
    int16_t result = -100;
    if (!handle || !*handle)
        return result;
    DeviceRecord* record = *handle;
    try {
        switch (selector) {
        case kSelectorInitialise:
            result = SelectInitialise(record);
            break;
        case kSelectorSetup:
            result = SelectSetup(record);
            break;
        case kSelectorExecute:
            result = SelectExecute(record);
            break;
        case kSelectorCleanup:
            result = SelectCleanup(record);
            break;
        case kSelectorRestart:
            result = SelectRestart(record);
            break;
        case kSelectorReleasePorts:
            result = SelectReleasePorts(record);
            break;
        default:
            break;
        }
    } catch (...) {
    }
    return result;
}
