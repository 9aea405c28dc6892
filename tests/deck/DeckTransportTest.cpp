// The tape transport driven through the wire: cue, play, shuttle, status
// bits in every mode, edits and what they leave on tape, refusals.
#include "support/DeckClient.h"

#include <cmath>
#include <set>

using namespace decktest;
using sim::FormatOf;
using sim::TapeFormatId;

namespace {

const TapeFormatId kAllFormats[] = {TapeFormatId::Fps24, TapeFormatId::Fps25, TapeFormatId::Fps50, TapeFormatId::Df30,
                                    TapeFormatId::Ndf30, TapeFormatId::Df60, TapeFormatId::Ndf60};

sim::DeckSettings In(TapeFormatId format)
{
    sim::DeckSettings s;
    s.format = format;
    return s;
}

// Waits until the deck reports cue-up complete; false after 10 s.
bool AwaitCueUp(DeckClient& c)
{
    for (int i = 0; i < 1000; ++i) {
        if (c.Status()[2] & 0x01)
            return true;
        c.Wait(10);
    }
    return false;
}

TEST(DeckTransport, CueParksExactlyOnTheFrameInEveryFormat)
{
    for (TapeFormatId id : kAllFormats) {
        DeckClient c(In(id));
        const sim::TapeFormat& f = FormatOf(id);
        // 00:59:50:00 back, then a drop-frame minute boundary forward.
        for (const Bytes& target : {TimeData(0, 59, 50, 0), TimeData(1, 0, 59, f.base - 1), TimeData(1, 10, 0, 0)}) {
            c.Command(Cat({0x24, 0x31}, target));
            EXPECT_TRUE(c.Status()[4] & 0x01) << f.name << ": seeking";
            ASSERT_TRUE(AwaitCueUp(c)) << f.name;
            Bytes expect = target;
            if (f.dropFrame)
                expect[0] |= 0x40;
            EXPECT_EQ(Hex(c.Time()), Hex(expect)) << f.name;
            EXPECT_EQ(c.Status()[4] & 0x01, 0) << f.name << ": still seeking";
            c.Wait(500);
            EXPECT_EQ(Hex(c.Time()), Hex(expect)) << f.name << ": drifted off the cue point";
        }
        // Stepping over the gap in drop frame lands after it.
        if (f.dropFrame) {
            c.Command(Cat({0x24, 0x31}, TimeData(1, 11, 0, 0)));
            ASSERT_TRUE(AwaitCueUp(c));
            EXPECT_EQ(Hex(c.Time()), "42 00 11 01");
        }
    }
}

TEST(DeckTransport, PlayAdvancesOneFramePerFramePeriod)
{
    for (TapeFormatId id : {TapeFormatId::Fps25, TapeFormatId::Df30, TapeFormatId::Df60}) {
        DeckClient c(In(id));
        const double period = FormatOf(id).FrameMs();
        const int64_t start = c.Frame();
        c.Command({0x20, 0x01});
        const double t0 = c.deck.Packets().rbegin()[1].ms;  // when the block was in
        sim::DeckTransport& t = c.deck.Transport(t0 + 100 * period - 0.01);
        EXPECT_EQ(t.Frame(t0 + 100 * period - 0.01) - start, 99) << FormatOf(id).name;
        EXPECT_EQ(c.deck.Transport(t0 + 100 * period + 0.01).Frame(t0 + 100 * period + 0.01) - start, 100);
    }
}

TEST(DeckTransport, ShuttleMovesAtItsSpeedBothWays)
{
    DeckClient c;
    const double perSecond = 1000.0 / FormatOf(TapeFormatId::Df30).FrameMs();
    for (const auto& step : {std::make_pair<uint8_t, double>(0x13, 8.0), std::make_pair<uint8_t, double>(0x23, -8.0),
                             std::make_pair<uint8_t, double>(0x11, 8.0), std::make_pair<uint8_t, double>(0x23, -32.0)}) {
        c.Command({0x21, step.first, step.second == -32.0 ? uint8_t(112) : uint8_t(0x5D)});
        const int64_t from = c.Frame();
        c.Wait(1000);
        EXPECT_NEAR(double(c.Frame() - from), step.second * perSecond, 1.0) << "speed " << step.second;
        EXPECT_EQ((c.Status()[2] & 0x04) != 0, step.second < 0) << "direction bit";
    }
    c.Command({0x21, 0x13, 0x00});
    const int64_t still = c.Frame();
    c.Wait(500);
    EXPECT_EQ(c.Frame(), still);
    EXPECT_EQ(c.Status()[2] & 0x22, 0x22) << "shuttle and still";
}

TEST(DeckTransport, StatusBitsFollowTheTransport)
{
    DeckClient c;
    struct Case {
        Bytes command;
        int byte;
        uint8_t mask, bits;
    };
    const Case cases[] = {
        {{0x20, 0x01}, 1, 0x3F, 0x01},  // play
        {{0x20, 0x10}, 1, 0x3F, 0x04},  // fast forward
        {{0x20, 0x20}, 1, 0x3F, 0x08},  // rewind
        {{0x20, 0x20}, 2, 0x04, 0x04},  // rewind runs backwards
        {{0x21, 0x11, 0x40}, 2, 0x3F, 0x10},  // jog
        {{0x21, 0x22, 0x36}, 2, 0x3F, 0x0C},  // var, reverse
        {{0x20, 0x02}, 1, 0x3F, 0x03},  // crash record: PLAY stays set
        {{0x20, 0x00}, 1, 0x3F, 0x20},  // stop
        {{0x20, 0x0F}, 1, 0x3F, 0x10},  // eject
    };
    for (const Case& k : cases) {
        c.Command(k.command);
        c.Wait(50);
        EXPECT_EQ(c.Status()[k.byte] & k.mask, k.bits) << "after " << Hex(k.command);
    }
    c.Wait(2000);
    EXPECT_EQ(Hex(c.Status()), "20 00 00 00 00 00 00 00 00 00") << "tape out";
    EXPECT_EQ(Hex(c.Send({0x20, 0x01})), "11 12 01 24") << "no tape, no play";
    c.Transport().InsertTape(c.now);
    EXPECT_EQ(c.Status()[1], 0xA0);
}

TEST(DeckTransport, LocalTapeOutAndRecordInhibitRefuse)
{
    sim::DeckSettings s;
    s.remote = false;
    DeckClient local(s);
    EXPECT_EQ(local.Status()[0] & 0x01, 0x01);
    for (const Bytes& command : {Bytes{0x20, 0x01}, Bytes{0x20, 0x02}, Bytes{0x21, 0x13, 0x40}, Bytes{0x41, 0x30, 0x53}})
        EXPECT_EQ(Hex(local.Send(command)), "11 12 01 24") << Hex(command);
    EXPECT_EQ(local.Transport().Mode(), sim::TransportMode::Stopped);

    s = {};
    s.recordInhibit = true;
    DeckClient inhibited(s);
    EXPECT_EQ(inhibited.Status()[8] & 0x01, 0x01);
    EXPECT_EQ(Hex(inhibited.Send({0x20, 0x02})), "11 12 01 24");
    inhibited.Command(Cat({0x44, 0x14}, TimeData(1, 0, 10, 0)));
    inhibited.Command({0x41, 0x30, 0x53});
    EXPECT_EQ(Hex(inhibited.Send({0x20, 0x42})), "11 12 01 24");
    inhibited.Command({0x20, 0x40});  // preview records nothing, so it may run
    inhibited.Wait(20000);
    EXPECT_TRUE(inhibited.Transport().Segments().empty());

    s = {};
    s.tapeIn = false;
    DeckClient empty(s);
    EXPECT_EQ(Hex(empty.Send({0x20, 0x02})), "11 12 01 24");
    EXPECT_TRUE(empty.Transport().Segments().empty());
}

// The controller's edit: presets, a cue to the preroll point, a stop once
// parked, then auto edit; the record point is reached a preroll later.
struct EditRun {
    double startMs = -1;          // before the auto edit command went out
    double atRecordPointMs = -1;  // first time sense that read the in point
    std::set<std::string> states; // D1 and D7 bit 0 as status read them
};

EditRun RunAutoEdit(DeckClient& c, const Bytes& preset, bool preview)
{
    c.Command({0x40, 0x41});
    c.Command({0x44, 0x31, 0x00, 0x02, 0x00, 0x00});
    c.Command(Cat({0x44, 0x14}, TimeData(1, 0, 10, 0)));
    c.Command(Cat({0x44, 0x16}, TimeData(1, 0, 10, 0)));
    c.Command(Cat({0x44, 0x15}, TimeData(1, 0, 20, 0)));
    c.Command(Cat({0x44, 0x17}, TimeData(1, 0, 20, 0)));
    c.Command(preset);
    c.Command(Cat({0x24, 0x31}, TimeData(1, 0, 8, 0)));
    EXPECT_TRUE(AwaitCueUp(c));
    c.Command({0x20, 0x00});
    EditRun run;
    run.startMs = c.now;
    c.Command({0x20, static_cast<uint8_t>(preview ? 0x40 : 0x42)});
    const Bytes recordPoint = TimeData(1, 0, 10, 0);
    for (int i = 0; i < 2000; ++i) {
        const Bytes status = c.Status();
        if (status[1] == 0xA0)
            break;
        run.states.insert(Hex({status[1], uint8_t(status[7] & 0x01)}));
        Bytes t = c.Time();
        t[0] &= 0x3F;
        if (run.atRecordPointMs < 0 && t == recordPoint)
            run.atRecordPointMs = c.now;
        c.Wait(5);
    }
    return run;
}

TEST(DeckTransport, AutoEditRecordsExactlyInToOutOnThePresetChannels)
{
    const sim::TapeFormat& f = FormatOf(TapeFormatId::Df30);
    const int64_t in = sim::FrameOf(f, {1, 0, 10, 0, false});
    const int64_t out = sim::FrameOf(f, {1, 0, 20, 0, false});

    DeckClient c;
    const EditRun run = RunAutoEdit(c, {0x41, 0x30, 0x53}, false);
    ASSERT_EQ(c.Transport().Segments().size(), 1u);
    const sim::RecordedSegment seg = c.Transport().Segments()[0];
    EXPECT_EQ(seg.first, in);
    EXPECT_EQ(seg.last, out - 1);
    EXPECT_EQ(seg.channels, 0x007u) << "video, audio 1 and 2";
    EXPECT_EQ(seg.kind, sim::RecordKind::Insert);
    // Preroll and postroll play; the edit records, PLAY still set, and is
    // between the in and out points.
    EXPECT_EQ(std::vector<std::string>(run.states.begin(), run.states.end()),
              (std::vector<std::string>{"81 00", "83 01"}));
    // Straight into a two-second preroll from the parked cue point.
    const double preroll = run.atRecordPointMs - run.startMs;
    EXPECT_GE(preroll, 60 * f.FrameMs());
    EXPECT_LE(preroll, 61 * f.FrameMs() + 10);
    // Parked after the postroll, two seconds past the out point.
    EXPECT_EQ(c.Frame(), out + 2 * 30);

    DeckClient wide;
    RunAutoEdit(wide, {0x42, 0x30, 0x50, 0x04}, false);
    ASSERT_EQ(wide.Transport().Segments().size(), 1u);
    EXPECT_EQ(wide.Transport().Segments()[0].channels, 0x009u) << "video and audio 3";

    DeckClient preview;
    const EditRun previewRun = RunAutoEdit(preview, {0x41, 0x30, 0x53}, true);
    EXPECT_TRUE(preview.Transport().Segments().empty());
    EXPECT_EQ(std::vector<std::string>(previewRun.states.begin(), previewRun.states.end()),
              (std::vector<std::string>{"81 00", "81 01"}));
    EXPECT_EQ(preview.Frame(), c.Frame()) << "a preview runs the same course";
}

TEST(DeckTransport, CrashRecordWritesEveryChannelWhileItRuns)
{
    DeckClient c;
    const int64_t start = c.Frame();
    c.Command({0x20, 0x02});
    c.Wait(10 * FormatOf(TapeFormatId::Df30).FrameMs() + 1);
    c.Command({0x20, 0x00});
    ASSERT_EQ(c.Transport().Segments().size(), 1u);
    const sim::RecordedSegment seg = c.Transport().Segments()[0];
    EXPECT_EQ(seg.first, start);
    EXPECT_EQ(seg.last, start + 9);
    EXPECT_EQ(seg.channels, sim::kAllChannels);
    EXPECT_EQ(seg.kind, sim::RecordKind::Crash);
}

}  // namespace
