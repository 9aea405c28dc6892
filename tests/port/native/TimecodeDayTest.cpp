// Every frame and every label of the timecode day, against labels counted
// out one by one as a clock would: the k-th label of the day is text frame k.
#include "port/TimecodeText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Setting {
    int32_t rate;
    int32_t divisor;
    uint8_t drop;
};

// One of each arithmetic: the divisor does not change it.
const Setting kSettings[] = {
    {24000, 1000, 0}, {25000, 1000, 0}, {30000, 1000, 0}, {30000, 1001, 1},
    {50000, 1000, 0}, {60000, 1000, 0}, {60000, 1001, 1},
};

// Mismatches reported per setting; a fault would otherwise print millions.
constexpr int kShown = 5;

// The labels of the day in order, "00:00:00:00" to "23:59:59:FF".
class LabelClock {
public:
    LabelClock(int base, bool drop) : base_(base), drop_(drop), sep_(drop ? ';' : ':') { Write(); }

    const char* Text() const { return text_; }

    // false once the day is over.
    bool Advance()
    {
        if (++ff_ == base_) {
            ff_ = 0;
            if (++ss_ == 60) {
                ss_ = 0;
                if (++mm_ == 60) {
                    mm_ = 0;
                    if (++hh_ == 24)
                        return false;
                }
                if (drop_ && mm_ % 10 != 0)
                    ff_ = 2;
            }
        }
        Write();
        return true;
    }

private:
    void Write()
    {
        const int fields[4] = {hh_, mm_, ss_, ff_};
        char* out = text_;
        for (int i = 0; i < 4; ++i) {
            *out++ = static_cast<char>('0' + fields[i] / 10);
            *out++ = static_cast<char>('0' + fields[i] % 10);
            *out++ = i < 3 ? sep_ : '\0';
        }
    }

    const int base_;
    const bool drop_;
    const char sep_;
    int hh_ = 0, mm_ = 0, ss_ = 0, ff_ = 0;
    char text_[12];
};

} // namespace

// Frame -> text -> frame for every frame of the day, and text -> frame ->
// text for every label, both pinned to the clock: frame n of a double-rate
// count reads as label (n + 1) / 2, which comes back as frame (n + 1) / 2 * 2.
TEST(TimecodeDay, EveryFrameAndLabelOfTheDay)
{
    for (const Setting& s : kSettings) {
        SCOPED_TRACE(std::to_string(s.rate) + "/" + std::to_string(s.divisor) + " drop " + std::to_string(s.drop));
        const bool doubleRate = s.rate >= 50000;
        const int32_t pairs = doubleRate ? 2 : 1;
        const int base = (s.rate / 1000) / pairs;
        LabelClock clock(base, s.drop != 0);
        int faults = 0;
        int32_t k = 0;
        char text[13];
        do {
            const char* label = clock.Text();
            const int32_t frame = k * pairs;
            int32_t back = -1;
            const int rcFrames = TimecodeTextToFrames(label, s.rate, s.divisor, s.drop, &back);
            const int rcText = FramesToTimecodeText(back, s.rate, s.divisor, s.drop, text);
            bool ok = rcFrames == 0 && back == frame && rcText == 0 && std::strcmp(text, label) == 0;
            if (ok && doubleRate && frame > 0) {
                // The odd frame before shares the label.
                FramesToTimecodeText(frame - 1, s.rate, s.divisor, s.drop, text);
                ok = std::strcmp(text, label) == 0;
            }
            if (!ok && ++faults <= kShown) {
                EXPECT_EQ(frame, back) << label;
                EXPECT_STREQ(label, text) << "frame " << back << " or the one before";
                EXPECT_EQ(0, rcFrames);
                EXPECT_EQ(0, rcText);
            }
            ++k;
        } while (clock.Advance());
        EXPECT_EQ(0, faults) << "mismatches in all";

        const int32_t day = k * pairs;
        int32_t day24 = -1;
        TimecodeTextToFrames(s.drop ? "24;00;00;00" : "24:00:00:00", s.rate, s.divisor, s.drop, &day24);
        EXPECT_EQ(day, day24);
        if (doubleRate) {
            // The last frame of the day is the first of the 24th hour's
            // label pair, and the hours are capped.
            FramesToTimecodeText(day - 1, s.rate, s.divisor, s.drop, text);
            EXPECT_STREQ(s.drop ? "23;00;00;00" : "23:00:00:00", text);
        }
    }
}
