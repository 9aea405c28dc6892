// The virtual deck driven by bytes as a controller drives a deck: framing
// and refusals, senses, the transport and its status bits, and an insert
// edit on its record point. Builds natively too.
#include "support/DeckClient.h"

#include "sim/deck/DeckTimecode.h"

#include <set>

using namespace decktest;
using sim::FormatOf;
using sim::TapeFormatId;

namespace {

const TapeFormatId kAllFormats[] = {TapeFormatId::Fps24, TapeFormatId::Fps25, TapeFormatId::Fps50, TapeFormatId::Df30,
                                    TapeFormatId::Ndf30, TapeFormatId::Df60,  TapeFormatId::Ndf60};

sim::DeckSettings In(TapeFormatId format)
{
    sim::DeckSettings s;
    s.format = format;
    return s;
}

// Waits until the deck reports cue-up complete; false after 10 s.
bool AwaitCueUp(DeckClient& c)
{
    for (int i = 0; i < 1000; ++i, c.Wait(10))
        if (c.Status()[2] & 0x01)
            return true;
    return false;
}

TEST(VirtualDeck, BadBlocksGetANakAndChangeNothing)
{
    DeckClient c;
    const int64_t start = c.Frame();
    EXPECT_EQ(Hex(c.SendRaw({0x20, 0x01, 0x22})), "11 12 04 27") << "checksum wrong";
    EXPECT_EQ(Hex(c.Send({0x21, 0x01, 0x00})), "11 12 01 24") << "a data byte play does not take";
    EXPECT_EQ(Hex(c.Send({0x20, 0x7E})), "11 12 01 24") << "unknown command";
    EXPECT_EQ(Hex(c.Send({0x24, 0x31, 0x0A, 0x00, 0x00, 0x01})), "11 12 01 24") << "time not BCD";
    c.Wait(200);
    EXPECT_EQ(c.Frame(), start);
    // A block that stops short times out, and the next one is heard whole.
    EXPECT_TRUE(c.SendRaw({0x24, 0x31, 0x00}).empty());
    EXPECT_EQ(c.deck.NextDueMs(), c.now + sim::kInterByteTimeoutMs);
    c.Wait(sim::kInterByteTimeoutMs);
    EXPECT_EQ(Hex(c.late), "11 12 80 A3");
    c.Command({0x20, 0x01});
    EXPECT_EQ(c.Transport().Mode(), sim::TransportMode::Playing);
}

TEST(VirtualDeck, SenseRepliesAreLaidOutAsADecksAre)
{
    DeckClient c; // still at 01:00:00:00 drop frame
    const struct {
        Bytes sense;
        const char* reply;
    } senses[] = {
        {{0x61, 0x0C, 0x01}, "74 04 40 00 00 01 B9"},             // LTC
        {{0x61, 0x0C, 0x03}, "74 06 40 00 00 01 BB"},             // either: at still VITC reads
        {{0x61, 0x0C, 0x04}, "74 00 00 00 00 00 74"},             // timer 1
        {{0x61, 0x0C, 0x11}, "78 04 40 00 00 01 00 00 00 00 BD"}, // LTC time and user bits
        {{0x61, 0x0C, 0x12}, "11 12 01 24"},                      // two sources in one block
        {{0x61, 0x20, 0x0A}, "7A 20 00 A0 00 00 00 00 00 00 00 00 3A"},
        {{0x61, 0x20, 0x12}, "72 20 A0 00 32"}, // status from D1, two bytes
        {{0x61, 0x20, 0xFF}, "11 12 01 24"},
        {{0x60, 0x2E}, "71 2E 00 9F"},
        {{0x00, 0x11}, "12 11 20 25 68"}, // device type
    };
    for (const auto& s : senses)
        EXPECT_EQ(Hex(c.Send(s.sense)), s.reply) << Hex(s.sense);
    const auto& log = c.deck.Packets();
    EXPECT_DOUBLE_EQ(log.back().ms - log[log.size() - 2].ms, 1.0) << "the default latency";
}

TEST(VirtualDeck, StatusBitsFollowTheTransport)
{
    DeckClient c;
    const struct {
        Bytes command;
        int byte;
        uint8_t mask, bits;
    } cases[] = {
        {{0x20, 0x01}, 1, 0x3F, 0x01},       // play
        {{0x20, 0x10}, 1, 0x3F, 0x04},       // fast forward
        {{0x20, 0x20}, 1, 0x3F, 0x08},       // rewind
        {{0x20, 0x20}, 2, 0x04, 0x04},       // rewind runs backwards
        {{0x21, 0x11, 0x40}, 2, 0x3F, 0x10}, // jog
        {{0x21, 0x22, 0x36}, 2, 0x3F, 0x0C}, // var, reverse
        {{0x21, 0x13, 0x00}, 2, 0x22, 0x22}, // shuttle at speed 0: still
        {{0x20, 0x02}, 1, 0x3F, 0x03},       // crash record: PLAY stays set
        {{0x20, 0x00}, 1, 0x3F, 0x20},       // stop
        {{0x20, 0x0F}, 1, 0x3F, 0x10},       // eject
    };
    for (const auto& k : cases) {
        c.Command(k.command);
        c.Wait(50);
        EXPECT_EQ(c.Status()[k.byte] & k.mask, k.bits) << "after " << Hex(k.command);
    }
    c.Wait(2000);
    EXPECT_EQ(Hex(c.Status()), "20 00 00 00 00 00 00 00 00 00") << "tape out";
    EXPECT_EQ(Hex(c.Send({0x20, 0x01})), "11 12 01 24") << "no tape, no play";

    sim::DeckSettings s;
    s.recordInhibit = true;
    DeckClient inhibited(s);
    EXPECT_EQ(inhibited.Status()[8] & 0x01, 0x01);
    EXPECT_EQ(Hex(inhibited.Send({0x20, 0x02})), "11 12 01 24") << "record inhibited";
}

TEST(VirtualDeck, CueParksOnTheFrameAndPlayKeepsTheFrameRateInEveryFormat)
{
    for (TapeFormatId id : kAllFormats) {
        const sim::TapeFormat& f = FormatOf(id);
        DeckClient c(In(id));
        // Back, then forward onto a drop-frame minute's first label.
        for (const Bytes& target : {TimeData(0, 59, 50, 0), TimeData(1, 10, 0, 0), TimeData(1, 11, 0, 0)}) {
            c.Command(Cat({0x24, 0x31}, target));
            ASSERT_TRUE(AwaitCueUp(c)) << f.name;
            Bytes expect = target;
            if (f.dropFrame)
                expect[0] = target == TimeData(1, 11, 0, 0) ? 0x42 : 0x40; // after the gap
            c.Wait(500);
            EXPECT_EQ(Hex(c.Time()), Hex(expect)) << f.name << ": parked off the cue point";
        }
        const int64_t start = c.Frame();
        c.Command({0x20, 0x01});
        const double t0 = c.deck.Packets().rbegin()[1].ms, period = f.FrameMs();
        EXPECT_EQ(c.deck.Transport(t0 + 100 * period - 0.01).Frame(t0 + 100 * period - 0.01) - start, 99) << f.name;
        EXPECT_EQ(c.deck.Transport(t0 + 100 * period + 0.01).Frame(t0 + 100 * period + 0.01) - start, 100) << f.name;
    }
}

// The controller's edit: presets, a cue to the preroll point, a stop once
// parked, then auto edit; the record point is reached a preroll later.
struct EditRun {
    double startMs = -1, atRecordPointMs = -1;
    std::set<std::string> states; // D1 and D7 bit 0 as status read them
};

EditRun RunAutoEdit(DeckClient& c, const Bytes& preset)
{
    for (const Bytes& b :
         {Bytes{0x40, 0x41}, Bytes{0x44, 0x31, 0x00, 0x02, 0x00, 0x00}, Cat({0x44, 0x14}, TimeData(1, 0, 10, 0)),
          Cat({0x44, 0x15}, TimeData(1, 0, 20, 0)), preset, Cat({0x24, 0x31}, TimeData(1, 0, 8, 0))})
        c.Command(b);
    EXPECT_TRUE(AwaitCueUp(c));
    c.Command({0x20, 0x00});
    EditRun run;
    run.startMs = c.now;
    c.Command({0x20, 0x42});
    for (int i = 0; i < 2000; ++i, c.Wait(5)) {
        const Bytes status = c.Status();
        if (status[1] == 0xA0)
            break;
        run.states.insert(Hex({status[1], uint8_t(status[7] & 0x01)}));
        Bytes t = c.Time();
        t[0] &= 0x3F;
        if (run.atRecordPointMs < 0 && t == TimeData(1, 0, 10, 0))
            run.atRecordPointMs = c.now;
    }
    return run;
}

TEST(VirtualDeck, AutoEditRecordsExactlyInToOutOnThePresetChannels)
{
    const sim::TapeFormat& f = FormatOf(TapeFormatId::Df30);
    const int64_t in = sim::FrameOf(f, {1, 0, 10, 0, false}), out = sim::FrameOf(f, {1, 0, 20, 0, false});
    DeckClient c;
    const EditRun run = RunAutoEdit(c, {0x41, 0x30, 0x53});
    ASSERT_EQ(c.Transport().Segments().size(), 1u);
    const sim::RecordedSegment seg = c.Transport().Segments()[0];
    EXPECT_EQ(seg.first, in);
    EXPECT_EQ(seg.last, out - 1);
    EXPECT_EQ(seg.channels, 0x007u) << "video, audio 1 and 2";
    EXPECT_EQ(seg.kind, sim::RecordKind::Insert);
    EXPECT_EQ(std::vector<std::string>(run.states.begin(), run.states.end()),
              (std::vector<std::string>{"81 00", "83 01"}))
        << "preroll and postroll play; the edit records, PLAY still set";
    const double preroll = run.atRecordPointMs - run.startMs;
    EXPECT_GE(preroll, 60 * f.FrameMs());
    EXPECT_LE(preroll, 61 * f.FrameMs() + 10);
    EXPECT_EQ(c.Frame(), out + 2 * 30) << "parked two seconds past the out point";
}

} // namespace
