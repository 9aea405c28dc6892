// What the shuttle bar and the keys ask of the deck at a given speed.
#include "export/ExportKeys.h"

#include <gtest/gtest.h>

namespace {

enum { kLeft = 6, kRight, kSpace, kUp, kDown, kJ, kK, kL };

std::string Describe(const DeckAction& action)
{
    switch (action.kind) {
    case DeckAction::kNothing: return "nothing";
    case DeckAction::kPlay: return "play";
    case DeckAction::kStill: return "still";
    case DeckAction::kReversePlay: return "reverse play";
    case DeckAction::kStepBack: return "step back";
    case DeckAction::kStepForward: return "step forward";
    case DeckAction::kShuttle: return "shuttle " + std::to_string(action.speed);
    }
    return "?";
}

std::string Key(int id, double speed) { return Describe(HotKeyAction(id, speed)); }

TEST(ExportKeys, ShuttleBarPositions)
{
    EXPECT_EQ("play", Describe(ShuttleAction(ShuttleSpeedAt(11))));
    EXPECT_EQ("shuttle -1.000000", Describe(ShuttleAction(ShuttleSpeedAt(5)))) << "-1 is a shuttle, not a play";
    EXPECT_EQ("shuttle 0.000000", Describe(ShuttleAction(ShuttleSpeedAt(8))));
    EXPECT_EQ(-16.0, ShuttleSpeedAt(1));
    EXPECT_EQ(16.0, ShuttleSpeedAt(15));
    EXPECT_EQ(-16.0, ShuttleSpeedAt(0)) << "clamped";
    EXPECT_EQ(16.0, ShuttleSpeedAt(99)) << "clamped";
}

TEST(ExportKeys, LAndJDoubleAndHalveTheSpeed)
{
    EXPECT_EQ("nothing", Key(kL, 16.0)) << "no faster than 16 times play";
    EXPECT_EQ("shuttle 16.000000", Key(kL, 8.0));
    EXPECT_EQ("play", Key(kL, 0.0));
    EXPECT_EQ("play", Key(kL, -1.0));
    EXPECT_EQ("shuttle -2.000000", Key(kL, -4.0)) << "fast reverse halves";
    EXPECT_EQ("shuttle -1.000000", Key(kL, -2.0));

    EXPECT_EQ("play", Key(kJ, 2.0)) << "forward halves down to play";
    EXPECT_EQ("play", Key(kJ, 3.9));
    EXPECT_EQ("shuttle 4.000000", Key(kJ, 8.0));
    EXPECT_EQ("shuttle 2.500000", Key(kJ, 5.0)) << "a halving keeps the fraction";
    EXPECT_EQ("shuttle -2.500000", Key(kL, -5.0));
    EXPECT_EQ("reverse play", Key(kJ, 1.0));
    EXPECT_EQ("reverse play", Key(kJ, 0.5)) << "truncated toward zero";
    EXPECT_EQ("shuttle -16.000000", Key(kJ, -8.0));
    EXPECT_EQ("nothing", Key(kJ, -16.0));
}

TEST(ExportKeys, SpaceAndTheFixedKeys)
{
    EXPECT_EQ("play", Key(kSpace, 0.05));
    EXPECT_EQ("play", Key(kSpace, -0.05));
    EXPECT_EQ("still", Key(kSpace, 0.06));
    EXPECT_EQ("still", Key(kSpace, 1.0));
    EXPECT_EQ("step back", Key(kLeft, 3.0));
    EXPECT_EQ("step forward", Key(kRight, 3.0));
    EXPECT_EQ("play", Key(kUp, -3.0));
    EXPECT_EQ("reverse play", Key(kDown, 3.0));
    EXPECT_EQ("still", Key(kK, 3.0));
    EXPECT_EQ("nothing", Key(14, 0.0));
    EXPECT_EQ("nothing", Key(kL, 1e300)) << "a speed no int holds";
}

} // namespace
