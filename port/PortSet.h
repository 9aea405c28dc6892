#pragma once
// The ports device control opened and the mirror of the editor's settings
// block they were loaded from. The editor's thread owns it; the dialogs read
// and choose through it.
#include "port/PersistedSettings.h"

#include <cstdint>

class DeviceControlPort;

struct PortSet {
    DeviceControlPort* ports[kMaxPorts] = {};
    int32_t portCount = 0;
    int32_t currentPort = 0;
    uint8_t setUp = 0;           // device control opened
    PersistedSettings persisted; // mirror of the editor's block

    DeviceControlPort* CurrentPort() const;
    int32_t CopyPersistedOut(PersistedSettings* block) const;
    int32_t GetEmbeddedTcCapture(uint8_t* value) const;
    int32_t SetEmbeddedTcCapture(uint8_t value);
};

// Builds defaults for every slot into `out`; -2 when not open or no record.
int32_t DefaultPersistedSettings(PortSet* set, PersistedSettings* out);
// Validates the editor's record slot by slot, falling back to defaults, and
// loads the result into the mirror and the ports. `stored` may be null
// (defaults) and is upgraded in place from the previous layout.
int32_t ApplyPersistedSettings(PortSet* set, PersistedSettings* stored);

// Brings a record of the previous layout to the current one in place.
void UpgradePersistedSettings(PersistedSettings* block);
