#pragma once
// The selectors of xDevice, each returning the editor's 16-bit result.
#include "editor/DeviceRecord.h"

#include <cstdint>

int16_t SelectInitialise(DeviceRecord* record);
int16_t SelectSetup(DeviceRecord* record);
int16_t SelectExecute(DeviceRecord* record);
int16_t SelectCleanup(DeviceRecord* record);
int16_t SelectRestart(DeviceRecord* record);
int16_t SelectReleasePorts(DeviceRecord* record);
