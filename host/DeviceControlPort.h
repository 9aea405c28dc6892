#pragma once
// One deck port: the locked facade through which the module reaches a deck.
// A port is active in at most one process (its named semaphore) and its
// deck operations are serialised within the process by a private lock.
#include "host/PersistedSettings.h"

#include <cstdint>

class DeviceControlPort {
public:
    DeviceControlPort();
    ~DeviceControlPort();
    DeviceControlPort(const DeviceControlPort&) = delete;
    DeviceControlPort& operator=(const DeviceControlPort&) = delete;

    int32_t Activate();
    int32_t Deactivate();
    int32_t Close();

    bool IsOpen() const { return isOpen_ != 0; }
    bool IsActive() const { return isActive_ != 0; }
    bool IsControlSupported() const { return controlSupported_ != 0; }
    bool IsLinkOpen() const;

    int32_t CopySettingsIn(const PortSettings* block);
    int32_t CopySettingsOut(PortSettings* block) const;

    // Format class (0: 24, 1: 25, 2: 30 frames per second), drop-frame
    // flag, rate and rate divisor of the port's timecode.
    struct FormatInfo {
        int32_t formatClass;
        int32_t dropFrame;
        int32_t rate;
        int32_t divisor;
    };
    int32_t GetTimecodeFormatInfo(FormatInfo* info) const;
    int32_t GetTimecodeText(char* text);
    int32_t GetStatusText(char* text);

    int32_t PortIndex() const { return portIndex_; }

private:
    void* lock_ = nullptr;
    PortSettings settings_;
    uint8_t controlSupported_ = 0;
    uint8_t isOpen_ = 0;
    uint8_t isActive_ = 0;
    uint8_t settingsApplied_ = 0;
    int32_t portIndex_ = 0;
};
