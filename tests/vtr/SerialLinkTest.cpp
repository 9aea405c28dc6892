// Opening the control, switching the UART, and the exchange of one packet.
#include "support/VtrFixture.h"

#include "board/BoardTypes.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class SerialLink : public VtrTest {
protected:
    size_t RegisterWrites(uint32_t reg)
    {
        size_t n = 0;
        for (const sim::LoggedCall& call : Requests())
            n += call.propertyId == kPropertyRegister && call.flags == kFlagSet && Word(call, 24) == reg;
        return n;
    }
};

TEST_F(SerialLink, OpensDescribesActivatesOnceAndCloses)
{
    char description[128] = {};
    ASSERT_TRUE(control->GetBoardDescription(description));
    EXPECT_STREQ("Board: 3 Type: Qb - 0", description);
    uint32_t words[37] = {};
    ASSERT_TRUE(control->GetDeckBoardInfo(words));
    EXPECT_EQ(115u, words[0]);
    EXPECT_EQ(0x10440u, words[33]);
    EXPECT_EQ(4u, words[34]);
    EXPECT_EQ(0u, words[35]);
    EXPECT_EQ(2u, words[36]);
    EXPECT_FALSE(Rack().Uart(0).on) << "the UART waits for the first deck command";

    Rack().ClearLog();
    ASSERT_TRUE(control->ActivateControl());
    ASSERT_TRUE(control->ActivateControl());
    EXPECT_EQ(1u, RegisterWrites(kRegisterUartControl));
    EXPECT_TRUE(Rack().Uart(0).on);
    EXPECT_TRUE(Rack().InterruptEnabled(0, kInterruptUartTransmit));
    EXPECT_TRUE(Rack().InterruptEnabled(0, kInterruptUartReceive));
    EXPECT_EQ(2, Rack().LiveSubscriptions());

    ASSERT_TRUE(control->DeactivateControl());
    EXPECT_FALSE(Rack().Uart(0).on);
    EXPECT_FALSE(Rack().InterruptEnabled(0, kInterruptUartReceive));
    EXPECT_EQ(2, Rack().LiveSubscriptions()) << "subscriptions stay until close";
    EXPECT_TRUE(control->Play()) << "a deck command switches the UART back on";
    EXPECT_TRUE(control->IsActivated());

    ASSERT_TRUE(control->CloseControl());
    EXPECT_FALSE(control->IsActivated());
    EXPECT_FALSE(Rack().Uart(0).on);
    EXPECT_EQ(0, Rack().LiveSubscriptions());
    EXPECT_EQ(0, Rack().LiveDeviceHandles());
    EXPECT_STREQ("None", control->LastError());
}

TEST_F(SerialLink, OpeningAgainStartsWithTheUartOffAndFailuresLeaveTheBoardClosedWithTheirReason)
{
    ConfigureDecks(sim::DeckSettings{}, 2);
    control.reset(new CSerialVtrControl);
    ASSERT_TRUE(control->OpenControl(Info(0), 0));
    ASSERT_TRUE(control->Play());
    ASSERT_TRUE(control->OpenControl(Info(1), 0));
    EXPECT_FALSE(Rack().Uart(0).on) << "the board left behind is switched off";
    EXPECT_FALSE(control->IsActivated());
    EXPECT_TRUE(control->Play()) << "the new board's UART is switched on";
    EXPECT_TRUE(Rack().Uart(1).on);

    BoardInfo missing = Info();
    missing.boardIndex = 5;
    EXPECT_FALSE(control->OpenControl(missing, 0));
    EXPECT_STREQ("Could Not Open Control", control->LastError());
    EXPECT_FALSE(control->IsActivated());
    EXPECT_FALSE(Rack().Uart(1).on);

    sim::RackConfig config = Rack().Configuration();
    config.boards[0].rs422 = false;
    Configure(config);
    EXPECT_FALSE(control->OpenControl(Info(), 0));
    EXPECT_STREQ("No RS422 Control", control->LastError());
    EXPECT_FALSE(control->IsOpen());
    EXPECT_EQ(0, Rack().LiveDeviceHandles());
}

TEST_F(SerialLink, EveryOperationOnAClosedControlFailsWithItsReason)
{
    control.reset(new CSerialVtrControl);
    char text[128];
    EXPECT_FALSE(control->GetBoardDescription(text));
    EXPECT_STREQ("Board Not Opened.", text);
    EXPECT_STREQ("Control Not Opened", control->LastError());
    EXPECT_FALSE(control->GetTimecode(text));
    EXPECT_STREQ("00:00:00:00", text);
    EXPECT_FALSE(control->GetMode(text));
    EXPECT_STREQ("Offline", text);
    EXPECT_EQ(0.0, control->GetSpeed());
    uint8_t flags[60];
    std::memset(flags, 7, sizeof flags);
    EXPECT_FALSE(control->GetStatusFlags(flags));
    EXPECT_EQ(1, flags[0]);
    EXPECT_EQ(0, flags[5]);
    EXPECT_FALSE(control->GetStatusFlags(nullptr));
    for (auto op : {&CSerialVtrControl::Play, &CSerialVtrControl::StepForward, &CSerialVtrControl::EditReset,
                    &CSerialVtrControl::ActivateControl, &CSerialVtrControl::CloseControl}) {
        control->SetPreroll(3); // fails too, and leaves a text to be overwritten
        EXPECT_FALSE(((*control).*op)());
        EXPECT_STREQ("Control Not Opened", control->LastError());
    }
    const uint8_t packet[] = {2, 0x20, 0x01};
    EXPECT_FALSE(control->SendCommand(packet, true));
}

TEST_F(SerialLink, ADeckCommandThatCannotSwitchTheUartOnFails)
{
    sim::Fault fault;
    fault.propertyId = kPropertyRegister;
    fault.registerNumber = kRegisterUartControl;
    Rack().AddFault(fault);
    char mode[32];
    EXPECT_FALSE(control->GetMode(mode));
    EXPECT_STREQ("Offline", mode);
    EXPECT_STREQ("Could Not Activate Control", control->LastError());
    EXPECT_FALSE(control->Play());
    EXPECT_FALSE(control->IsActivated());
    Rack().ClearFaults();
    EXPECT_TRUE(control->Play()) << control->LastError();
}

TEST_F(SerialLink, FramesChecksumsAndCollectsTheReply)
{
    ASSERT_TRUE(control->ActivateControl());
    const uint8_t play[] = {2, 0x20, 0x01};
    ASSERT_TRUE(control->SendCommand(play, true));
    EXPECT_EQ(std::vector<std::string>{"20 01 21"}, Sent());
    ASSERT_EQ(3, control->ReplyCount());
    EXPECT_EQ("10 01 11", Hex({control->ReplyBytes(), control->ReplyBytes() + 3}));

    Rack().ClearLog();
    const uint8_t tooLong[16] = {15};
    EXPECT_FALSE(control->SendCommand(tooLong, true));
    EXPECT_EQ(0u, Requests().size()) << "refused before touching the board";
    EXPECT_EQ(3, control->ReplyCount()) << "the last reply stays";

    // Without a reply expected the exchange ends with the transmit.
    ASSERT_TRUE(control->SendCommand(play, false));
    EXPECT_EQ(0, control->ReplyCount());
}

TEST_F(SerialLink, EveryLatencyTheProtocolAllowsIsUnderstoodAndALateReplyIsNotTakenForTheNextOne)
{
    // A deck may take up to 9 ms to begin its answer.
    for (double latency : {1.0, 5.0, 8.0, 9.0}) {
        WithDeck([&](sim::VirtualVtr& deck, double) { deck.SetLatencyMs(latency); });
        EXPECT_TRUE(control->Play()) << latency << " ms: " << control->LastError();
        EXPECT_EQ("Play", Mode()) << latency << " ms";
        char text[CSerialVtrControl::kTimecodeTextBytes];
        EXPECT_TRUE(control->GetTimecode(text)) << latency << " ms";
        EXPECT_TRUE(control->Stop()) << latency << " ms";
    }

    // Past the window a deck counts as silent, and its answer, when it
    // comes, does not pass for the answer to the next packet.
    WithDeck([](sim::VirtualVtr& deck, double) { deck.SetLatencyMs(20); });
    const auto start = Clock::now();
    EXPECT_FALSE(control->Play());
    EXPECT_LT(MsSince(start), 500.0) << "nothing waits for it";
    WithDeck([](sim::VirtualVtr& deck, double) { deck.SetLatencyMs(1); });
    char mode[32];
    ASSERT_TRUE(control->GetMode(mode)) << "the late acknowledgement is dropped first";
    EXPECT_STREQ("Play", mode);
    EXPECT_STREQ("None", control->LastError());
}

TEST(LineTurns, AreGrantedInTheOrderAskedAndAHolderThatNeverLetsGoCostsOnlyTheWait)
{
    TurnLock line;
    ASSERT_TRUE(line.TryLockFor(std::chrono::milliseconds(0)));
    const auto start = Clock::now();
    EXPECT_FALSE(line.TryLockFor(std::chrono::milliseconds(50)));
    EXPECT_LT(MsSince(start), 1000.0);

    // Asked for in the order 1, 2 while held: granted 1, 2, though the
    // releasing thread asks again at once.
    std::vector<int> order;
    std::mutex orderLock;
    auto asker = [&](int id) {
        return std::thread([&, id] {
            if (!line.TryLockFor(std::chrono::milliseconds(5000)))
                return;
            {
                std::lock_guard<std::mutex> hold(orderLock);
                order.push_back(id);
            }
            line.Unlock();
        });
    };
    std::thread first = asker(1);
    Sleep(20);
    std::thread second = asker(2);
    Sleep(20);
    line.Unlock();
    ASSERT_TRUE(line.TryLockFor(std::chrono::milliseconds(5000)));
    order.push_back(0);
    line.Unlock();
    first.join();
    second.join();
    EXPECT_EQ((std::vector<int>{1, 2, 0}), order);
}

// Every exchange ends within its window whatever the deck does, a failed
// read leaves defined texts, and a deck that behaves again is read again.
TEST_F(SerialLink, MisbehavingDecksFailEveryExchangeInTimeAndAreReadAgainOnceWell)
{
    const struct {
        const char* name;
        void (*set)(sim::DeckFaults&);
        const char* error; // after Play; null: the first block of each reply is whole
    } cases[] = {
        {"silent", [](sim::DeckFaults& f) { f.silent = true; }, "None"},
        {"refuses", [](sim::DeckFaults& f) { f.nakAll = true; }, "Deck Refused Command (Unknown Command)"},
        {"garbles", [](sim::DeckFaults& f) { f.garbleEvery = 1; }, "None"},
        {"truncates", [](sim::DeckFaults& f) { f.truncateEvery = 1; }, "None"},
        {"runs on", [](sim::DeckFaults& f) { f.overlongEvery = 1; }, nullptr},
    };
    for (const auto& c : cases) {
        Start(sim::DeckSettings{});
        sim::DeckFaults faults;
        c.set(faults);
        SetFaults(faults);
        const auto start = Clock::now();
        const bool played = control->Play();
        if (c.error) {
            EXPECT_FALSE(played) << c.name;
            EXPECT_STREQ(c.error, control->LastError()) << c.name;
            char text[32];
            EXPECT_FALSE(control->GetTimecode(text)) << c.name;
            EXPECT_STREQ("00;00;00;00", text) << c.name;
            EXPECT_FALSE(control->GetMode(text)) << c.name;
            EXPECT_STREQ("Offline", text) << c.name;
            EXPECT_EQ(0.0, control->GetSpeed()) << c.name;
            uint8_t flags[60];
            EXPECT_FALSE(control->GetStatusFlags(flags)) << c.name;
            EXPECT_EQ(1, flags[0]) << c.name << ": offline flag";
            EXPECT_FALSE(control->StepForward()) << c.name;
        }
        control->EditSetup("00:00:10:00", "00:00:20:00", "00:00:10:00", "00:00:20:00", 1);
        EXPECT_LT(MsSince(start), 1500.0) << c.name << ": each exchange ends with its window";

        SetFaults({});
        bool read = false;
        for (int i = 0; i < 20 && !read; ++i) {
            Sleep(20);
            char mode[32];
            read = control->GetMode(mode) && control->Play() && Mode() == "Play";
        }
        EXPECT_TRUE(read) << c.name << ": " << control->LastError();
    }

    // Without subscriptions every wait runs out: commands fail after 15 ms.
    control->CloseControl();
    sim::Fault noSubscriptions;
    noSubscriptions.propertyId = kPropertySubscription;
    Rack().AddFault(noSubscriptions);
    ASSERT_TRUE(control->OpenControl(Info(), 0));
    const auto unsubscribed = Clock::now();
    EXPECT_FALSE(control->Play());
    const double took = MsSince(unsubscribed);
    EXPECT_GE(took, 14.0);
    EXPECT_LT(took, 500.0);
}

} // namespace
