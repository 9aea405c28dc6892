#include "editor/DeckReport.h"

#include "port/DeviceControlPort.h"
#include "port/TimecodeText.h"

#include <cstring>

namespace {

struct StatusMode {
    const char* text;
    int16_t mode;
};

// Tested in this order, whole texts only.
const StatusMode kStatusModes[] = {
    {"StandBy", kModeStill}, {"Offline", kModeOffline}, {"Tape Out", kModeTapeOut}, {"Local", kModeOffline},
    {"Stop", kModeStopped},  {"Still", kModeStill},     {"Play", kModePlay},        {"Fast Forward", kModeFastForward},
    {"Rewind", kModeRewind}, {"Record", kModeRecord},
};

} // namespace

int16_t ModeFromStatusText(DeviceControlPort* port)
{
    char text[64] = {};
    port->GetStatusText(text);
    for (const StatusMode& entry : kStatusModes)
        if (std::strcmp(text, entry.text) == 0)
            return entry.mode;
    return -1;
}

HostTimecodeRate HostRateOf(DeviceControlPort* port)
{
    DeviceControlPort::FormatInfo info = {2, 0, 30000, 1000};
    port->GetTimecodeFormatInfo(&info);
    HostTimecodeRate rate = {30000, info.divisor, static_cast<uint8_t>(info.dropFrame), 30};
    if (info.formatClass == 0) {
        rate.rate = 24000;
        rate.nominal = 24;
    } else if (info.formatClass == 1) {
        rate.rate = 25000;
        rate.nominal = 25;
    }
    return rate;
}

int32_t ReportDeckPosition(DeviceControlPort* port, DeviceRecord* record, char* text)
{
    const HostTimecodeRate rate = HostRateOf(port);
    record->frameRate = rate.nominal;
    record->dropFrame = rate.dropFrame;

    char deckText[32] = {};
    const bool answered = port->ReadTimecodeText(deckText);
    int32_t frames = 0;
    TimecodeTextToFrames(deckText, rate.rate, rate.divisor, rate.dropFrame, &frames);
    record->timecode = frames;
    std::memcpy(text, deckText, 12);
    return answered ? 0 : -1;
}

void ReportOffline(DeviceRecord* record)
{
    record->dropFrame = 0;
    record->frameRate = 30;
    record->mode = kModeOffline;
    record->timecode = 0;
}
