#include "tools/quorhost/Playout.h"

namespace quorhost {

double NowSeconds()
{
    static const double ticksPerSecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return double(frequency.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / ticksPerSecond;
}

Playout::Playout(HANDLE cue, const DeckInspection& deck, int32_t frames, double frameMs)
    : cue_(cue), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), deck_(deck),
      programMs_(DWORD(frames * frameMs + 0.5) + kMarginMs)
{
    if (!cue_)
        cue_ = ownCue_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread(&Playout::Run, this);
}

Playout::~Playout()
{
    Stop();
    CloseHandle(stop_);
    if (ownCue_)
        CloseHandle(ownCue_);
}

void Playout::Go()
{
    if (ownCue_)
        SetEvent(ownCue_);
}

void Playout::Stop()
{
    SetEvent(stop_);
    if (thread_.joinable())
        thread_.join();
}

Playout::State Playout::Current() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return state_;
}

void Playout::Run()
{
    const HANDLE waits[2] = {stop_, cue_};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
        return;
    // The deck first: every moment between the signal and the reading is a
    // moment the tape moved on.
    const double woke = NowSeconds();
    DeckReading reading;
    const bool read = deck_.Read(reading);
    const double readAt = NowSeconds();
    {
        std::lock_guard<std::mutex> hold(lock_);
        state_.cued = true;
        state_.cuedAt = woke;
        state_.deckRead = read;
        state_.deck = reading;
        state_.readMs = (readAt - woke) * 1000.0;
    }
    // The program runs from the signal, not from the reading.
    const double spentMs = (NowSeconds() - woke) * 1000.0;
    const DWORD left = spentMs >= programMs_ ? 0 : DWORD(programMs_ - spentMs);
    if (WaitForSingleObject(stop_, left) != WAIT_TIMEOUT)
        return;
    std::lock_guard<std::mutex> hold(lock_);
    state_.played = true;
}

} // namespace quorhost
