#include "host/PluginController.h"

#include "host/DeviceControlSetup.h"
#include "host/FixedText.h"
#include "host/TimecodeText.h"
#include "platform/NxPlatform.h"

#include <cstring>

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
    CopyText(timecodeDisplayText, kZeroTimecodeText);
    CopyText(deviceStateTexts[0], "Not Open");
    CopyText(deviceStateTexts[1], "Not Open");
    CopyText(deckStatusText, "Offline");
    CopyText(deviceStateText, "Not Open");
    CopyText(timecodeTexts[0], kZeroTimecodeText);
    CopyText(timecodeTexts[1], kZeroTimecodeText);
    CopyText(timecodeText, kZeroTimecodeText);
    CopyText(gotoLabel, "Go To Timecode");
    CopyText(gotoTargetText, kZeroTimecodeText);
    CopyText(optionsStatusText, "Not Open");
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
