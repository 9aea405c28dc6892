// The brightness read from the editor's preference file, and the greys,
// brushes and pens the dialogs are drawn with.
#include "support/BuildPaths.h"
#include "ui/ColourScheme.h"
#include "ui/DrawingObjects.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string WriteFile(const std::string& content)
{
    std::string path = WorkFolder() + "\\prefs.txt";
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    return path;
}

int Level(COLORREF colour)
{
    return GetRValue(colour);
}

TEST(Brightness, ReadFromTheEntryOfThePreferenceFile)
{
    const std::string tag = "<fe.color.brightness>";
    const struct {
        std::string content;
        int32_t want;
    } cases[] = {
        {"<a/>\n<fe.color.brightness>50</fe.color.brightness>\n", 0},
        {"<fe.color.brightness>100</fe.color.brightness>\n", 100},
        {"<fe.color.brightness>0</fe.color.brightness>\n", -100},
        {"<fe.color.brightness>7</fe.color.brightness>\n", -86},
        {"<fe.color.brightness>75</fe.color.brightness>\n", 50},
        // Another tag before the entry on its line is read instead.
        {"<x>90</x><fe.color.brightness>20</fe.color.brightness>\n", 80},
        {"<x>y</x><fe.color.brightness>20</fe.color.brightness>\n", -100},
        {"<prefs>\n</prefs>\n", 0},
        {"", 0},
        // Entries no editor writes still give a brightness the scheme is
        // built for, read as far as they are intact.
        {tag + "990</fe.color.brightness>\n", 100},
        {tag + "101</fe.color.brightness>\n", -80}, // two digits, and a third only if 0
        {tag + "-5</fe.color.brightness>\n", -100},
        {tag + "1", -98},
        {tag, -100},
        {tag + std::string(1, '\0') + "80\n", -100},
        {std::string(5000, 'x') + tag + "75\n", 50},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.want, ReadBrightness(WriteFile(c.content).c_str())) << c.content.substr(0, 40);
    EXPECT_EQ(50, ReadBrightness((WorkFolder() + "\\no such file").c_str()));
    EXPECT_EQ(50, ReadBrightness(nullptr));
}

TEST(Brightness, EntryIsLookedForInTheFirst15000LinesOnly)
{
    std::string filler;
    for (int i = 0; i < 14999; ++i)
        filler += "<line/>\n";
    const std::string entry = "<fe.color.brightness>100</fe.color.brightness>\n";
    EXPECT_EQ(100, ReadBrightness(WriteFile(filler + entry).c_str()));
    EXPECT_EQ(0, ReadBrightness(WriteFile(filler + "<line/>\n" + entry).c_str()));
}

TEST(ColourScheme, WorkedGreysAtMiddleLightestAndDarkest)
{
    ColourScheme s = {};
    BuildColourSchemeFor(&s, 0);
    EXPECT_EQ(RGB(166, 166, 166), s.faceColour);
    EXPECT_EQ(RGB(97, 97, 97), s.shadowColour);
    EXPECT_EQ(s.shadowColour, s.frameColour);
    EXPECT_EQ(s.shadowColour, s.selectColour);
    EXPECT_EQ(RGB(214, 214, 214), s.lightColour);
    EXPECT_EQ(RGB(38, 40, 44), s.deepShadeColour);
    EXPECT_EQ(RGB(171, 172, 176), s.tintColour);
    EXPECT_EQ(136, Level(s.disabledTextColour)); // m = -13, k = 70

    BuildColourSchemeFor(&s, 100);
    EXPECT_EQ(219, Level(s.faceColour));
    EXPECT_EQ(121, Level(s.shadowColour));
    EXPECT_EQ(255, Level(s.lightColour));
    EXPECT_EQ(169, Level(s.disabledTextColour));

    BuildColourSchemeFor(&s, -100);
    EXPECT_EQ(36, Level(s.shadowColour));
    EXPECT_EQ(233, GetRValue(s.deepShadeColour)); // wraps to its low 8 bits
    EXPECT_EQ(124, Level(s.disabledTextColour));  // the rule's dark branch
    BuildColourSchemeFor(&s, -76);
    EXPECT_EQ(75, Level(s.disabledTextColour)); // the light branch's end
    ReleaseColourScheme(&s);
}

TEST(ColourScheme, RebuildingReplacesAndReleasingDeletesEveryObject)
{
    long before = LiveDrawingObjects();
    ColourScheme s = {};
    BuildColourSchemeFor(&s, 0);
    long built = LiveDrawingObjects() - before;
    EXPECT_GT(built, 100);
    HPEN firstFace = s.buttonFace[kLookNormal][0];
    BuildColourSchemeFor(&s, 40);
    EXPECT_EQ(built, LiveDrawingObjects() - before) << "a rebuild leaks what it replaces";
    EXPECT_EQ(0u, GetObjectType(firstFace));

    HPEN pen = s.titleStrip[16];
    HBRUSH brush = s.checkBoxFrame[kLookDisabled];
    ReleaseColourScheme(&s);
    EXPECT_EQ(before, LiveDrawingObjects());
    EXPECT_EQ(0u, GetObjectType(pen));
    EXPECT_EQ(0u, GetObjectType(brush));
    EXPECT_EQ(nullptr, s.faceBrush);
    EXPECT_EQ(nullptr, s.raisedTabEdge[4]);
    EXPECT_EQ(RGB(187, 187, 187), s.faceColour) << "colours stay";
    ReleaseColourScheme(&s);
    EXPECT_EQ(before, LiveDrawingObjects());
}

} // namespace
