// The port facade against a virtual deck: its checks, clamps and refusals,
// the two locks, and the arithmetic and deck work of an edit.
#include "platform/ResultCodes.h"
#include "port/DeviceControlPort.h"
#include "port/ModuleGlobals.h"
#include "platform/NxPlatform.h"
#include "support/PortSemaphores.h"
#include "support/DeckRackFixture.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

namespace {

constexpr int32_t kFormat25 = 1;
constexpr int32_t kFormat30Df = 3;

class PortFacade : public DeckRackTest {
protected:
    void SetUp() override { Start(sim::DeckSettings{}); }

    void TearDown() override
    {
        port.reset();
        DeckRackTest::TearDown();
    }

    void Start(const sim::DeckSettings& deck)
    {
        port.reset();
        ConfigureDecks(deck);
        port.reset(new DeviceControlPort);
        ASSERT_EQ(0, port->Open(Info(), 0));
        ASSERT_EQ(0, port->Activate());
        Drain();
    }

    PortSettings Settings() const
    {
        PortSettings settings;
        port->CopySettingsOut(&settings);
        return settings;
    }

    std::string OutText() const
    {
        char text[32];
        port->GetOutText(text);
        return text;
    }

    PortSemaphores semaphores; // outlives the port
    std::unique_ptr<DeviceControlPort> port;
};

TEST_F(PortFacade, SettersClampIgnoreAndRefuseAsTheEditorExpects)
{
    EXPECT_EQ(0, port->SetTimecodeOffset(45));
    EXPECT_EQ(30, Settings().timecodeOffset);
    EXPECT_EQ(0, port->SetTimecodeOffset(-31));
    EXPECT_EQ(-30, Settings().timecodeOffset);

    ASSERT_EQ(0, port->SetDelay(12));
    EXPECT_EQ(0, port->SetDelay(121));
    EXPECT_EQ(0, port->SetDelay(-1));
    EXPECT_EQ(12, Settings().delay);

    ASSERT_EQ(0, port->SetEditMode(1));
    EXPECT_EQ(-2, port->SetEditMode(2));
    EXPECT_EQ(-2, port->SetEditMode(-1));
    EXPECT_EQ(1, Settings().editMode);

    uint8_t value = 7;
    EXPECT_EQ(-2, port->GetAudioFlag(&value, 32));
    EXPECT_EQ(0, value);
    EXPECT_EQ(-2, port->SetAudioFlag(0, 32));
    EXPECT_EQ(-2, port->SetAudioFlag(0, -1));
    ASSERT_EQ(0, port->SetAudioFlag(0, 31));
    EXPECT_EQ(0, Settings().audio[31]);

    // A second activation is refused and leaves the port as it was.
    EXPECT_EQ(-2, port->Activate());
    EXPECT_TRUE(port->IsActive());
    char state[32];
    port->GetControlStateText(state);
    EXPECT_STREQ("Active", state);

    // The preroll and delay need an active port; the offset only an open one.
    ASSERT_EQ(0, port->Deactivate());
    EXPECT_EQ(-2, port->SetPreroll(5));
    EXPECT_EQ(-2, port->SetDelay(5));
    EXPECT_EQ(0, port->SetTimecodeOffset(3));
    EXPECT_EQ(-2, port->Play());
    EXPECT_TRUE(Sent().empty());
    port->GetControlStateText(state);
    EXPECT_STREQ("Not Active", state);
    port->Close();
    EXPECT_EQ(-2, port->SetTimecodeOffset(3));
    EXPECT_EQ(-2, port->SetEditMode(0));
    port->GetControlStateText(state);
    EXPECT_STREQ("Not Open", state);
}

TEST_F(PortFacade, TimecodeSettersKeepTheStoredBlockInStepWithTheDeckController)
{
    PortSettings stored = Settings();
    stored.timecode.prerollSeconds = 7;
    ASSERT_EQ(0, port->CopySettingsIn(&stored));
    // The first change lands on top of what was loaded, not on defaults.
    ASSERT_EQ(0, port->SetTimecodeFormat(kFormat25));
    EXPECT_EQ(7u, Settings().timecode.prerollSeconds);
    EXPECT_EQ(25u, Settings().timecode.format.framesPerSecond);
    // A refused value still answers 0 and leaves what is in effect.
    EXPECT_EQ(0, port->SetTimecodeFormat(9));
    EXPECT_EQ(uint32_t(kFormat25), Settings().timecode.formatIndex);
    EXPECT_EQ(0, port->SetPreroll(16));
    EXPECT_EQ(7u, Settings().timecode.prerollSeconds);
    // None of it talks to the deck.
    EXPECT_TRUE(Sent().empty());
}

TEST_F(PortFacade, NamedSemaphoreKeepsAPortActiveInOneOwnerOnly)
{
    DeviceControlPort other;
    ASSERT_EQ(0, other.Open(Info(), 0));
    EXPECT_EQ(-2, other.Activate());
    EXPECT_FALSE(other.IsActive());
    ASSERT_EQ(0, port->Deactivate());
    EXPECT_EQ(0, other.Activate());
    EXPECT_EQ(-2, port->Activate());
    other.Close();
    EXPECT_EQ(0, port->Activate());

    // Settings the deck controller refuses fail the activation and leave
    // the semaphore free.
    PortSettings bad = Settings();
    bad.timecode.formatIndex = 9;
    port->CopySettingsIn(&bad);
    ASSERT_EQ(0, port->Deactivate());
    EXPECT_EQ(-2, port->Activate());
    EXPECT_FALSE(port->IsActive());
    ASSERT_EQ(0, other.Open(Info(), 0));
    EXPECT_EQ(0, other.Activate());
}

TEST_F(PortFacade, ADeckCommandWhileAnotherThreadHoldsThePortsLockIsRefusedAtOnceAndSendsNothing)
{
    // Steps take several exchanges each, so the worker holds the lock for
    // most of the time; the other thread must be turned away, not queued.
    std::atomic<bool> stop{false};
    std::atomic<int> workerCalls{0};
    std::thread worker([&] {
        while (!stop) {
            port->StepForward();
            ++workerCalls;
        }
    });
    int refused = 0, done = 0;
    Drain();
    for (int i = 0; i < 200 && refused == 0; ++i) {
        const int32_t result = port->Play();
        (result == -2 ? refused : done)++;
        Sleep(1);
    }
    stop = true;
    worker.join();
    EXPECT_GT(refused, 0);
    EXPECT_GT(workerCalls.load(), 0);
    const std::vector<std::string> sent = Sent();
    EXPECT_EQ(done, std::count(sent.begin(), sent.end(), "20 01 21")) << "a refused play reached the deck";
    // Both threads are gone and the lock is free again.
    EXPECT_EQ(0, port->SetTimecodeOffset(1));
}

TEST_F(PortFacade, OutPointIsTheInPointPlusTheLastFrame)
{
    ASSERT_EQ(0, port->SetTimecodeFormat(kFormat25));
    ASSERT_EQ(0, port->SetInText("01:00:00:00"));
    ASSERT_EQ(0, port->SetLastFrame(99));
    EXPECT_EQ("01:00:03:24", OutText());
    char text[32];
    port->GetDurationText(text);
    EXPECT_STREQ("00:00:04:00", text);

    // Typed digits are placed from the right; a new In moves the Out with it.
    ASSERT_EQ(0, port->SetInText("1001005"));
    port->GetInText(text);
    EXPECT_STREQ("01:00:10:05", text);
    EXPECT_EQ("01:00:14:04", OutText());

    // A last frame near the counter's end neither wraps nor overflows.
    ASSERT_EQ(0, port->SetLastFrame(INT32_MAX));
    EXPECT_EQ('2', OutText()[0]);
}

TEST_F(PortFacade, InsertEditWithoutChannelsStopsTheDeckAndSaysSo)
{
    ASSERT_EQ(0, port->SetEditMode(1));
    ASSERT_EQ(0, port->SetVideoFlag(0));
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(0, port->SetAudioFlag(0, i));
    // Channels beyond the eight the edit can choose do not count.
    ASSERT_EQ(0, port->SetAudioFlag(1, 8));
    Drain();
    EXPECT_EQ(kResultNoEditChannels, port->CheckEditReady());
    EXPECT_EQ(kResultNoEditChannels, port->StartEdit());
    EXPECT_FALSE(port->IsEditArmed());
    const std::vector<std::string> sent = Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ("20 00 20", sent.back());
}

TEST_F(PortFacade, DeckConditionsRefuseTheEditWithTheirCodes)
{
    const struct {
        const char* name;
        void (*setup)(sim::DeckSettings&);
        int32_t check;
    } cases[] = {
        {"no tape", [](sim::DeckSettings& d) { d.tapeIn = false; }, kResultNoTape},
        {"local", [](sim::DeckSettings& d) { d.remote = false; }, kResultDeckLocal},
        {"inhibit", [](sim::DeckSettings& d) { d.recordInhibit = true; }, kResultRecordInhibit},
        {"silent", [](sim::DeckSettings& d) { d.faults.silent = true; }, kResultDeckNotReady},
    };
    for (const auto& c : cases) {
        sim::DeckSettings deck;
        c.setup(deck);
        Start(deck);
        EXPECT_EQ(c.check, port->CheckEditReady()) << c.name;
        EXPECT_EQ(kResultDeckNotReady, port->StartEdit()) << c.name;
        EXPECT_FALSE(port->IsEditArmed()) << c.name;
        const std::vector<std::string> sent = Sent();
        ASSERT_FALSE(sent.empty()) << c.name;
        EXPECT_EQ("20 00 20", sent.back()) << c.name << ": the deck is stopped first";
    }
}

TEST_F(PortFacade, EditCuesThePrerollBeforeTheInPointAndNeverBeforeZero)
{
    ASSERT_EQ(0, port->SetTimecodeFormat(kFormat30Df));
    ASSERT_EQ(0, port->SetPreroll(5));
    ASSERT_EQ(0, port->SetInText("01:00:10:00"));
    ASSERT_EQ(0, port->CheckEditReady());
    Drain();
    ASSERT_EQ(0, port->StartEdit());
    EXPECT_TRUE(port->IsEditArmed());
    std::vector<std::string> sent = Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ("24 31 00 05 00 01 5B", sent.back()) << "cue to 01:00:05:00";
    // Armed: a second start and the settings that shape the edit are refused.
    EXPECT_EQ(0, port->StartEdit());
    EXPECT_EQ(-2, port->SetEditMode(1));
    EXPECT_EQ(-2, port->SetInText("00:00:00:10"));
    ASSERT_EQ(0, port->StopEdit());
    EXPECT_FALSE(port->IsEditArmed());
    EXPECT_EQ("20 00 20", Sent().back());

    ASSERT_EQ(0, port->SetInText("00:00:01:00"));
    ASSERT_EQ(0, port->StartEdit());
    sent = Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ("24 31 00 00 00 00 55", sent.back()) << "cue to zero";
    port->StopEdit();
}

} // namespace
