// The board's driver failing under Initialise and the deck commands:
// enumeration, opening, register reads and refused event subscriptions.
#include "support/EditorFaultFixture.h"

#include "board/BoardTypes.h"

namespace {

class BoardFaults : public EditorFaultTest {
protected:
    static sim::Fault CallFault(sim::Call call)
    {
        sim::Fault fault;
        fault.call = call;
        return fault;
    }

    static sim::Fault RegisterFault(uint32_t reg)
    {
        sim::Fault fault;
        fault.propertyId = kPropertyRegister;
        fault.registerNumber = int32_t(reg);
        return fault;
    }
};

TEST_F(BoardFaults, InitialiseWithoutAUsableBoardReportsOfflineAndHoldsNothing)
{
    struct Case {
        const char* name;
        sim::Fault fault;
    };
    sim::Fault detail = CallFault(sim::Call::GetInterfaceDetail);
    detail.skip = 1;  // the size query answers; filling the record fails
    const Case cases[] = {
        {"no device set", CallFault(sim::Call::GetClassDevs)},
        {"enumeration", CallFault(sim::Call::EnumInterfaces)},
        {"interface detail", CallFault(sim::Call::GetInterfaceDetail)},
        {"interface detail filled", detail},
        {"device open", CallFault(sim::Call::CreateFile)},
        {"UART control unreadable", RegisterFault(kRegisterUartControl)},
    };
    for (const Case& c : cases) {
        ConfigureDecks(sim::DeckSettings{}, 2);
        Rack().AddFault(c.fault);
        record.mode = 3;
        record.timecode = 99;
        const DWORD took = Elapsed([&] { EXPECT_EQ(0, Call(kSelectorInitialise)) << c.name; });
        EXPECT_LT(took, 3000u) << c.name;
        EXPECT_EQ(kModeOfflineReported, record.mode) << c.name;
        EXPECT_EQ(0, record.timecode) << c.name;
        EXPECT_EQ(nullptr, gController) << c.name;
        EXPECT_EQ(nullptr, record.settings) << c.name;
        EXPECT_EQ(0, Rack().LiveDeviceHandles()) << c.name;
        EXPECT_EQ(0, Rack().LiveInfoSets()) << c.name;
        EXPECT_EQ(0, Execute(2, 1)) << c.name;
        EXPECT_EQ(kModeOfflineReported, ReadStatus()) << c.name;
        EXPECT_EQ(1, Call(kSelectorCleanup)) << c.name;

        // The next Initialise on a driver that works finds the deck.
        Rack().ClearFaults();
        ASSERT_EQ(0, Call(kSelectorInitialise)) << c.name;
        EXPECT_EQ(0, record.mode) << c.name;
        EXPECT_EQ(kOneHour, record.timecode) << c.name;
        EXPECT_EQ(2, gController->portCount) << c.name;
        ASSERT_EQ(0, Call(kSelectorCleanup)) << c.name;
    }
}

TEST_F(BoardFaults, OneBoardThatFailsLeavesTheDeckOnTheOther)
{
    sim::Fault open = CallFault(sim::Call::CreateFile);
    open.board = 1;
    sim::Fault uart = RegisterFault(kRegisterUartControl);
    uart.board = 0;
    const struct {
        sim::Fault fault;
        int deckBoard;
    } cases[] = {{open, 0}, {uart, 1}};
    for (const auto& c : cases) {
        ConfigureDecks(sim::DeckSettings{}, 2);
        Rack().AddFault(c.fault);
        ASSERT_EQ(0, Call(kSelectorInitialise)) << c.deckBoard;
        ASSERT_NE(nullptr, gController) << c.deckBoard;
        EXPECT_EQ(1, gController->portCount);
        EXPECT_EQ(c.deckBoard, gController->ports[0]->PortIndex());
        EXPECT_EQ(0, record.mode);
        EXPECT_EQ(kOneHour, record.timecode);
        ASSERT_EQ(0, Execute(2, 1));
        sim::TransportMode mode = sim::TransportMode::Stopped;
        WithDeck([&](sim::VirtualVtr& deck, double now) { mode = deck.Transport(now).Mode(); }, c.deckBoard);
        EXPECT_EQ(sim::TransportMode::Playing, mode) << "the command reaches the working board's deck";
        ASSERT_EQ(0, Call(kSelectorCleanup));
    }
}

TEST_F(BoardFaults, RefusedSubscriptionsFailEachDeckCommandAfterItsWaitAndNothingHangs)
{
    sim::Fault subscription;
    subscription.propertyId = kPropertySubscription;
    Rack().AddFault(subscription);
    const DWORD initialise = Elapsed([&] { ASSERT_EQ(0, Call(kSelectorInitialise)); });
    EXPECT_LT(initialise, 2000u);
    EXPECT_EQ(kModeOfflineReported, record.mode);
    EXPECT_EQ(0, record.timecode);
    EXPECT_EQ(0, Rack().LiveSubscriptions());

    // Each exchange waits out its transmit window (15 ms) and fails.
    const DWORD commands = Elapsed([&] {
        for (int16_t mode : {1, 4, 0, 5, 6, 9})
            EXPECT_EQ(0, Execute(2, mode)) << "mode " << mode;
        for (int poll = 0; poll < 20; ++poll)
            Execute(1);
        EXPECT_EQ(kModeOfflineReported, ReadStatus());
        EXPECT_EQ(0, record.timecode);
    });
    EXPECT_LT(commands, 5000u);
}

} // namespace
