#include "RackClient.h"

using namespace simtest;

namespace {

class BoardRequests : public RackTest {};

bool Signalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

}  // namespace

TEST_F(BoardRequests, RegistersApplyMaskAndShift)
{
    Use("type=4");
    Board board(0);
    EXPECT_EQ(0u, board.Read(300)) << "plain registers start at 0";
    ASSERT_TRUE(board.Write(300, 0xABCD1234));
    uint32_t v = 0;
    ASSERT_TRUE(board.Read(300, &v, 0xFF00, 8));
    EXPECT_EQ(0x12u, v);
    ASSERT_TRUE(board.Write(300, 0x5, 0x78, 3));
    EXPECT_EQ(0xABCD122Cu, board.Read(300)) << "only bits 3 to 6 may change";
    ASSERT_TRUE(board.Write(300, 0xF, 0xF0000000, 28));
    EXPECT_EQ(0xFBCD122Cu, board.Read(300));
    ASSERT_TRUE(board.Read(300, &v, 0xFFFFFFFF, 32));
    EXPECT_EQ(0u, v) << "a shift of 32 or more leaves nothing";
    ASSERT_TRUE(board.Write(300, 0xFFFFFFFF, 0x0000FFFF, 40));
    EXPECT_EQ(0xFBCD0000u, board.Read(300)) << "a shift of 40 writes zeros into the mask";
}

TEST_F(BoardRequests, SpecialRegistersReportTheConfiguration)
{
    Use("type=2 id=0x1234 fb=9 aes=yes flags=0x2001; type=4 rs422=no fb=0");
    Board board(0);
    uint32_t v = 0;
    ASSERT_TRUE(board.Read(kRegisterControl, &v, kFrameBufferFormatMask, kFrameBufferFormatShift));
    EXPECT_EQ(9u, v);
    ASSERT_TRUE(board.Read(kRegisterAudioControl, &v, kAudioAesInputBit, 21));
    EXPECT_EQ(1u, v);
    EXPECT_TRUE(board.Write(kRegisterAudioControl, 0x5));
    EXPECT_EQ(kAudioAesInputBit | 0x5, board.Read(kRegisterAudioControl)) << "the AES bit follows the input";
    EXPECT_EQ(0x1234u, board.Read(kRegisterBoardId));
    EXPECT_TRUE(board.Write(kRegisterBoardId, 7));
    EXPECT_EQ(0x1234u, board.Read(kRegisterBoardId)) << "board ID is read-only";
    EXPECT_EQ(0x2001u, board.Read(kRegisterDriverFlags));
    EXPECT_EQ(kUartHasRs422, board.Read(kRegisterUartControl));

    Board plain(1);
    EXPECT_EQ(0u, plain.Read(kRegisterUartControl)) << "a board without a port has no UART";
    EXPECT_TRUE(plain.Write(kRegisterUartControl, kUartOnBits));
    EXPECT_TRUE(plain.Write(kRegisterUartTransmit, 0x20));
    EXPECT_EQ(0u, plain.Read(kRegisterUartControl));
    EXPECT_EQ(0u, rack.Uart(1).transmitQueued + rack.Uart(1).bytesToLine) << "a byte went out of no port";
}

TEST_F(BoardRequests, MalformedRequestsAreRefusedAndLogged)
{
    Use("type=4");
    Board board(0);
    rack.ClearLog();
    const auto error = [&](Bytes r, DWORD inSize, DWORD outSize, DWORD code = kBoardRequestCode) {
        DWORD got = 0xDEAD;
        Bytes out(outSize + 1);
        EXPECT_FALSE(
            Api().deviceIoControl(board.handle(), code, r.data(), inSize, out.data(), outSize, &got, nullptr));
        EXPECT_EQ(0u, got);
        return GetLastError();
    };
    Bytes read = board.Request(kPropertyRegister, kFlagGet, 40, {{24, kRegisterBoardId}});
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FUNCTION), error(read, 40, 40, 0x2F0007));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), error(read, 20, 40)) << "header cut short";
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), error(read, 36, 40));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), error(read, 40, 39));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), error(Record(2, 0, 1, 40), 40, 40)) << "another type's set";
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), error(board.Request(99, kFlagGet, 40), 40, 40));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), error(board.Request(0, 3, 40), 40, 40));
    DWORD got = 0;
    EXPECT_FALSE(Api().deviceIoControl(reinterpret_cast<HANDLE>(0x1234), kBoardRequestCode, read.data(), 40,
                                       read.data(), 40, &got, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    const std::vector<sim::LoggedCall> log = rack.Log();
    ASSERT_EQ(8u, log.size());
    EXPECT_EQ(sim::Call::IoControl, log[0].call);
    EXPECT_EQ(0, log[0].board);
    EXPECT_EQ(read, log[0].request) << "the request bytes as sent";
    EXPECT_EQ(20u, log[1].request.size());
    EXPECT_EQ(99u, log[5].propertyId);
    EXPECT_EQ(-1, log[7].board);
    EXPECT_FALSE(log[7].succeeded);
}

TEST_F(BoardRequests, SubscriptionsInBothFormsAreSignalledAndReleased)
{
    Use("type=4");
    Board board(0), second(0);
    HANDLE a = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE b = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE c = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE d = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_TRUE(board.Interrupt(true, 3));
    EXPECT_TRUE(board.Interrupt(true, 5));
    EXPECT_TRUE(board.Subscribe(true, 3, a));
    EXPECT_TRUE(board.Subscribe(true, 3, c)) << "subscribing again replaces";
    EXPECT_TRUE(board.SubscribeByAddress(true, 5, &b));
    EXPECT_TRUE(second.Subscribe(true, 3, d));
    EXPECT_TRUE(board.Subscribe(true, 6, a)) << "subscribing to a disabled type is allowed";
    EXPECT_EQ(4, rack.LiveSubscriptions());

    // The driver holds its own reference: the caller's close does not end it.
    HANDLE callerCopy;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), c, GetCurrentProcess(), &callerCopy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    CloseHandle(c);
    rack.RaiseInterrupt(0, 3);
    EXPECT_TRUE(Signalled(callerCopy));
    EXPECT_TRUE(Signalled(d)) << "every subscriber of the board is told";
    EXPECT_FALSE(Signalled(a)) << "the replaced event was still signalled";
    rack.RaiseInterrupt(0, 5);
    EXPECT_TRUE(Signalled(b));
    rack.RaiseInterrupt(0, 6);
    EXPECT_FALSE(Signalled(a)) << "a disabled interrupt was signalled";
    EXPECT_EQ(1u, board.Count(3));
    EXPECT_EQ(0u, board.Count(6));
    EXPECT_TRUE(board.Interrupt(false, 3));
    rack.RaiseInterrupt(0, 3);
    EXPECT_FALSE(Signalled(callerCopy));
    EXPECT_EQ(1u, rack.InterruptCount(0, 3));

    for (uint32_t refused : {1u, 12u, 13u, 16u})
        EXPECT_FALSE(board.Subscribe(true, refused, a)) << "type " << refused;
    for (uint32_t refused : {1u, 13u, 16u})
        EXPECT_FALSE(board.SubscribeByAddress(true, refused, &a)) << "type " << refused;
    EXPECT_FALSE(board.SubscribeByAddress(true, 7, nullptr));
    EXPECT_FALSE(board.SubscribeByAddress(true, 7, reinterpret_cast<HANDLE*>(0x10))) << "an unreadable address";
    HANDLE none = nullptr;
    EXPECT_FALSE(board.SubscribeByAddress(true, 7, &none));
    EXPECT_FALSE(board.Subscribe(true, 7, nullptr));
    EXPECT_FALSE(board.Interrupt(true, 16));
    EXPECT_EQ(4, rack.LiveSubscriptions());

    EXPECT_TRUE(board.SubscribeByAddress(false, 5, &b));
    EXPECT_EQ(3, rack.LiveSubscriptions());
    board.Close();
    EXPECT_EQ(1, rack.LiveSubscriptions()) << "closing a handle drops only its own subscriptions";
    second.Close();
    EXPECT_EQ(0, rack.LiveSubscriptions());
    for (HANDLE h : {a, b, d, callerCopy})
        CloseHandle(h);
}

TEST_F(BoardRequests, MappingsAndDmaBuffersAreAccounted)
{
    Use("type=4");
    Board board(0);
    uintptr_t address[3] = {};
    for (uint8_t kind = 0; kind < 3; ++kind) {
        Bytes map = board.Request(kPropertyMapping, kFlagGet, kLayout.mappingSize, {{kLayout.mappingKind, kind}});
        ASSERT_TRUE(board.Send(map)) << "kind " << int(kind);
        address[kind] = AddressAt(map, kLayout.mappingAddress);
    }
    EXPECT_TRUE(address[0] && address[0] != address[1] && address[1] != address[2] && address[2] != address[0]);
    EXPECT_EQ(3, rack.LiveMappings());
    const auto unmap = [&](uintptr_t at, uint8_t kind) {
        Bytes r = board.Request(kPropertyMapping, kFlagSet, kLayout.mappingSize, {{kLayout.mappingKind, kind}});
        PutAddress(r, kLayout.mappingAddress, at);
        return board.Send(r);
    };
    EXPECT_FALSE(unmap(address[0], 1)) << "another kind's address";
    EXPECT_TRUE(unmap(address[1], 1));
    EXPECT_FALSE(unmap(address[1], 1)) << "unmapped twice";
    EXPECT_EQ(2, rack.LiveMappings());

    const auto dma = [&](uint32_t flags, uintptr_t host, uint32_t count) {
        Bytes r = board.Request(kPropertyDma, flags, kLayout.dmaSize,
                                {{kLayout.dmaByteCount, count}, {kLayout.dmaSynchronous, flags == kFlagSet}});
        PutAddress(r, kLayout.dmaHostAddress, host);
        return board.Send(r);
    };
    EXPECT_TRUE(dma(kFlagGet, 0x1000, 4096));
    EXPECT_TRUE(dma(kFlagGet, 0x2000, 512));
    EXPECT_TRUE(dma(kFlagSet, 0x1000, 0));
    EXPECT_TRUE(dma(kFlagSet, 0x9000, 0)) << "unlocking what was never locked";
    const std::vector<sim::DmaBuffer> locked = rack.LockedDmaBuffers(0);
    ASSERT_EQ(1u, locked.size());
    EXPECT_EQ(0x2000u, locked[0].address);
    EXPECT_EQ(512u, locked[0].byteCount);

    board.Close();
    EXPECT_EQ(0, rack.LiveMappings()) << "closing the handle unmaps what it mapped";
}

TEST_F(BoardRequests, FaultsMatchInOrderAndCountDown)
{
    Use("type=4; type=4");
    Board first(0), second(1);
    sim::Fault once;
    once.propertyId = kPropertyRegister;
    once.registerNumber = kRegisterUartControl;
    once.board = 1;
    once.skip = 1;
    once.remaining = 1;
    rack.AddFault(once);
    uint32_t v;
    EXPECT_TRUE(first.Read(kRegisterUartControl, &v)) << "fault for another board";
    EXPECT_TRUE(second.Read(kRegisterBoardId, &v)) << "fault for another register";
    EXPECT_TRUE(second.Read(kRegisterUartControl, &v)) << "the call to skip";
    EXPECT_FALSE(second.Read(kRegisterUartControl, &v));
    EXPECT_EQ(static_cast<DWORD>(ERROR_GEN_FAILURE), GetLastError());
    EXPECT_TRUE(second.Read(kRegisterUartControl, &v)) << "a fault of count 1 struck twice";

    sim::Fault shortOutput;
    shortOutput.propertyId = kPropertyRegister;
    shortOutput.flags = kFlagGet;
    shortOutput.mode = sim::FaultMode::ShortOutput;
    shortOutput.remaining = 1;
    rack.AddFault(shortOutput);
    sim::Fault garbage = shortOutput;
    garbage.mode = sim::FaultMode::Garbage;
    rack.AddFault(garbage);  // strikes once the first is spent
    Bytes r = first.Request(kPropertyRegister, kFlagGet, 40, {{24, kRegisterBoardId}, {32, 0xFFFFFFFF}});
    DWORD got = 0;
    EXPECT_TRUE(first.Send(r, &got));
    EXPECT_LT(got, 40u);
    EXPECT_EQ(0x10440u, WordAt(r, 28));
    const Bytes before = r;
    EXPECT_TRUE(first.Send(r, &got));
    EXPECT_EQ(40u, got);
    EXPECT_NE(before, r) << "garbage left the output as it was";

    rack.ClearFaults();
    sim::Fault open;
    open.call = sim::Call::CreateFile;
    open.remaining = 1;
    rack.AddFault(open);
    sim::Fault enumerate;
    enumerate.call = sim::Call::GetClassDevs;
    rack.AddFault(enumerate);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(rack.DevicePath(0), 3));
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              Api().getClassDevs(BoardTypeGuid(4), nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              Api().getClassDevs(BoardTypeGuid(4), nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE))
        << "a fault for ever stopped";
    EXPECT_EQ(0, rack.LiveInfoSets());
    EXPECT_EQ(2, rack.LiveDeviceHandles());
}

TEST_F(BoardRequests, NoRequestWritesPastItsOutput)
{
    Use("type=4");
    Board board(0);
    struct Case {
        const char* name;
        uint32_t id, flags, word24, word28, word32;
        DWORD inSize, outSize;
    };
    const Case cases[] = {
        {"register read", kPropertyRegister, kFlagGet, 300, 0, 0xFFFFFFFF, 40, 40},
        {"register write", kPropertyRegister, kFlagSet, 300, 1, 0xFFFFFFFF, 40, 40},
        {"map", kPropertyMapping, kFlagGet, 0, 0, 0, kLayout.mappingSize, kLayout.mappingSize},
        {"interrupt", kPropertyInterrupt, kFlagGet, 0, 14, 0, 32, 32},
        {"count", kPropertyInterruptCount, kFlagGet, 0, kInterruptCountMarker, 14, 40, 40},
        {"dma", kPropertyDma, kFlagSet, 0, 0, 0, kLayout.dmaSize, kLayout.dmaSize},
        {"command", kPropertyCirculateCommand, kFlagSet, 1, 0, 0, 56, 56},
        {"status", kPropertyCirculateStatus, kFlagGet, 4, 0, 0, 112, 112},
        {"frame stamp", kPropertyCirculateFrameStamp, kFlagGet, 5, 0, 0, 168, 168},
        {"transfer", kPropertyCirculateTransfer, kFlagGet, 8, 0, 0, kLayout.transferSize, 160},
        {"transfer with extra data", kPropertyCirculateTransferEx, kFlagGet, 11, 0, 0, kLayout.transferExSize, 160},
        {"bit file", kPropertyBitFileInformation, kFlagGet, 0, 0, 0, 1048, 1048},
    };
    sim::Fault garbage;
    garbage.mode = sim::FaultMode::Garbage;
    for (int spoiled = 0; spoiled < 2; ++spoiled) {
        if (spoiled)
            rack.AddFault(garbage);
        for (const Case& c : cases) {
            for (DWORD outSize : {c.outSize, c.outSize - 4}) {
                Bytes in = board.Request(c.id, c.flags, c.inSize, {{24, c.word24}, {28, c.word28}});
                if (c.inSize > 32)
                    PutWord(in, 32, c.word32);
                Bytes out(outSize + 16, 0xA5);
                DWORD got = 0;
                const BOOL ok = Api().deviceIoControl(board.handle(), kBoardRequestCode, in.data(), c.inSize,
                                                      out.data(), outSize, &got, nullptr);
                if (outSize == c.outSize) {
                    EXPECT_TRUE(ok) << c.name << ": error " << GetLastError();
                }
                EXPECT_LE(got, outSize) << c.name;
                for (size_t i = outSize; i < out.size(); ++i)
                    ASSERT_EQ(0xA5, out[i]) << c.name << ", output of " << outSize << ", byte " << i
                                            << (spoiled ? ", garbage" : "");
            }
        }
    }
}
