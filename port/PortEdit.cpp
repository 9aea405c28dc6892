// The edit of an Export to Tape on the port: In and Out points, durations,
// the checks before an edit, and cueing the deck for it.
#include "port/DeviceControlPort.h"

#include "platform/ResultCodes.h"
#include "port/FixedText.h"
#include "port/PortLock.h"
#include "port/TimecodeText.h"
#include "platform/NxPlatform.h"

#include <cstdint>
#include <cstring>

namespace {

// Lets the deck take a stop or still before the next command.
constexpr uint32_t kSettleMs = 33;
// Video and the first eight audio channels are the ones an edit can choose.
constexpr int kEditAudioChannels = 8;

// Status flags that keep a deck from editing.
constexpr size_t kFlagOffline = 0;
constexpr size_t kFlagTapeOut = 1;
constexpr size_t kFlagLocal = 3;
constexpr size_t kFlagRecordInhibit = 58;

// The first condition the deck's status shows that keeps it from editing,
// as its result code; 0 when there is none.
int32_t DeckCondition(const uint8_t* flags)
{
    return flags[kFlagOffline]         ? kResultDeckOffline
           : flags[kFlagTapeOut]       ? kResultNoTape
           : flags[kFlagLocal]         ? kResultDeckLocal
           : flags[kFlagRecordInhibit] ? kResultRecordInhibit
                                       : 0;
}

int32_t ClampFrames(int64_t frames)
{
    return frames < 0 ? 0 : frames > INT32_MAX ? INT32_MAX : static_cast<int32_t>(frames);
}

} // namespace

int32_t DeviceControlPort::TextRate() const
{
    const int32_t rate = Rate();
    return rate == 60000 || rate == 50000 ? rate / 2 : rate;
}

uint32_t DeviceControlPort::EditChannelMask() const
{
    uint32_t mask = settings_.video ? 1u : 0u;
    for (int i = 0; i < kEditAudioChannels; ++i)
        if (settings_.audio[i])
            mask |= 2u << i;
    return mask;
}

bool DeviceControlPort::AnyChannelSelected() const
{
    return EditChannelMask() != 0;
}

uint32_t DeviceControlPort::DelayMs() const
{
    const uint64_t rate = settings_.timecode.format.rateNumerator;
    const uint64_t divisor = settings_.timecode.format.rateDenominator;
    const uint64_t delay = settings_.delay < 0 ? 0 : static_cast<uint64_t>(settings_.delay);
    if (rate == 0)
        return 0;
    // frames × 1000 ÷ (rate ÷ divisor), in integers: no rounding of the
    // frame rate can move the result across a millisecond.
    return static_cast<uint32_t>(delay * 1000 * divisor / rate);
}

int32_t DeviceControlPort::GetInText(char* text) const
{
    std::memcpy(text, inText_, sizeof inText_);
    return 0;
}

int32_t DeviceControlPort::GetOutText(char* text) const
{
    std::memcpy(text, outText_, sizeof outText_);
    return 0;
}

void DeviceControlPort::RecomputeOutText()
{
    int32_t inFrames = 0;
    TimecodeTextToFrames(inText_, TextRate(), Divisor(), DropFrame(), &inFrames);
    FramesToTimecodeText(ClampFrames(int64_t(lastFrame_) + inFrames), TextRate(), Divisor(), DropFrame(), outText_);
}

int32_t DeviceControlPort::SetLastFrame(int32_t frame)
{
    if (!isActive_ || !isOpen_ || IsEditing())
        return kResultRefused;
    PortLock lock(lock_);
    if (!lock.Held())
        return kResultRefused;
    lastFrame_ = frame;
    RecomputeOutText();
    return 0;
}

int32_t DeviceControlPort::SetInText(const char* text)
{
    if (!isActive_ || !isOpen_ || IsEditing())
        return kResultRefused;
    PortLock lock(lock_);
    if (!lock.Held())
        return kResultRefused;
    FormatInfo info = {2, 0, 0, 0};
    GetTimecodeFormatInfo(&info);
    NormalizeTimecodeText(text, inText_, info.formatClass, DropFrame());
    RecomputeOutText();
    return 0;
}

void DeviceControlPort::FormatDuration(int32_t rate, char* text) const
{
    if (FramesToTimecodeText(ClampFrames(int64_t(lastFrame_) + 1), rate, Divisor(), DropFrame(), text) != 0)
        std::memcpy(text, ZeroText(), sizeof kZeroTimecodeText);
}

int32_t DeviceControlPort::GetDurationText(char* text) const
{
    FormatDuration(Rate(), text);
    return 0;
}

int32_t DeviceControlPort::GetStoredDurationText(char* text)
{
    FormatDuration(TextRate(), text);
    CopyText(durationText_, text);
    return 0;
}

int32_t DeviceControlPort::CheckEditReady()
{
    if (IsEditing())
        return 0;
    uint8_t flags[CSerialVtrControl::kStatusFlagCount];
    if (!isActive_ || !isOpen_ || !control_.GetStatusFlags(flags))
        return kResultDeckNotReady;
    if (const int32_t condition = DeckCondition(flags))
        return condition;
    if (settings_.editMode == 1 && !AnyChannelSelected())
        return kResultNoEditChannels;
    return 0;
}

// An insert edit also takes the deck out of its edit presets. A port that
// has given up its deck leaves it alone: talking would switch the UART on
// without the deck's semaphore.
void DeviceControlPort::StopDeckForEdit()
{
    if (!isActive_)
        return;
    if (settings_.editMode == 1)
        control_.EditReset();
    else
        control_.Stop();
}

int32_t DeviceControlPort::StartEdit()
{
    if (IsEditing())
        return 0;
    if (!isActive_ || !isOpen_)
        return kResultRefused;

    uint8_t flags[CSerialVtrControl::kStatusFlagCount];
    const bool readable = control_.GetStatusFlags(flags);
    if (readable && DeckCondition(flags) != 0) {
        StopDeckForEdit();
        editRecording_ = 0;
        return kResultDeckNotReady;
    }

    if (settings_.editMode == 0) {
        control_.ShuttleStill();
        NxSleep(kSettleMs);
    } else {
        control_.Stop();
        NxSleep(kSettleMs);
        if (!AnyChannelSelected())
            return kResultNoEditChannels;
        // The deck's out point is the first frame not recorded.
        int32_t outFrames = 0;
        TimecodeTextToFrames(outText_, Rate(), Divisor(), DropFrame(), &outFrames);
        const bool doubleRate = control_.IsDoubleRateFormat(settings_.timecode.formatIndex);
        const int64_t editOut = int64_t(outFrames) + (doubleRate ? 2 : 1);
        FramesToTimecodeText(ClampFrames(editOut), Rate(), Divisor(), DropFrame(), editOutText_);

        int32_t inFrames = 0;
        TimecodeTextToFrames(inText_, TextRate(), Divisor(), DropFrame(), &inFrames);
        FramesToTimecodeText(ClampFrames(int64_t(inFrames) + settings_.timecodeOffset), TextRate(), Divisor(),
                             DropFrame(), editInText_);
    }

    if (!readable) {
        StopDeckForEdit();
        return kResultDeckNotReady;
    }

    editArmed_ = 1;
    editRecording_ = 0;
    playoutSignalled_ = 0;
    editIssued_ = 0;

    int32_t inFrames = 0;
    TimecodeTextToFrames(inText_, Rate(), Divisor(), DropFrame(), &inFrames);
    const int64_t prerollFrames = int64_t(settings_.timecode.prerollSeconds) * Rate() / 1000;
    FramesToTimecodeText(ClampFrames(int64_t(inFrames) - prerollFrames), Rate(), Divisor(), DropFrame(), cueText_);
    control_.CueToTimecode(cueText_);
    return 0;
}

int32_t DeviceControlPort::StopEdit()
{
    if (!IsEditing())
        return 0;
    StopDeckForEdit();
    editArmed_ = 0;
    editRecording_ = 0;
    playoutSignalled_ = 0;
    editIssued_ = 0;
    return 0;
}
