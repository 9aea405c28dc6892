#include "host/DeviceRecord.h"

extern "C" int16_t xDevice(int16_t selector, DeviceHandle handle)
{
    (void)selector;
    (void)handle;
    return -100;
}
