// Decks that misbehave, as the editor meets them through xDevice: silent,
// refusing, garbled, over-long or late answers, and a deck unplugged while
// a locate runs. The deck reads offline, no call hangs, and a deck that
// behaves again is read again.
#include "support/EditorFaultFixture.h"

#include <cstdlib>
#include <string>

namespace {

class DeckFaults : public EditorFaultTest {};

TEST_F(DeckFaults, DecksThatNeverAnswerWellReadOfflineAndEveryCommandReturns)
{
    struct Case {
        const char* name;
        sim::DeckFaults faults;
        // Its replies begin with a whole block, which is read as such; the
        // bytes that run on after it spoil the next exchange instead.
        bool wholeBlocksFirst = false;
    };
    auto faults = [](auto set) {
        sim::DeckFaults f;
        set(f);
        return f;
    };
    const Case cases[] = {
        {"silent", faults([](sim::DeckFaults& f) { f.silent = true; })},
        {"refuses all", faults([](sim::DeckFaults& f) { f.nakAll = true; })},
        {"garbles all", faults([](sim::DeckFaults& f) { f.garbleEvery = 1; })},
        {"over-long", faults([](sim::DeckFaults& f) { f.overlongEvery = 1; }), true},
        {"truncates all", faults([](sim::DeckFaults& f) { f.truncateEvery = 1; })},
    };
    for (const Case& c : cases) {
        sim::DeckSettings deck;
        deck.faults = c.faults;
        ConfigureDecks(deck);
        record.timecode = 99;
        // Offline, or where whole blocks come, what the deck said: stopped,
        // on the tape's frame.
        auto expectOffline = [&](const char* when) {
            if (c.wholeBlocksFirst) {
                EXPECT_TRUE(record.mode == kModeOfflineReported || record.mode == 0) << c.name << when;
                EXPECT_TRUE(record.timecode == 0 || std::abs(record.timecode - DeckFrame()) <= 2)
                    << c.name << when << ": " << record.timecode << " for " << DeckFrame();
            } else {
                EXPECT_EQ(kModeOfflineReported, record.mode) << c.name << when;
                EXPECT_EQ(0, record.timecode) << c.name << when;
            }
        };
        const DWORD initialise = Elapsed([&] { ASSERT_EQ(0, Call(kSelectorInitialise)) << c.name; });
        expectOffline(" at initialise");
        EXPECT_LT(initialise, 2000u) << c.name;

        // The shuttle lever, a goto, transport modes: each returns at once.
        const DWORD commands = Elapsed([&] {
            EXPECT_EQ(0, Execute(5, -70)) << c.name;
            EXPECT_EQ(0, Execute(3, 0, kOneHour + 300)) << c.name;
            for (int16_t mode : {1, 4, 5, 6, 9, 10, 11, 17, 0})
                EXPECT_EQ(0, Execute(2, mode)) << c.name << " mode " << mode;
        });
        EXPECT_LT(commands, 3000u) << c.name;
        for (int poll = 0; poll < 3; ++poll) {
            ReadStatus();
            expectOffline(" polled");
        }

        // The same deck behaving again is read again, mode and time, once
        // its line has drained of what it was left sending; a deck that
        // heard the commands obeyed the last, a stop. Replies it still owed
        // go out first, so the poll whose status sense is the first answered
        // may have had its time sense answered by one of them.
        SetFaults({});
        int16_t mode = kModeOfflineReported;
        const DWORD recovered = Elapsed([&] {
            for (int i = 0; i < 100 && (mode == kModeOfflineReported || record.timecode == 0); ++i) {
                Sleep(20);
                mode = ReadStatus();
            }
        });
        EXPECT_EQ(0, mode) << c.name;
        EXPECT_LT(recovered, 3000u) << c.name;
        EXPECT_GT(record.timecode, 0) << c.name;
        ASSERT_EQ(0, Call(kSelectorCleanup)) << c.name;
    }
}

TEST_F(DeckFaults, DeckAnsweringLateReadsOfflineAndIsReadRightOnceOnTimeAgain)
{
    ASSERT_EQ(0, Call(kSelectorInitialise));
    ASSERT_EQ(0, ReadStatus());
    int offline = 0;
    for (double latency : {20.0, 50.0}) {
        WithDeck([&](sim::VirtualVtr& deck, double) { deck.SetLatencyMs(latency); });
        // Late answers miss the reply window: offline. A stall of this thread
        // may let one in, and then it must be read as it is, never as
        // anything else.
        auto lateRead = [&](int16_t truth) {
            const int16_t mode = ReadStatus();
            EXPECT_TRUE(mode == kModeOfflineReported || mode == truth) << latency << ": " << mode;
            offline += mode == kModeOfflineReported;
        };
        lateRead(0);
        // The deck hears and obeys; only its answers come late.
        const DWORD took = Elapsed([&] { EXPECT_EQ(0, Execute(2, 1)); });
        EXPECT_LT(took, 1000u) << latency;
        lateRead(1);

        WithDeck([&](sim::VirtualVtr& deck, double) { deck.SetLatencyMs(1.0); });
        Sleep(2 * DWORD(latency));
        EXPECT_EQ(1, ReadStatus()) << latency << ": the late answers are not taken for the new ones";
        const int32_t first = record.timecode;
        Sleep(200);
        EXPECT_EQ(1, ReadStatus()) << latency;
        EXPECT_GT(record.timecode, first) << latency << ": playing";
        ASSERT_EQ(0, Execute(2, 0));
        EXPECT_EQ(0, ReadStatus()) << latency;
    }
    EXPECT_GE(offline, 1) << "a late deck reads offline";
}

TEST_F(DeckFaults, DeckUnpluggedDuringALocateIsGivenUpAndReadOffline)
{
    ASSERT_EQ(0, Call(kSelectorInitialise));
    // A cue of some seconds; the deck goes while it winds.
    const int32_t target = kOneHour + 9000;
    UnplugIn(1000);
    const DWORD took = Elapsed([&] { Execute(4, 0, target, 0); });
    EXPECT_LT(took, 20000u) << "the locate gives up on a deck that no longer moves";
    EXPECT_TRUE(DeckUnplugged());
    EXPECT_EQ(0, record.mode) << "ended as an aborted locate";
    EXPECT_NE(sim::TransportMode::Playing, DeckMode()) << "the play after the cue never reached the deck";
    bool moved = false;
    for (int32_t shown : host.positionsShown)
        moved |= shown > kOneHour && shown < target;
    EXPECT_TRUE(moved) << "positions were shown while the deck wound";

    EXPECT_EQ(kModeOfflineReported, ReadStatus());
    EXPECT_EQ(0, record.timecode);
    const DWORD more = Elapsed([&] {
        for (int16_t mode : {1, 0, 5})
            EXPECT_EQ(0, Execute(2, mode));
        EXPECT_EQ(kModeOfflineReported, ReadStatus());
    });
    EXPECT_LT(more, 2000u);
}

} // namespace
