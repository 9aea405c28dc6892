#include "host/DeviceControlPort.h"

#include "host/ModuleGlobals.h"
#include "host/TimecodeText.h"
#include "platform/NxPlatform.h"

#include <cstring>

DeviceControlPort::DeviceControlPort()
{
    std::memset(&settings_, 0, sizeof settings_);
}

DeviceControlPort::~DeviceControlPort()
{
    if (isActive_)
        Deactivate();
    if (isOpen_)
        Close();
}

// Ports open only on a board with a deck link, which this build cannot
// drive yet, so no port can become active.
int32_t DeviceControlPort::Activate()
{
    return -2;
}

int32_t DeviceControlPort::Deactivate()
{
    if (!isActive_)
        return -2;
    isActive_ = 0;
    NxReleaseSemaphore(gPortSemaphores[portIndex_]);
    return 0;
}

int32_t DeviceControlPort::Close()
{
    if (isActive_)
        Deactivate();
    isOpen_ = 0;
    if (lock_) {
        NxCloseSemaphore(lock_);
        lock_ = nullptr;
    }
    return 0;
}

bool DeviceControlPort::IsLinkOpen() const
{
    return isOpen_ != 0;
}

int32_t DeviceControlPort::CopySettingsIn(const PortSettings* block)
{
    if (!block)
        return -2;
    std::memcpy(&settings_, block, sizeof settings_);
    return 0;
}

int32_t DeviceControlPort::CopySettingsOut(PortSettings* block) const
{
    if (!block)
        return -2;
    std::memcpy(block, &settings_, sizeof settings_);
    return 0;
}

int32_t DeviceControlPort::GetTimecodeFormatInfo(FormatInfo* info) const
{
    const TimecodeFormat& format = settings_.timecode.format;
    switch (format.framesPerSecond) {
    case 24: info->formatClass = 0; break;
    case 25: info->formatClass = 1; break;
    case 30: info->formatClass = 2; break;
    default: break; // left as the caller had it
    }
    info->dropFrame = static_cast<int32_t>(format.dropFrame);
    info->rate = static_cast<int32_t>(format.rateNumerator);
    info->divisor = static_cast<int32_t>(format.rateDenominator);
    return 0;
}

int32_t DeviceControlPort::GetTimecodeText(char* text)
{
    std::memcpy(text, settings_.timecode.format.dropFrame ? kZeroDropTimecodeText : kZeroTimecodeText,
                sizeof kZeroTimecodeText);
    return 0;
}

int32_t DeviceControlPort::GetStatusText(char* text)
{
    std::strcpy(text, "Offline");
    return 0;
}
