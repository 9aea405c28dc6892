#include "sim/deck/DeckLogText.h"

#include "sim/deck/WireTiming.h"

#include <cstdio>

namespace sim {

namespace {

const char* KindName(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Insert:
        return "insert";
    case RecordKind::Assemble:
        return "assemble";
    case RecordKind::Crash:
        break;
    }
    return "crash";
}

std::string ChannelNames(uint32_t channels)
{
    std::string names;
    if (channels & kChannelVideo)
        names += " V";
    for (int audio = 1; audio <= 8; ++audio)
        if (channels & (kChannelVideo << audio))
            names += " A" + std::to_string(audio);
    return names;
}

// Time data as it stands on the wire: BCD digits with the flags off, ';'
// before the frames when the drop-frame flag is set, ".1" for the second
// field of a double-rate pair.
std::string TimeDataText(const uint8_t* d)
{
    char text[24];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X%c%02X%s", d[3] & 0x3F, d[2] & 0x7F, d[1] & 0x7F,
                  (d[0] & 0x40) ? ';' : ':', d[0] & 0x3F, (d[1] & 0x80) ? ".1" : "");
    return text;
}

struct Name {
    uint8_t cmd1, cmd2;
    const char* text;
    bool timeData; // followed by four bytes of time data
};

constexpr Name kCommands[] = {
    {0x00, 0x0C, "Local Disable", false},
    {0x00, 0x11, "Device Type Request", false},
    {0x00, 0x1D, "Local Enable", false},
    {0x20, 0x00, "Stop", false},
    {0x20, 0x01, "Play", false},
    {0x20, 0x02, "Record", false},
    {0x20, 0x04, "Standby Off", false},
    {0x20, 0x05, "Standby On", false},
    {0x20, 0x0F, "Eject", false},
    {0x20, 0x10, "Fast Forward", false},
    {0x20, 0x20, "Rewind", false},
    {0x20, 0x30, "Preroll", false},
    {0x20, 0x40, "Preview", false},
    {0x20, 0x42, "Auto Edit", false},
    {0x20, 0x64, "Edit Off", false},
    {0x20, 0x65, "Edit On", false},
    {0x21, 0x11, "Jog Forward", false},
    {0x21, 0x21, "Jog Reverse", false},
    {0x21, 0x12, "Var Forward", false},
    {0x21, 0x22, "Var Reverse", false},
    {0x21, 0x13, "Shuttle Forward", false},
    {0x21, 0x23, "Shuttle Reverse", false},
    {0x22, 0x11, "Jog Forward", false},
    {0x22, 0x21, "Jog Reverse", false},
    {0x22, 0x12, "Var Forward", false},
    {0x22, 0x22, "Var Reverse", false},
    {0x22, 0x13, "Shuttle Forward", false},
    {0x22, 0x23, "Shuttle Reverse", false},
    {0x24, 0x31, "Cue Up With Data", true},
    {0x40, 0x10, "In Entry", false},
    {0x40, 0x11, "Out Entry", false},
    {0x40, 0x12, "Audio In Entry", false},
    {0x40, 0x13, "Audio Out Entry", false},
    {0x40, 0x20, "In Reset", false},
    {0x40, 0x21, "Out Reset", false},
    {0x40, 0x22, "Audio In Reset", false},
    {0x40, 0x23, "Audio Out Reset", false},
    {0x40, 0x40, "Auto Mode Off", false},
    {0x40, 0x41, "Auto Mode On", false},
    {0x41, 0x30, "Edit Preset", false},
    {0x42, 0x30, "Edit Preset", false},
    {0x44, 0x14, "In Data Preset", true},
    {0x44, 0x15, "Out Data Preset", true},
    {0x44, 0x16, "Audio In Data Preset", true},
    {0x44, 0x17, "Audio Out Data Preset", true},
    {0x44, 0x31, "Preroll Preset", true},
    {0x60, 0x10, "In Data Sense", false},
    {0x60, 0x11, "Out Data Sense", false},
    {0x60, 0x12, "Audio In Data Sense", false},
    {0x60, 0x13, "Audio Out Data Sense", false},
    {0x60, 0x2E, "Speed Sense", false},
    {0x60, 0x31, "Preroll Time Sense", false},
    {0x61, 0x0C, "Current Time Sense", false},
    {0x61, 0x20, "Status Sense", false},
};

constexpr Name kReplies[] = {
    {0x10, 0x01, "ACK", false},
    {0x12, 0x11, "Device Type", false},
    {0x74, 0x00, "Timer 1", true},
    {0x74, 0x01, "Timer 2", true},
    {0x74, 0x04, "LTC Time Data", true},
    {0x74, 0x05, "LTC User Bits", false},
    {0x74, 0x06, "VITC Time Data", true},
    {0x74, 0x07, "VITC User Bits", false},
    {0x74, 0x10, "In Data", true},
    {0x74, 0x11, "Out Data", true},
    {0x74, 0x12, "Audio In Data", true},
    {0x74, 0x13, "Audio Out Data", true},
    {0x74, 0x31, "Preroll Time", true},
    {0x78, 0x04, "LTC Time And User Bits", true},
    {0x78, 0x06, "VITC Time And User Bits", true},
    {0x71, 0x2E, "Speed Data", false},
};

std::string NakText(uint8_t reasons)
{
    static const char* const kReasons[8] = {"undefined command", "bit 1",          "checksum error", "bit 3",
                                            "parity error",      "buffer overrun", "framing error",  "time-out"};
    std::string text = "NAK:";
    for (int bit = 0; bit < 8; ++bit)
        if (reasons & (1u << bit))
            text += std::string(text.size() > 4 ? ", " : " ") + kReasons[bit];
    return text;
}

} // namespace

std::string SegmentText(const TapeFormat& format, const RecordedSegment& s)
{
    return std::string(KindName(s.kind)) + " " + FrameText(format, s.first) + "-" + FrameText(format, s.last) +
           ChannelNames(s.channels) + " (frames " + std::to_string(s.first) + "-" + std::to_string(s.last) + ")";
}

std::string BlockMeaning(const std::vector<uint8_t>& block, bool fromController)
{
    if (block.size() < 3 || block.size() != 3u + (block[0] & 0x0Fu))
        return "incomplete block";
    if (BlockChecksum(block.data(), block.size() - 1) != block.back())
        return "checksum wrong";
    const uint8_t cmd1 = block[0], cmd2 = block[1];
    const uint8_t* data = block.data() + 2;
    const size_t count = block.size() - 3;
    if (!fromController && cmd1 == 0x11 && cmd2 == 0x12)
        return NakText(data[0]);
    if (!fromController && (cmd1 & 0xF0) == 0x70 && cmd2 == 0x20)
        return "Status Data";
    const Name* first = fromController ? std::begin(kCommands) : std::begin(kReplies);
    const Name* last = fromController ? std::end(kCommands) : std::end(kReplies);
    for (const Name* name = first; name != last; ++name) {
        if (name->cmd1 != cmd1 || name->cmd2 != cmd2)
            continue;
        std::string text = name->text;
        if (name->timeData && count >= 4)
            text += " " + TimeDataText(data);
        return text;
    }
    return fromController ? "unknown command" : "unknown reply";
}

} // namespace sim
