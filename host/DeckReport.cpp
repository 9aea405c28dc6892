#include "host/DeckReport.h"

#include "host/DeviceControlPort.h"
#include "host/TimecodeText.h"

#include <cstring>

namespace {

struct StatusMode {
    const char* text;
    int16_t mode;
};

// Tested in this order, whole texts only.
const StatusMode kStatusModes[] = {
    {"StandBy", kModeStill},
    {"Offline", kModeOffline},
    {"Tape Out", kModeTapeOut},
    {"Local", kModeOffline},
    {"Stop", kModeStopped},
    {"Still", kModeStill},
    {"Play", kModePlay},
    {"Fast Forward", kModeFastForward},
    {"Rewind", kModeRewind},
    {"Record", kModeRecord},
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

int32_t ReportDeckPosition(DeviceControlPort* port, DeviceRecord* record, char* text)
{
    DeviceControlPort::FormatInfo info = {2, 0, 30000, 1000};
    port->GetTimecodeFormatInfo(&info);
    int32_t rate = 30000;
    uint16_t nominal = 30;
    if (info.formatClass == 0) {
        rate = 24000;
        nominal = 24;
    } else if (info.formatClass == 1) {
        rate = 25000;
        nominal = 25;
    }
    const uint8_t drop = static_cast<uint8_t>(info.dropFrame);
    record->frameRate = nominal;
    record->dropFrame = drop;

    char deckText[32] = {};
    port->GetTimecodeText(deckText);
    int32_t frames = 0;
    TimecodeTextToFrames(deckText, rate, info.divisor, drop, &frames);
    record->timecode = frames;
    std::memcpy(text, deckText, 12);
    return 0;
}

void ReportOffline(DeviceRecord* record)
{
    record->dropFrame = 0;
    record->frameRate = 30;
    record->mode = kModeOffline;
    record->timecode = 0;
}
