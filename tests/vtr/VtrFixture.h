#pragma once
// Deck-controller tests: one simulated board with a virtual deck on its
// RS-422 line, a controller opened on it, and the deck's packet log to
// check what went over the wire.
#include "board/RackFixture.h"
#include "deck/DeckClient.h"
#include "sim/deck/VirtualVtr.h"
#include "vtr/CSerialVtrControl.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class VtrTest : public RackTest {
protected:
    void SetUp() override { Start(sim::DeckSettings{}); }

    // A fresh rack whose deck starts as given, and the control opened on it.
    void Start(const sim::DeckSettings& deck)
    {
        sim::RackConfig config;
        config.boards = {Board(4, 0x10440)};
        config.boards[0].deck = deck;
        Configure(config);
        control.reset(new CSerialVtrControl);
        ASSERT_TRUE(control->OpenControl(Info(), 2)) << control->LastError();
    }

    static BoardInfo Info()
    {
        BoardInfo info;
        info.boardType = 4;
        info.boardId = 0x10440;
        info.boardIndex = 0;
        std::strcpy(info.displayName, "Qb - 0");
        return info;
    }

    static std::string Hex(const std::vector<uint8_t>& bytes) { return decktest::Hex(bytes); }

    template <typename Fn>
    void WithDeck(Fn fn)
    {
        ASSERT_TRUE(Rack().WithDeck(0, [&](sim::VirtualVtr& deck, double now) { fn(deck, now); }));
    }

    // Blocks each way since the last call, checksums included; the log is
    // emptied so that the next call sees only what follows.
    struct Wire {
        std::vector<std::string> sent;
        std::vector<std::string> received;
    };
    Wire Drain()
    {
        Wire wire;
        WithDeck([&](sim::VirtualVtr& deck, double) {
            for (const sim::LoggedPacket& packet : deck.Packets()) {
                const bool sent = packet.direction == sim::LoggedPacket::Direction::FromController;
                (sent ? wire.sent : wire.received).push_back(Hex(packet.bytes));
            }
            deck.ClearPackets();
        });
        return wire;
    }
    std::vector<std::string> Sent() { return Drain().sent; }

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

    // Waits (bounded) until the deck has finished a cue.
    void WaitUntilParked()
    {
        for (int i = 0; i < 400 && DeckMode() == sim::TransportMode::Seeking; ++i)
            Sleep(10);
        ASSERT_NE(sim::TransportMode::Seeking, DeckMode()) << "deck still seeking after 4 s";
    }

    std::string Timecode()
    {
        char text[CSerialVtrControl::kTimecodeTextBytes] = {};
        EXPECT_TRUE(control->GetTimecode(text)) << control->LastError();
        return text;
    }

    std::string Mode()
    {
        char text[CSerialVtrControl::kModeTextBytes] = {};
        control->GetMode(text);
        return text;
    }

    std::unique_ptr<CSerialVtrControl> control;
};
