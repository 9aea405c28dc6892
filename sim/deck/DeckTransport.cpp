#include "sim/deck/DeckTransport.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sim {

namespace {

constexpr double kNoEvent = std::numeric_limits<double>::infinity();
constexpr double kSettleMs = 40.0; // servo settling on a cue point
constexpr double kEjectMs = 1500.0;
// Event chains are short (arrive, settle, preroll, edit, postroll, tape
// end); the bound only guards against a state that keeps re-arming itself.
constexpr int kMaxEventsPerAdvance = 64;

// Winding at full speed plus a run-in and run-out that grow with the
// distance: a frame away takes about 0.1 s, an hour away over a minute.
double WindMs(const TapeFormat& format, double frames)
{
    return frames == 0 ? 0.0 : frames * format.FrameMs() / kMaxTapeSpeed + std::min(60.0 * std::sqrt(frames), 1500.0);
}

} // namespace

double CueMs(const TapeFormat& format, int64_t frames)
{
    return WindMs(format, std::fabs(static_cast<double>(frames))) + kSettleMs;
}

DeckTransport::DeckTransport(const TapeFormat& format, int64_t startFrame, bool tapeIn, double nowMs)
    : format_(format), lastFrame_(format.DayFrames() - 1), tapeIn_(tapeIn),
      mode_(tapeIn ? TransportMode::Stopped : TransportMode::TapeOut),
      anchorPos_(static_cast<double>(std::clamp<int64_t>(startFrame, 0, format.DayFrames() - 1))), anchorMs_(nowMs),
      lastAdvanceMs_(nowMs)
{
}

// ---- time ------------------------------------------------------------------

double DeckTransport::PositionAt(double ms) const
{
    const double p = anchorPos_ + speed_ * (ms - anchorMs_) / format_.FrameMs();
    return std::clamp(p, 0.0, static_cast<double>(lastFrame_));
}

int64_t DeckTransport::Frame(double nowMs) const
{
    // The frame under the heads is the one being entered: moving backwards
    // the heads leave a frame at its start. The tolerance, far below a
    // microsecond, keeps a frame reached by an event from rounding away.
    constexpr double kTolerance = 1e-6;
    const double p = PositionAt(nowMs);
    return static_cast<int64_t>(speed_ < 0 ? std::ceil(p - kTolerance) : std::floor(p + kTolerance));
}

int64_t DeckTransport::VitcFrame(double nowMs) const
{
    return std::fabs(speed_) > kVitcReadableSpeed ? static_cast<int64_t>(anchorPos_) : Frame(nowMs);
}

double DeckTransport::MsToReach(int64_t frame) const
{
    if (speed_ == 0)
        return kNoEvent;
    const double ms = anchorMs_ + (static_cast<double>(frame) - anchorPos_) * format_.FrameMs() / speed_;
    return std::max(ms, anchorMs_);
}

DeckTransport::Event DeckTransport::NextEvent() const
{
    Event next{eventMs_, eventMs_ == kNoEvent ? EventKind::None : EventKind::Timer};
    const auto consider = [&next](double ms, EventKind kind) {
        if (ms < next.ms)
            next = {ms, kind};
    };
    const bool seeking = mode_ == TransportMode::Seeking || phase_ == EditPhase::Seek;
    if (speed_ != 0 && !seeking)
        consider(MsToReach(speed_ > 0 ? lastFrame_ : 0), EventKind::TapeEnd);
    if (phase_ == EditPhase::Preroll)
        consider(MsToReach(EditStart()), EventKind::EditStart);
    if (phase_ == EditPhase::Edit && EditEnd() >= 0)
        consider(MsToReach(EditEnd()), EventKind::EditEnd);
    if (phase_ == EditPhase::Postroll)
        consider(MsToReach(PostrollEnd()), EventKind::PostrollEnd);
    return next;
}

double DeckTransport::NextEventMs() const
{
    return NextEvent().ms;
}

void DeckTransport::AdvanceTo(double nowMs)
{
    nowMs = std::max(nowMs, lastAdvanceMs_);
    for (int i = 0; i < kMaxEventsPerAdvance; ++i) {
        const Event next = NextEvent();
        if (next.kind == EventKind::None || !(next.ms <= nowMs))
            break;
        RecordUpTo(next.ms);
        RunEvent(next.kind, next.ms);
    }
    RecordUpTo(nowMs);
    lastAdvanceMs_ = nowMs;
}

void DeckTransport::RunEvent(EventKind kind, double atMs)
{
    const bool seeking = mode_ == TransportMode::Seeking || phase_ == EditPhase::Seek;
    switch (kind) {
    case EventKind::None:
        break;
    case EventKind::Timer:
        if (seeking && !seekArrived_) {
            // Arrive exactly on the frame, then let the servo settle.
            anchorPos_ = static_cast<double>(seekTarget_);
            anchorMs_ = atMs;
            speed_ = 0;
            seekArrived_ = true;
            eventMs_ = atMs + kSettleMs;
        } else if (seeking && afterSeekPlay_) {
            afterSeekPlay_ = false;
            phase_ = EditPhase::Preroll;
            anchorMs_ = atMs;
            speed_ = 1.0;
            recordedUpTo_ = seekTarget_;
            eventMs_ = kNoEvent;
        } else if (seeking) {
            mode_ = TransportMode::CuedUp;
            eventMs_ = kNoEvent;
        } else if (mode_ == TransportMode::Ejecting) {
            tapeIn_ = false;
            mode_ = TransportMode::TapeOut;
            eventMs_ = kNoEvent;
        } else {
            eventMs_ = kNoEvent;
        }
        break;
    case EventKind::EditStart:
        phase_ = EditPhase::Edit;
        break;
    case EventKind::EditEnd:
        phase_ = EditPhase::Postroll;
        break;
    case EventKind::TapeEnd:
    case EventKind::PostrollEnd:
        Park(TransportMode::Stopped, atMs);
        break;
    }
}

// ---- motion ----------------------------------------------------------------

void DeckTransport::Anchor(double nowMs)
{
    anchorPos_ = static_cast<double>(Frame(nowMs));
    anchorMs_ = nowMs;
}

void DeckTransport::Move(TransportMode mode, double speed, double nowMs)
{
    EndTake(nowMs);
    Anchor(nowMs);
    mode_ = mode;
    speed_ = std::clamp(speed, -kMaxTapeSpeed, kMaxTapeSpeed);
    phase_ = EditPhase::None;
    preview_ = false;
    afterSeekPlay_ = false;
    eventMs_ = kNoEvent;
    standby_ = true;
}

void DeckTransport::Park(TransportMode mode, double nowMs)
{
    Move(mode, 0.0, nowMs);
}

bool DeckTransport::MoveIfAble(TransportMode mode, double speed, double nowMs)
{
    AdvanceTo(nowMs);
    if (!CanMove())
        return false;
    Move(mode, speed, nowMs);
    return true;
}

bool DeckTransport::CanMove() const
{
    return remote_ && tapeIn_ && mode_ != TransportMode::Ejecting;
}

void DeckTransport::StartSeek(int64_t target, double nowMs)
{
    Park(TransportMode::Seeking, nowMs);
    const double windMs = WindMs(format_, std::fabs(static_cast<double>(target) - anchorPos_));
    speed_ = windMs == 0 ? 0.0 : (static_cast<double>(target) - anchorPos_) * format_.FrameMs() / windMs;
    seekTarget_ = target;
    seekArrived_ = false;
    eventMs_ = nowMs + windMs;
}

// ---- recording -------------------------------------------------------------

bool DeckTransport::Recording() const
{
    switch (take_) {
    case Take::None:
        return false;
    case Take::Crash:
    case Take::Manual:
        return true;
    case Take::Auto:
        break;
    }
    return phase_ != EditPhase::Seek && AutoChannelsAt(Frame(lastAdvanceMs_)) != 0;
}

int64_t DeckTransport::EditStart() const
{
    const int64_t audioIn = presets_.audioIn >= 0 ? presets_.audioIn : presets_.in;
    return std::min(presets_.in, audioIn);
}

int64_t DeckTransport::EditEnd() const
{
    const int64_t audioOut = presets_.audioOut >= 0 ? presets_.audioOut : presets_.out;
    if (presets_.out < 0 || audioOut < 0)
        return -1;
    return std::max(presets_.out, audioOut);
}

int64_t DeckTransport::PostrollEnd() const
{
    return std::min(lastFrame_, EditEnd() + int64_t(kPostrollSeconds) * format_.base * format_.TapeFramesPerLabel());
}

uint32_t DeckTransport::AutoChannelsAt(int64_t frame) const
{
    const uint32_t channels = presets_.assemble ? kAllChannels : presets_.channels;
    const auto within = [frame](int64_t first, int64_t end) {
        return first >= 0 && frame >= first && (end < 0 || frame < end);
    };
    const int64_t audioIn = presets_.audioIn >= 0 ? presets_.audioIn : presets_.in;
    const int64_t audioOut = presets_.audioOut >= 0 ? presets_.audioOut : presets_.out;
    uint32_t on = 0;
    if (within(presets_.in, presets_.out))
        on |= channels & kChannelVideo;
    if (within(audioIn, audioOut))
        on |= channels & kChannelAudioMask;
    return on;
}

void DeckTransport::RecordUpTo(double ms)
{
    if (take_ == Take::None || speed_ <= 0)
        return;
    if (take_ == Take::Auto && phase_ == EditPhase::Seek)
        return;
    // A frame is on tape once the heads have passed all of it.
    const int64_t end = static_cast<int64_t>(std::floor(PositionAt(ms)));
    if (end <= recordedUpTo_)
        return;
    const RecordKind kind = presets_.assemble ? RecordKind::Assemble : RecordKind::Insert;
    if (take_ == Take::Crash) {
        Write(recordedUpTo_, end - 1, kAllChannels, RecordKind::Crash);
    } else if (take_ == Take::Manual) {
        Write(recordedUpTo_, end - 1, presets_.assemble ? kAllChannels : presets_.channels, kind);
    } else {
        const int64_t bounds[] = {presets_.in, presets_.out, presets_.audioIn, presets_.audioOut};
        for (int64_t f = recordedUpTo_; f < end;) {
            int64_t next = end;
            for (int64_t b : bounds)
                if (b > f && b < next)
                    next = b;
            const uint32_t channels = AutoChannelsAt(f);
            if (channels != 0)
                Write(f, next - 1, channels, kind);
            f = next;
        }
    }
    recordedUpTo_ = end;
}

void DeckTransport::Write(int64_t first, int64_t last, uint32_t channels, RecordKind kind)
{
    if (takeOpen_ && !segments_.empty()) {
        RecordedSegment& back = segments_.back();
        if (back.last + 1 == first && back.channels == channels && back.kind == kind) {
            back.last = last;
            return;
        }
    }
    segments_.push_back({first, last, channels, kind});
    takeOpen_ = true;
}

void DeckTransport::EndTake(double nowMs)
{
    RecordUpTo(nowMs);
    take_ = Take::None;
    takeOpen_ = false;
}

// ---- commands --------------------------------------------------------------

void DeckTransport::InsertTape(double nowMs)
{
    AdvanceTo(nowMs);
    if (tapeIn_ && mode_ != TransportMode::Ejecting)
        return;
    tapeIn_ = true;
    Park(TransportMode::Stopped, nowMs);
}

bool DeckTransport::Stop(double nowMs)
{
    AdvanceTo(nowMs);
    if (!remote_)
        return false;
    // With no tape there is nothing to stop, which is no reason to refuse.
    if (tapeIn_ && mode_ != TransportMode::Ejecting)
        Park(TransportMode::Stopped, nowMs);
    return true;
}

bool DeckTransport::Play(double nowMs)
{
    AdvanceTo(nowMs);
    if (!CanMove())
        return false;
    if (mode_ != TransportMode::Playing || take_ != Take::None)
        Move(TransportMode::Playing, 1.0, nowMs);
    return true;
}

bool DeckTransport::Record(double nowMs)
{
    AdvanceTo(nowMs);
    if (!CanMove() || recordInhibit_)
        return false;
    if (mode_ == TransportMode::Playing && take_ == Take::Crash)
        return true;
    Move(TransportMode::Playing, 1.0, nowMs);
    take_ = Take::Crash;
    recordedUpTo_ = Frame(nowMs);
    return true;
}

bool DeckTransport::Eject(double nowMs)
{
    AdvanceTo(nowMs);
    if (!CanMove())
        return false;
    Park(TransportMode::Ejecting, nowMs);
    eventMs_ = nowMs + kEjectMs;
    return true;
}

bool DeckTransport::Wind(bool forward, double nowMs)
{
    return MoveIfAble(forward ? TransportMode::FastForward : TransportMode::Rewind,
                      forward ? kMaxTapeSpeed : -kMaxTapeSpeed, nowMs);
}

bool DeckTransport::Shuttle(double speed, double nowMs)
{
    return MoveIfAble(TransportMode::Shuttle, speed, nowMs);
}
bool DeckTransport::Jog(double speed, double nowMs)
{
    return MoveIfAble(TransportMode::Jog, speed, nowMs);
}
bool DeckTransport::Var(double speed, double nowMs)
{
    return MoveIfAble(TransportMode::Var, speed, nowMs);
}

bool DeckTransport::Cue(int64_t frame, double nowMs)
{
    AdvanceTo(nowMs);
    if (!CanMove() || frame < 0 || frame > lastFrame_)
        return false;
    StartSeek(frame, nowMs);
    return true;
}

bool DeckTransport::Preroll(double nowMs)
{
    AdvanceTo(nowMs);
    if (presets_.in < 0)
        return false;
    return Cue(std::max<int64_t>(0, presets_.in - presets_.prerollFrames), nowMs);
}

bool DeckTransport::AutoEdit(bool preview, double nowMs)
{
    AdvanceTo(nowMs);
    if (!CanMove() || presets_.in < 0)
        return false;
    const int64_t end = EditEnd();
    if (end >= 0 && end <= EditStart())
        return false;
    if (!preview) {
        const bool channels = presets_.assemble || (presets_.insert && presets_.channels != 0);
        if (recordInhibit_ || !channels)
            return false;
    }
    const int64_t start = std::max<int64_t>(0, EditStart() - presets_.prerollFrames);
    const bool parkedThere = speed_ == 0 && Frame(nowMs) == start;
    if (parkedThere) {
        Move(TransportMode::AutoEdit, 1.0, nowMs);
        phase_ = EditPhase::Preroll;
        recordedUpTo_ = start;
    } else {
        StartSeek(start, nowMs);
        mode_ = TransportMode::AutoEdit;
        phase_ = EditPhase::Seek;
        afterSeekPlay_ = true;
    }
    preview_ = preview;
    take_ = preview ? Take::None : Take::Auto;
    takeOpen_ = false;
    return true;
}

bool DeckTransport::EditOn(double nowMs)
{
    AdvanceTo(nowMs);
    if (!CanMove() || recordInhibit_ || mode_ != TransportMode::Playing)
        return false;
    if (!presets_.assemble && !(presets_.insert && presets_.channels != 0))
        return false;
    if (take_ == Take::None) {
        take_ = Take::Manual;
        takeOpen_ = false;
        recordedUpTo_ = Frame(nowMs);
    }
    return true;
}

bool DeckTransport::EditOff(double nowMs)
{
    AdvanceTo(nowMs);
    if (!remote_)
        return false;
    if (take_ == Take::Manual)
        EndTake(nowMs);
    return true;
}

bool DeckTransport::Standby(bool on, double nowMs)
{
    AdvanceTo(nowMs);
    if (!CanMove())
        return false;
    if (on || mode_ == TransportMode::Stopped)
        standby_ = on;
    return true;
}

// ---- status ----------------------------------------------------------------

double DeckTransport::Speed() const
{
    return speed_;
}

std::array<uint8_t, 16> DeckTransport::StatusData() const
{
    std::array<uint8_t, 16> d{};
    const auto set = [&d](int byte, int bit, bool on) {
        if (on)
            d[byte] = static_cast<uint8_t>(d[byte] | (1u << bit));
    };
    const bool moving = phase_ == EditPhase::Preroll || phase_ == EditPhase::Edit || phase_ == EditPhase::Postroll;
    const bool playing = mode_ == TransportMode::Playing || (mode_ == TransportMode::AutoEdit && moving);
    const bool recording = Recording();
    const bool variable = mode_ == TransportMode::Shuttle || mode_ == TransportMode::Jog || mode_ == TransportMode::Var;

    set(0, 5, !tapeIn_);
    set(0, 0, !remote_);

    set(1, 7, tapeIn_ && standby_);
    set(1, 5, mode_ == TransportMode::Stopped);
    set(1, 4, mode_ == TransportMode::Ejecting);
    set(1, 3, mode_ == TransportMode::Rewind);
    set(1, 2, mode_ == TransportMode::FastForward);
    set(1, 1, recording);
    set(1, 0, playing); // a deck keeps PLAY set while it records

    set(2, 7, playing); // servo locked
    set(2, 5, mode_ == TransportMode::Shuttle);
    set(2, 4, mode_ == TransportMode::Jog);
    set(2, 3, mode_ == TransportMode::Var);
    set(2, 2, speed_ < 0);
    set(2, 1, variable && speed_ == 0);
    set(2, 0, mode_ == TransportMode::CuedUp);

    set(3, 7, presets_.autoMode);
    set(3, 3, presets_.audioOut >= 0);
    set(3, 2, presets_.audioIn >= 0);
    set(3, 1, presets_.out >= 0);
    set(3, 0, presets_.in >= 0);

    set(4, 4, recording && take_ != Take::Crash);
    set(4, 2, mode_ == TransportMode::AutoEdit && !preview_);
    set(4, 1, mode_ == TransportMode::AutoEdit && preview_);
    set(4, 0, mode_ == TransportMode::Seeking || phase_ == EditPhase::Seek);

    set(5, 6, presets_.insert);
    set(5, 5, presets_.assemble);
    set(5, 4, (presets_.channels & kChannelVideo) != 0);
    d[5] = static_cast<uint8_t>(d[5] | ((presets_.channels >> 1) & 0x0F));

    set(7, 0, phase_ == EditPhase::Edit); // between the in and out points

    set(8, 4, tapeIn_ && Frame(lastAdvanceMs_) == lastFrame_);
    set(8, 0, recordInhibit_);
    return d;
}

} // namespace sim
