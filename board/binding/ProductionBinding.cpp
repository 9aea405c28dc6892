#include "board/DriverApi.h"

// The production module talks to the real driver.
const DriverApi& BoardDriverApi()
{
    return Win32DriverApi();
}
