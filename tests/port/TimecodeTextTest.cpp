// The rules of the timecode texts, a case each, so that the Windows build is
// checked too; the native day sweep and the fuzz target cover every frame.
#include "port/TimecodeText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::string Text(int32_t frames, int32_t rate, int32_t divisor, uint8_t drop, int* rc = nullptr)
{
    char buf[13];
    std::memset(buf, 'x', sizeof buf);
    const int r = FramesToTimecodeText(frames, rate, divisor, drop, buf);
    if (rc)
        *rc = r;
    return buf;
}

// Parsed from a heap copy of exactly its length, so that reading past the
// terminator shows up under AddressSanitizer.
int32_t Frames(const char* text, int32_t rate, int32_t divisor, uint8_t drop, int* rc = nullptr)
{
    std::unique_ptr<char[]> exact;
    if (text) {
        exact.reset(new char[std::strlen(text) + 1]);
        std::strcpy(exact.get(), text);
    }
    int32_t frames = -12345;
    const int r = TimecodeTextToFrames(exact.get(), rate, divisor, drop, &frames);
    if (rc)
        *rc = r;
    return frames;
}

} // namespace

TEST(TimecodeText, FramesAndLabelsBothWays)
{
    const struct {
        int32_t frames;
        int32_t rate, divisor;
        uint8_t drop;
        const char* text;
    } rows[] = {
        // Drop frame: the first frame of a minute is label 02, but every tenth.
        {1799, 30000, 1001, 1, "00;00;59;29"},
        {1800, 30000, 1001, 1, "00;01;00;02"},
        {17982, 30000, 1000, 1, "00;10;00;00"},
        {107892, 30000, 1001, 1, "01;00;00;00"},
        {3600, 60000, 1001, 1, "00;01;00;02"},
        // The flag means nothing away from the 30-based rates.
        {1500, 25000, 1000, 1, "00:01:00:00"},
        // At 50 and 60 fps the frames field counts pairs.
        {102, 60000, 1001, 0, "00:00:01:21"},
        {74, 50000, 1000, 0, "00:00:01:12"},
        {-74, 50000, 1000, 0, "-00:00:01:12"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.text, Text(r.frames, r.rate, r.divisor, r.drop)) << r.frames;
        EXPECT_EQ(r.frames, Frames(r.text, r.rate, r.divisor, r.drop)) << r.text;
    }
    // The odd frame of a pair reads as the label after it.
    EXPECT_EQ("00:00:00:02", Text(3, 50000, 1000, 0));
    // Only the hours are capped, at either end of the count.
    EXPECT_EQ("23;00;00;00", Text(2589408, 30000, 1001, 1));
    EXPECT_EQ("-23:", Text(INT32_MIN, 60000, 1000, 0).substr(0, 4));
}

TEST(TimecodeText, UnsupportedRatesAndBadInput)
{
    int rc = -1;
    for (int32_t rate : {29970, 25000, 0}) {
        EXPECT_EQ("00:00:00:00", Text(-1234, rate, rate == 25000 ? 1001 : 1000, 0, &rc)) << rate;
        EXPECT_EQ(1, rc);
        EXPECT_EQ(0, Frames("01:00:00:00", rate, 1001, 0, &rc)) << rate;
        EXPECT_EQ(1, rc);
    }
    EXPECT_EQ(1, FramesToTimecodeText(0, 25000, 1000, 0, nullptr));
    EXPECT_EQ(0, Frames(nullptr, 25000, 1000, 0, &rc));
    EXPECT_EQ(1, rc);
    EXPECT_EQ(1, TimecodeTextToFrames("00:00:00:01", 25000, 1000, 0, nullptr));

    // Missing fields are 0; each field reads like atoi on its two characters.
    const struct {
        const char* text;
        int32_t frames;
    } texts[] = {
        {"01:1", (3600 + 60) * 25},
        {"-", 0},
        {"", 0},
        {"-00:00:03", -3 * 25},
        {"1x: 2/  .09", (3600 + 2 * 60) * 25 + 9},
        {"00:00:-3:+4", -3 * 25 + 4},
        {"ab:cd:ef:gh", 0},
    };
    for (const auto& t : texts)
        EXPECT_EQ(t.frames, Frames(t.text, 25000, 1000, 0)) << t.text;
}

TEST(TimecodeText, NormalizerAlignsDigitsAndClamps)
{
    const struct {
        const char* input;
        int32_t formatClass;
        uint8_t drop;
        const char* normal;
    } rows[] = {
        {"1234", 2, 0, "00:00:12:24"},
        {"99999999", 0, 0, "23:59:59:23"},
        {"99999999", 2, 1, "23;59;59;29"},
        {"29600000", 1, 0, "23:50:00:00"},
        {"99", 5, 0, "00:00:00:23"}, // unknown class: 24 fps limit
        {"1:2:3:4:5:6:7:8:9", 2, 0, "12:34:56:28"},
        {nullptr, 1, 0, "00:00:00:00"},
        {"-5", 1, 0, "-00:00:00:05"},
        {"10000", 2, 1, "00;01;00;02"},
        {"100000", 2, 1, "00;10;00;00"},
        {"10000", 1, 1, "00:01:00:00"},
    };
    for (const auto& r : rows) {
        char buf[13];
        EXPECT_EQ(0, NormalizeTimecodeText(r.input, buf, r.formatClass, r.drop));
        EXPECT_STREQ(r.normal, buf) << (r.input ? r.input : "null");
    }
    EXPECT_EQ(0, NormalizeTimecodeText("5", nullptr, 1, 0));
}

TEST(TimecodeText, CompareOrdersDigitPlaces)
{
    const struct {
        const char *a, *b;
        int32_t order; // 1: a later, 2: b later
    } rows[] = {
        {"00:00:10:00", "00;00;09;29", 1},  {"00;00;09;29", "00:00:10:00", 2}, {"01:02:03:04", "01;02;03;04", 0},
        {"01", "01:00:00:00", 0},           {"00:0", "00:01:00:00", 2},        {nullptr, "00:00:00:01", 2},
        {"-00:00:00:05", "00:00:00:04", 1}, // the sign is not part of the order
    };
    for (const auto& r : rows) {
        int32_t order = -1;
        EXPECT_EQ(0, CompareTimecodeText(r.a, r.b, &order));
        EXPECT_EQ(r.order, order) << (r.a ? r.a : "null") << " against " << r.b;
    }
    EXPECT_EQ(0, CompareTimecodeText("a", "b", nullptr));
}
