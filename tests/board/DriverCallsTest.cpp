// Each driver call as the simulated driver receives it, and what the
// interface makes of the answers.
#include "board/AutoCirculateCommand.h"
#include "board/BoardTypes.h"
#include "board/CBrixBoard.h"
#include "support/RackFixture.h"
#include "board/RequestLayout.h"
#include "support/HandleMark.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

constexpr RequestLayout kLayout = kRequestLayout;

uintptr_t AsAddress(const void* pointer)
{
    return reinterpret_cast<uintptr_t>(pointer);
}

class DriverCalls : public RackTest {
protected:
    void OpenBoard(uint32_t driverFlags)
    {
        sim::RackConfig config;
        config.boards = {Board(4, 0x10440)};
        config.boards[0].driverFlags = driverFlags;
        Configure(config);
        ASSERT_TRUE(board_.Open(0, false, BOARDTYPE_QB, nullptr));
        Rack().ClearLog();
    }

    // The requests of one property id sent since the log was cleared.
    std::vector<sim::LoggedCall> Sent(uint32_t propertyId)
    {
        std::vector<sim::LoggedCall> sent;
        for (const sim::LoggedCall& call : Requests()) {
            if (call.propertyId == propertyId)
                sent.push_back(call);
        }
        return sent;
    }

    CBrixBoard board_;
};

TEST_F(DriverCalls, InterruptEnableAndCount)
{
    OpenBoard(0x2000);
    ASSERT_TRUE(board_.ConfigureInterrupt(true, 15));
    sim::LoggedCall request = LastRequest();
    EXPECT_EQ(32u, request.inSize);
    EXPECT_EQ(kPropertyInterrupt, request.propertyId);
    EXPECT_EQ(kFlagGet, request.flags);
    EXPECT_EQ(0u, Word(request, 24));
    EXPECT_EQ(15u, Word(request, 28));
    EXPECT_TRUE(Rack().InterruptEnabled(0, 15));

    Rack().RaiseInterrupt(0, 15);
    Rack().RaiseInterrupt(0, 15);
    uint32_t count = 0;
    ASSERT_TRUE(board_.getInterruptCount(15, &count));
    EXPECT_EQ(2u, count);
    request = LastRequest();
    EXPECT_EQ(kPropertyInterruptCount, request.propertyId);
    EXPECT_EQ(kFlagGet, request.flags);
    EXPECT_EQ(0u, Word(request, 24));
    EXPECT_EQ(12u, Word(request, 28));
    EXPECT_EQ(15u, Word(request, 32));

    ASSERT_TRUE(board_.ConfigureInterrupt(false, 15));
    EXPECT_EQ(kFlagSet, LastRequest().flags);
    EXPECT_FALSE(Rack().InterruptEnabled(0, 15));
}

// Both subscription forms: the handle itself, or the address of the
// variable that holds it. Either way the driver must be able to signal it.
TEST_F(DriverCalls, SubscriptionFormFollowsTheDriverFlag)
{
    for (uint32_t flags : {0x2000u, 0u}) {
        SCOPED_TRACE(flags);
        OpenBoard(flags);
        HANDLE* slot = board_.InterruptEvent(kInterruptUartReceive);
        ASSERT_TRUE(board_.ConfigureSubscription(true, kInterruptUartReceive, slot));
        ASSERT_TRUE(board_.ConfigureSubscription(true, kInterruptUartReceive, slot));
        std::vector<sim::LoggedCall> sent = Sent(flags ? kPropertySubscription
                                                       : kPropertyInterruptCount);
        ASSERT_EQ(1u, sent.size()) << "asked twice, subscribed once";
        EXPECT_EQ(kLayout.subscriptionSize, sent[0].inSize);
        EXPECT_EQ(kFlagGet, sent[0].flags);
        EXPECT_EQ(flags ? AsAddress(*slot) : AsAddress(slot), Address(sent[0], kLayout.subscriptionEvent));
        EXPECT_EQ(kInterruptUartReceive, Word(sent[0], kLayout.subscriptionType));
        EXPECT_EQ(1, Rack().LiveSubscriptions());

        ASSERT_TRUE(board_.ConfigureInterrupt(true, kInterruptUartReceive));
        Rack().RaiseInterrupt(0, kInterruptUartReceive);
        EXPECT_TRUE(board_.WaitForInterrupt(kInterruptUartReceive, 2000));

        Rack().ClearLog();
        ASSERT_TRUE(board_.ConfigureSubscription(false, kInterruptUartReceive, slot));
        ASSERT_TRUE(board_.ConfigureSubscription(false, kInterruptUartReceive, slot));
        sent = Sent(flags ? kPropertySubscription : kPropertyInterruptCount);
        ASSERT_EQ(1u, sent.size());
        EXPECT_EQ(kFlagSet, sent[0].flags);
        EXPECT_EQ(nullptr, *slot);
        EXPECT_EQ(0, Rack().LiveSubscriptions());
        board_.Close();
    }
}

TEST_F(DriverCalls, RefusedSubscriptionLeavesNoEvent)
{
    OpenBoard(0x2000);
    sim::Fault fault;
    fault.propertyId = kPropertySubscription;
    Rack().AddFault(fault);
    HANDLE* slot = board_.InterruptEvent(kInterruptUartTransmit);
    EXPECT_FALSE(board_.ConfigureSubscription(true, kInterruptUartTransmit, slot));
    EXPECT_EQ(nullptr, *slot);
    // With no event, a wait takes its whole time-out and fails.
    EXPECT_FALSE(board_.WaitForInterrupt(kInterruptUartTransmit, 1));

    // A refused unsubscription keeps the event until the board closes.
    Rack().ClearFaults();
    ASSERT_TRUE(board_.ConfigureSubscription(true, kInterruptUartTransmit, slot));
    const HANDLE event = *slot;
    fault.flags = kFlagSet;
    Rack().AddFault(fault);
    EXPECT_FALSE(board_.ConfigureSubscription(false, kInterruptUartTransmit, slot));
    EXPECT_EQ(event, *slot);
    MarkHandle(event);
    board_.Close();
    EXPECT_EQ(nullptr, *slot);
    EXPECT_EQ(0, Rack().LiveSubscriptions());
    EXPECT_FALSE(MarkedHandleIsOpen(event)) << "the kept event is closed with the board";
}

TEST_F(DriverCalls, WaitsSleepWithoutAnEventAndCountOnlySignalledWaits)
{
    OpenBoard(0x2000);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    EXPECT_FALSE(board_.WaitForInterrupt(12, 5));
    QueryPerformanceCounter(&end);
    const double elapsedMs = 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart;
    EXPECT_GE(elapsedMs, 4.0) << "a type without a slot still takes its time-out";
    EXPECT_FALSE(board_.WaitForInterrupt(16, 0));

    ASSERT_TRUE(board_.ConfigureInterrupt(true, 3));
    ASSERT_TRUE(board_.ConfigureSubscription(true, 3, board_.InterruptEvent(3)));
    EXPECT_FALSE(board_.WaitForInterrupt(3, 1));
    EXPECT_EQ(0u, board_.WaitCount(3));
    Rack().RaiseInterrupt(0, 3);
    EXPECT_TRUE(board_.WaitForInterrupt(3, 2000));
    EXPECT_EQ(1u, board_.WaitCount(3));
    EXPECT_EQ(0u, board_.WaitCount(2));
}

TEST_F(DriverCalls, MappingsUseTheirOwnKindAndAddress)
{
    OpenBoard(0x2000);  // 0x10440 sees its frame memory through two windows
    ASSERT_TRUE(board_.MapFrameBuffers());
    sim::LoggedCall request = Sent(kPropertyMapping).back();
    EXPECT_EQ(kLayout.mappingSize, request.inSize);
    EXPECT_EQ(kFlagGet, request.flags);
    EXPECT_EQ(0u, request.request[kLayout.mappingKind]);
    const uintptr_t frames = board_.FrameBufferAddress(0);
    ASSERT_NE(0u, frames);
    EXPECT_EQ(frames, board_.FrameBufferAddress(1));
    EXPECT_EQ(frames + board_.FrameBufferMemorySize(), board_.FrameBufferAddress(2));

    ASSERT_TRUE(board_.MapRegisters());
    ASSERT_TRUE(board_.MapMemoryKind2());
    EXPECT_EQ(1u, Sent(kPropertyMapping)[1].request[kLayout.mappingKind]);
    EXPECT_EQ(2u, Sent(kPropertyMapping)[2].request[kLayout.mappingKind]);
    const uintptr_t registers = board_.RegisterMapping();
    Rack().ClearLog();

    ASSERT_TRUE(board_.UnmapRegisters());
    request = LastRequest();
    EXPECT_EQ(kFlagSet, request.flags);
    EXPECT_EQ(registers, Address(request, kLayout.mappingAddress));
    EXPECT_EQ(1u, request.request[kLayout.mappingKind]);
    EXPECT_EQ(0u, board_.RegisterMapping());
    EXPECT_NE(0u, board_.Kind2Mapping());
    EXPECT_EQ(frames, board_.FrameBufferAddress(0));
    ASSERT_TRUE(board_.UnmapFrameBuffers());
    EXPECT_EQ(frames, Address(LastRequest(), kLayout.mappingAddress));
    EXPECT_EQ(0u, board_.FrameBufferAddress(2));

    Rack().ClearLog();
    EXPECT_TRUE(board_.UnmapRegisters());
    EXPECT_TRUE(board_.UnmapFrameBuffers());
    EXPECT_TRUE(Requests().empty()) << "nothing mapped, nothing sent";
}

TEST_F(DriverCalls, DmaRequestAndTheListOfLockedBuffers)
{
    OpenBoard(0x2000);
    ASSERT_TRUE(board_.DmaTransfer(3, true, 7, 0x2000, 0x40, 0x100, true));
    sim::LoggedCall request = LastRequest();
    EXPECT_EQ(kLayout.dmaSize, request.inSize);
    EXPECT_EQ(kPropertyDma, request.propertyId);
    EXPECT_EQ(kFlagGet, request.flags);
    EXPECT_EQ(3u, Word(request, kLayout.dmaEngine));
    EXPECT_EQ(0x2000u, Address(request, kLayout.dmaHostAddress));
    EXPECT_EQ(7u, Word(request, kLayout.dmaFrame));
    EXPECT_EQ(0x100u, Word(request, kLayout.dmaByteCount));
    EXPECT_EQ(0x40u, Word(request, kLayout.dmaOffset));
    EXPECT_EQ(1u, request.request[kLayout.dmaSynchronous]);

    ASSERT_TRUE(board_.DmaLock(0x1000, 64));
    ASSERT_TRUE(board_.DmaLock(0x3000, 64));
    ASSERT_TRUE(board_.DmaLock(0x1000, 64));
    Rack().ClearLog();
    EXPECT_TRUE(board_.DmaUnlock(0x9000));
    request = LastRequest();
    EXPECT_EQ(kFlagSet, request.flags);
    EXPECT_EQ(0x9000u, Address(request, kLayout.dmaHostAddress));
    EXPECT_EQ(0u, Word(request, kLayout.dmaByteCount));
    EXPECT_EQ(1u, request.request[kLayout.dmaSynchronous]);
    EXPECT_EQ((std::vector<uintptr_t>{0x1000, 0x3000, 0x1000}), board_.DmaBuffers());
    EXPECT_TRUE(board_.DmaUnlock(0x1000));
    EXPECT_EQ((std::vector<uintptr_t>{0x3000, 0x1000}), board_.DmaBuffers());

    Rack().ClearLog();
    EXPECT_TRUE(board_.DmaUnlockAll());
    ASSERT_EQ(2u, Requests().size());
    EXPECT_EQ(0x3000u, Address(Requests()[0], kLayout.dmaHostAddress));
    EXPECT_TRUE(board_.DmaBuffers().empty());
}

TEST_F(DriverCalls, CirculateCommandsCarryOnlyTheirData)
{
    OpenBoard(0x2000);
    AutoCirculateCommand command = {};
    command.words[0] = 0x11;
    command.words[1] = 0x22;
    command.words[2] = 0x33;
    for (int i = 0; i < 7; ++i)
        command.bytes[i] = static_cast<uint8_t>(0xA0 + i);

    const struct {
        uint32_t code;
        bool word2, word3;
        int bytes;
    } rows[] = {
        {kCirculateInit, true, true, 7},    {kCirculateStart, false, false, 0},
        {kCirculateStop, false, false, 0},  {kCirculateAbort, false, false, 1},
        {kCirculatePause, false, false, 0}, {kCirculateResume, true, false, 0},
        {kCirculateFlush, false, false, 0}, {kCirculatePreroll, true, true, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        command.command = row.code;
        ASSERT_TRUE(board_.AutoCirculate(&command));
        const sim::LoggedCall request = LastRequest();
        EXPECT_EQ(56u, request.inSize);
        EXPECT_EQ(kPropertyCirculateCommand, request.propertyId);
        EXPECT_EQ(kFlagSet, request.flags);
        EXPECT_EQ(row.code, Word(request, 24));
        EXPECT_EQ(0x11u, Word(request, 28));
        EXPECT_EQ(row.word2 ? 0x22u : 0u, Word(request, 32));
        EXPECT_EQ(row.word3 ? 0x33u : 0u, Word(request, 36));
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(i < row.bytes ? 0xA0 + i : 0, request.request[44 + i]) << i;
    }

    Rack().ClearLog();
    command.command = 12;
    EXPECT_TRUE(board_.AutoCirculate(&command));
    EXPECT_TRUE(Requests().empty());
}

TEST_F(DriverCalls, CirculateStatusStampAndTransfer)
{
    OpenBoard(0x2000);
    uint32_t status[20] = {};
    AutoCirculateCommand command = {};
    command.command = kCirculateGetStatus;
    command.words[0] = 2;
    command.status = status;
    ASSERT_TRUE(board_.AutoCirculate(&command));
    sim::LoggedCall request = LastRequest();
    EXPECT_EQ(112u, request.inSize);
    EXPECT_EQ(kPropertyCirculateStatus, request.propertyId);
    EXPECT_EQ(4u, Word(request, 24));
    EXPECT_EQ(2u, Word(request, 28));

    uint32_t stamp[32];
    for (uint32_t i = 0; i < 32; ++i)
        stamp[i] = 0x500 + i;
    command.command = kCirculateFrameStamp;
    command.words[1] = 9;
    command.status = stamp;
    ASSERT_TRUE(board_.AutoCirculate(&command));
    request = LastRequest();
    EXPECT_EQ(168u, request.inSize);
    EXPECT_EQ(kPropertyCirculateFrameStamp, request.propertyId);
    EXPECT_EQ(5u, Word(request, 24));
    EXPECT_EQ(9u, Word(request, 32));
    EXPECT_EQ(0x500u, Word(request, 40));
    EXPECT_EQ(0x51Fu, Word(request, 40 + 31 * 4));

    CirculateTransferRecord transfer = {};
    uint32_t transferStatus[40] = {};
    uint32_t extra[61] = {};
    transfer.leading[0] = 0x77;
    transfer.audioAddress = 0x4000;
    transfer.audioSize = 0x800;
    transfer.trailing[29] = 0x88;
    extra[60] = 0x99;
    command.status = &transfer;
    command.transferStatus = transferStatus;
    command.extraData = extra;
    for (uint32_t code : {uint32_t(kCirculateTransfer), uint32_t(kCirculateTransferEx)}) {
        command.command = code;
        ASSERT_TRUE(board_.AutoCirculate(&command));
        request = LastRequest();
        const bool extended = code == kCirculateTransferEx;
        EXPECT_EQ(extended ? kLayout.transferExSize : kLayout.transferSize, request.inSize);
        EXPECT_EQ(160u, request.outSize);
        EXPECT_EQ(extended ? kPropertyCirculateTransferEx : kPropertyCirculateTransfer,
                  request.propertyId);
        EXPECT_EQ(code, Word(request, 24));
        EXPECT_EQ(0x77u, Word(request, kLayout.transferRecord));
        EXPECT_EQ(0x4000u, Address(request, kLayout.transferAudioAddress));
        EXPECT_EQ(0x800u, Word(request, kLayout.transferAudioSize));
        EXPECT_EQ(0x88u, Word(request, kLayout.transferAudioSize + 30 * 4)) << "the record's last word";
        if (extended) {
            EXPECT_EQ(0x99u, Word(request, kLayout.transferExtra + 60 * 4));
        }
    }

    // Misaligned audio is refused before anything reaches the driver.
    Rack().ClearLog();
    command.command = kCirculateTransfer;
    transfer.audioSize = 6;
    EXPECT_FALSE(board_.AutoCirculate(&command));
    transfer.audioSize = 8;
    transfer.audioAddress = 0x4002;
    EXPECT_FALSE(board_.AutoCirculate(&command));
    command.transferStatus = nullptr;
    transfer.audioAddress = 0x4000;
    EXPECT_FALSE(board_.AutoCirculate(&command));
    EXPECT_TRUE(Requests().empty());
}

// However the driver answers, the interface writes only into the caller's
// own buffers, and only after a success.
TEST_F(DriverCalls, AnswersStayInsideTheCallersBuffers)
{
    OpenBoard(0x2000);
    const uint32_t kGuard = 0xDEADBEEF;
    struct {
        uint32_t before;
        uint32_t words[256];
        uint32_t after;
    } bitFile;
    struct {
        uint32_t before;
        uint32_t words[40];
        uint32_t after;
    } transferStatus;
    CirculateTransferRecord transfer = {};

    for (sim::FaultMode mode : {sim::FaultMode::Garbage, sim::FaultMode::ShortOutput,
                                sim::FaultMode::Fail}) {
        Rack().ClearFaults();
        sim::Fault fault;
        fault.mode = mode;
        Rack().AddFault(fault);
        bitFile.before = bitFile.after = kGuard;
        transferStatus.before = transferStatus.after = kGuard;
        for (uint32_t& word : bitFile.words)
            word = 1;
        const bool bitFileRead = board_.DriverGetBitFileInformation(bitFile.words, 0);
        EXPECT_EQ(mode != sim::FaultMode::Fail, bitFileRead);
        if (!bitFileRead) {
            EXPECT_EQ(1u, bitFile.words[255]);
        }

        AutoCirculateCommand command = {};
        command.command = kCirculateTransfer;
        command.status = &transfer;
        command.transferStatus = transferStatus.words;
        board_.AutoCirculate(&command);
        uint32_t value = 0;
        board_.ReadRegister(kRegisterBoardId, &value, 0xFFFFFFFF, 0);

        EXPECT_EQ(kGuard, bitFile.before);
        EXPECT_EQ(kGuard, bitFile.after);
        EXPECT_EQ(kGuard, transferStatus.before);
        EXPECT_EQ(kGuard, transferStatus.after);
        EXPECT_TRUE(board_.IsOpen());
    }
    Rack().ClearFaults();
    EXPECT_TRUE(board_.DriverGetBitFileInformation(bitFile.words, 0));
    EXPECT_EQ(1048u, LastRequest().inSize);
    EXPECT_EQ(kPropertyBitFileInformation, LastRequest().propertyId);
}

}  // namespace
