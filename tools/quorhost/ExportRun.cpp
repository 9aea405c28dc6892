#include "tools/quorhost/ExportRun.h"

#include "tools/hostkit/HostEnvironment.h"
#include "tools/quorhost/DeckInspection.h"
#include "tools/quorhost/DialogDriver.h"
#include "tools/quorhost/HostTimecode.h"
#include "tools/quorhost/MessageBoxes.h"
#include "tools/quorhost/Output.h"
#include "tools/quorhost/Playout.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace quorhost {

namespace {

constexpr int32_t kPhasePoll = 2;
constexpr int32_t kPhaseEnd = 3;
constexpr int16_t kFinished = 7;
constexpr int16_t kRunning = 0;

std::string Fixed(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// The program's frame period at the rate the deck last reported.
double FrameMs(int reportedRate)
{
    const int rate = NominalRate(reportedRate);
    return rate == 30 ? 1001.0 / 30.0 : 1000.0 / rate;
}

std::string RateText(int reportedRate)
{
    const int rate = NominalRate(reportedRate);
    return rate == 30 ? "29.97" : std::to_string(rate);
}

bool IsDialog(HWND window)
{
    char name[16] = {};
    return GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0;
}

// The module's status dialog lives on this thread: its keys go through
// IsDialogMessage, as a modeless dialog's must.
void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        const HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialog(root) && IsDialogMessageA(root, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Waits up to `ms`, handling every message that arrives meanwhile.
void WaitPumping(DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        const DWORD spent = GetTickCount() - start;
        if (spent >= ms)
            return;
        MsgWaitForMultipleObjectsEx(0, nullptr, ms - spent, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

bool Aborted()
{
    return HostEnvironment::Instance().abortRequested != 0;
}

// The parent window the module's dialogs hang on, for one export.
class ParentWindow {
public:
    explicit ParentWindow(DeviceRecord& record) : record_(record), saved_(record.parentWindow)
    {
        record_.parentWindow = HostEnvironment::Instance().mainWindow;
    }
    ~ParentWindow() { record_.parentWindow = saved_; }

private:
    DeviceRecord& record_;
    HWND saved_;
};

enum class Ending { Played, ModuleEnded, NoSignal, UserAbort, PollFailed, NoCallback };

std::string SignalText(const Playout::State& state, bool fromModule, double startedAt)
{
    std::string text = fromModule ? "print: signalled " : "print: started ";
    text += state.cuedAt < startedAt ? "during command 10" : Fixed(state.cuedAt - startedAt, 2) + " s after command 10";
    if (!state.deckRead)
        return text + ", deck time unavailable";
    return text + ", deck at " + state.deck.label + " (frame " + std::to_string(state.deck.frame) + "), " +
           (state.deck.recording ? "recording" : "not recording") + ", read " + Fixed(state.readMs, 2) +
           " ms after the signal";
}

// Polls phase 2 until the print is over one way or another.
Ending FollowPrint(const HostCommand& command, Playout& playout, bool fromModule, double startedAt, int reportedRate)
{
    HostEnvironment& env = HostEnvironment::Instance();
    bool anyShown = false, signalShown = false;
    int16_t shown = 0;
    for (;;) {
        // Read afresh each time: the module may clear it.
        const PrintToTapeCallbackFn callback = env.record.printCallback;
        if (!callback) {
            PrintDetail("print: the module gave no print callback, so the print cannot be followed");
            return Ending::NoCallback;
        }
        const int16_t polled = callback(env.Handle(), kPhasePoll);
        if (!anyShown || polled != shown)
            PrintDetail("callback 2: " + std::to_string(polled));
        shown = polled;
        anyShown = true;

        const Playout::State state = playout.Current();
        if (state.cued && !signalShown) {
            signalShown = true;
            PrintDetail(SignalText(state, fromModule, startedAt));
        }
        if (polled == kFinished)
            return Ending::ModuleEnded;
        if (polled != kRunning)
            return Ending::PollFailed;
        if (state.played) {
            PrintDetail("print: program played, " + std::to_string(command.frames) + " frames at " +
                        RateText(reportedRate) + " fps and " + std::to_string(Playout::kMarginMs) + " ms");
            return Ending::Played;
        }
        if (Aborted())
            return Ending::UserAbort;
        if (!state.cued && NowSeconds() - startedAt >= command.signalTimeoutSeconds) {
            PrintDetail("print: no signal within " + std::to_string(command.signalTimeoutSeconds) + " s");
            return Ending::NoSignal;
        }
        WaitPumping(ExportRun::kPollMs);
    }
}

// The tape as the deck has it, and the verdict on the print.
void ReportTape(const DeckInspection& deck, const std::vector<TapeSegment>& before, bool signalled,
                const DeckReading& atSignal)
{
    std::vector<TapeSegment> after;
    deck.TapeLog(after);
    for (const TapeSegment& segment : after)
        PrintDetail("tape: " + segment.text);
    if (after.empty())
        PrintDetail("tape: nothing recorded");
    const std::vector<TapeSegment> recorded(after.begin() + std::min(before.size(), after.size()), after.end());
    PrintDetail("report: " + PrintVerdict(signalled, atSignal, recorded));
}

} // namespace

ExportRun::ExportRun(XDeviceFn entry, std::function<int16_t()> exportCall)
    : entry_(entry), exportCall_(std::move(exportCall))
{
}

std::string ExportRun::Run(const HostCommand& command)
{
    HostEnvironment& env = HostEnvironment::Instance();
    DeviceRecord& record = env.record;
    const DeckInspection deck(entry_);
    std::vector<TapeSegment> before;
    deck.TapeLog(before);

    // The module made the event at Initialise; the editor resets it before
    // each print, and only the module sets it.
    HANDLE printEvent = OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, kPrintEventName);
    if (printEvent)
        ResetEvent(printEvent);
    else
        PrintDetail(std::string("print: no event \"") + kPrintEventName + "\" (error " +
                    std::to_string(GetLastError()) + "): the program starts with the print, not with the deck");

    const int reportedRate = record.frameRate;
    ParentWindow parent(record);
    record.exportEnd = command.frames;
    // A callback left from an earlier print must not pass for this one's.
    record.printCallback = nullptr;

    MessageBoxMonitor boxes;
    Playout playout(printEvent, deck, command.frames, FrameMs(reportedRate));
    int16_t started = 0;
    {
        // The settings dialog runs inside this call; the actions are for it.
        DialogDriver dialogs(command.dialog);
        started = exportCall_();
    }
    const double startedAt = NowSeconds();
    PrintDetail("export 10: " + std::to_string(started) +
                (record.printCallback ? ", print callback set" : ", no print callback"));

    std::string summary;
    if (started != kRunning) {
        playout.Stop();
        if (printEvent) {
            const bool set = WaitForSingleObject(printEvent, 0) == WAIT_OBJECT_0;
            PrintDetail(set ? "print: event set" : "print: event not set");
            CloseHandle(printEvent);
        }
        return started == 5 ? "cancelled (5)" : "not started (" + std::to_string(started) + ")";
    }

    // From here on nobody is at the screen for the module's boxes.
    boxes.SetDismiss(true);
    playout.Go();
    const Ending ending = FollowPrint(command, playout, printEvent != nullptr, startedAt, reportedRate);
    playout.Stop();
    const Playout::State state = playout.Current();

    if (ending == Ending::Played) {
        const PrintToTapeCallbackFn callback = record.printCallback;
        int16_t ended = -1;
        if (callback) {
            ended = callback(env.Handle(), kPhaseEnd);
            PrintDetail("callback 3: " + std::to_string(ended));
        } else {
            PrintDetail("callback 3: not called, the module cleared its callback");
        }
        const int16_t reset = exportCall_();
        PrintDetail("export 10: " + std::to_string(reset));
        summary = ended == kFinished && reset == kFinished
                      ? "finished"
                      : "ended, callback 3 gave " + std::to_string(ended) + ", export 10 gave " + std::to_string(reset);
    } else {
        // Command 10 while the print runs is how the editor stops it.
        const int16_t stopped = exportCall_();
        PrintDetail("export 10: " + std::to_string(stopped));
        const char* why = ending == Ending::ModuleEnded  ? "ended by the module"
                          : ending == Ending::NoSignal   ? "aborted, no signal"
                          : ending == Ending::UserAbort  ? "aborted"
                          : ending == Ending::PollFailed ? "aborted, callback 2 failed"
                                                         : "aborted, no print callback";
        summary = std::string(why) + ", export 10 gave " + std::to_string(stopped);
    }

    const bool signalled = state.cued && printEvent;
    if (deck.Available())
        ReportTape(deck, before, signalled, state.deck);
    else
        PrintDetail(std::string("report: deck time unavailable, ") + (signalled ? "event signalled" : "no event"));
    if (printEvent)
        CloseHandle(printEvent);
    return summary;
}

} // namespace quorhost
