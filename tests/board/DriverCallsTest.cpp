// The driver calls the deck link rests on (interrupts, subscriptions,
// waits) as the simulated driver receives them, and what the interface
// makes of any answer. Playback's calls (mappings, DMA, circulation) have no
// caller in the module; closing undoes them (BoardOpen).
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
        std::vector<sim::LoggedCall> sent = Sent(flags ? kPropertySubscription : kPropertyInterruptCount);
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

    for (sim::FaultMode mode : {sim::FaultMode::Garbage, sim::FaultMode::ShortOutput, sim::FaultMode::Fail}) {
        Rack().ClearFaults();
        sim::Fault fault;
        fault.mode = mode;
        Rack().AddFault(fault);
        bitFile.before = bitFile.after = kGuard;
        for (uint32_t& word : bitFile.words)
            word = 1;
        const bool bitFileRead = board_.DriverGetBitFileInformation(bitFile.words, 0);
        EXPECT_EQ(mode != sim::FaultMode::Fail, bitFileRead);
        if (!bitFileRead) {
            EXPECT_EQ(1u, bitFile.words[255]);
        }

        uint32_t value = 0;
        board_.ReadRegister(kRegisterBoardId, &value, 0xFFFFFFFF, 0);

        EXPECT_EQ(kGuard, bitFile.before);
        EXPECT_EQ(kGuard, bitFile.after);
        EXPECT_TRUE(board_.IsOpen());
    }
    Rack().ClearFaults();
    EXPECT_TRUE(board_.DriverGetBitFileInformation(bitFile.words, 0));
    EXPECT_EQ(1048u, LastRequest().inSize);
    EXPECT_EQ(kPropertyBitFileInformation, LastRequest().propertyId);
}

} // namespace
