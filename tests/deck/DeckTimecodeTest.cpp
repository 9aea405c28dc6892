#include <gtest/gtest.h>

#include "sim/deck/DeckTimecode.h"

using namespace sim;

namespace {

const TapeFormatId kAllFormats[] = {TapeFormatId::Fps24, TapeFormatId::Fps25, TapeFormatId::Fps50, TapeFormatId::Df30,
                                    TapeFormatId::Ndf30, TapeFormatId::Df60, TapeFormatId::Ndf60};

TEST(DeckTimecode, LabelsAndFramesRoundTripInEveryFormat)
{
    for (TapeFormatId id : kAllFormats) {
        const TapeFormat& f = FormatOf(id);
        const int64_t day = f.DayFrames();
        for (int64_t frame : {int64_t(0), int64_t(1), int64_t(1799), int64_t(1800), int64_t(1801), int64_t(3597),
                              int64_t(17981), int64_t(17982), int64_t(107892), day / 2 + 1, day - 1}) {
            const TimeLabel l = LabelOf(f, frame);
            EXPECT_TRUE(IsValidLabel(f, l)) << f.name << " frame " << frame << " gave " << LabelText(f, l);
            EXPECT_EQ(FrameOf(f, l), frame) << f.name << " " << LabelText(f, l);
        }
        EXPECT_EQ(LabelText(f, LabelOf(f, day - 1)).substr(0, 8), f.dropFrame ? "23;59;59" : "23:59:59") << f.name;
    }
}

TEST(DeckTimecode, DropFrameSkipsTwoLabelsAMinuteButEachTenth)
{
    const TapeFormat& df = FormatOf(TapeFormatId::Df30);
    EXPECT_EQ(df.DayFrames(), 2589408);
    EXPECT_EQ(FormatOf(TapeFormatId::Df60).DayFrames(), 2 * 2589408);
    EXPECT_EQ(FrameText(df, FrameOf(df, {0, 0, 59, 29, false}) + 1), "00;01;00;02");
    EXPECT_EQ(FrameText(df, FrameOf(df, {0, 9, 59, 29, false}) + 1), "00;10;00;00");
    EXPECT_FALSE(IsValidLabel(df, {0, 1, 0, 1, false}));
    EXPECT_TRUE(IsValidLabel(df, {0, 10, 0, 0, false}));
    TimeLabel l;
    EXPECT_FALSE(ParseLabelText(df, "00:01:00:00", &l));
    EXPECT_TRUE(ParseLabelText(FormatOf(TapeFormatId::Ndf30), "00:01:00:00", &l));
    EXPECT_FALSE(ParseLabelText(df, "00:00:00:30", &l));
    EXPECT_FALSE(ParseLabelText(df, "0:00:00:00", &l));
}

TEST(DeckTimecode, TimeDataCarriesTheFlagsAndRejectsNonDecimalDigits)
{
    const TapeFormat& df = FormatOf(TapeFormatId::Df30);
    const TapeFormat& p60 = FormatOf(TapeFormatId::Ndf60);
    uint8_t data[4];
    EncodeTimeData(df, {12, 34, 56, 28, false}, data);
    EXPECT_EQ(data[0], 0x68);  // 28 with the drop-frame flag
    EXPECT_EQ(data[1], 0x56);
    EXPECT_EQ(data[2], 0x34);
    EXPECT_EQ(data[3], 0x12);

    // The second tape frame of a double-rate pair has the field flag.
    const TimeLabel second = LabelOf(p60, FrameOf(p60, {1, 0, 0, 0, false}) + 1);
    EXPECT_TRUE(second.secondOfPair);
    EncodeTimeData(p60, second, data);
    EXPECT_EQ(data[1], 0x80);
    TimeLabel back;
    ASSERT_TRUE(DecodeTimeData(p60, data, &back));
    EXPECT_EQ(FrameOf(p60, back), FrameOf(p60, second));
    // The same bit means nothing at single rate.
    ASSERT_TRUE(DecodeTimeData(df, data, &back));
    EXPECT_FALSE(back.secondOfPair);

    const uint8_t bad[4] = {0x0A, 0x00, 0x00, 0x01};
    EXPECT_FALSE(DecodeTimeData(df, bad, &back));
}

}  // namespace
