#include "export/ExportWorker.h"

#include "platform/ResultCodes.h"
#include "port/DeviceControlPort.h"
#include "port/FixedText.h"
#include "export/ExportState.h"
#include "port/TimecodeText.h"
#include "platform/NxPlatform.h"
#include "resources/DialogIds.h"
#include "ui/DrawingObjects.h"

#include <cstring>
#include <string>

namespace {

constexpr uint32_t kIdleSleepMs = 8;
constexpr uint32_t kPausedSleepMs = 16;
// Print To Video: the deck gets this long to settle on its cue before
// record is sent.
constexpr uint32_t kRecordWaitMs = 2000;
// Insert Edit: after the stop on the cue point, and after the presets.
constexpr uint32_t kStopSettleMs = 50;
constexpr uint32_t kPresetSettleMs = 100;
constexpr uint32_t kAutoEditWaitMs = 2000;
constexpr int kIdleStatusEvery = 10;
constexpr int kEditStatusEvery = 30;
// Status reads in a row without an answer after which a recording deck
// counts as gone: one lost reply is no reason to fail an export.
constexpr int kUnreadableLimit = 3;
constexpr int kForcedRefreshEvery = 100;
constexpr size_t kTextBytes = 64;

enum TextColour { kGreyText = 0, kValueText = 1, kPlainText = 2 };

char* CopyOf(ExportContext* controller, DisplayCopy which)
{
    switch (which) {
    case kControlStateCopy:
        return controller->deviceStateTexts[0];
    case kDeckModeCopy:
        return controller->deviceStateTexts[1];
    default:
        return controller->timecodeTexts[0];
    }
}

// One worker's life: the port it serves and its private counters.
class Worker {
public:
    explicit Worker(ExportContext* controller) : controller_(controller), control_(controller->worker) {}

    void Run()
    {
        if (controller_->exportDialog)
            port_ = controller_->CurrentPort();
        while (!control_.stopRequested)
            Pass();
    }

private:
    void Pass()
    {
        if (control_.pauseRequested) {
            if (!control_.paused) {
                control_.paused = 1;
                refresh_ = true;
            }
            NxSleep(kPausedSleepMs);
            return;
        }
        if (control_.paused)
            control_.paused = 0;

        if (!port_ && controller_->exportDialog)
            port_ = controller_->CurrentPort();
        if (!port_ || !port_->IsActive()) {
            // Nothing to serve: wait like an idle pass rather than spin.
            NxSleep(kIdleSleepMs);
            return;
        }

        char state[kTextBytes] = {};
        port_->GetControlStateText(state);
        ShowIfChanged(kControlStateCopy, IDC_EXPORT_CONTROL_STATE, state, kPlainText, true, true);

        const bool editing = port_->IsEditArmed() || port_->IsEditRecording();
        if (!port_->IsControlSupported()) {
            NxSleep(kIdleSleepMs);
        } else if (!editing) {
            IdlePass();
        } else if (port_->EditMode() == 0) {
            PrintToVideoPass();
        } else {
            InsertEditPass();
        }
    }

    void IdlePass()
    {
        char timecode[kTextBytes] = {};
        if (port_->Deck().GetTimecode(timecode)) {
            ShowIfChanged(kTimecodeCopy, IDC_EXPORT_DECK_TIMECODE, timecode, kValueText, false, true,
                          refreshCounter_ == 0);
        }
        if (statusCounter_ == 0 || refresh_ || refreshCounter_ == 0) {
            ShowMode(refreshCounter_ == 0);
            refresh_ = false;
        }
        statusCounter_ = (statusCounter_ + 1) % kIdleStatusEvery;
        refreshCounter_ = (refreshCounter_ + 1) % kForcedRefreshEvery;
        NxSleep(kIdleSleepMs);
    }

    void PrintToVideoPass()
    {
        if (!port_->IsEditRecording()) {
            if (!SleepUnlessStopped(kRecordWaitMs))
                return;
            port_->MarkRecording();
            // A deck that neither took the record nor shows it recording
            // (gone, or refusing) must not have the playout started for it:
            // the editor's wait for the signal ends the export instead.
            char mode[kTextBytes] = {};
            if (!port_->Deck().Record() && !(port_->Deck().GetMode(mode) && std::strcmp(mode, "Record") == 0))
                return;
            if (!SleepUnlessStopped(port_->DelayMs()))
                return;
            NxSetEvent(controller_->exportEvent);
        }
        char timecode[kTextBytes] = {};
        if (port_->Deck().GetTimecode(timecode))
            ShowIfChanged(kTimecodeCopy, IDC_EXPORT_DECK_TIMECODE, timecode, kValueText, false, true);
        if (statusCounter_ == 0 || refresh_) {
            WatchRecording(ShowMode(false));
            refresh_ = false;
        }
        statusCounter_ = (statusCounter_ + 1) % kIdleStatusEvery;
    }

    void InsertEditPass()
    {
        char timecode[kTextBytes] = {};
        // Without the deck's time there is nothing to compare: a stale or
        // zero text must not pass for the cue or the record point.
        if (port_->Deck().GetTimecode(timecode)) {
            ShowIfChanged(kTimecodeCopy, IDC_EXPORT_DECK_TIMECODE, timecode, kValueText, false,
                          port_->IsPlayoutSignalled());
            if (!port_->IsEditIssued())
                IssueEditOnCue(timecode);
            else if (!port_->IsPlayoutSignalled())
                WatchRecordPoint(timecode);
        }
        if (port_->IsPlayoutSignalled() && (statusCounter_ == 0 || refresh_)) {
            const std::string mode = ShowMode(false);
            // The auto edit leaves record at its out point by itself: a
            // deck that shows another mode is asked again where it is.
            uint8_t preview = 0;
            port_->GetPreviewFlag(&preview);
            if (!preview && BeforeOutPoint(timecode) &&
                (mode == "Record" || mode == "Offline" || BeforeOutPoint(nullptr)))
                WatchRecording(mode);
            refresh_ = false;
        }
        statusCounter_ = (statusCounter_ + 1) % kEditStatusEvery;
    }

    // Whether the deck's time (read now when null) lies before the edit's
    // out point.
    bool BeforeOutPoint(const char* timecode)
    {
        char now[kTextBytes] = {};
        if (!timecode) {
            if (!port_->Deck().GetTimecode(now))
                return false;
            timecode = now;
        }
        int32_t order = 0;
        CompareTimecodeText(timecode, port_->EditOutText(), &order);
        return order == 2;
    }

    // While the deck should record for the export, a deck that shows
    // another mode, or none for a few reads in a row, has failed it.
    void WatchRecording(const std::string& mode)
    {
        if (controller_->exportFault != 0)
            return;
        if (mode != "Offline") {
            unreadable_ = 0;
            if (mode != "Record")
                controller_->exportFault = kResultDeckNotReady;
        } else if (++unreadable_ >= kUnreadableLimit) {
            controller_->exportFault = kResultDeckOffline;
        }
    }

    void IssueEditOnCue(const char* timecode)
    {
        int32_t order = -1;
        CompareTimecodeText(timecode, port_->CueText(), &order);
        if (order != 0)
            return;
        CSerialVtrControl& deck = port_->Deck();
        deck.Stop();
        if (!SleepUnlessStopped(kStopSettleMs))
            return;
        deck.EditSetup(port_->InText(), port_->EditOutText(), port_->InText(), port_->EditOutText(),
                       port_->EditChannelMask());
        if (!SleepUnlessStopped(kPresetSettleMs) || !SleepUnlessStopped(kAutoEditWaitMs))
            return;
        uint8_t preview = 0;
        port_->GetPreviewFlag(&preview);
        if (!(preview ? deck.Preview() : deck.AutoEdit())) {
            // A deck that did not take the edit (the command or its presets
            // lost on the line, or refused) stays parked, and the record
            // point would never come: cue again and set the edit up afresh.
            deck.CueToTimecode(port_->CueText());
            return;
        }
        port_->SetEditIssued(true);
        refresh_ = true;
    }

    void WatchRecordPoint(const char* timecode)
    {
        int32_t order = -1;
        CompareTimecodeText(timecode, port_->EditInText(), &order);
        if (order == 0) {
            port_->MarkPlayoutSignalled();
            NxSetEvent(controller_->exportEvent);
        } else if (order == 1) {
            // Missed: start the edit over from the cue point.
            CSerialVtrControl& deck = port_->Deck();
            deck.EditReset();
            port_->SetEditIssued(false);
            deck.CueToTimecode(port_->CueText());
        }
    }

    std::string ShowMode(bool force)
    {
        char mode[kTextBytes] = {};
        port_->GetStatusText(mode);
        ShowIfChanged(kDeckModeCopy, IDC_EXPORT_DECK_MODE, mode, kPlainText, true, true, force);
        return mode;
    }

    // Stores and draws `text` when it differs from the display copy (or when
    // forced); draws only when `draw`.
    void ShowIfChanged(DisplayCopy which, int id, const char* text, int colour, bool leftAligned, bool draw,
                       bool force = false)
    {
        char shown[kTextBytes] = {};
        ReadDisplayCopy(controller_, which, shown, sizeof shown);
        if (!force && std::strcmp(shown, text) == 0)
            return;
        WriteDisplayCopy(controller_, which, text);
        if (draw)
            DrawControlText(controller_, id, text, colour, leftAligned);
    }

    // The long waits of an edit give way to a stop: a worker asked to end
    // must not send the deck a record or an edit after the dialog is gone.
    bool SleepUnlessStopped(uint32_t ms)
    {
        while (ms > 0 && !control_.stopRequested) {
            const uint32_t step = ms < kWorkerPollMs ? ms : kWorkerPollMs;
            NxSleep(step);
            ms -= step;
        }
        return !control_.stopRequested;
    }

    ExportContext* controller_;
    WorkerControl& control_;
    DeviceControlPort* port_ = nullptr;
    int statusCounter_ = 0;
    int refreshCounter_ = 0;
    int unreadable_ = 0; // status reads in a row that found no deck
    bool refresh_ = false;
};

uint32_t __stdcall WorkerMain(void* argument)
{
    ExportContext* controller = static_cast<ExportContext*>(argument);
    {
        Worker worker(controller);
        worker.Run();
    }
    controller->worker.running = 0;
    return 0;
}

void ClearFlags(WorkerControl& control)
{
    control.stopRequested = 0;
    control.pauseRequested = 0;
    control.paused = 0;
    control.running = 0;
}

// Waits for the worker to acknowledge a pause or its end; one that never
// answers is taken as having done so after about 5 s.
void AwaitPaused(WorkerControl& control, uint8_t wanted)
{
    for (int i = 0; i < kWorkerPollLimit && control.paused != wanted; ++i)
        NxSleep(kWorkerPollMs);
    control.paused = wanted;
}

COLORREF TextColourOf(const ColourScheme& scheme, int colour)
{
    switch (colour) {
    case kGreyText:
        return scheme.greyTextColour;
    case kValueText:
        return scheme.valueColour;
    default:
        return scheme.textColour;
    }
}

} // namespace

WorkerControl::WorkerControl()
{
    InitializeCriticalSection(&textLock);
}

WorkerControl::~WorkerControl()
{
    DeleteCriticalSection(&textLock);
}

void ReadDisplayCopy(ExportContext* controller, DisplayCopy which, char* text, size_t size)
{
    EnterCriticalSection(&controller->worker.textLock);
    CopyTextTo(text, size, CopyOf(controller, which));
    LeaveCriticalSection(&controller->worker.textLock);
}

void WriteDisplayCopy(ExportContext* controller, DisplayCopy which, const char* text)
{
    EnterCriticalSection(&controller->worker.textLock);
    CopyTextTo(CopyOf(controller, which), sizeof controller->deviceStateTexts[0], text);
    LeaveCriticalSection(&controller->worker.textLock);
}

int32_t StartWorker(ExportContext* controller)
{
    WorkerControl& control = controller->worker;
    if (control.thread)
        return 0;
    ClearFlags(control);
    uint32_t id = 0;
    // The first processor only: the deck exchanges keep their timing when
    // the worker does not migrate between cores.
    control.thread = NxCreateThread(WorkerMain, controller, 0, NX_PRIORITY_NORMAL, 1, &id);
    if (!control.thread)
        return kResultRefused;
    control.threadId = id;
    control.running = 1;
    return 0;
}

int32_t PauseWorker(ExportContext* controller)
{
    WorkerControl& control = controller->worker;
    if (!control.running)
        return 0;
    control.pauseRequested = 1;
    AwaitPaused(control, 1);
    return 0;
}

int32_t ResumeWorker(ExportContext* controller)
{
    WorkerControl& control = controller->worker;
    if (!control.running)
        return 0;
    control.pauseRequested = 0;
    AwaitPaused(control, 0);
    return 0;
}

int32_t StopWorker(ExportContext* controller)
{
    WorkerControl& control = controller->worker;
    control.stopRequested = 1;
    if (control.thread) {
        uint32_t code = STILL_ACTIVE;
        NxGetExitCodeThread(control.thread, &code);
        bool ended = false;
        for (int i = 0; i < kWorkerPollLimit; ++i) {
            if (!control.running && code == 0) {
                ended = true;
                break;
            }
            NxGetExitCodeThread(control.thread, &code);
            NxSleep(kWorkerPollMs);
        }
        if (!ended)
            NxTerminateThread(control.thread, code);
        NxCloseThread(control.thread);
    }
    control.thread = nullptr;
    control.threadId = 0;
    ClearFlags(control);
    return 0;
}

int32_t DrawControlText(ExportContext* controller, int id, const char* text, int colour, bool leftAligned)
{
    HWND dialog = controller->exportDialog;
    HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
    if (!control)
        return 0;
    RECT rect;
    GetClientRect(control, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC target = GetDC(control);
    if (!target)
        return 0;
    HDC memory = MakeMemoryDc(target);
    HBITMAP bitmap = memory ? MakeBitmap(target, width, height) : nullptr;
    if (memory && bitmap) {
        const ColourScheme& scheme = controller->colourScheme;
        const int saved = SaveDC(memory);
        SelectObject(memory, bitmap);
        FillRect(memory, &rect, scheme.faceBrush);
        if (controller->dialogFont)
            SelectObject(memory, controller->dialogFont);
        SetBkColor(memory, scheme.faceColour);
        SetTextColor(memory, TextColourOf(scheme, colour));
        const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (leftAligned ? DT_LEFT : DT_CENTER);
        DrawTextA(memory, text ? text : "", -1, &rect, format);
        BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        RestoreDC(memory, saved);
    }
    if (bitmap)
        DeleteDrawingObject(bitmap);
    if (memory)
        DeleteMemoryDc(memory);
    ReleaseDC(control, target);
    PostMessageA(dialog, kWorkerTextMessage, static_cast<WPARAM>(id), 0);
    return 0;
}

PausedWorker::PausedWorker(ExportContext* controller) : controller_(controller)
{
    PauseWorker(controller_);
}

// Resumed even when the action cost the port its activation: a worker left
// paused would stay blind once the port is back.
PausedWorker::~PausedWorker()
{
    ResumeWorker(controller_);
}
