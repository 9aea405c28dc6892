// What an editor stand-in may ask the simulation module about its virtual
// decks, to check an export against the tape rather than against what the
// module says. Plain C entry points, found by name: only the simulation
// module carries them.
#include "sim/SimRack.h"
#include "sim/deck/DeckLogText.h"
#include "sim/deck/VirtualVtr.h"

#include <cstdio>
#include <string>

namespace {

// As much as fits, always terminated; the whole length, as snprintf counts.
int CopyOut(const std::string& whole, char* text, int size)
{
    if (text && size > 0)
        std::snprintf(text, size_t(size), "%s", whole.c_str());
    return int(whole.size());
}

} // namespace

// The deck's tape timecode and tape frame now. -1 when the board has no
// deck; else 1 while it records, 0 otherwise.
extern "C" __declspec(dllexport) int QuorSimDeckTime(int board, char* text, int size, long long* frame)
{
    std::string label;
    int64_t at = 0;
    bool recording = false;
    const bool found = sim::SimRack::Instance().WithDeck(board, [&](sim::VirtualVtr& deck, double nowMs) {
        const sim::DeckTransport& transport = deck.Transport(nowMs);
        at = transport.Frame(nowMs);
        label = sim::FrameText(transport.Format(), at);
        recording = transport.Recording();
    });
    if (!found)
        return -1;
    CopyOut(label, text, size);
    if (frame)
        *frame = at;
    return recording ? 1 : 0;
}

// The segments the deck recorded, oldest first, one line each:
// "insert 01;00;20;00-01;00;24;29 V A1 A2 (frames 109491-109640)".
// -1 when the board has no deck; else the length of the whole log.
extern "C" __declspec(dllexport) int QuorSimTapeLog(int board, char* text, int size)
{
    std::string log;
    const bool found = sim::SimRack::Instance().WithDeck(board, [&](sim::VirtualVtr& deck, double nowMs) {
        const sim::DeckTransport& transport = deck.Transport(nowMs);
        for (const sim::RecordedSegment& s : transport.Segments()) {
            log += sim::SegmentText(transport.Format(), s) + "\n";
        }
    });
    if (!found)
        return -1;
    return CopyOut(log, text, size);
}
