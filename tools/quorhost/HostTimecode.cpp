#include "tools/quorhost/HostTimecode.h"

#include <cstdio>

namespace quorhost {

namespace {

// 29.97 drop frame: labels ;00 and ;01 are skipped at the start of every
// minute except minutes 00, 10, 20 ... So ten minutes hold 17982 frames and
// each of the nine dropping minutes 1798.
constexpr int64_t kFramesPer10Minutes = 10 * 60 * 30 - 9 * 2;
constexpr int64_t kFramesPerDroppingMinute = 60 * 30 - 2;

int64_t DropFrameLabelNumber(int64_t frames)
{
    const int64_t tens = frames / kFramesPer10Minutes;
    const int64_t rest = frames % kFramesPer10Minutes;
    int64_t skipped = 18 * tens;
    if (rest >= 2)
        skipped += 2 * ((rest - 2) / kFramesPerDroppingMinute);
    return frames + skipped;
}

} // namespace

std::string FormatTimecode(int32_t frames, int rate, bool dropFrame)
{
    if (rate != 24 && rate != 25 && rate != 30)
        return std::string();
    const bool drop = dropFrame && rate == 30;

    // 64 bits: the magnitude of INT32_MIN does not fit in 32.
    int64_t count = frames;
    const bool negative = count < 0;
    if (negative)
        count = -count;
    if (drop)
        count = DropFrameLabelNumber(count);

    const int64_t ff = count % rate;
    const int64_t ss = count / rate % 60;
    const int64_t mm = count / (rate * 60) % 60;
    const int64_t hh = count / (rate * 3600);
    const char sep = drop ? ';' : ':';

    char text[48];
    std::snprintf(text, sizeof text, "%s%02lld%c%02lld%c%02lld%c%02lld", negative ? "-" : "",
                  (long long)hh, sep, (long long)mm, sep, (long long)ss, sep, (long long)ff);
    return text;
}

} // namespace quorhost
