// The deck's side of the wire: framing, refusals, sense replies, faults.
#include "tests/deck/DeckClient.h"

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
    // Default deck: 01:00:00:00 drop frame, from LTC, VITC or either.
    EXPECT_EQ(Hex(c.Send({0x61, 0x0C, 0x01})), "74 04 40 00 00 01 B9");
    EXPECT_EQ(Hex(c.Send({0x61, 0x0C, 0x02})), "74 06 40 00 00 01 BB");
    EXPECT_EQ(Hex(c.Send({0x61, 0x0C, 0x03})), "74 06 40 00 00 01 BB");  // still: VITC reads
    EXPECT_EQ(Hex(c.Send({0x61, 0x0C, 0x08})), "11 12 01 24");

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
    EXPECT_EQ(c.Send({0x00, 0x11}).size(), 5u);

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
