#pragma once
// Tests with virtual decks on the simulated boards' RS-422 lines: reaching a
// deck, its packet log and its state.
#include "board/BoardInfo.h"
#include "support/RackFixture.h"
#include "support/DeckClient.h"
#include "port/TimecodeText.h"
#include "sim/deck/VirtualVtr.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

class DeckRackTest : public RackTest {
protected:
    static BoardInfo Info(uint32_t index = 0)
    {
        BoardInfo info;
        info.boardType = 4;
        info.boardId = 0x10440;
        info.boardIndex = index;
        std::snprintf(info.displayName, sizeof info.displayName, "Qb - %u", unsigned(index));
        return info;
    }

    // A fresh rack of type-4 boards, each with a deck that starts as given.
    void ConfigureDecks(const sim::DeckSettings& deck, int boards = 1)
    {
        sim::RackConfig config;
        for (int i = 0; i < boards; ++i) {
            config.boards.push_back(Board(4, 0x10440));
            config.boards.back().deck = deck;
        }
        Configure(config);
    }

    static std::string Hex(const std::vector<uint8_t>& bytes) { return decktest::Hex(bytes); }

    template <typename Fn> void WithDeck(Fn fn, int board = 0)
    {
        ASSERT_TRUE(Rack().WithDeck(board, [&](sim::VirtualVtr& deck, double now) { fn(deck, now); }));
    }

    // Blocks each way since the last call, checksums included; the log is
    // emptied so that the next call sees only what follows.
    struct Wire {
        std::vector<std::string> sent;
        std::vector<std::string> received;
    };
    Wire Drain(int board = 0)
    {
        Wire wire;
        WithDeck(
            [&](sim::VirtualVtr& deck, double) {
                for (const sim::LoggedPacket& packet : deck.Packets()) {
                    const bool sent = packet.direction == sim::LoggedPacket::Direction::FromController;
                    (sent ? wire.sent : wire.received).push_back(Hex(packet.bytes));
                }
                deck.ClearPackets();
            },
            board);
        return wire;
    }
    std::vector<std::string> Sent(int board = 0) { return Drain(board).sent; }

    void SetFaults(const sim::DeckFaults& faults)
    {
        WithDeck([&](sim::VirtualVtr& deck, double) { deck.SetFaults(faults); });
    }

    sim::TransportMode DeckMode()
    {
        sim::TransportMode mode = sim::TransportMode::Stopped;
        WithDeck([&](sim::VirtualVtr& deck, double now) { mode = deck.Transport(now).Mode(); });
        return mode;
    }

    // The frame of a timecode in the decks' default format, 29.97 drop frame.
    static int64_t FrameOf(const char* text)
    {
        int32_t frames = 0;
        TimecodeTextToFrames(text, 30000, 1001, 1, &frames);
        return frames;
    }

    int64_t DeckFrame()
    {
        int64_t frame = -1;
        WithDeck([&](sim::VirtualVtr& deck, double now) { frame = deck.Transport(now).Frame(now); });
        return frame;
    }

    double DeckSpeed()
    {
        double speed = 0;
        WithDeck([&](sim::VirtualVtr& deck, double now) { speed = deck.Transport(now).Speed(); });
        return speed;
    }

    // Waits (bounded) until the deck has finished a cue.
    void WaitUntilParked()
    {
        for (int i = 0; i < 400 && DeckMode() == sim::TransportMode::Seeking; ++i)
            Sleep(10);
        ASSERT_NE(sim::TransportMode::Seeking, DeckMode()) << "deck still seeking after 4 s";
    }
};
