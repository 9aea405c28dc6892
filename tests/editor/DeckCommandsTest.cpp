// The editor's deck commands through xDevice, against virtual decks: what
// reaches the deck, what the record reports, settings that outlive a
// session, and decks that answer with rubbish.
#include "editor/DeckReport.h"
#include "port/DeviceControlPort.h"
#include "port/ModuleGlobals.h"
#include "editor/PluginController.h"
#include "support/EditorFixture.h"
#include "support/ChosenSettings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace {

// 01;00;00;00 in 30 drop frame, where the decks start.
constexpr int32_t kOneHour = 107892;

DWORD WINAPI AbortAfterAMoment(LPVOID flag)
{
    Sleep(300);
    InterlockedExchange(static_cast<LONG*>(flag), 1);
    return 0;
}

class HostCommands : public EditorTest {
protected:
    void TearDown() override
    {
        EditorTest::TearDown();
        host.positionListener = nullptr;
    }

    // Status as the editor polls it; the mode it reports.
    int16_t Status()
    {
        Execute(1, 0);
        return record.mode;
    }

    size_t Count(const std::vector<std::string>& sent, const std::string& prefix)
    {
        return std::count_if(sent.begin(), sent.end(),
                             [&](const std::string& s) { return s.compare(0, prefix.size(), prefix) == 0; });
    }
};

TEST_F(HostCommands, InitialiseReportsTheDeckAndStatusAsksItOnceIn61Polls)
{
    ASSERT_EQ(0, Call(kSelectorInitialise));
    EXPECT_EQ(0, record.mode) << "the deck stands stopped";
    EXPECT_EQ(kOneHour, record.timecode);
    EXPECT_EQ(30, record.frameRate);
    EXPECT_EQ(1, record.dropFrame);
    Drain();

    for (int i = 0; i < 61; ++i)
        Status();
    EXPECT_EQ(1u, Count(Sent(), "61 20 0A")) << "first poll after Initialise, then echoes";
    Status();
    EXPECT_EQ(1u, Count(Sent(), "61 20 0A")) << "poll 62 reads the deck again";

    // Releasing the ports makes the next status read the deck at once.
    ASSERT_EQ(0, Call(kSelectorReleasePorts));
    EXPECT_FALSE(gController->CurrentPort()->IsActive());
    Status();
    EXPECT_TRUE(gController->CurrentPort()->IsActive());
    EXPECT_EQ(1u, Count(Sent(), "61 20 0A"));
}

TEST_F(HostCommands, RequestedModesReachTheDeckAsTheirCommands)
{
    ASSERT_EQ(0, Call(kSelectorInitialise));
    Status();
    const struct {
        int16_t mode;
        const char* lastSent; // null: only the deck's speed is checked
        double speed;
    } cases[] = {
        {1, "20 01 21", 1.0}, {4, "21 13 00 34", 0.0},   {0, "20 00 20", 0.0},  {2, nullptr, 0.5},
        {3, nullptr, 0.2},    {11, "21 23 40 84", -1.0}, {12, nullptr, -0.5},   {13, nullptr, -0.2},
        {17, nullptr, 5.0},   {18, nullptr, -5.0},       {5, "20 10 30", 50.0}, {6, "20 20 40", -50.0},
    };
    for (const auto& c : cases) {
        Drain();
        Execute(2, c.mode);
        const std::vector<std::string> sent = Sent();
        ASSERT_FALSE(sent.empty()) << "mode " << c.mode;
        if (c.lastSent) {
            EXPECT_EQ(c.lastSent, sent.back()) << "mode " << c.mode;
        }
        // Speeds off the deck's list of usual ones run at its nearest code.
        EXPECT_NEAR(c.speed, DeckSpeed(), std::fabs(c.speed) * 0.1) << "mode " << c.mode;
        EXPECT_EQ(c.mode, Status()) << "the mode is echoed until the next real read";
    }
    // A second press of a wind never slows the deck.
    Execute(2, 6);
    EXPECT_EQ("20 20 40", Sent().back());
    EXPECT_EQ(-50.0, DeckSpeed());

    // Reported-only modes send nothing and leave the echoed mode alone.
    for (int16_t mode : {7, 8, 14, 15, 16, 19, -1}) {
        Drain();
        Execute(2, mode);
        EXPECT_TRUE(Sent().empty()) << "mode " << mode;
        EXPECT_EQ(6, Status()) << "mode " << mode;
    }

    // A mode the deck refuses is not echoed: the next poll reads the deck.
    WithDeck([](sim::VirtualVtr& deck, double now) { deck.Transport(now).SetRemote(false); });
    Execute(2, kModePlay);
    EXPECT_EQ(kModeOffline, Status()) << "the deck in local";
    WithDeck([](sim::VirtualVtr& deck, double now) { deck.Transport(now).SetRemote(true); });

    // Steps move the deck one frame and report still.
    Execute(2, 0);
    WaitUntilParked();
    Execute(1, 0);
    const int32_t before = record.timecode;
    Execute(2, 9);
    WaitUntilParked();
    Execute(1, 9);
    EXPECT_EQ(4, record.mode);
    EXPECT_EQ(before + 1, record.timecode);
}

TEST_F(HostCommands, ShuttleLeverRunsTheTableSpeeds)
{
    ASSERT_EQ(0, Call(kSelectorInitialise));
    const struct {
        int16_t lever;
        double speed;
        int16_t mode;
    } cases[] = {
        {-100, -32.0, 18}, {-32768, -32.0, 18}, {-90, -16.0, 18}, {-50, -1.0, 11}, {-1, -0.1, 13},
        {0, 0.0, 4},       {1, 0.1, 3},         {50, 1.0, 1},     {51, 2.0, 17},   {91, 32.0, 17},
    };
    for (const auto& c : cases) {
        Execute(5, c.lever);
        EXPECT_EQ(c.lever, record.mode) << "the lever is not overwritten";
        EXPECT_NEAR(c.speed, DeckSpeed(), 1e-9) << "lever " << c.lever;
        EXPECT_EQ(c.mode, Status()) << "lever " << c.lever;
    }
}

TEST_F(HostCommands, GotoReportsInProgressUntilTheDeckIsOnTarget)
{
    ASSERT_EQ(0, Call(kSelectorInitialise));
    Status();
    const int32_t target = kOneHour + 150;
    Execute(3, 0, target);
    EXPECT_EQ(8, Status());
    // A stop while the goto runs would cut it short: nothing is sent.
    Drain();
    Execute(2, 0);
    EXPECT_EQ(0u, Count(Sent(), "20 00"));

    int16_t mode = 8;
    for (int i = 0; i < 300 && mode == 8; ++i) {
        Sleep(10);
        mode = Status();
    }
    EXPECT_EQ(4, mode);
    EXPECT_EQ(target, record.timecode);
}

TEST_F(HostCommands, LocateEndsPlayingExactlyOnTheTarget)
{
    sim::DeckSettings deck;
    deck.start = {0, 0, 10, 0, false};
    ConfigureDecks(deck);
    ASSERT_EQ(0, Call(kSelectorInitialise));
    for (int32_t target : {450, 30}) {
        Drain();
        host.positionsShown.clear();
        Execute(4, 0, target, 90);
        EXPECT_EQ(1, record.mode);
        EXPECT_EQ(target, record.timecode);
        EXPECT_EQ(sim::TransportMode::Playing, DeckMode());
        EXPECT_FALSE(host.positionsShown.empty());
        const std::vector<std::string> sent = Sent();
        // The preroll is taken off the target, not below the tape's start.
        const char* cue = target == 450 ? "24 31 00 12 00 00 67" : "24 31 00 00 00 00 55";
        EXPECT_EQ(1u, Count(sent, cue)) << "target " << target;
        EXPECT_EQ(1, Status()) << "playing, no longer on the way to the cue";
    }

    // With VITC alone the deck's time stands through a wind of more than
    // the locate's 10 s stall check: the deck is on its way, so it goes on.
    ASSERT_EQ(0, gController->CurrentPort()->SetTimecodeSource(1));
    const int32_t distant = 18090;
    Execute(4, 0, distant, 90);
    EXPECT_EQ(1, record.mode);
    EXPECT_EQ(distant, record.timecode);
}

TEST_F(HostCommands, AnAbortedLocateOrADeckThatGoesAwayLeavesItStopped)
{
    ASSERT_EQ(0, Call(kSelectorInitialise));
    InterlockedExchange(&host.abortRequested, 1);
    Drain();
    Execute(4, 0, kOneHour + 3000, 60);
    EXPECT_EQ(0, record.mode);
    EXPECT_EQ("20 00 20", Sent().back());
    EXPECT_EQ(sim::TransportMode::Stopped, DeckMode());
    InterlockedExchange(&host.abortRequested, 0);

    sim::DeckFaults gone;
    gone.silent = true;
    SetFaults(gone);
    Execute(4, 0, kOneHour + 3000, 60);
    EXPECT_EQ(0, record.mode);
    EXPECT_EQ(15, Status()) << "the next real read finds the deck gone";

    // A deck that gives no time reads as zeros, which would match a cue and
    // target of 00:00:00:00 at once; the editor's abort ends this one.
    HANDLE aborter = CreateThread(nullptr, 0, AbortAfterAMoment, const_cast<LONG*>(&host.abortRequested), 0, nullptr);
    ASSERT_NE(nullptr, aborter);
    Execute(4, 0, 0, 60);
    WaitForSingleObject(aborter, INFINITE);
    CloseHandle(aborter);
    EXPECT_EQ(0, record.mode) << "stopped, never reported playing on the target";
}

// Settings surviving a stopped controller are the e2e session's; here the
// controller is up, and a Restart's slot must reach the deck controller and
// the controller's own copy, which Setup hands out.
TEST_F(HostCommands, RestartWithTheControllerUpAppliesTheSlot)
{
    ASSERT_EQ(0, Call(kSelectorInitialise));
    PersistedSettings* live = reinterpret_cast<PersistedSettings*>(*record.settings);
    ChooseSettings(live->ports[0], 1, 4, 5, 6);
    const PortSettings restored = live->ports[0];
    ASSERT_EQ(0, Call(kSelectorRestart));
    int32_t format = -1, preroll = -1;
    gController->ports[0]->GetTimecodeFormat(&format);
    gController->ports[0]->GetPreroll(&preroll);
    EXPECT_EQ(1, format);
    EXPECT_EQ(4, preroll);
    EXPECT_EQ(25, record.frameRate);
    EXPECT_EQ(0, std::memcmp(&restored, &gController->persisted.ports[0], sizeof restored));
    ASSERT_EQ(0, Call(kSelectorCleanup));
}

// Frames in a day of 30 drop frame, the decks' and the ports' default.
constexpr int32_t kDayFrames = 2589408;
DWORD gLocateStart = 0;

// Ends a locate from the position display, since a deck that never reads
// its time would otherwise hold the cue for its stall time.
extern "C" void AbortLocateSoon(int32_t, int32_t)
{
    if (GetTickCount() - gLocateStart > 300)
        InterlockedExchange(&HostEnvironment::Instance().abortRequested, 1);
}

// Every call comes back soon, what the record reports is usable, the port's
// lock is free, and a deck that answers well again is read again.
TEST_F(HostCommands, DecksAnsweringRubbishLeaveEveryCallBoundedAndDefined)
{
    const struct {
        const char* name;
        uint32_t seed, garble, truncate, overlong;
    } cases[] = {
        // 4290 and 27338 give, as their first reply, a time block with a good
        // checksum and no time of day in it (hours 25 and 26).
        {"random 4290", 4290, 0, 0, 0},
        {"random 27338", 27338, 0, 0, 0},
        {"random 1", 1, 0, 0, 0},
        {"garble 2", 0, 2, 0, 0},
        {"truncate 3", 0, 0, 3, 0},
        {"overlong 2", 0, 0, 0, 2},
        {"garble 3 truncate 5 overlong 7", 0, 3, 5, 7},
    };
    auto reported = [&]() -> std::string {
        if (record.mode < 0 || record.mode > 19)
            return "mode " + std::to_string(record.mode);
        if (record.frameRate != 30 || record.dropFrame != 1)
            return "rate " + std::to_string(record.frameRate) + " drop " + std::to_string(record.dropFrame);
        if (record.timecode < 0 || record.timecode >= kDayFrames)
            return "timecode " + std::to_string(record.timecode);
        return "";
    };
    // The lock is free when a setting behind it can be made.
    auto lockHeld = [] {
        int32_t mode = 0;
        gController->CurrentPort()->GetEditMode(&mode);
        return gController->CurrentPort()->SetEditMode(mode) != 0;
    };
    static const int16_t kModes[] = {0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 17, 18};
    host.positionListener = AbortLocateSoon;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::DeckSettings deck;
        deck.faults.randomSeed = c.seed;
        deck.faults.garbleEvery = c.garble;
        deck.faults.truncateEvery = c.truncate;
        deck.faults.overlongEvery = c.overlong;
        ConfigureDecks(deck);
        std::mt19937 random(c.seed + 17 * c.garble + 31 * c.truncate);
        // Initialise reads the deck's time first.
        ASSERT_EQ(0, Call(kSelectorInitialise));
        ASSERT_NE(nullptr, gController);
        EXPECT_EQ("", reported()) << "Initialise";
        int locates = 0;
        const DWORD start = GetTickCount();
        for (int op = 0; op < 300 && GetTickCount() - start < 1500; ++op) {
            InterlockedExchange(&host.abortRequested, 0);
            gLocateStart = GetTickCount();
            switch (random() % 8) {
            case 0:
                Execute(2, kModes[random() % (sizeof kModes / sizeof kModes[0])]);
                break;
            case 1:
                Execute(3, 0, int32_t(random() % kDayFrames));
                break;
            case 2:
                Execute(5, int16_t(int(random() % 201) - 100));
                break;
            case 3:
                if (++locates <= 2)
                    Execute(4, 0, int32_t(random() % kDayFrames), int16_t(random() % 300));
                break;
            case 4:
                Call(kSelectorReleasePorts);
                break;
            default:
                break;
            }
            ASSERT_LT(GetTickCount() - gLocateStart, record.command == 4 ? 15000u : 3000u)
                << "op " << op << " command " << record.command;
            ASSERT_FALSE(lockHeld()) << "op " << op << " command " << record.command;
            const DWORD before = GetTickCount();
            ASSERT_EQ(0, Execute(1));
            ASSERT_LT(GetTickCount() - before, 3000u) << "status after op " << op;
            ASSERT_EQ("", reported()) << "status after op " << op;
            ASSERT_FALSE(lockHeld()) << "status after op " << op;
        }

        // Stopped first: a deck still seeking a cue the rubbish sent reports
        // no mode of its own, and the last one reported is echoed.
        SetFaults(sim::DeckFaults{});
        InterlockedExchange(&host.abortRequested, 0);
        Sleep(50);
        gController->CurrentPort()->Stop();
        bool readAgain = false;
        for (int attempt = 0; attempt < 3 && !readAgain; ++attempt) {
            Call(kSelectorReleasePorts); // the next status reads the deck
            record.mode = 0;
            Execute(1);
            readAgain = record.mode != kModeOffline && reported().empty();
        }
        EXPECT_TRUE(readAgain) << reported() << ", mode " << record.mode;
        ASSERT_EQ(0, Call(kSelectorCleanup));
    }
}

} // namespace
