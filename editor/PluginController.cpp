#include "editor/PluginController.h"

#include "editor/DeviceControlSetup.h"
#include "platform/NxPlatform.h"
#include "port/FixedText.h"
#include "port/TimecodeText.h"

#include <cstring>

PluginController* gController = nullptr;

PluginController::PluginController()
{
    processorCount = NxGetNumProcs();
    std::memset(&persisted, 0, sizeof persisted);
    std::memset(recordCopy, 0, sizeof recordCopy);
    CopyText(gotoTargetText, kZeroTimecodeText);
}

PluginController::~PluginController()
{
    CloseDeviceControl(this);
}

void PluginController::ResetDisplayTexts()
{
    DialogState::ResetDisplayTexts();
    CopyText(gotoTargetText, kZeroTimecodeText);
}
