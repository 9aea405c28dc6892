#include "export/ResultCodeText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr char kSentinel = '\x5A';

// The text for `code`, checking that nothing lands past the buffer's end.
std::string TextOf(int32_t code)
{
    char buffer[kResultCodeTextSize + 1];
    std::memset(buffer, kSentinel, sizeof buffer);
    EXPECT_TRUE(ResultCodeToText(code, buffer));
    EXPECT_EQ(kSentinel, buffer[kResultCodeTextSize]) << "written past the buffer for " << code;
    EXPECT_NE(nullptr, std::memchr(buffer, '\0', kResultCodeTextSize)) << "unterminated for " << code;
    return buffer;
}

TEST(ResultCodeText, ExactTextsAndTheGeneralFailureForCodesWithoutOne)
{
    EXPECT_EQ("Success", TextOf(0));
    EXPECT_EQ("Unknown Error: ", TextOf(3));
    EXPECT_EQ("Undefinged Handle Error.", TextOf(10001));
    EXPECT_EQ("Error - no edit channels are selected.", TextOf(200015));
    EXPECT_EQ("VTR is in local mode. Please put VTR in remote mode and try again.", TextOf(200018));
    for (int32_t code : {-2, 4, 100009, 200009, 200020, INT32_MIN, INT32_MAX})
        EXPECT_EQ("Unknown Failure.", TextOf(code)) << code;
    EXPECT_TRUE(ResultCodeToText(0, nullptr));
}

TEST(ResultCodeText, EveryTextFitsTheBufferTheLongestExactly)
{
    char buffer[kResultCodeTextSize + 1];
    std::memset(buffer, kSentinel, sizeof buffer);
    ResultCodeToText(200014, buffer);
    EXPECT_EQ('\0', buffer[kResultCodeTextSize - 1]);
    EXPECT_EQ(kSentinel, buffer[kResultCodeTextSize]);
    EXPECT_EQ("Error - only an even number of frames can be printed in this mode.", std::string(buffer));

    // Every code of the table's ranges, and one past each end.
    const int32_t ranges[][2] = {{-2, 4}, {9999, 10004}, {99999, 100010}, {199999, 200021}};
    for (const auto& range : ranges)
        for (int32_t code = range[0]; code <= range[1]; ++code)
            EXPECT_LE(TextOf(code).size(), kResultCodeTextSize - 1) << code;
}

} // namespace
