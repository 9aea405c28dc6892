#pragma once
// The editor's playout during a print: a thread that waits for the
// module's "PPro Quor Print" event (the deck is recording), notes where the
// deck is at that moment, then plays the program in real time. The host's
// thread meanwhile polls the module and asks how far the playout got.
#include "tools/quorhost/DeckInspection.h"

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <thread>

namespace quorhost {

// The performance counter in seconds.
double NowSeconds();

class Playout {
public:
    // What follows the last frame: the deck's insert edit ends by itself on
    // its out point, so the program may run over a little.
    static constexpr DWORD kMarginMs = 500;

    struct State {
        bool cued = false; // the wait ended: the event, or Go without one
        double cuedAt = 0; // NowSeconds() when it ended
        bool deckRead = false;
        DeckReading deck;    // where the deck was when it ended
        double readMs = 0;   // from the end of the wait to the reading
        bool played = false; // the program and the margin are over
    };

    // `cue` is the module's event, or null: the program then starts on Go.
    // The thread starts waiting at once, so a signal during the call that
    // starts the export is not missed.
    Playout(HANDLE cue, const DeckInspection& deck, int32_t frames, double frameMs);
    ~Playout();
    Playout(const Playout&) = delete;
    Playout& operator=(const Playout&) = delete;

    // Without the module's event: the program starts now.
    void Go();
    // Ends the playout where it is; the state keeps what happened.
    void Stop();
    State Current() const;
    DWORD ProgramMs() const { return programMs_; }

private:
    void Run();

    HANDLE cue_;
    HANDLE ownCue_ = nullptr;
    HANDLE stop_;
    const DeckInspection& deck_;
    DWORD programMs_;
    mutable std::mutex lock_;
    State state_;
    std::thread thread_;
};

} // namespace quorhost
