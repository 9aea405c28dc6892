#pragma once
// The virtual deck as the simulation module lets a host look at it: the
// tape's timecode now and the segments recorded. The production module has
// no such entry points; then nothing is available and the host says so.
#include "tools/quorhost/DeviceModule.h"

#include <string>
#include <vector>

namespace quorhost {

struct DeckReading {
    std::string label;   // the deck's own timecode text
    long long frame = 0; // tape frame
    bool recording = false;
};

struct TapeSegment {
    std::string text; // as the deck logs it, frames left off
    std::string firstLabel;
    long long first = 0;
    long long last = 0;
};

class DeckInspection {
public:
    // Looks in the module that holds `entry`; the deck is that of the first
    // board with one.
    explicit DeckInspection(XDeviceFn entry);

    bool Available() const { return board_ >= 0; }
    int Board() const { return board_; }
    // Safe from any thread: the module serialises access to its rack.
    bool Read(DeckReading& reading) const;
    bool TapeLog(std::vector<TapeSegment>& segments) const;

private:
    typedef int (*DeckTimeFn)(int board, char* text, int size, long long* frame);
    typedef int (*TapeLogFn)(int board, char* text, int size);

    DeckTimeFn deckTime_ = nullptr;
    TapeLogFn tapeLog_ = nullptr;
    int board_ = -1;
};

// One line of the tape log: "insert 01;00;20;00-01;00;24;29 V A1 A2 (frames
// 109491-109640)". False when the frames are missing.
bool ParseTapeSegment(const std::string& line, TapeSegment& segment);

// The verdict on a print: where the deck was when the module signalled,
// against the first of the segments recorded since the export began (all
// of them are listed).
std::string PrintVerdict(bool signalled, const DeckReading& atSignal, const std::vector<TapeSegment>& recorded);

} // namespace quorhost
