// The port's life: open and close on a board, activation under the named
// semaphore, and its settings block as a whole.
#include "port/DeviceControlPort.h"
#include "platform/ResultCodes.h"

#include "port/FixedText.h"
#include "port/ModuleGlobals.h"
#include "port/TimecodeText.h"
#include "platform/NxPlatform.h"

#include <cstring>

namespace {

constexpr char kUnitDurationText[] = "00:00:00:01";

} // namespace

DeviceControlPort::DeviceControlPort()
{
    std::memset(&settings_, 0, sizeof settings_);
    CopyText(inText_, kZeroTimecodeText);
    CopyText(outText_, kZeroTimecodeText);
    CopyText(editOutText_, kUnitDurationText);
    CopyText(editInText_, kZeroTimecodeText);
    CopyText(durationText_, kUnitDurationText);
    CopyText(cueText_, kZeroTimecodeText);
    processorCount_ = NxGetNumProcs();
}

DeviceControlPort::~DeviceControlPort()
{
    if (isActive_)
        Deactivate();
    if (isOpen_)
        Close();
}

int32_t DeviceControlPort::Open(const BoardInfo& board, int32_t portIndex)
{
    if (isActive_)
        Deactivate();
    if (isOpen_)
        Close();
    if (portIndex < 0 || !control_.OpenControl(board, static_cast<uint32_t>(portIndex))) {
        controlSupported_ = 0;
        isOpen_ = 0;
        return kResultRefused;
    }
    portIndex_ = portIndex;
    controlSupported_ = 1;
    isOpen_ = 1;
    lock_ = NxCreateSemaphore(1, 1, nullptr);
    if (!lock_) {
        // Without its lock the port is unusable, but the board was there.
        controlSupported_ = 0;
        isOpen_ = 0;
        control_.CloseControl();
        return 0;
    }
    ResetSettings(&settings_);
    return 0;
}

int32_t DeviceControlPort::Close()
{
    if (isActive_)
        Deactivate();
    if (isOpen_) {
        control_.CloseControl();
        isOpen_ = 0;
    }
    if (lock_) {
        NxCloseSemaphore(lock_);
        lock_ = nullptr;
    }
    return 0;
}

int32_t DeviceControlPort::Activate()
{
    if (isActive_ || !isOpen_ || portIndex_ < 0 || portIndex_ >= kMaxPorts)
        return kResultRefused;
    void* named = gPortSemaphores[portIndex_];
    if (!named || NxWaitForSemaphore(named, 0) != NX_SUCCESS)
        return kResultRefused;
    if (!control_.ActivateControl()) {
        NxReleaseSemaphore(named);
        return kResultRefused;
    }
    isActive_ = 1;
    if (!PushTimecodeSettings()) {
        // Nothing of a failed activation stays behind, the link's
        // interrupt subscriptions included.
        control_.DeactivateControl();
        isActive_ = 0;
        NxReleaseSemaphore(named);
        return kResultRefused;
    }
    return 0;
}

int32_t DeviceControlPort::Deactivate()
{
    if (!isActive_)
        return kResultRefused;
    control_.DeactivateControl();
    isActive_ = 0;
    NxReleaseSemaphore(gPortSemaphores[portIndex_]);
    return 0;
}

bool DeviceControlPort::IsLinkOpen() const
{
    return isOpen_ && control_.IsOpen();
}

int32_t DeviceControlPort::GetBoardName(char* text)
{
    if (!isOpen_ || !control_.GetBoardDescription(text)) {
        std::strcpy(text, "Unknown Board");
        return kResultRefused;
    }
    return 0;
}

int32_t DeviceControlPort::GetControlStateText(char* text) const
{
    const char* state = !controlSupported_ ? "No Device Control Support"
                        : !isOpen_         ? "Not Open"
                        : !isActive_       ? "Not Active"
                                           : "Active";
    std::strcpy(text, state);
    return 0;
}

int32_t DeviceControlPort::CopySettingsIn(const PortSettings* block)
{
    if (!block)
        return kResultRefused;
    std::memcpy(&settings_, block, sizeof settings_);
    return 0;
}

int32_t DeviceControlPort::CopySettingsOut(PortSettings* block) const
{
    if (!block)
        return kResultRefused;
    std::memcpy(block, &settings_, sizeof settings_);
    return 0;
}

int32_t DeviceControlPort::ResetSettings(PortSettings* block)
{
    if (!block)
        return kResultRefused;
    control_.SetDefaultSettings(&block->timecode);
    if (!control_.GetDeckBoardInfo(reinterpret_cast<uint32_t*>(&block->board)))
        std::memset(&block->board, 0, sizeof block->board);
    block->mark = kSettingsMark;
    block->timecodeOffset = 0;
    block->delay = 0;
    block->editMode = 0;
    block->preview = 1;
    block->video = 1;
    std::memset(block->audio, 1, sizeof block->audio);
    return 0;
}

bool DeviceControlPort::PushTimecodeSettings()
{
    return control_.ApplyControlSettings(&settings_.timecode);
}

void DeviceControlPort::ReadTimecodeSettingsBack()
{
    ControlSettings current;
    if (control_.GetControlSettings(reinterpret_cast<uint32_t*>(&current)))
        settings_.timecode = current;
}
