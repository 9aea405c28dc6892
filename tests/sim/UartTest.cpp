#include "RackClient.h"

#include "sim/SerialLine.h"
#include "sim/SimUart.h"

using namespace simtest;

namespace {

// Records what it hears and answers each byte with a burst of copies.
class ChattyPeer : public sim::SerialPeer {
public:
    ChattyPeer(std::vector<double>* heardAt, size_t burst) : heardAt_(heardAt), burst_(burst) {}
    void FromHost(uint8_t byte, double atMs, sim::SerialLine& line) override
    {
        heardAt_->push_back(atMs);
        const std::vector<uint8_t> reply(burst_, byte);
        line.SendToHost(reply.data(), reply.size(), atMs + 1.0);
    }

private:
    std::vector<double>* heardAt_;
    size_t burst_;
};

class Uart : public SerialTest {};

}  // namespace

TEST_F(Uart, LoopbackReturnsEveryByteInOrderWithInterrupts)
{
    Use("type=4 line=loop");
    Board board(0);
    Listen(board);
    EXPECT_EQ(kUartHasRs422, board.Read(kRegisterUartControl));
    SwitchOn(board);
    EXPECT_EQ(kUartHasRs422 | kUartOnBits, board.Read(kRegisterUartControl));

    const std::vector<uint8_t> packet = {0x20, 0x01, 0x21};
    for (uint8_t byte : packet)
        ASSERT_TRUE(board.Write(kRegisterUartTransmit, byte));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(sent, 5000)) << "no transmit-done interrupt";

    std::vector<uint8_t> back;
    EXPECT_TRUE(Eventually([&] {
        WaitForSingleObject(received, 50);
        Drain(board, &back);
        return back.size() >= packet.size();
    }));
    EXPECT_EQ(packet, back);
    EXPECT_EQ(0u, board.Read(kRegisterUartReceive)) << "an empty FIFO reads 0";
    EXPECT_EQ(3u, rack.InterruptCount(0, kInterruptUartReceive));
    EXPECT_GE(rack.InterruptCount(0, kInterruptUartTransmit), 1u);

    // Written back with the receive-ready bit set, that bit is not stored.
    ASSERT_TRUE(board.Write(kRegisterUartTransmit, 0x7E));
    EXPECT_TRUE(Eventually([&] { return (board.Read(kRegisterUartControl) & kUartReceiveReady) != 0; }));
    SwitchOn(board);
    EXPECT_EQ(kUartOnBits, rack.Uart(0).control);
    Bytes read = board.Request(kPropertyRegister, kFlagGet, 40, {{24, kRegisterUartReceive}, {32, 0xFF}});
    DWORD got = 0;
    EXPECT_FALSE(Api().deviceIoControl(board.handle(), kBoardRequestCode, read.data(), 40, read.data(), 39, &got,
                                       nullptr));
    EXPECT_EQ(0x7Eu, board.Read(kRegisterUartReceive)) << "a read refused for its output took the byte";
}

TEST_F(Uart, BytesWrittenWhileOffVanishAndSwitchingOffFlushes)
{
    Use("type=4 line=loop");
    Board board(0);
    Listen(board);
    ASSERT_TRUE(board.Write(kRegisterUartTransmit, 0x55));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(sent, 200)) << "transmit-done for a UART that is off";
    EXPECT_EQ(0u, rack.Uart(0).bytesToLine);

    // Far more than can leave before the switch-off that follows.
    SwitchOn(board);
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(board.Write(kRegisterUartTransmit, static_cast<uint32_t>(i)));
    ASSERT_TRUE(board.Write(kRegisterUartControl, 0));
    ResetEvent(sent);
    EXPECT_EQ(kUartHasRs422, board.Read(kRegisterUartControl)) << "receive FIFO not flushed";
    const sim::UartStatus off = rack.Uart(0);
    EXPECT_FALSE(off.on);
    EXPECT_EQ(0u, off.transmitQueued);
    EXPECT_LT(off.bytesToLine, 1000u);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(sent, 200)) << "transmit-done after the flush";
    EXPECT_EQ(off.bytesFromLine, rack.Uart(0).bytesFromLine) << "bytes kept arriving after the switch-off";
    EXPECT_EQ(0u, rack.Uart(0).receiveWaiting);
}

TEST_F(Uart, BytesLeaveOneWireByteApartAndAFullFifoDropsTheRest)
{
    Use("type=4");
    std::vector<double> heardAt;
    rack.SetSerialPeer(0, std::make_unique<ChattyPeer>(&heardAt, 100));
    Board board(0);
    Listen(board);
    SwitchOn(board);
    for (uint8_t byte : {0xA1, 0xB2, 0xC3})
        ASSERT_TRUE(board.Write(kRegisterUartTransmit, byte));
    ASSERT_TRUE(Eventually([&] { return rack.Uart(0).bytesFromLine == 300; }))
        << "arrived " << rack.Uart(0).bytesFromLine;

    ASSERT_EQ(3u, heardAt.size());
    for (size_t i = 1; i < heardAt.size(); ++i)
        EXPECT_GE(heardAt[i] - heardAt[i - 1], sim::kWireByteMs - 1e-9) << "bytes overlapped on the wire";
    const sim::UartStatus status = rack.Uart(0);
    EXPECT_EQ(static_cast<uint32_t>(sim::SimUart::kReceiveFifoBytes), status.receiveWaiting);
    EXPECT_EQ(300u - status.receiveWaiting, status.receiveOverflows);

    std::vector<uint8_t> got;
    Drain(board, &got);
    ASSERT_EQ(status.receiveWaiting, got.size());
    EXPECT_EQ(0xA1, got[0]);
    EXPECT_EQ(0xA1, got[99]);
    EXPECT_EQ(0xB2, got[100]);
    EXPECT_EQ(0xC3, got.back()) << "the oldest bytes are kept, the newest dropped";
}
