#include "RackClient.h"

#include "sim/DeckPeer.h"
#include "sim/SerialLine.h"
#include "sim/deck/VirtualVtr.h"

#include <cmath>
#include <memory>

using namespace simtest;

namespace {

const Bytes kAck = {0x10, 0x01, 0x11};

uint8_t Sum(const Bytes& bytes, size_t count)
{
    uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum = static_cast<uint8_t>(sum + bytes[i]);
    return sum;
}

class DeckWire : public SerialTest {
protected:
    // Interrupts 14 and 15 enabled, so that the board counts them, and the
    // UART on.
    void Ready(const Board& board)
    {
        for (uint32_t type : {kInterruptUartReceive, kInterruptUartTransmit})
            EXPECT_TRUE(board.Interrupt(true, type));
        SwitchOn(board);
    }
    // A command block through register 70, byte by byte, checksum added.
    void Send(const Board& board, Bytes block)
    {
        block.push_back(Sum(block, block.size()));
        for (uint8_t byte : block)
            ASSERT_TRUE(board.Write(kRegisterUartTransmit, byte));
    }
    // What comes back: until 'expected' bytes are in, or waitMs has passed.
    Bytes Exchange(const Board& board, const Bytes& block, size_t expected, DWORD waitMs = 2000)
    {
        Send(board, block);
        Bytes reply;
        Eventually(
            [&] {
                Drain(board, &reply);
                return reply.size() >= expected;
            },
            waitMs);
        return reply;
    }
};

}  // namespace

TEST_F(DeckWire, AckComesAfterTheLatencyAndTheWireTime)
{
    const double latencyMs = 20;
    Use("type=4 latency=20");
    Board board(0);
    Ready(board);

    const double start = sim::RackClockMs();
    Send(board, {0x20, 0x01});
    // Three bytes out, the deck's latency, then the first byte in.
    const double firstDue = 4 * sim::kWireByteMs + latencyMs;
    ASSERT_TRUE(Eventually([&] { return (board.Read(kRegisterUartControl) & kUartReceiveReady) != 0; }))
        << "no reply";
    const double seen = sim::RackClockMs() - start;
    EXPECT_GE(seen, firstDue - 1e-6) << "reply early";
    EXPECT_LT(seen, firstDue + 500) << "reply late";

    Bytes reply;
    ASSERT_TRUE(Eventually([&] {
        Drain(board, &reply);
        return reply.size() >= 3;
    }));
    EXPECT_GE(sim::RackClockMs() - start, firstDue + 2 * sim::kWireByteMs - 1e-6) << "bytes overlapped";
    EXPECT_EQ(kAck, reply);
    EXPECT_EQ(3u, board.Count(kInterruptUartReceive)) << "one receive interrupt a byte";
    EXPECT_GE(board.Count(kInterruptUartTransmit), 1u);
    EXPECT_EQ(3u, rack.Uart(0).bytesToLine);
}

TEST_F(DeckWire, SensesReportTheDecksState)
{
    Use("type=4; type=4 tape=no remote=no");
    Board board(0);
    Ready(board);

    Bytes status = Exchange(board, {0x61, 0x20, 0x0A}, 13);
    ASSERT_EQ(13u, status.size());
    EXPECT_EQ(0x7A, status[0]);
    EXPECT_EQ(0x20, status[1]);
    EXPECT_EQ(Sum(status, 12), status[12]) << "checksum";
    EXPECT_EQ(0, status[2] & 0x21) << "local or tape out: D0 " << int(status[2]);
    EXPECT_EQ(0x20, status[3] & 0x21) << "not stopped: D1 " << int(status[3]);

    // 01:00:00:00 drop frame: frames byte with bit 6 set.
    EXPECT_EQ(Bytes({0x74, 0x04, 0x40, 0x00, 0x00, 0x01, 0xB9}), Exchange(board, {0x61, 0x0C, 0x01}, 7));

    EXPECT_EQ(kAck, Exchange(board, {0x20, 0x01}, 3));
    status = Exchange(board, {0x61, 0x20, 0x0A}, 13);
    ASSERT_EQ(13u, status.size());
    EXPECT_EQ(0x01, status[3] & 0x21) << "not playing: D1 " << int(status[3]);
    Sleep(200);
    const Bytes time = Exchange(board, {0x61, 0x0C, 0x01}, 7);
    ASSERT_EQ(7u, time.size());
    EXPECT_EQ(0x40, time[2] & 0x40) << "drop-frame flag lost";
    EXPECT_NE(Bytes({0x40, 0x00, 0x00, 0x01}), Bytes(time.begin() + 2, time.begin() + 6)) << "tape did not move";

    Board other(1);
    Ready(other);
    status = Exchange(other, {0x61, 0x20, 0x0A}, 13);
    ASSERT_EQ(13u, status.size());
    EXPECT_EQ(0x21, status[2] & 0x21) << "local with no tape: D0 " << int(status[2]);
}

TEST_F(DeckWire, FaultsConfiguredPerBoard)
{
    Use("type=4 silent=yes; type=4 unplug=50; type=4 nak=yes");
    Board silent(0), unplugged(1), refusing(2);
    for (const Board* b : {&silent, &unplugged, &refusing})
        Ready(*b);

    EXPECT_EQ(Bytes(), Exchange(silent, {0x20, 0x01}, 1, 150));
    EXPECT_EQ(0u, silent.Count(kInterruptUartReceive));
    sim::TransportMode mode = sim::TransportMode::Stopped;
    EXPECT_TRUE(rack.WithDeck(0, [&](sim::VirtualVtr& deck, double now) { mode = deck.Transport(now).Mode(); }));
    EXPECT_EQ(sim::TransportMode::Playing, mode) << "a silent deck still obeys";

    EXPECT_EQ(7u, Exchange(unplugged, {0x61, 0x0C, 0x01}, 7).size()) << "gone before its time";
    Sleep(100);
    EXPECT_EQ(Bytes(), Exchange(unplugged, {0x61, 0x0C, 0x01}, 1, 150));
    EXPECT_EQ(7u, rack.Uart(1).bytesFromLine);

    const Bytes nak = Exchange(refusing, {0x20, 0x01}, 4);
    ASSERT_EQ(4u, nak.size());
    EXPECT_EQ(0x11, nak[0]);
    EXPECT_EQ(0x12, nak[1]);
    EXPECT_EQ(Sum(nak, 3), nak[3]) << "checksum";
}

TEST_F(DeckWire, WithDeckSeesWhatTheWireDid)
{
    Use("type=4; type=4 rs422=no");
    Board board(0);
    Ready(board);
    ASSERT_EQ(kAck, Exchange(board, {0x20, 0x01}, 3));

    struct Look {
        sim::TransportMode mode;
        int64_t frame;
        double ms;
    } first{}, second{};
    size_t packets = 0;
    const auto look = [&](Look* into) {
        return rack.WithDeck(0, [&](sim::VirtualVtr& deck, double now) {
            sim::DeckTransport& transport = deck.Transport(now);
            *into = {transport.Mode(), transport.Frame(now), now};
            packets = deck.Packets().size();
        });
    };
    ASSERT_TRUE(look(&first));
    Sleep(300);
    ASSERT_TRUE(look(&second));
    EXPECT_EQ(sim::TransportMode::Playing, second.mode);
    const double expected = (second.ms - first.ms) / sim::FormatOf(sim::TapeFormatId::Df30).FrameMs();
    EXPECT_NEAR(expected, static_cast<double>(second.frame - first.frame), 1.5) << "not at play speed";
    EXPECT_EQ(2u, packets) << "the command and its acknowledgement";

    EXPECT_FALSE(rack.WithDeck(1, [](sim::VirtualVtr&, double) {})) << "a deck on a board with no port";
    rack.SetSerialPeer(0, nullptr);
    EXPECT_FALSE(rack.WithDeck(0, [](sim::VirtualVtr&, double) {}));
    sim::DeckSettings settings;
    settings.format = sim::TapeFormatId::Fps25;
    rack.SetSerialPeer(0, std::make_unique<sim::DeckPeer>(settings, sim::RackClockMs()));
    EXPECT_EQ(Bytes({0x74, 0x04, 0x00, 0x00, 0x00, 0x01, 0x79}), Exchange(board, {0x61, 0x0C, 0x01}, 7))
        << "a deck wired in by the test";
}
