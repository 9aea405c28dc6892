#include "port/TimecodeText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct Rate {
    int32_t rate;
    int32_t divisor;
    uint8_t drop;
};

const Rate kSupported[] = {
    {24000, 1000, 0}, {24000, 1001, 0}, {25000, 1000, 0}, {30000, 1000, 0}, {30000, 1001, 0},
    {30000, 1000, 1}, {30000, 1001, 1}, {50000, 1000, 0}, {60000, 1000, 0}, {60000, 1001, 0},
    {60000, 1000, 1}, {60000, 1001, 1},
};

std::string Text(int32_t frames, int32_t rate, int32_t divisor, uint8_t drop, int* rc = nullptr)
{
    char buf[13];
    std::memset(buf, 'x', sizeof buf);
    const int r = FramesToTimecodeText(frames, rate, divisor, drop, buf);
    if (rc)
        *rc = r;
    return buf;
}

int32_t Frames(const char* text, int32_t rate, int32_t divisor, uint8_t drop, int* rc = nullptr)
{
    int32_t frames = -12345;
    const int r = TimecodeTextToFrames(text, rate, divisor, drop, &frames);
    if (rc)
        *rc = r;
    return frames;
}

std::string Normalize(const char* input, int32_t formatClass, uint8_t drop)
{
    char buf[13];
    EXPECT_EQ(0, NormalizeTimecodeText(input, buf, formatClass, drop));
    return buf;
}

int32_t Compare(const char* a, const char* b)
{
    int32_t result = -1;
    EXPECT_EQ(0, CompareTimecodeText(a, b, &result));
    return result;
}

// A heap copy of exactly strlen + 1 bytes, so that reading past the
// terminator shows up under AddressSanitizer.
std::unique_ptr<char[]> Exact(const char* s)
{
    const std::size_t n = std::strlen(s) + 1;
    std::unique_ptr<char[]> p(new char[n]);
    std::memcpy(p.get(), s, n);
    return p;
}

} // namespace

TEST(TimecodeText, DropFrameSkipsLabelsAtMinuteBoundaries)
{
    for (int32_t divisor : {1000, 1001}) {
        EXPECT_EQ("00;00;59;29", Text(1799, 30000, divisor, 1));
        EXPECT_EQ("00;01;00;02", Text(1800, 30000, divisor, 1));
        EXPECT_EQ("00;01;59;29", Text(3597, 30000, divisor, 1));
        EXPECT_EQ("00;02;00;02", Text(3598, 30000, divisor, 1));
        EXPECT_EQ("00;09;59;29", Text(17981, 30000, divisor, 1));
        EXPECT_EQ("00;10;00;00", Text(17982, 30000, divisor, 1));
        EXPECT_EQ("00;11;00;02", Text(17982 + 1800, 30000, divisor, 1));
        EXPECT_EQ("01;00;00;00", Text(107892, 30000, divisor, 1));
        EXPECT_EQ("23;59;59;29", Text(2589407, 30000, divisor, 1));
        // 24 h: only the hours are capped.
        EXPECT_EQ("23;00;00;00", Text(2589408, 30000, divisor, 1));

        EXPECT_EQ(1800, Frames("00;01;00;02", 30000, divisor, 1));
        EXPECT_EQ(17982, Frames("00;10;00;00", 30000, divisor, 1));
        EXPECT_EQ(107892, Frames("01;00;00;00", 30000, divisor, 1));
        EXPECT_EQ(3600, Frames("00;01;00;02", 60000, divisor, 1));
    }
    // The flag means nothing away from the 30-based rates.
    EXPECT_EQ("00:01:00:00", Text(1500, 25000, 1000, 1));
    EXPECT_EQ(1500, Frames("00:01:00:00", 25000, 1000, 1));
}

TEST(TimecodeText, DoubleRateTextCountsFramePairs)
{
    EXPECT_EQ("00:00:01:21", Text(101, 60000, 1001, 0));
    EXPECT_EQ("00:00:00:01", Text(1, 60000, 1000, 0));
    EXPECT_EQ("00:00:00:01", Text(2, 60000, 1000, 0));
    EXPECT_EQ("00:00:00:02", Text(3, 50000, 1000, 0));
    EXPECT_EQ("00:00:01:00", Text(50, 50000, 1000, 0));
    EXPECT_EQ("-00:00:00:01", Text(-1, 50000, 1000, 0));
    EXPECT_EQ("00;01;00;02", Text(3600, 60000, 1001, 1));
    EXPECT_EQ("00;00;59;29", Text(3598, 60000, 1001, 1));
    EXPECT_EQ("00;01;00;02", Text(3599, 60000, 1001, 1));

    EXPECT_EQ(102, Frames("00:00:01:21", 60000, 1001, 0));
    EXPECT_EQ(74, Frames("00:00:01:12", 50000, 1000, 0));
    EXPECT_EQ(-74, Frames("-00:00:01:12", 50000, 1000, 0));
}

TEST(TimecodeText, ExtremeCountsCapTheHoursWithoutWrapping)
{
    for (const Rate& r : kSupported) {
        const std::string sep = r.drop ? ";" : ":";
        const std::string low = Text(INT32_MIN, r.rate, r.divisor, r.drop);
        const std::string high = Text(INT32_MAX, r.rate, r.divisor, r.drop);
        EXPECT_EQ(12u, low.size());
        EXPECT_EQ("-23" + sep, low.substr(0, 4));
        EXPECT_EQ(11u, high.size());
        EXPECT_EQ("23" + sep, high.substr(0, 3));
    }
    // 60 h and more still read as the last hour of the day.
    EXPECT_EQ("23:00:00:00", Text(60 * 3600 * 25, 25000, 1000, 0));
    EXPECT_EQ("23:00:00:00", Text(100 * 3600 * 24, 24000, 1001, 0));
}

TEST(TimecodeText, UnsupportedRatesAndBadInput)
{
    int rc = -1;
    EXPECT_EQ("00:00:00:00", Text(1234, 29970, 1000, 0, &rc));
    EXPECT_EQ(1, rc);
    for (const Rate& r : {Rate{25000, 1001, 0}, Rate{50000, 1001, 0}, Rate{30000, 1002, 1}, Rate{0, 0, 0}}) {
        EXPECT_EQ("00:00:00:00", Text(-1234, r.rate, r.divisor, r.drop, &rc));
        EXPECT_EQ(1, rc);
        EXPECT_EQ(0, Frames("01:00:00:00", r.rate, r.divisor, r.drop, &rc));
        EXPECT_EQ(1, rc);
    }

    EXPECT_EQ(1, FramesToTimecodeText(0, 25000, 1000, 0, nullptr));
    EXPECT_EQ(0, Frames(nullptr, 25000, 1000, 0, &rc));
    EXPECT_EQ(1, rc);
    EXPECT_EQ(1, TimecodeTextToFrames("00:00:00:01", 25000, 1000, 0, nullptr));

    // Short texts: missing fields are 0 and nothing past the end is read.
    EXPECT_EQ(3600 * 25, Frames(Exact("01").get(), 25000, 1000, 0));
    EXPECT_EQ((3600 + 60) * 25, Frames(Exact("01:1").get(), 25000, 1000, 0));
    EXPECT_EQ(0, Frames(Exact("-").get(), 25000, 1000, 0));
    EXPECT_EQ(0, Frames(Exact("").get(), 25000, 1000, 0));
    EXPECT_EQ(-(3 * 25), Frames(Exact("-00:00:03").get(), 25000, 1000, 0));

    // Each field reads like atoi on its two characters; separators are ignored.
    EXPECT_EQ((1 * 3600 + 2 * 60 + 0) * 25 + 9, Frames("1x: 2/  .09", 25000, 1000, 0));
    EXPECT_EQ(-3 * 25 + 4, Frames("00:00:-3:+4", 25000, 1000, 0));
    EXPECT_EQ(0, Frames("ab:cd:ef:gh", 25000, 1000, 0));
}

TEST(TimecodeText, NormalizerAlignsDigitsAndClamps)
{
    EXPECT_EQ("00:00:12:20", Normalize("1220", 2, 0));
    EXPECT_EQ("00:00:12:24", Normalize("1234", 2, 0));
    EXPECT_EQ("23:59:59:24", Normalize("99999999", 1, 0));
    EXPECT_EQ("23:59:59:23", Normalize("99999999", 0, 0));
    EXPECT_EQ("23;59;59;29", Normalize("99999999", 2, 1));
    EXPECT_EQ("19:00:00:19", Normalize("19000019", 0, 0));
    EXPECT_EQ("23:50:00:00", Normalize("29600000", 1, 0));
    EXPECT_EQ("00:00:00:23", Normalize("99", 5, 0));  // unknown class: 24 fps limit

    // Digits are taken in order, others ignored, at most eight.
    EXPECT_EQ("00:00:01:23", Normalize("1a:2b 3", 1, 0));
    EXPECT_EQ("12:34:56:28", Normalize("1:2:3:4:5:6:7:8:9", 2, 0));
    EXPECT_EQ("00:00:00:00", Normalize("", 1, 0));
    EXPECT_EQ("00:00:00:00", Normalize(nullptr, 1, 0));
    EXPECT_EQ("-00:00:00:05", Normalize("-5", 1, 0));
    EXPECT_EQ(0, NormalizeTimecodeText("5", nullptr, 1, 0));

    // Drop frame: labels 00 and 01 do not exist at most minute starts.
    EXPECT_EQ("00;01;00;02", Normalize("00010001", 2, 1));
    EXPECT_EQ("00;01;00;02", Normalize("10000", 2, 1));
    EXPECT_EQ("00;10;00;00", Normalize("100000", 2, 1));
    EXPECT_EQ("00;01;01;00", Normalize("10100", 2, 1));
    EXPECT_EQ("00;01;00;10", Normalize("10010", 2, 1));
    EXPECT_EQ("00:01:00:00", Normalize("10000", 2, 0));
    EXPECT_EQ("00:01:00:00", Normalize("10000", 1, 1));
}

TEST(TimecodeText, CompareOrdersDigitPlaces)
{
    EXPECT_EQ(1, Compare("00:00:10:00", "00;00;09;29"));
    EXPECT_EQ(2, Compare("00;00;09;29", "00:00:10:00"));
    EXPECT_EQ(0, Compare("01:02:03:04", "01;02;03;04"));
    EXPECT_EQ(1, Compare("10:00:00:00", "09:59:59:29"));
    EXPECT_EQ(2, Compare("00:00:00:00", "00:00:00:01"));

    // Missing places read as '0'; the sign is not part of the order.
    EXPECT_EQ(0, Compare(Exact("01").get(), "01:00:00:00"));
    EXPECT_EQ(2, Compare(Exact("00:0").get(), "00:01:00:00"));
    EXPECT_EQ(0, Compare(nullptr, ""));
    EXPECT_EQ(2, Compare(nullptr, "00:00:00:01"));
    EXPECT_EQ(1, Compare("-00:00:00:05", "00:00:00:04"));
    EXPECT_EQ(0, Compare("-00:00:00:05", "00:00:00:05"));
    EXPECT_EQ(0, CompareTimecodeText("a", "b", nullptr));
}
