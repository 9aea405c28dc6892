#include "board/DriverApi.h"

const DriverApi& Win32DriverApi()
{
    static const DriverApi api = {
        SetupDiGetClassDevsA,
        SetupDiEnumDeviceInterfaces,
        SetupDiGetDeviceInterfaceDetailA,
        SetupDiDestroyDeviceInfoList,
        CreateFileA,
        DeviceIoControl,
        CloseHandle,
        WaitForSingleObject,
    };
    return api;
}
