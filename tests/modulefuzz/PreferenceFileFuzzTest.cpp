// The editor's preference file, random and damaged: the brightness read from
// it is always one the colour scheme is built for, and an intact entry is
// read as written whatever surrounds it.
#include "support/BuildPaths.h"
#include "ui/ColourScheme.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

namespace {

std::string WriteFile(const std::string& content)
{
    const std::string path = WorkFolder() + "\\prefs-fuzz.txt";
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    return path;
}

std::string Printable(const std::string& s)
{
    std::string out;
    for (unsigned char c : s.substr(0, 300)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, c < 0x20 || c >= 0x7F ? "\\x%02X" : "%c", c);
        out += hex;
    }
    return out + (s.size() > 300 ? "..." : "");
}

std::string Entry(int value)
{
    return "<fe.color.brightness>" + std::to_string(value) + "</fe.color.brightness>";
}

TEST(PreferenceFileFuzz, AnyFileGivesABrightnessInRangeAndAnIntactEntryItsValue)
{
    std::mt19937 random(20261209);
    const std::string pieces[] = {"<fe.color.brightness>", "</fe.color.brightness>", ">", "<", "-", "+", "0",
                                  "100", "\n", "\r\n", std::string(1, '\0'), "\x1A", " ", std::string(5000, 'x')};
    for (int round = 0; round < 1600; ++round) {
        std::string content;
        const int value = int(random() % 101);
        switch (round % 4) {
        case 0:  // bytes
            for (size_t n = random() % 600; n > 0; --n)
                content += char(random());
            break;
        case 1:  // pieces of an entry in any order
            for (size_t n = random() % 12; n > 0; --n)
                content += pieces[random() % (sizeof pieces / sizeof pieces[0])];
            break;
        default: {
            // A real entry, then damaged unless the round is odd one out.
            content = "<prefs>\n<a>1</a>\n" + Entry(value) + "\n</prefs>\n";
            if (round % 4 == 3) {
                for (unsigned n = 1 + random() % 4; n > 0; --n) {
                    const size_t at = random() % (content.size() + 1);
                    switch (random() % 3) {
                    case 0: content.insert(at, 1, char(random())); break;
                    case 1: content.erase(at, 1 + random() % 8); break;
                    default: content.resize(at); break;
                    }
                }
            }
            break;
        }
        }
        const int32_t b = ReadBrightness(WriteFile(content).c_str());
        ASSERT_GE(b, -100) << "round " << round << ": " << Printable(content);
        ASSERT_LE(b, 100) << "round " << round << ": " << Printable(content);
        if (round % 4 == 2) {
            ASSERT_EQ(2 * value - 100, b) << "round " << round << ": " << Printable(content);
        }
    }
}

} // namespace
