#pragma once
// The host's own timecode display of a frame count, independent of the
// module's conversions so that the two can be checked against each other.
#include <cstdint>
#include <string>

namespace quorhost {

// HH:MM:SS:FF at a nominal rate of 24, 25 or 30 frames per second. With the
// drop-frame flag at 30 the SMPTE drop-frame numbering is used and every
// separator is ';'. Negative counts get a leading '-'. Hours do not wrap.
// Returns an empty string for any other rate.
std::string FormatTimecode(int32_t frames, int rate, bool dropFrame);

} // namespace quorhost
