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

// Any index, signed or huge, against each setter's bound: refused exactly
// past it, and the settings in effect are always a row of the tables.
TEST_F(TimecodeSettings, EveryIndexIsJudgedByItsBoundAndLeavesATableRow)
{
    const uint32_t indexes[] = {0, 2, 3, 6, 7, 15, 16, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    for (uint32_t index : indexes) {
        for (int setter = 0; setter < 4; ++setter) {
            ControlSettings record = Settings();
            record.formatIndex = setter == 0 ? index : 1;
            record.sourceIndex = setter == 0 ? index % 4 : 1;
            const bool ok = setter == 0   ? control->ApplyControlSettings(&record)
                            : setter == 1 ? control->SetTimecodeFormat(index)
                            : setter == 2 ? control->SetTimecodeSource(index)
                                          : control->SetPreroll(index);
            const uint32_t bound = setter == 0 ? 6 : setter == 1 ? 6 : setter == 2 ? 2 : 15;
            const bool within = index <= bound && (setter != 0 || index % 4 <= 2);
            EXPECT_EQ(within, ok) << "setter " << setter << " index " << index;

            const ControlSettings s = Settings();
            TimecodeFormat row;
            char source[32];
            ASSERT_TRUE(control->GetTimecodeFormatInfo(s.formatIndex, &row)) << s.formatIndex;
            ASSERT_TRUE(control->GetTimecodeSourceName(s.sourceIndex, source)) << s.sourceIndex;
            EXPECT_LE(s.prerollSeconds, 15u);
            EXPECT_EQ(0, std::memcmp(&row, &s.format, sizeof row)) << "format " << s.formatIndex;
            EXPECT_STREQ(source, s.sourceName);
        }
        TimecodeFormat row;
        std::memset(&row, 'x', sizeof row);
        EXPECT_EQ(index < 7, control->GetTimecodeFormatInfo(index, &row)) << index;
        EXPECT_NE(nullptr, std::memchr(row.name, '\0', sizeof row.name)) << index;
    }
}

}  // namespace
