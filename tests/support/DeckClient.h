#pragma once
// Drives a virtual deck through its byte interface as a controller would:
// blocks checksummed and sent a wire byte apart, replies collected as they
// would arrive, time moved on by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <string>
#include <vector>

#include "sim/deck/VirtualVtr.h"

namespace decktest {

using Bytes = std::vector<uint8_t>;

constexpr double kByteMs = 11.0 * 1000.0 / 38400.0;

inline std::string Hex(const Bytes& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (uint8_t b : bytes) {
        if (!s.empty())
            s += ' ';
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

inline Bytes WithChecksum(Bytes bytes)
{
    uint8_t sum = 0;
    for (uint8_t b : bytes)
        sum = static_cast<uint8_t>(sum + b);
    bytes.push_back(sum);
    return bytes;
}

class DeckClient {
public:
    explicit DeckClient(const sim::DeckSettings& settings = {}) : deck(settings, now) {}

    // Sends the bytes as they are and returns what comes back within the
    // quiet window; the clock ends after the reply.
    Bytes SendRaw(const Bytes& bytes)
    {
        std::vector<sim::DeckReply> replies;
        for (uint8_t b : bytes) {
            now += kByteMs;
            deck.Receive(b, now, &replies);
        }
        Bytes got;
        for (const sim::DeckReply& r : replies) {
            EXPECT_GE(r.startMs, now) << "a reply must not start before the block is in";
            got.insert(got.end(), r.bytes.begin(), r.bytes.end());
            now = std::max(now, r.startMs + kByteMs * r.bytes.size());
        }
        return got;
    }
    // A command block with its checksum.
    Bytes Send(const Bytes& block) { return SendRaw(WithChecksum(block)); }
    // A transport or preset command that must be acknowledged.
    void Command(const Bytes& block)
    {
        const Bytes reply = Send(block);
        EXPECT_EQ(Hex(reply), "10 01 11") << "for " << Hex(WithChecksum(block));
    }
    void Wait(double ms)
    {
        now += ms;
        std::vector<sim::DeckReply> replies;
        deck.Poll(now, &replies);
        for (const sim::DeckReply& r : replies)
            late.insert(late.end(), r.bytes.begin(), r.bytes.end());
    }
    // Status data D0 to D9.
    Bytes Status()
    {
        const Bytes r = Send({0x61, 0x20, 0x0A});
        EXPECT_EQ(r.size(), 13u) << Hex(r);
        return r.size() == 13 ? Bytes(r.begin() + 2, r.end() - 1) : Bytes(10, 0);
    }
    // The four time-data bytes of a time sense.
    Bytes Time(uint8_t which = 0x01)
    {
        const Bytes r = Send({0x61, 0x0C, which});
        EXPECT_EQ(r.size(), 7u) << Hex(r);
        return r.size() == 7 ? Bytes(r.begin() + 2, r.end() - 1) : Bytes(4, 0);
    }
    int64_t Frame() { return deck.Transport(now).Frame(now); }
    sim::DeckTransport& Transport() { return deck.Transport(now); }

    double now = 1000.0;
    sim::VirtualVtr deck;
    Bytes late; // replies that came out of Wait
};

inline Bytes Cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// BCD time data for a label: frames, seconds, minutes, hours.
inline Bytes TimeData(uint32_t h, uint32_t m, uint32_t s, uint32_t f)
{
    const auto bcd = [](uint32_t v) { return static_cast<uint8_t>((v / 10) * 16 + v % 10); };
    return {bcd(f), bcd(s), bcd(m), bcd(h)};
}

} // namespace decktest
