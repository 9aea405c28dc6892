// The controller's timecode format, source and preroll.
#include "support/VtrFixture.h"

namespace {

class TimecodeSettings : public VtrTest {
protected:
    ControlSettings Settings()
    {
        ControlSettings settings;
        EXPECT_TRUE(control->GetControlSettings(reinterpret_cast<uint32_t*>(&settings)));
        return settings;
    }
};

TEST_F(TimecodeSettings, OpenStartsFromTheDefaultsAndTheTablesFillTheRecord)
{
    ControlSettings settings = Settings();
    EXPECT_EQ(115u, settings.tag);
    EXPECT_STREQ("Base 30 DF", settings.format.name);
    EXPECT_EQ(30u, settings.format.framesPerSecond);
    EXPECT_EQ(1u, settings.format.dropFrame);
    EXPECT_EQ(30000u, settings.format.rateNumerator);
    EXPECT_EQ(1000u, settings.format.rateDenominator);
    EXPECT_EQ(3u, settings.formatIndex);
    EXPECT_STREQ("LTC", settings.sourceName);
    EXPECT_EQ(2u, settings.prerollSeconds);

    TimecodeFormat row;
    ASSERT_TRUE(control->GetTimecodeFormatInfo(4, &row));
    EXPECT_STREQ("Base 30 NDF", row.name);
    EXPECT_EQ(0u, row.dropFrame);
    EXPECT_FALSE(control->GetTimecodeFormatInfo(7, &row));
    EXPECT_STREQ("Base 24", row.name);
    EXPECT_STREQ("TC Format Not Found", control->LastError());
    char name[32];
    ASSERT_TRUE(control->GetTimecodeSourceName(2, name));
    EXPECT_STREQ("LTC + VITC", name);
    EXPECT_FALSE(control->GetTimecodeSourceName(3, name));
    EXPECT_STREQ("LTC", name);
    EXPECT_STREQ("TC Source Not Found", control->LastError());

    bool doubleRate[7];
    for (uint32_t i = 0; i < 7; ++i)
        doubleRate[i] = control->IsDoubleRateFormat(i);
    EXPECT_EQ((std::vector<bool>{false, false, true, false, false, true, true}),
              std::vector<bool>(doubleRate, doubleRate + 7));
}

TEST_F(TimecodeSettings, RefusedValuesLeaveEverythingAsItWas)
{
    ASSERT_TRUE(control->SetTimecodeFormat(6));
    const ControlSettings before = Settings();
    EXPECT_FALSE(control->SetTimecodeFormat(7));
    EXPECT_FALSE(control->SetTimecodeSource(3));
    EXPECT_TRUE(control->SetPreroll(15));
    EXPECT_FALSE(control->SetPreroll(16));
    EXPECT_STREQ("Preroll Time Invalid", control->LastError());
    ControlSettings after = Settings();
    after.prerollSeconds = before.prerollSeconds;
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));

    // Only the three indexes of a record count, and the first refusal stops it.
    ControlSettings record = before;
    std::strcpy(record.format.name, "stale");
    record.formatIndex = 1;
    record.sourceIndex = 1;
    record.prerollSeconds = 7;
    ASSERT_TRUE(control->ApplyControlSettings(&record));
    after = Settings();
    EXPECT_STREQ("Base 25", after.format.name);
    EXPECT_EQ(25u, after.format.framesPerSecond);
    EXPECT_STREQ("VITC", after.sourceName);
    EXPECT_EQ(7u, after.prerollSeconds);
    record.formatIndex = 9;
    record.sourceIndex = 2;
    record.prerollSeconds = 1;
    EXPECT_FALSE(control->ApplyControlSettings(&record));
    const ControlSettings refused = Settings();
    EXPECT_EQ(0, std::memcmp(&after, &refused, sizeof after)) << "source and preroll untouched";
    EXPECT_FALSE(control->ApplyControlSettings(nullptr));
    EXPECT_STREQ("Control Not Opened", control->LastError());

    // The settings survive the UART's switching but not a new open.
    control->ActivateControl();
    control->DeactivateControl();
    EXPECT_EQ(1u, Settings().formatIndex);
    control->CloseControl();
    uint32_t value = 99;
    EXPECT_FALSE(control->GetPreroll(&value));
    EXPECT_EQ(2u, value);
    EXPECT_FALSE(control->GetTimecodeFormat(&value));
    EXPECT_EQ(0u, value);
    ASSERT_TRUE(control->OpenControl(Info(), 0));
    EXPECT_EQ(3u, Settings().formatIndex);
}

// Any index, signed or huge, is refused exactly past each setter's bound.
TEST_F(TimecodeSettings, EveryIndexIsJudgedByItsBound)
{
    for (uint32_t index : {0u, 2u, 3u, 6u, 7u, 15u, 16u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        ControlSettings record = Settings();
        record.formatIndex = index;
        record.sourceIndex = 1;
        EXPECT_EQ(index <= 6, control->ApplyControlSettings(&record)) << index;
        EXPECT_EQ(index <= 6, control->SetTimecodeFormat(index)) << index;
        EXPECT_EQ(index <= 2, control->SetTimecodeSource(index)) << index;
        EXPECT_EQ(index <= 15, control->SetPreroll(index)) << index;
        TimecodeFormat row;
        std::memset(&row, 'x', sizeof row);
        EXPECT_EQ(index < 7, control->GetTimecodeFormatInfo(index, &row)) << index;
        EXPECT_NE(nullptr, std::memchr(row.name, '\0', sizeof row.name)) << index;
    }
}

} // namespace
