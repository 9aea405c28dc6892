// Mode texts and speed as they follow the deck; the flags and the other
// modes are read from scripted replies (VtrDecoding).
#include "support/VtrFixture.h"

namespace {

class VtrStatus : public VtrTest {};

TEST_F(VtrStatus, ShuttleModesNameTheSpeedBothWays)
{
    const struct {
        double speed;
        const char* forward;
        const char* reverse;
    } table[] = {
        {0.25, "Play 1/4x", "Reverse Play 1/4x"},
        {0.5, "Play 1/2x", "Reverse Play 1/2x"},
        {1.0, "Play", "Reverse Play"},
        {2.0, "Play 2x", "Reverse Play 2x"},
        {3.0, "Play 3x", "Reverse Play 3x"},
        {4.0, "Play 4x", "Reverse Play 4x"},
        {8.0, "Fast Forward 8x", "Rewind 8x"},
        {16.0, "Fast Forward 16x", "Rewind 16x"},
        {32.0, "Fast Forward 32x", "Rewind 32x"},
        {6.0, "Shuttle", "Shuttle"},
        {0.04, "Still", "Still"},
    };
    for (const auto& row : table) {
        ASSERT_TRUE(control->Shuttle(row.speed));
        EXPECT_EQ(row.forward, Mode()) << row.speed;
        EXPECT_EQ(row.speed, control->GetSpeed());
        ASSERT_TRUE(control->Shuttle(-row.speed));
        EXPECT_EQ(row.reverse, Mode()) << -row.speed;
        EXPECT_EQ(-row.speed, control->GetSpeed());
    }
}

} // namespace
