#pragma once
// Waiting that ends early when the user presses Ctrl-C (the host's abort flag).
#include <cstdint>

namespace quorhost {

// Waits `milliseconds`; false when the wait was cut short by an abort.
bool SleepUnlessAborted(int32_t milliseconds);

// Paces polls at one a frame: each wait ends a frame period after the end of
// the previous one, so that the time a poll takes does not slow the pace.
class FramePacer {
public:
    FramePacer();

    // Waits for the start of the next frame period at the deck's reported
    // rate, as NominalRate counts it (30 runs at 29.97); false when the user
    // aborted.
    bool WaitNextFrame(int reportedRate);

private:
    double Now() const;

    double ticksPerSecond_;
    double deadline_; // seconds on the performance counter
};

} // namespace quorhost
