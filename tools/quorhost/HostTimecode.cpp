#include "tools/quorhost/HostTimecode.h"

#include <cctype>
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

bool TwoDigits(const std::string& text, size_t at, int& value)
{
    const unsigned char tens = static_cast<unsigned char>(text[at]);
    const unsigned char units = static_cast<unsigned char>(text[at + 1]);
    if (!std::isdigit(tens) || !std::isdigit(units))
        return false;
    value = (tens - '0') * 10 + (units - '0');
    return true;
}

bool IsSeparator(char c)
{
    return c == ':' || c == ';' || c == '.';
}

std::string TwoDigitText(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
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
    std::snprintf(text, sizeof text, "%s%02lld%c%02lld%c%02lld%c%02lld", negative ? "-" : "", (long long)hh, sep,
                  (long long)mm, sep, (long long)ss, sep, (long long)ff);
    return text;
}

bool ParseTimecodeLabel(const std::string& text, TimecodeLabel& label, std::string& error)
{
    int fields[4] = {};
    bool shaped = text.size() == 11;
    for (size_t i = 0; shaped && i < 4; ++i) {
        shaped = TwoDigits(text, i * 3, fields[i]) && (i == 3 || IsSeparator(text[i * 3 + 2]));
    }
    if (!shaped) {
        error = "'" + text + "' is not a timecode HH:MM:SS:FF";
        return false;
    }
    const char* problem = fields[0] > 23   ? "hours run from 00 to 23"
                          : fields[1] > 59 ? "minutes run from 00 to 59"
                          : fields[2] > 59 ? "seconds run from 00 to 59"
                          : fields[3] > 29 ? "frames run from 00 to 29 at most"
                                           : nullptr;
    if (problem) {
        error = "'" + text + "': " + problem;
        return false;
    }
    label.hours = fields[0];
    label.minutes = fields[1];
    label.seconds = fields[2];
    label.frames = fields[3];
    return true;
}

int NominalRate(int reportedRate)
{
    return reportedRate == 24 || reportedRate == 25 ? reportedRate : 30;
}

bool LabelToFrames(const TimecodeLabel& label, int rate, bool dropFrame, int32_t& frames, std::string& error)
{
    const int nominal = NominalRate(rate);
    const bool drop = dropFrame && nominal == 30;
    if (label.frames >= nominal) {
        error = "frame " + TwoDigitText(label.frames) + " does not exist at " + std::to_string(nominal) +
                " fps (00 to " + TwoDigitText(nominal - 1) + ")";
        return false;
    }
    const int32_t minutes = label.hours * 60 + label.minutes;
    int32_t count = (minutes * 60 + label.seconds) * nominal + label.frames;
    if (drop) {
        if (label.seconds == 0 && label.frames < 2 && label.minutes % 10 != 0) {
            error = "no such label in drop-frame timecode: minute " + TwoDigitText(label.minutes) + " starts at " +
                    TwoDigitText(label.hours) + ";" + TwoDigitText(label.minutes) + ";00;02";
            return false;
        }
        // Two labels gone in every minute but each tenth.
        count -= 2 * (minutes - minutes / 10);
    }
    frames = count;
    return true;
}

bool ParseTimecode(const std::string& text, int rate, bool dropFrame, int32_t& frames, std::string& error)
{
    TimecodeLabel label;
    return ParseTimecodeLabel(text, label, error) && LabelToFrames(label, rate, dropFrame, frames, error);
}

} // namespace quorhost
