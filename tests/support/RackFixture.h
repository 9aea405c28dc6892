#pragma once
// Board tests run against the simulated rack, configured afresh per test,
// and read back what the simulated driver received.
#include "sim/SimRack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

class RackTest : public ::testing::Test {
protected:
    // Rack positions of the standard rack.
    enum { kQb0, kQb1, kQa0, kQc0 };

    static sim::BoardConfig Board(uint32_t type, uint32_t id)
    {
        sim::BoardConfig board;
        board.type = type;
        board.boardId = id;
        return board;
    }

    void SetUp() override
    {
        sim::RackConfig config;
        config.boards = {Board(4, 0x10440), Board(4, 0x10410), Board(2, 0x10490), Board(8, 0x104A0)};
        Configure(config);
    }

    void TearDown() override { Rack().ClearFaults(); }

    // The decks drop a block whose bytes come more than the protocol's
    // 10 ms apart. The module sends each block whole, so a wider gap here
    // only keeps a thread stalled by a loaded machine from breaking one; a
    // test of the gap itself sets `keepByteGap`.
    void Configure(sim::RackConfig config, bool keepByteGap = false)
    {
        if (!keepByteGap) {
            for (sim::BoardConfig& board : config.boards)
                board.deck.interByteTimeoutMs = kTolerantByteGapMs;
        }
        Rack().Configure(config);
        Rack().ClearFaults();
        Rack().ClearLog();
    }

    static constexpr double kTolerantByteGapMs = 200.0;

    static sim::SimRack& Rack() { return sim::SimRack::Instance(); }

    static std::vector<sim::LoggedCall> Requests()
    {
        std::vector<sim::LoggedCall> requests;
        for (const sim::LoggedCall& call : Rack().Log()) {
            if (call.call == sim::Call::IoControl)
                requests.push_back(call);
        }
        return requests;
    }

    static sim::LoggedCall LastRequest()
    {
        std::vector<sim::LoggedCall> requests = Requests();
        EXPECT_FALSE(requests.empty());
        return requests.empty() ? sim::LoggedCall{} : requests.back();
    }

    // The 32-bit word the driver received at a byte offset.
    static uint32_t Word(const sim::LoggedCall& call, size_t offset)
    {
        uint32_t value = 0;
        if (offset + 4 <= call.request.size())
            std::memcpy(&value, call.request.data() + offset, 4);
        else
            ADD_FAILURE() << "request of " << call.request.size() << " bytes has no word at " << offset;
        return value;
    }

    // A caller's address at a byte offset, as wide as the target's pointers.
    static uintptr_t Address(const sim::LoggedCall& call, size_t offset)
    {
        uintptr_t value = 0;
        if (offset + sizeof value <= call.request.size())
            std::memcpy(&value, call.request.data() + offset, sizeof value);
        else
            ADD_FAILURE() << "request of " << call.request.size() << " bytes has no address at " << offset;
        return value;
    }

    static size_t CountCalls(sim::Call kind)
    {
        size_t count = 0;
        for (const sim::LoggedCall& call : Rack().Log())
            count += call.call == kind;
        return count;
    }
};
