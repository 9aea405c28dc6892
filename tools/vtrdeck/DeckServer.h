#pragma once
// One virtual deck served in real time over a byte stream: bytes are
// handed to the deck as they arrive, its replies go out when the deck
// starts them, and an unfinished block times out on the deck's own clock.
#include "sim/deck/VirtualVtr.h"

#include <chrono>
#include <cstdio>
#include <deque>

namespace vtrdeck {

class DeckServer {
public:
    // packetLog may be null.
    DeckServer(const sim::DeckSettings& settings, std::FILE* packetLog);

    // A controller came or went: a deck whose controller is gone hears
    // nothing, drops the block it was reading and what it had yet to say.
    void Connect(int fd);
    void Disconnect();
    int Client() const { return client_; }

    // The client's fd has bytes (false: it closed or failed).
    bool ReadClient();
    // Sends what is due and lets the deck time out a block; then the
    // poll timeout until the next thing due, in ns (-1: none).
    bool Service();
    long long NanosecondsToNext() const;

    // The recorded segments, one line each.
    void PrintTapeLog(std::FILE* out);

private:
    double NowMs() const;
    void Take(std::vector<sim::DeckReply>& replies);
    void FlushPacketLog();

    std::chrono::steady_clock::time_point start_;
    sim::VirtualVtr deck_;
    std::FILE* packetLog_;
    int client_ = -1;
    std::deque<sim::DeckReply> pending_; // in start order
};

} // namespace vtrdeck
