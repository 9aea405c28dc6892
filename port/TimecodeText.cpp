#include "port/TimecodeText.h"

#include "vtr/TimecodeData.h"

#include <cstddef>

namespace {

// Characters of "HH:MM:SS:FF" without the sign.
constexpr std::size_t kTextLength = 11;
// Where the eight digits sit in the text.
constexpr std::size_t kDigitPlaces[8] = {0, 1, 3, 4, 6, 7, 9, 10};

struct RateInfo {
    int32_t base;    // frames per second of the text: 24, 25 or 30
    bool doubleRate; // frame counts are at twice the text's rate
    bool dropFrame;
};

bool LookUpRate(int32_t rate, int32_t divisor, uint8_t dropFrame, RateInfo* info)
{
    const bool eitherDivisor = divisor == 1000 || divisor == 1001;
    const bool drop = dropFrame != 0;
    switch (rate) {
    case 24000:
        *info = {24, false, false};
        return eitherDivisor;
    case 25000:
        *info = {25, false, false};
        return divisor == 1000;
    case 30000:
        *info = {30, false, drop};
        return eitherDivisor;
    case 50000:
        *info = {25, true, false};
        return divisor == 1000;
    case 60000:
        *info = {30, true, drop};
        return eitherDivisor;
    default:
        return false;
    }
}

// Length of a text, but never looking further than the longest timecode.
std::size_t BoundedLength(const char* text)
{
    std::size_t n = 0;
    while (n < kTextLength && text[n] != '\0')
        ++n;
    return n;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Turns a 30 frames-per-second drop-frame count into the count of frame
// labels it reaches: labels 00 and 01 are skipped at the start of every minute
// not divisible by ten, i.e. 18 labels per 10-minute block of 17982 frames.
// Closed form of the minute-by-minute walk, so the cost does not grow with
// the count.
int64_t DropFrameLabels(int64_t n)
{
    const int64_t blocks = n / 17982;
    const int64_t inBlock = n % 17982;
    int64_t skipped = 18 * blocks;
    if (inBlock >= 1800)
        skipped += 2 * (1 + (inBlock - 1800) / 1798);
    return n + skipped;
}

void PutTwoDigits(char*& out, int64_t value)
{
    *out++ = static_cast<char>('0' + value / 10);
    *out++ = static_cast<char>('0' + value % 10);
}

// The eight digit characters of a text, with the sign skipped and places
// beyond its end read as '0' so that a short text orders like its padding.
void DigitPlaces(const char* text, char digits[8])
{
    if (text == nullptr)
        text = "";
    if (*text == '-')
        ++text;
    const std::size_t length = BoundedLength(text);
    for (int i = 0; i < 8; ++i)
        digits[i] = kDigitPlaces[i] < length ? text[kDigitPlaces[i]] : '0';
}

} // namespace

int FramesToTimecodeText(int32_t frames, int32_t rate, int32_t divisor, uint8_t dropFrame, char* text)
{
    if (text == nullptr)
        return 1;
    RateInfo info;
    if (!LookUpRate(rate, divisor, dropFrame, &info)) {
        for (std::size_t i = 0; i < sizeof kZeroTimecodeText; ++i)
            text[i] = kZeroTimecodeText[i];
        return 1;
    }

    // 64 bits: the magnitude of INT32_MIN and the drop-frame label count
    // of INT32_MAX do not fit in 32.
    const bool negative = frames < 0;
    int64_t n = negative ? -static_cast<int64_t>(frames) : static_cast<int64_t>(frames);
    if (info.doubleRate)
        n = (n + 1) / 2;
    if (info.dropFrame)
        n = DropFrameLabels(n);

    const int64_t b = info.base;
    int64_t hh = n / (3600 * b);
    if (hh > 23)
        hh = 23;
    const int64_t mm = n / (60 * b) % 60;
    const int64_t ss = n / b % 60;
    const int64_t ff = n % b;

    const char sep = info.dropFrame ? ';' : ':';
    char* out = text;
    if (negative)
        *out++ = '-';
    PutTwoDigits(out, hh);
    *out++ = sep;
    PutTwoDigits(out, mm);
    *out++ = sep;
    PutTwoDigits(out, ss);
    *out++ = sep;
    PutTwoDigits(out, ff);
    *out = '\0';
    return 0;
}

int TimecodeTextToFrames(const char* text, int32_t rate, int32_t divisor, uint8_t dropFrame, int32_t* frames)
{
    if (frames == nullptr)
        return 1;
    *frames = 0;
    RateInfo info;
    if (text == nullptr || !LookUpRate(rate, divisor, dropFrame, &info))
        return 1;

    const bool negative = *text == '-';
    if (negative)
        ++text;
    int32_t field[4];
    ReadTimecodeFields(text, field);
    const int32_t hh = field[0], mm = field[1], ss = field[2], ff = field[3];

    // Fields are at most two characters, so none of this comes near overflow.
    const int32_t m = hh * 60 + mm;
    const int32_t pairs = info.doubleRate ? 2 : 1;
    int32_t n;
    if (info.dropFrame)
        n = pairs * (ss * 30 + 1798 * m + 2 * (m / 10) + ff);
    else
        n = (ss + 60 * m) * info.base * pairs + ff * pairs;
    *frames = negative ? -n : n;
    return 0;
}

int NormalizeTimecodeText(const char* input, char* output, int32_t formatClass, uint8_t dropFrame)
{
    if (output == nullptr)
        return 0;
    if (input == nullptr)
        input = "";

    const bool negative = *input == '-';
    char collected[8];
    int count = 0;
    for (const char* p = input; *p != '\0' && count < 8; ++p) {
        if (IsDigit(*p))
            collected[count++] = *p;
    }
    // Right-aligned: the last digit typed is the frames units.
    char d[8];
    for (int i = 0; i < 8; ++i)
        d[i] = i < 8 - count ? '0' : collected[i - (8 - count)];

    if (d[0] >= '2') {
        d[0] = '2';
        if (d[1] > '3')
            d[1] = '3';
    }
    if (d[2] > '5')
        d[2] = '5';
    if (d[4] > '5')
        d[4] = '5';
    if (d[6] >= '2') {
        d[6] = '2';
        // An unknown class gets the 24 fps limit, which is valid at every rate.
        const char maxUnits = formatClass == 1 ? '4' : formatClass == 2 ? '9' : '3';
        if (d[7] > maxUnits)
            d[7] = maxUnits;
    }

    const bool drop = formatClass == 2 && dropFrame != 0;
    // Labels 00 and 01 do not exist at the start of a minute not divisible by ten.
    if (drop && d[6] == '0' && (d[7] == '0' || d[7] == '1') && d[3] != '0' && d[4] == '0' && d[5] == '0')
        d[7] = '2';

    const char sep = drop ? ';' : ':';
    char* out = output;
    if (negative)
        *out++ = '-';
    for (int i = 0; i < 8; ++i) {
        *out++ = d[i];
        if (i % 2 == 1 && i < 7)
            *out++ = sep;
    }
    *out = '\0';
    return 0;
}

int CompareTimecodeText(const char* a, const char* b, int32_t* result)
{
    if (result == nullptr)
        return 0;
    char da[8], db[8];
    DigitPlaces(a, da);
    DigitPlaces(b, db);
    *result = 0;
    for (int i = 0; i < 8; ++i) {
        if (da[i] != db[i]) {
            *result = static_cast<unsigned char>(da[i]) > static_cast<unsigned char>(db[i]) ? 1 : 2;
            break;
        }
    }
    return 0;
}
