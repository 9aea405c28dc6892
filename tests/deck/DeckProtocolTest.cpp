// The deck's side of the wire: framing, refusals, sense replies, faults.
#include "support/DeckClient.h"

using namespace decktest;

namespace {

TEST(DeckProtocol, BadBlocksGetANakAndChangeNothing)
{
    DeckClient c;
    const int64_t start = c.Frame();

    // Play with its checksum wrong.
    EXPECT_EQ(Hex(c.SendRaw({0x20, 0x01, 0x22})), "11 12 04 27");
    // Play with a data byte it does not take, and a command no deck knows.
    EXPECT_EQ(Hex(c.Send({0x21, 0x01, 0x00})), "11 12 01 24");
    EXPECT_EQ(Hex(c.Send({0x20, 0x7E})), "11 12 01 24");
    // A cue whose time is not BCD.
    EXPECT_EQ(Hex(c.Send({0x24, 0x31, 0x0A, 0x00, 0x00, 0x01})), "11 12 01 24");
    c.Wait(200);
    EXPECT_EQ(c.Frame(), start);
    EXPECT_EQ(c.Transport().Mode(), sim::TransportMode::Stopped);

    // A block that stops short times out, and the next one is heard whole.
    EXPECT_TRUE(c.SendRaw({0x24, 0x31, 0x00}).empty());
    EXPECT_EQ(c.deck.NextDueMs(), c.now + sim::kInterByteTimeoutMs);
    c.Wait(sim::kInterByteTimeoutMs);
    EXPECT_EQ(Hex(c.late), "11 12 80 A3");
    c.Command({0x20, 0x01});
    EXPECT_EQ(c.Transport().Mode(), sim::TransportMode::Playing);
}

TEST(DeckProtocol, SenseRepliesAreLaidOutAsTheProtocolSays)
{
    DeckClient c;
    // Default deck: still at 01:00:00:00 drop frame, timers at zero, no
    // user bits on the tape.
    const struct {
        uint8_t which;
        const char* reply;
    } timeSenses[] = {
        {0x01, "74 04 40 00 00 01 B9"},                    // LTC
        {0x02, "74 06 40 00 00 01 BB"},                    // VITC
        {0x03, "74 06 40 00 00 01 BB"},                    // either: at still VITC reads
        {0x04, "74 00 00 00 00 00 74"},                    // timer 1
        {0x08, "74 01 00 00 00 00 75"},                    // timer 2
        {0x10, "74 05 00 00 00 00 79"},                    // LTC user bits
        {0x20, "74 07 00 00 00 00 7B"},                    // VITC user bits
        {0x30, "74 07 00 00 00 00 7B"},
        {0x11, "78 04 40 00 00 01 00 00 00 00 BD"},        // LTC time and user bits
        {0x33, "78 06 40 00 00 01 00 00 00 00 BF"},
        {0x12, "11 12 01 24"},                             // two sources in one block
        {0x0C, "11 12 01 24"},
        {0x40, "11 12 01 24"},
    };
    for (const auto& sense : timeSenses)
        EXPECT_EQ(Hex(c.Send({0x61, 0x0C, sense.which})), sense.reply) << "time sense " << int(sense.which);

    // Status from any start for any length.
    const Bytes status = c.Status();
    EXPECT_EQ(status[1], 0xA0);  // standby, stop
    const Bytes part = c.Send({0x61, 0x20, 0x12});
    ASSERT_EQ(part.size(), 5u);
    EXPECT_EQ(part[0], 0x72);
    EXPECT_EQ(part[2], status[1]);
    EXPECT_EQ(part[3], status[2]);
    EXPECT_EQ(Hex(c.Send({0x61, 0x20, 0xFF})), "11 12 01 24");

    EXPECT_EQ(Hex(c.Send({0x60, 0x2E})), "71 2E 00 9F");
    c.Command({0x21, 0x13, 0x5D});
    EXPECT_EQ(Hex(c.Send({0x60, 0x2E})), "71 2E 5D FC");
    EXPECT_EQ(Hex(c.Send({0x00, 0x11})), "12 11 20 25 68");  // device type

    // Every block in and out is logged with its time.
    const auto& log = c.deck.Packets();
    ASSERT_GE(log.size(), 2u);
    const sim::LoggedPacket& in = log[log.size() - 2];
    const sim::LoggedPacket& out = log.back();
    EXPECT_EQ(in.direction, sim::LoggedPacket::Direction::FromController);
    EXPECT_EQ(Hex(in.bytes), "00 11 11");
    EXPECT_EQ(out.direction, sim::LoggedPacket::Direction::ToController);
    EXPECT_DOUBLE_EQ(out.ms - in.ms, 1.0);  // the default latency
}

TEST(DeckProtocol, EditPointsAreSetSensedAndReset)
{
    DeckClient c;
    const Bytes none = {0, 0, 0, 0};
    const Bytes in = {0x40, 0x10, 0x00, 0x01}, out = {0x40, 0x20, 0x00, 0x01};
    const Bytes here = {0x40, 0x00, 0x00, 0x01}, audioOut = {0x40, 0x30, 0x00, 0x01};
    // Each step, then status D3's low nibble (in, out, audio in, audio out
    // set) and what the four data senses give.
    const struct {
        Bytes command;
        uint8_t setBits;
        Bytes points[4];
    } steps[] = {
        {Cat({0x44, 0x14}, TimeData(1, 0, 10, 0)), 0x01, {in, none, none, none}},
        {Cat({0x44, 0x15}, TimeData(1, 0, 20, 0)), 0x03, {in, out, none, none}},
        {{0x40, 0x12}, 0x07, {in, out, here, none}},  // audio in entry: where the tape stands
        {Cat({0x44, 0x17}, TimeData(1, 0, 30, 0)), 0x0F, {in, out, here, audioOut}},
        {{0x40, 0x20}, 0x0E, {none, out, here, audioOut}},
        {{0x40, 0x22}, 0x0A, {none, out, none, audioOut}},
    };
    for (const auto& step : steps) {
        c.Command(step.command);
        EXPECT_EQ(c.Status()[3] & 0x0F, step.setBits) << "after " << Hex(step.command);
        for (uint8_t point = 0; point < 4; ++point) {
            const uint8_t cmd2 = static_cast<uint8_t>(0x10 + point);
            EXPECT_EQ(Hex(c.Send({0x60, cmd2})), Hex(WithChecksum(Cat({0x74, cmd2}, step.points[point]))))
                << "after " << Hex(step.command);
        }
    }
    // The preroll comes back as it was preset: a duration, without flags.
    EXPECT_EQ(Hex(c.Send({0x60, 0x31})), "74 31 00 00 00 00 A5");
    c.Command({0x44, 0x31, 0x00, 0x05, 0x00, 0x00});
    EXPECT_EQ(Hex(c.Send({0x60, 0x31})), "74 31 00 05 00 00 AA");

    // The timers count tape travel both ways, wrapping below zero.
    c.Command(Cat({0x24, 0x31}, TimeData(0, 59, 59, 0)));
    c.Wait(2000);
    EXPECT_EQ(Hex(c.Send({0x61, 0x0C, 0x04})), "74 00 00 59 59 23 49");
}

TEST(DeckProtocol, FaultsShowOnTheWire)
{
    sim::DeckSettings s;
    s.faults.silent = true;
    DeckClient silent(s);
    EXPECT_TRUE(silent.Send({0x20, 0x01}).empty());
    silent.Wait(100);
    EXPECT_EQ(silent.Transport().Mode(), sim::TransportMode::Playing) << "a silent deck still obeys";

    s = {};
    s.faults.nakAll = true;
    DeckClient naks(s);
    EXPECT_EQ(Hex(naks.Send({0x61, 0x0C, 0x01})), "11 12 01 24");

    s = {};
    s.faults.truncateEvery = 2;
    s.faults.garbleEvery = 3;
    DeckClient noisy(s);
    EXPECT_EQ(noisy.Send({0x20, 0x00}).size(), 3u);
    EXPECT_EQ(noisy.Send({0x61, 0x0C, 0x01}).size(), 3u);  // second: cut in half
    EXPECT_NE(Hex(noisy.Send({0x20, 0x00})), "10 01 11");    // third: garbled

    s = {};
    s.faults.overlongEvery = 1;
    DeckClient overlong(s);
    EXPECT_EQ(overlong.Send({0x20, 0x00}).size(), 43u) << "the ack runs on past its checksum";

    s = {};
    s.faults.randomSeed = 7;
    DeckClient random(s), again(s);
    for (int i = 0; i < 20; ++i) {
        const std::vector<uint8_t> reply = random.Send({0x61, 0x0C, 0x01});
        EXPECT_TRUE(reply.size() >= 1 && reply.size() <= 40) << reply.size();
        EXPECT_EQ(Hex(reply), Hex(again.Send({0x61, 0x0C, 0x01}))) << "a seed gives the same replies";
    }

    s = {};
    s.faults.unplugAfterMs = 50;
    DeckClient unplugged(s);
    unplugged.Command({0x20, 0x01});
    unplugged.Wait(60);
    EXPECT_TRUE(unplugged.Send({0x20, 0x00}).empty());
    EXPECT_EQ(unplugged.Transport().Mode(), sim::TransportMode::Playing) << "an unplugged deck hears nothing";
}

}  // namespace
