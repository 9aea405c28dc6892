#include "editor/DeckLocate.h"

#include "editor/DeckReport.h"
#include "port/DeviceControlPort.h"
#include "port/FixedText.h"
#include "editor/PluginController.h"
#include "port/TimecodeText.h"
#include "platform/NxPlatform.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr uint32_t kCuePollMs = 2;
// The locate gives up, as if aborted, when the deck's timecode stands still
// this long while it should move (a deck gone, or parked short of the cue
// at the end of its tape), or after this many cues without a landing.
constexpr DWORD kStallMs = 10000;
constexpr DWORD kLongestWindMs = 300000;
constexpr int kMaxCues = 10;

// Whatever no timecode text equals, so the first comparison always differs.
const char kNoTimecode[] = "0xffffffff";

class Locate {
public:
    Locate(PluginController* controller, DeviceControlPort* port, DeviceRecord* record)
        : controller_(controller), port_(port), record_(record)
    {
        std::strcpy(current_, kNoTimecode);
    }

    void Run();

private:
    void Read()
    {
        char text[sizeof current_];
        // No time from the deck reads as zeros, which must not pass for a
        // cue or target of 00:00:00:00: it reads as no position at all.
        if (ReportDeckPosition(port_, record_, text) != 0)
            std::strcpy(text, kNoTimecode);
        if (std::strcmp(text, current_) != 0)
            lastMoveTick_ = GetTickCount();
        std::memcpy(current_, text, sizeof current_);
    }
    void ShowPosition()
    {
        if (record_->positionFn)
            record_->positionFn(record_->timecode, record_->positionReference);
    }
    bool AbortAsked()
    {
        if (record_->abortFn && record_->abortFn() != 0)
            return true;
        return Stalled();
    }
    // Time standing still is a stall only when the deck is not on its way
    // to the cue either (VITC cannot be read at wind speed), and no wind
    // lasts longer than one across a whole tape.
    bool Stalled()
    {
        if (GetTickCount() - lastMoveTick_ < kStallMs)
            return false;
        char mode[64] = {};
        port_->GetStatusText(mode);
        if (std::strcmp(mode, "Seeking") != 0 || GetTickCount() - cueTick_ >= kLongestWindMs)
            return true;
        lastMoveTick_ = GetTickCount();
        return false;
    }
    int32_t CompareToTarget()
    {
        // Without a position, keep waiting: a deck that has gone is ended
        // by the stall check, one lost reply costs nothing.
        if (std::strcmp(current_, kNoTimecode) == 0)
            return 2;
        int32_t result = 1;
        CompareTimecodeText(current_, target_, &result);
        return result;
    }
    // The mode the locate ends in is also what the next status echoes: the
    // deck is no longer on its way to the cue point.
    void Finish(int16_t mode)
    {
        record_->mode = mode;
        controller_->lastReportedMode = mode;
    }
    void StopDeck()
    {
        port_->Stop();
        Finish(kModeStopped);
    }

    PluginController* controller_;
    DeviceControlPort* port_;
    DeviceRecord* record_;
    char current_[16];
    char target_[16] = {};
    char cue_[16] = {};
    DWORD lastMoveTick_ = 0;
    DWORD cueTick_ = 0;
};

void Locate::Run()
{
    controller_->lastReportedMode = kModeGoto;
    const HostTimecodeRate rate = HostRateOf(port_);
    const int64_t target = record_->timecode < 0 ? 0 : record_->timecode;
    const int64_t cue = target - record_->preroll < 0 ? 0 : target - record_->preroll;
    FramesToTimecodeText(int32_t(target), rate.rate, rate.divisor, rate.dropFrame, target_);
    FramesToTimecodeText(int32_t(cue), rate.rate, rate.divisor, rate.dropFrame, cue_);
    CopyText(controller_->gotoTargetText, cue_);

    bool abort = false;
    int32_t comparison = 1;
    for (int cues = 0;; ++cues) {
        if (abort || cues == kMaxCues) {
            StopDeck();
            return;
        }
        port_->GoToTimecode(cue_);
        lastMoveTick_ = cueTick_ = GetTickCount();
        while (std::strcmp(current_, cue_) != 0 && !abort) {
            Read();
            ShowPosition();
            abort = AbortAsked();
            NxSleep(kCuePollMs);
        }
        if (!abort) {
            port_->Play();
            record_->mode = kModePlay;
            // With embedded timecode the frames themselves say where the
            // deck is; the editor takes it from there.
            if (controller_->persisted.embeddedTcCapture)
                return Finish(kModePlay);
            Read();
            comparison = CompareToTarget();
            if (comparison == 0)
                return Finish(kModePlay);
            lastMoveTick_ = GetTickCount();
            while (comparison == 2 && !abort) {
                comparison = CompareToTarget();
                Read();
                ShowPosition();
                if (comparison == 0)
                    return Finish(kModePlay);
                if (comparison == 1)
                    break;
                abort = AbortAsked();
                NxSleep(0);
            }
        }
        if (comparison == 0)
            return abort ? StopDeck() : Finish(kModePlay);
    }
}

} // namespace

void LocateWithPreroll(PluginController* controller, DeviceControlPort* port, DeviceRecord* record)
{
    Locate(controller, port, record).Run();
}
