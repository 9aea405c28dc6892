#pragma once
// A live display of the positions the module shows while it cues the deck:
// a cue reports thousands of them, so at most one line a quarter second is
// printed. Every position is still counted in HostEnvironment::positionsShown.
#include "editor/DeviceRecord.h"

namespace quorhost {

// Prints while it lives; positions are shown at the record's rate.
class PositionProgress {
public:
    explicit PositionProgress(const DeviceRecord& record);
    ~PositionProgress();
    PositionProgress(const PositionProgress&) = delete;
    PositionProgress& operator=(const PositionProgress&) = delete;
};

} // namespace quorhost
