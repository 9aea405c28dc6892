#include "tools/quorhost/AbortableWait.h"

#include "tools/hostkit/HostEnvironment.h"
#include "tools/quorhost/HostTimecode.h"

#include <windows.h>

namespace quorhost {

namespace {

// Short enough that Ctrl-C feels immediate, long enough not to spin.
constexpr DWORD kAbortCheckMs = 10;

bool Aborted()
{
    return HostEnvironment::Instance().abortRequested != 0;
}

} // namespace

bool SleepUnlessAborted(int32_t milliseconds)
{
    const DWORD start = GetTickCount();
    while (!Aborted()) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= DWORD(milliseconds))
            return true;
        const DWORD left = DWORD(milliseconds) - elapsed;
        Sleep(left < kAbortCheckMs ? left : kAbortCheckMs);
    }
    return false;
}

FramePacer::FramePacer()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    ticksPerSecond_ = double(frequency.QuadPart);
    deadline_ = Now();
}

double FramePacer::Now() const
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / ticksPerSecond_;
}

bool FramePacer::WaitNextFrame(int reportedRate)
{
    const int rate = NominalRate(reportedRate);
    const double period = rate == 30 ? 1001.0 / 30000.0 : 1.0 / rate;
    deadline_ += period;
    // After a stall (a slow module, a busy machine) the pace starts afresh
    // rather than firing a burst of polls to catch up.
    const double now = Now();
    if (deadline_ < now)
        deadline_ = now;
    for (;;) {
        if (Aborted())
            return false;
        const double left = deadline_ - Now();
        if (left <= 0)
            return true;
        const DWORD ms = DWORD(left * 1000.0);
        Sleep(ms == 0 ? 0 : ms < kAbortCheckMs ? ms : kAbortCheckMs);
    }
}

} // namespace quorhost
