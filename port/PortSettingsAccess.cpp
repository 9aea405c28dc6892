// The port's timecode and export settings: the deck controller's lists,
// and the values an Export to Tape uses, with their checks and clamps.
#include "port/DeviceControlPort.h"
#include "platform/ResultCodes.h"

#include "port/PortLock.h"

#include <cstdint>
#include <cstring>

namespace {

const char* const kEditModeNames[DeviceControlPort::kEditModeCount] = {"Print To Video", "Insert Edit"};

int32_t Result(bool ok)
{
    return ok ? kResultSuccess : kResultRefused;
}

// A negative index is as unknown to the tables as one past their end.
uint32_t TableIndex(int32_t index)
{
    return index < 0 ? UINT32_MAX : static_cast<uint32_t>(index);
}

} // namespace

bool DeviceControlPort::AcceptsSettings(const PortSettings& block)
{
    if (block.mark != kSettingsMark || block.board.tag != kDeckRecordTag || block.timecode.tag != kDeckRecordTag)
        return false;
    char name[sizeof block.board.description + 1] = {};
    GetBoardName(name);
    if (std::memcmp(name, block.board.description, std::strlen(name) + 1) != 0)
        return false;

    // Timecode numbers that disagree with the format table would make the
    // port convert at one rate while the deck is read at another.
    const ControlSettings& timecode = block.timecode;
    TimecodeFormat row;
    if (!control_.GetTimecodeFormatInfo(timecode.formatIndex, &row) ||
        timecode.sourceIndex >= control_.GetTimecodeSourceCount() ||
        timecode.prerollSeconds > CSerialVtrControl::kMaxPrerollSeconds ||
        timecode.format.framesPerSecond != row.framesPerSecond || timecode.format.dropFrame != row.dropFrame ||
        timecode.format.rateNumerator != row.rateNumerator || timecode.format.rateDenominator != row.rateDenominator)
        return false;
    return block.timecodeOffset >= kMinTimecodeOffset && block.timecodeOffset <= kMaxTimecodeOffset &&
           block.delay >= 0 && block.delay <= kMaxDelay && block.editMode >= 0 && block.editMode < kEditModeCount;
}

int32_t DeviceControlPort::GetTimecodeFormatInfo(FormatInfo* info) const
{
    const TimecodeFormat& format = settings_.timecode.format;
    switch (format.framesPerSecond) {
    case 24:
        info->formatClass = 0;
        break;
    case 25:
        info->formatClass = 1;
        break;
    case 30:
        info->formatClass = 2;
        break;
    default:
        break; // left as the caller had it
    }
    info->dropFrame = static_cast<int32_t>(format.dropFrame);
    info->rate = static_cast<int32_t>(format.rateNumerator);
    info->divisor = static_cast<int32_t>(format.rateDenominator);
    return 0;
}

int32_t DeviceControlPort::GetTimecodeFormatCount(int32_t* count) const
{
    *count = static_cast<int32_t>(control_.GetTimecodeFormatCount());
    return 0;
}

int32_t DeviceControlPort::GetTimecodeFormatName(int32_t index, char* text)
{
    // An unknown index gives the first row's name, and false.
    TimecodeFormat format;
    const bool ok = control_.GetTimecodeFormatInfo(TableIndex(index), &format);
    std::memcpy(text, format.name, sizeof format.name);
    return Result(ok);
}

int32_t DeviceControlPort::GetTimecodeFormat(int32_t* index)
{
    uint32_t value = 0;
    const bool ok = control_.GetTimecodeFormat(&value);
    *index = static_cast<int32_t>(value);
    return Result(ok);
}

int32_t DeviceControlPort::GetTimecodeSourceCount(int32_t* count) const
{
    *count = static_cast<int32_t>(control_.GetTimecodeSourceCount());
    return 0;
}

int32_t DeviceControlPort::GetTimecodeSourceName(int32_t index, char* text)
{
    return Result(control_.GetTimecodeSourceName(TableIndex(index), text));
}

int32_t DeviceControlPort::GetTimecodeSource(int32_t* index)
{
    uint32_t value = 0;
    const bool ok = control_.GetTimecodeSource(&value);
    *index = static_cast<int32_t>(value);
    return Result(ok);
}

int32_t DeviceControlPort::GetPreroll(int32_t* seconds)
{
    uint32_t value = 0;
    const bool ok = control_.GetPreroll(&value);
    *seconds = ok ? static_cast<int32_t>(value) : 2;
    return Result(ok);
}

// The first change after construction pushes the stored block first, so
// that it applies on top of the settings the port was loaded with rather
// than on the controller's defaults. The controller's block is read back
// even when the setter refused: the settings always show what is in effect.
template <typename Setter> int32_t DeviceControlPort::ChangeTimecodeSetting(Setter setter)
{
    PortLock lock(lock_);
    if (!lock.Held())
        return kResultRefused;
    if (!settingsApplied_) {
        PushTimecodeSettings();
        settingsApplied_ = 1;
    }
    setter();
    ReadTimecodeSettingsBack();
    return 0;
}

void DeviceControlPort::RestoreSettings(const PortSettings& block)
{
    CopySettingsIn(&block);
    if (isActive_ && PushTimecodeSettings())
        settingsApplied_ = 1;
}

int32_t DeviceControlPort::SetTimecodeFormat(int32_t index)
{
    if (!isOpen_)
        return kResultRefused;
    return ChangeTimecodeSetting([&] { control_.SetTimecodeFormat(TableIndex(index)); });
}

int32_t DeviceControlPort::SetTimecodeSource(int32_t index)
{
    if (!isOpen_)
        return kResultRefused;
    return ChangeTimecodeSetting([&] { control_.SetTimecodeSource(TableIndex(index)); });
}

int32_t DeviceControlPort::SetPreroll(int32_t seconds)
{
    if (!isActive_ || IsEditing())
        return kResultRefused;
    return ChangeTimecodeSetting([&] { control_.SetPreroll(static_cast<uint32_t>(seconds)); });
}

int32_t DeviceControlPort::GetTimecodeOffset(int32_t* frames) const
{
    *frames = settings_.timecodeOffset;
    return 0;
}

int32_t DeviceControlPort::SetTimecodeOffset(int32_t frames)
{
    if (!isOpen_)
        return kResultRefused;
    PortLock lock(lock_);
    if (!lock.Held())
        return kResultRefused;
    settings_.timecodeOffset = frames < kMinTimecodeOffset   ? kMinTimecodeOffset
                               : frames > kMaxTimecodeOffset ? kMaxTimecodeOffset
                                                             : frames;
    return 0;
}

int32_t DeviceControlPort::GetDelay(int32_t* frames) const
{
    *frames = settings_.delay;
    return 0;
}

int32_t DeviceControlPort::SetDelay(int32_t frames)
{
    if (!isOpen_ || !isActive_ || IsEditing())
        return kResultRefused;
    PortLock lock(lock_);
    if (!lock.Held())
        return kResultRefused;
    if (frames >= 0 && frames <= kMaxDelay)
        settings_.delay = frames;
    return 0;
}

int32_t DeviceControlPort::GetEditMode(int32_t* mode) const
{
    *mode = settings_.editMode;
    return 0;
}

int32_t DeviceControlPort::SetEditMode(int32_t mode)
{
    if (!isOpen_ || IsEditing() || mode < 0 || mode >= kEditModeCount)
        return kResultRefused;
    PortLock lock(lock_);
    if (!lock.Held())
        return kResultRefused;
    settings_.editMode = mode;
    return 0;
}

int32_t DeviceControlPort::GetEditModeCount(int32_t* count) const
{
    *count = kEditModeCount;
    return 0;
}

int32_t DeviceControlPort::GetEditModeName(int32_t mode, char* text) const
{
    const bool known = mode >= 0 && mode < kEditModeCount;
    std::strcpy(text, kEditModeNames[known ? mode : 0]);
    return Result(known);
}

int32_t DeviceControlPort::GetVideoFlag(uint8_t* value) const
{
    *value = settings_.video;
    return 0;
}

int32_t DeviceControlPort::SetVideoFlag(uint8_t value)
{
    return SetFlag(&settings_.video, value);
}

int32_t DeviceControlPort::GetPreviewFlag(uint8_t* value) const
{
    *value = settings_.preview;
    return 0;
}

int32_t DeviceControlPort::SetPreviewFlag(uint8_t value)
{
    return SetFlag(&settings_.preview, value);
}

int32_t DeviceControlPort::GetAudioFlag(uint8_t* value, int32_t index) const
{
    if (index < 0 || index >= kAudioFlagCount) {
        *value = 0;
        return kResultRefused;
    }
    *value = settings_.audio[index];
    return 0;
}

int32_t DeviceControlPort::SetAudioFlag(uint8_t value, int32_t index)
{
    if (index < 0 || index >= kAudioFlagCount)
        return kResultRefused;
    return SetFlag(&settings_.audio[index], value);
}

int32_t DeviceControlPort::SetFlag(uint8_t* flag, uint8_t value)
{
    if (!isOpen_ || IsEditing())
        return kResultRefused;
    PortLock lock(lock_);
    if (!lock.Held())
        return kResultRefused;
    *flag = value;
    return 0;
}
