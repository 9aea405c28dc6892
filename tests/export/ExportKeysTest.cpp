// What the shuttle bar and the keys ask of the deck at a given speed.
#include "export/ExportKeys.h"

#include <gtest/gtest.h>

namespace {

enum { kLeft = 6, kRight, kSpace, kUp, kDown, kJ, kK, kL };

std::string Describe(const DeckAction& action)
{
    switch (action.kind) {
    case DeckAction::kNothing:
        return "nothing";
    case DeckAction::kPlay:
        return "play";
    case DeckAction::kStill:
        return "still";
    case DeckAction::kReversePlay:
        return "reverse play";
    case DeckAction::kStepBack:
        return "step back";
    case DeckAction::kStepForward:
        return "step forward";
    case DeckAction::kShuttle:
        return "shuttle " + std::to_string(action.speed);
    }
    return "?";
}

TEST(ExportKeys, ShuttleBarPositions)
{
    EXPECT_EQ("play", Describe(ShuttleAction(ShuttleSpeedAt(11))));
    EXPECT_EQ("shuttle -1.000000", Describe(ShuttleAction(ShuttleSpeedAt(5)))) << "-1 is a shuttle, not a play";
    EXPECT_EQ("shuttle 0.000000", Describe(ShuttleAction(ShuttleSpeedAt(8))));
    const struct {
        int position;
        double speed;
    } ends[] = {{1, -16.0}, {15, 16.0}, {0, -16.0}, {99, 16.0}}; // clamped past the ends
    for (const auto& c : ends)
        EXPECT_EQ(c.speed, ShuttleSpeedAt(c.position)) << c.position;
}

TEST(ExportKeys, EachKeyAtEachSpeed)
{
    const struct {
        int key;
        double speed;
        const char* action;
    } cases[] = {
        // L: no faster than 16 times play; a fast reverse halves, keeping any fraction.
        {kL, 16.0, "nothing"},
        {kL, 8.0, "shuttle 16.000000"},
        {kL, 0.0, "play"},
        {kL, -1.0, "play"},
        {kL, -4.0, "shuttle -2.000000"},
        {kL, -2.0, "shuttle -1.000000"},
        {kL, -5.0, "shuttle -2.500000"},
        {kL, 1e300, "nothing"},
        // J: forward halves down to play, truncated toward zero below it.
        {kJ, 2.0, "play"},
        {kJ, 3.9, "play"},
        {kJ, 8.0, "shuttle 4.000000"},
        {kJ, 5.0, "shuttle 2.500000"},
        {kJ, 1.0, "reverse play"},
        {kJ, 0.5, "reverse play"},
        {kJ, -8.0, "shuttle -16.000000"},
        {kJ, -16.0, "nothing"},
        {kSpace, 0.05, "play"},
        {kSpace, -0.05, "play"},
        {kSpace, 0.06, "still"},
        {kSpace, 1.0, "still"},
        {kLeft, 3.0, "step back"},
        {kRight, 3.0, "step forward"},
        {kUp, -3.0, "play"},
        {kDown, 3.0, "reverse play"},
        {kK, 3.0, "still"},
        {14, 0.0, "nothing"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.action, Describe(HotKeyAction(c.key, c.speed))) << "key " << c.key << " at " << c.speed;
}

} // namespace
