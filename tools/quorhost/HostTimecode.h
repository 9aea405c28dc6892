#pragma once
// The host's own timecode text, independent of the module's conversions so
// that the two can be checked against each other.
#include <cstdint>
#include <string>

namespace quorhost {

// HH:MM:SS:FF at a nominal rate of 24, 25 or 30 frames per second. With the
// drop-frame flag at 30 the SMPTE drop-frame numbering is used and every
// separator is ';'. Negative counts get a leading '-'. Hours do not wrap.
// Returns an empty string for any other rate.
std::string FormatTimecode(int32_t frames, int rate, bool dropFrame);

// A timecode as typed, before the deck's rate is known.
struct TimecodeLabel {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
};

// "HH:MM:SS:FF", two digits a field, separated by ':', ';' or '.' in any
// mix (the deck, not the separator, decides drop frame). Hours 00-23,
// minutes and seconds 00-59, frames 00-29; false with a reason otherwise.
bool ParseTimecodeLabel(const std::string& text, TimecodeLabel& label, std::string& error);

// The rate a deck's reported rate counts at: 24 and 25 as they are, anything
// else (30, or nothing reported yet) as 30.
int NominalRate(int reportedRate);

// The frame count of a label at NominalRate(rate), in drop-frame numbering
// when the flag is set at 30. A frames field at or beyond the rate, or a
// label that drop frame skips (;00 and ;01 of minutes not divisible by ten),
// has no frame: false with a reason, never a neighbouring frame.
bool LabelToFrames(const TimecodeLabel& label, int rate, bool dropFrame, int32_t& frames, std::string& error);

// ParseTimecodeLabel then LabelToFrames: the inverse of FormatTimecode for
// every label of a day.
bool ParseTimecode(const std::string& text, int rate, bool dropFrame, int32_t& frames, std::string& error);

} // namespace quorhost
