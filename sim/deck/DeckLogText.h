#pragma once
// The deck's logs in words: a recorded segment as the tape log lists it,
// and a block on the wire as the packet log explains it.
#include "sim/deck/DeckTransport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// "insert 01;00;20;00-01;00;24;29 V A1 A2 (frames 109491-109640)"
std::string SegmentText(const TapeFormat& format, const RecordedSegment& segment);

// What a block means, from the controller (a command) or to it (a reply):
// "Play", "Cue Up With Data 01:00:10;00", "NAK: checksum error".
std::string BlockMeaning(const std::vector<uint8_t>& block, bool fromController);

} // namespace sim
