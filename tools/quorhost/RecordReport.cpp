#include "tools/quorhost/RecordReport.h"

#include "tools/quorhost/HostTimecode.h"

#include <cstdio>

namespace quorhost {

namespace {

const char* const kModeNames[] = {
    "stopped",                         // 0
    "play",                            // 1
    "play forward at half speed",      // 2
    "play forward at one fifth speed", // 3
    "paused",                          // 4
    "fast forward",                    // 5
    "rewind",                          // 6
    "recording",                       // 7
    "goto in progress",                // 8
    "step forward",                    // 9
    "step back",                       // 10
    "play in reverse",                 // 11
    "reverse at half speed",           // 12
    "reverse at one fifth speed",      // 13
    "tape out",                        // 14
    "offline or local",                // 15
    "none",                            // 16
    "fast play forward",               // 17
    "fast play reverse",               // 18
};

} // namespace

const char* ModeName(int mode)
{
    if (mode < 0 || mode >= int(sizeof kModeNames / sizeof kModeNames[0]))
        return "unknown";
    return kModeNames[mode];
}

std::string DescribeFrame(int32_t frame, const DeviceRecord& record)
{
    std::string timecode = FormatTimecode(frame, record.frameRate, record.dropFrame != 0);
    if (timecode.empty())
        timecode = "--:--:--:--";
    return timecode + " (frame " + std::to_string(frame) + ")";
}

std::string DescribeRecord(const DeviceRecord& record)
{
    char text[256];
    std::snprintf(text, sizeof text, "mode %d (%s), timecode %s, rate %u, drop-frame %u", int(record.mode),
                  ModeName(record.mode), DescribeFrame(record.timecode, record).c_str(), unsigned(record.frameRate),
                  unsigned(record.dropFrame));
    return text;
}

std::string QuotedText(const char* text, size_t length)
{
    std::string quoted = "\"";
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += char(c);
        } else if (c < 0x20 || c > 0x7E) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            quoted += escape;
        } else {
            quoted += char(c);
        }
    }
    return quoted + "\"";
}

} // namespace quorhost
