// Status flags, mode texts and speed as they follow the deck.
#include "support/VtrFixture.h"

namespace {

class VtrStatus : public VtrTest {
protected:
    std::vector<uint8_t> Flags()
    {
        std::vector<uint8_t> flags(CSerialVtrControl::kStatusFlagCount, 9);
        EXPECT_TRUE(control->GetStatusFlags(flags.data()));
        return flags;
    }
};

TEST_F(VtrStatus, ModeFollowsTheTransport)
{
    EXPECT_EQ("Stop", Mode());
    EXPECT_EQ(1, Flags()[5]);
    ASSERT_TRUE(control->FastForward());
    EXPECT_EQ("Fast Forward", Mode());
    EXPECT_EQ(50.0, control->GetSpeed());
    ASSERT_TRUE(control->Rewind());
    EXPECT_EQ("Rewind", Mode());
    EXPECT_EQ(-50.0, control->GetSpeed());
    ASSERT_TRUE(control->JogForwardFast());
    EXPECT_EQ("Fast Forward 8x", Mode());
    ASSERT_TRUE(control->CueToTimecode("01:10:00:00"));
    EXPECT_EQ("Seeking", Mode());
    EXPECT_EQ(1, Flags()[32]);
}

TEST_F(VtrStatus, ShuttleModesNameTheSpeedBothWays)
{
    const struct {
        double speed;
        const char* forward;
        const char* reverse;
    } table[] = {
        {0.25, "Play 1/4x", "Reverse Play 1/4x"}, {0.5, "Play 1/2x", "Reverse Play 1/2x"},
        {1.0, "Play", "Reverse Play"},            {2.0, "Play 2x", "Reverse Play 2x"},
        {3.0, "Play 3x", "Reverse Play 3x"},      {4.0, "Play 4x", "Reverse Play 4x"},
        {8.0, "Fast Forward 8x", "Rewind 8x"},    {16.0, "Fast Forward 16x", "Rewind 16x"},
        {32.0, "Fast Forward 32x", "Rewind 32x"}, {6.0, "Shuttle", "Shuttle"},
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

TEST_F(VtrStatus, DeckConditionsShowInFlagsAndMode)
{
    sim::DeckSettings noTape;
    noTape.tapeIn = false;
    Start(noTape);
    EXPECT_EQ("Tape Out", Mode());
    EXPECT_EQ(1, Flags()[1]);
    EXPECT_FALSE(control->Play());

    sim::DeckSettings local;
    local.remote = false;
    Start(local);
    EXPECT_EQ("Local", Mode());
    EXPECT_EQ(1, Flags()[3]);

    sim::DeckSettings inhibited;
    inhibited.recordInhibit = true;
    Start(inhibited);
    const std::vector<uint8_t> flags = Flags();
    EXPECT_EQ(1, flags[58]);
    EXPECT_EQ(0, flags[0]);
    EXPECT_EQ(0, flags[1]);
    EXPECT_EQ(0, flags[3]);
    EXPECT_EQ("Stop", Mode());
}

}  // namespace
