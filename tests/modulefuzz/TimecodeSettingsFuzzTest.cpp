// The deck controller's timecode settings from any record and any index:
// whatever is refused, the settings in effect are always a row of the
// tables, and the time read from the deck is written in that row's form.
#include "support/VtrFixture.h"

#include <cstring>
#include <random>
#include <string>

namespace {

class TimecodeSettingsFuzz : public VtrTest {
protected:
    // Why the settings in effect are no row of the tables; empty when they are.
    std::string Inconsistent()
    {
        ControlSettings s;
        if (!control->GetControlSettings(reinterpret_cast<uint32_t*>(&s)))
            return "no settings";
        TimecodeFormat row;
        char source[32];
        if (s.tag != kDeckRecordTag || !control->GetTimecodeFormatInfo(s.formatIndex, &row) ||
            !control->GetTimecodeSourceName(s.sourceIndex, source) ||
            s.prerollSeconds > CSerialVtrControl::kMaxPrerollSeconds)
            return "indexes " + std::to_string(s.formatIndex) + ", " + std::to_string(s.sourceIndex) + ", " +
                   std::to_string(s.prerollSeconds);
        if (std::memcmp(&row, &s.format, sizeof row) != 0 || std::memcmp(source, s.sourceName, sizeof source) != 0)
            return "format " + std::to_string(s.formatIndex) + " or source " + std::to_string(s.sourceIndex) +
                   " not as the tables have it";
        const bool doubled = row.rateNumerator == 50000 || row.rateNumerator == 60000;
        if (control->IsDoubleRateFormat(s.formatIndex) != doubled)
            return "format " + std::to_string(s.formatIndex) + " double rate";
        return "";
    }
};

uint32_t AnyIndex(std::mt19937& random)
{
    static const uint32_t kEdges[] = {0, 2, 3, 6, 7, 15, 16, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    return random() % 2 ? random() % 20 : kEdges[random() % (sizeof kEdges / sizeof kEdges[0])];
}

TEST_F(TimecodeSettingsFuzz, SettingsInEffectAreAlwaysATableRow)
{
    std::mt19937 random(20261210);
    for (int round = 0; round < 300; ++round) {
        const std::string why = "round " + std::to_string(round);
        ControlSettings record;
        auto* bytes = reinterpret_cast<uint8_t*>(&record);
        for (size_t i = 0; i < sizeof record; ++i)
            bytes[i] = uint8_t(random());
        record.formatIndex = AnyIndex(random);
        record.sourceIndex = AnyIndex(random);
        record.prerollSeconds = AnyIndex(random);
        const uint32_t index = AnyIndex(random);

        bool ok = false, want = false;
        switch (random() % 4) {
        case 0:
            ok = control->ApplyControlSettings(&record);
            want = record.formatIndex < 7 && record.sourceIndex < 3 && record.prerollSeconds <= 15;
            break;
        case 1:
            ok = control->SetTimecodeFormat(index);
            want = index < 7;
            break;
        case 2:
            ok = control->SetTimecodeSource(index);
            want = index < 3;
            break;
        default:
            ok = control->SetPreroll(index);
            want = index <= 15;
            break;
        }
        ASSERT_EQ(want, ok) << why;
        ASSERT_EQ("", Inconsistent()) << why;

        // A name is written whole for any index, the first row's for one past the end.
        TimecodeFormat row;
        std::memset(&row, 'x', sizeof row);
        ASSERT_EQ(index < 7, control->GetTimecodeFormatInfo(index, &row)) << why;
        ASSERT_NE(nullptr, std::memchr(row.name, '\0', sizeof row.name)) << why;
        char source[32];
        std::memset(source, 'x', sizeof source);
        ASSERT_EQ(index < 3, control->GetTimecodeSourceName(index, source)) << why;
        ASSERT_NE(nullptr, std::memchr(source, '\0', sizeof source)) << why;

        if (round % 10 == 0) {
            ControlSettings s;
            control->GetControlSettings(reinterpret_cast<uint32_t*>(&s));
            const std::string text = Timecode();
            ASSERT_EQ(11u, text.size()) << why;
            ASSERT_EQ(s.format.dropFrame ? ';' : ':', text[2]) << why << ": " << text;
        }
    }
}

} // namespace
