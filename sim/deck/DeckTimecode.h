#pragma once
// The timecode track of a tape, as the deck counts it. A position on tape is
// a whole video frame (a "tape frame") counted from the start of the
// timecode day. In the double-rate formats two tape frames share one
// timecode label; the second of the pair carries the field flag, as the
// 9-pin time data counts them.
#include <cstdint>
#include <string>

namespace sim {

enum class TapeFormatId { Fps24, Fps25, Fps50, Df30, Ndf30, Df60, Ndf60 };

struct TapeFormat {
    TapeFormatId id;
    const char* name; // as the simulation's configuration spells it
    uint32_t base;    // timecode frames a second: 24, 25 or 30
    bool dropFrame;
    bool doubleRate;  // two tape frames per timecode frame
    uint32_t rateNum; // video frames a second = rateNum / rateDen
    uint32_t rateDen;

    double FrameMs() const { return 1000.0 * rateDen / rateNum; }
    int64_t TapeFramesPerLabel() const { return doubleRate ? 2 : 1; }
    // Tape frames in a whole timecode day (00:00:00:00 to the last label).
    int64_t DayFrames() const;
};

const TapeFormat& FormatOf(TapeFormatId id);
// "24", "25", "50", "30df", "30ndf", "60df", "60ndf"; false when unknown.
bool TapeFormatByName(const std::string& name, TapeFormatId* id);

// A timecode label with the double-rate field flag.
struct TimeLabel {
    uint32_t hours = 0, minutes = 0, seconds = 0, frames = 0;
    bool secondOfPair = false;
};

// Whether the label exists in the format: fields in range and, in drop
// frame, not one of the dropped labels.
bool IsValidLabel(const TapeFormat& format, const TimeLabel& label);

// Label <-> tape frame. FrameOf expects a valid label.
int64_t FrameOf(const TapeFormat& format, const TimeLabel& label);
TimeLabel LabelOf(const TapeFormat& format, int64_t frame);

// The four time-data bytes of the 9-pin protocol: frames, seconds, minutes,
// hours in BCD; frames bit 6 the drop-frame flag, seconds bit 7 the field
// flag of a double-rate pair.
void EncodeTimeData(const TapeFormat& format, const TimeLabel& label, uint8_t out[4]);
// Reads time data sent by a controller: flag bits are masked off, except the
// field flag in double rate. False when a digit is not decimal.
bool DecodeTimeData(const TapeFormat& format, const uint8_t data[4], TimeLabel* label);

// "HH:MM:SS:FF", with ';' separators in drop frame and ".1" after the
// frames for the second tape frame of a double-rate pair.
std::string LabelText(const TapeFormat& format, const TimeLabel& label);
std::string FrameText(const TapeFormat& format, int64_t frame);
// Reads "HH:MM:SS:FF" with ':', ';' or '.' separators; false unless the
// label is valid in the format.
bool ParseLabelText(const TapeFormat& format, const std::string& text, TimeLabel* label);

} // namespace sim
