// Preference files no editor writes: the brightness read is still one the
// colour scheme is built for, and an entry is read as far as it is intact.
#include "support/BuildPaths.h"
#include "ui/ColourScheme.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(PreferenceFile, OddEntriesGiveABrightnessWithinTheSchemesRange)
{
    const std::string tag = "<fe.color.brightness>";
    const struct {
        std::string content;
        int32_t want;
    } cases[] = {
        {tag + "990</fe.color.brightness>\n", 100},
        {tag + "101</fe.color.brightness>\n", -80},  // two digits, and a third only if 0
        {tag + "-5</fe.color.brightness>\n", -100},
        {tag + "-</fe.color.brightness>\n", -100},
        {tag + "1", -98},
        {tag, -100},
        {tag + std::string(1, '\0') + "80\n", -100},
        {std::string(5000, 'x') + tag + "75\n", 50},
    };
    const std::string path = WorkFolder() + "\\prefs-odd.txt";
    for (const auto& c : cases) {
        FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(c.content.data(), 1, c.content.size(), file);
        std::fclose(file);
        EXPECT_EQ(c.want, ReadBrightness(path.c_str())) << c.content.substr(0, 40);
    }
}

} // namespace
