#include "export/ResultCodeText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(ResultCodeText, ExactTextsWithinTheBufferAndTheGeneralFailureForCodesWithoutOne)
{
    const struct {
        int32_t code;
        const char* text;
    } cases[] = {
        {0, "Success"},
        {3, "Unknown Error: "},
        {10001, "Undefinged Handle Error."},
        {200015, "Error - no edit channels are selected."},
        {200018, "VTR is in local mode. Please put VTR in remote mode and try again."},
        // The longest: its terminator on the buffer's last byte.
        {200014, "Error - only an even number of frames can be printed in this mode."},
        {-2, "Unknown Failure."},
        {4, "Unknown Failure."},
        {100009, "Unknown Failure."},
        {200009, "Unknown Failure."},
        {200020, "Unknown Failure."},
        {INT32_MIN, "Unknown Failure."},
        {INT32_MAX, "Unknown Failure."},
    };
    for (const auto& c : cases) {
        char buffer[kResultCodeTextSize + 1];
        std::memset(buffer, 0x5A, sizeof buffer);
        EXPECT_TRUE(ResultCodeToText(c.code, buffer));
        EXPECT_EQ(0x5A, buffer[kResultCodeTextSize]) << "written past the buffer for " << c.code;
        ASSERT_NE(nullptr, std::memchr(buffer, '\0', kResultCodeTextSize)) << "unterminated for " << c.code;
        EXPECT_EQ(std::string(c.text), buffer) << c.code;
    }
    EXPECT_TRUE(ResultCodeToText(0, nullptr));
}

} // namespace
