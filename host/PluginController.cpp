#include "host/PluginController.h"

#include "host/DeviceControlSetup.h"
#include "host/TimecodeText.h"
#include "platform/NxPlatform.h"

#include <cstring>

namespace {

template <size_t N>
void SetText(char (&field)[N], const char* text)
{
    std::strncpy(field, text, N - 1);
    field[N - 1] = '\0';
}

} // namespace

PluginController::PluginController()
{
    processorCount = NxGetNumProcs();
    std::memset(&persisted, 0, sizeof persisted);
    std::memset(recordCopy, 0, sizeof recordCopy);
    ResetDisplayTexts();
}

PluginController::~PluginController()
{
    CloseDeviceControl(this);
    ResetDisplayTexts();
}

void PluginController::ResetDisplayTexts()
{
    SetText(timecodeDisplayText, kZeroTimecodeText);
    SetText(deviceStateTexts[0], "Not Open");
    SetText(deviceStateTexts[1], "Not Open");
    SetText(deckStatusText, "Offline");
    SetText(deviceStateText, "Not Open");
    SetText(timecodeTexts[0], kZeroTimecodeText);
    SetText(timecodeTexts[1], kZeroTimecodeText);
    SetText(timecodeText, kZeroTimecodeText);
    SetText(gotoLabel, "Go To Timecode");
    SetText(gotoTargetText, kZeroTimecodeText);
}

int32_t PluginController::CopyPersistedOut(PersistedSettings* block) const
{
    if (!setUp || !block)
        return -2;
    std::memcpy(block, &persisted, sizeof persisted);
    return 0;
}

int32_t PluginController::GetEmbeddedTcCapture(uint8_t* value) const
{
    if (value)
        *value = persisted.embeddedTcCapture;
    return 0;
}

int32_t PluginController::SetEmbeddedTcCapture(uint8_t value)
{
    if (!setUp)
        return -2;
    persisted.embeddedTcCapture = value;
    return 0;
}

DeviceControlPort* PluginController::CurrentPort() const
{
    if (currentPort < 0 || currentPort >= kMaxPorts)
        return nullptr;
    return ports[currentPort];
}
