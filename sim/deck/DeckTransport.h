#pragma once
// The deck's tape transport in real time. Nothing runs by itself: every
// call carries the time, and the transport first plays out whatever its
// motion did since the last call (seeks arriving, edit phases, the tape's
// ends), so its answers are exact at any instant however seldom it is asked.
#include "sim/deck/DeckTimecode.h"

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace sim {

// Channel bits, as the controller's edit channels count them.
constexpr uint32_t kChannelVideo = 0x001;
constexpr uint32_t kChannelAudioMask = 0x1FE; // audio 1 (0x002) to audio 8 (0x100)
constexpr uint32_t kAllChannels = 0x1FF;

constexpr double kMaxTapeSpeed = 50.0;      // wind and the fastest shuttle
constexpr double kVitcReadableSpeed = 10.0; // VITC reads up to this, either way
constexpr uint32_t kPostrollSeconds = 2;    // of timecode, past the out point

enum class RecordKind { Crash, Insert, Assemble };

// How long a cue over `frames` of tape takes, from the command to parked:
// the wind, then the servo settling on the frame.
double CueMs(const TapeFormat& format, int64_t frames);

// Frames first to last (inclusive) written on the channels given in one
// take; a take whose channels change over its length gives one segment for
// each stretch.
struct RecordedSegment {
    int64_t first = 0;
    int64_t last = 0;
    uint32_t channels = 0;
    RecordKind kind = RecordKind::Crash;
};

enum class TransportMode {
    TapeOut,
    Ejecting,
    Stopped,
    Playing, // forward at play speed, also while recording
    FastForward,
    Rewind,
    Shuttle,
    Jog,
    Var,
    Seeking,  // winding to a cue point, then settling on it
    CuedUp,   // parked on the cue point
    AutoEdit, // an auto edit or preview in one of its phases
};

enum class EditPhase { None, Seek, Preroll, Edit, Postroll };

// The edit presets: points as tape frames, -1 when not set.
struct EditPresets {
    int64_t in = -1, out = -1, audioIn = -1, audioOut = -1;
    int64_t prerollFrames = 0;
    bool insert = false;
    bool assemble = false;
    uint32_t channels = 0; // kChannel* bits
    bool autoMode = false;
};

class DeckTransport {
public:
    DeckTransport(const TapeFormat& format, int64_t startFrame, bool tapeIn, double nowMs);

    const TapeFormat& Format() const { return format_; }
    void AdvanceTo(double nowMs);

    // The front panel. Local refuses every transport command.
    void SetRemote(bool remote) { remote_ = remote; }
    bool Remote() const { return remote_; }
    void SetRecordInhibit(bool inhibit) { recordInhibit_ = inhibit; }
    bool RecordInhibit() const { return recordInhibit_; }
    void InsertTape(double nowMs);

    // Commands: false when the deck refuses (and then nothing changes).
    bool Stop(double nowMs);
    bool Play(double nowMs);
    bool Record(double nowMs); // crash record, every channel
    bool Eject(double nowMs);
    bool Wind(bool forward, double nowMs);    // fast forward, rewind
    bool Shuttle(double speed, double nowMs); // signed multiple of play speed
    bool Jog(double speed, double nowMs);
    bool Var(double speed, double nowMs);
    bool Cue(int64_t frame, double nowMs);
    bool Preroll(double nowMs); // cue to the in point less preroll
    bool AutoEdit(bool preview, double nowMs);
    bool EditOn(double nowMs); // punch in on the preset channels
    bool EditOff(double nowMs);
    bool Standby(bool on, double nowMs);

    EditPresets& Presets() { return presets_; }
    const EditPresets& Presets() const { return presets_; }

    TransportMode Mode() const { return mode_; }
    EditPhase Phase() const { return phase_; }
    bool Preview() const { return preview_; }
    bool Recording() const;
    int64_t Frame(double nowMs) const; // the frame under the heads
    // What the VITC reader gives: faster than kVitcReadableSpeed it cannot
    // read and holds the frame it read last, where that motion began.
    int64_t VitcFrame(double nowMs) const;
    double Speed() const; // signed multiple of play speed
    // Status data D0 to D15 of the status sense.
    std::array<uint8_t, 16> StatusData() const;

    const std::vector<RecordedSegment>& Segments() const { return segments_; }
    double NextEventMs() const;

private:
    enum class Take { None, Crash, Manual, Auto };

    double PositionAt(double ms) const;
    void Anchor(double nowMs); // park the motion on its frame
    void Move(TransportMode mode, double speed, double nowMs);
    void Park(TransportMode mode, double nowMs);
    bool MoveIfAble(TransportMode mode, double speed, double nowMs); // a command
    bool CanMove() const;
    // What happens next on its own, told apart by kind: times computed by
    // different paths need not compare equal (x87 keeps excess precision).
    enum class EventKind { None, Timer, TapeEnd, EditStart, EditEnd, PostrollEnd };
    struct Event {
        double ms;
        EventKind kind;
    };
    Event NextEvent() const;
    void StartSeek(int64_t target, double nowMs);
    void RunEvent(EventKind kind, double atMs);
    void RecordUpTo(double ms);
    void Write(int64_t first, int64_t last, uint32_t channels, RecordKind kind);
    void EndTake(double nowMs);
    uint32_t AutoChannelsAt(int64_t frame) const;
    int64_t EditStart() const;
    int64_t EditEnd() const; // -1 when open-ended
    int64_t PostrollEnd() const;
    double MsToReach(int64_t frame) const;

    const TapeFormat& format_;
    const int64_t lastFrame_;
    bool tapeIn_;
    bool remote_ = true;
    bool recordInhibit_ = false;
    bool standby_ = true;

    TransportMode mode_;
    EditPhase phase_ = EditPhase::None;
    bool preview_ = false;
    double speed_ = 0; // multiple of play speed, signed
    double anchorPos_; // fractional tape frame at anchorMs_
    double anchorMs_;
    double eventMs_ = std::numeric_limits<double>::infinity(); // seek arrival, settle, eject
    int64_t seekTarget_ = 0;
    bool seekArrived_ = false;
    bool afterSeekPlay_ = false; // an auto edit's seek goes on into preroll

    Take take_ = Take::None;
    bool takeOpen_ = false;    // the next write may extend the last segment
    int64_t recordedUpTo_ = 0; // frames below this are accounted for

    EditPresets presets_;
    std::vector<RecordedSegment> segments_;
    double lastAdvanceMs_;
};

} // namespace sim
