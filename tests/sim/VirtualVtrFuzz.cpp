// Drives the virtual deck with any byte stream, as a controller on the wire
// would, and checks what the module relies on whatever it sends: every reply
// is a well-formed block of a kind the request allows, no earlier than its
// cause plus the latency, and a whole block gets exactly one; the transport
// stays on the timecode day, a parked deck stands still, and time always
// moves the deck on (nothing stays due once it is served).
//
// Input: a switches byte, a start byte, then operations:
//   00-1F  the next 1 to 32 bytes go on the wire back to back;
//   20-3F  a command block from the next bytes, as long as its CMD-1 says,
//          its checksum added, 0.35 ms times the low five bits between bytes;
//   40-7F  0 to 63 ms pass, the deck polled whenever it asks;
//   80-FF  0.25 to 32 s pass, the deck polled once at the end, late.
#include "../fuzz/FuzzTarget.h"

#include "sim/deck/VirtualVtr.h"
#include "sim/deck/WireTiming.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kLatenciesMs[] = {1.0, 0.0, 0.3, 12.0};
// A thousand polls at one step means the deck never settles.
constexpr int kMaxPollsPerStep = 1000;

const sim::TapeFormatId kFormats[] = {
    sim::TapeFormatId::Fps24, sim::TapeFormatId::Fps25, sim::TapeFormatId::Fps50, sim::TapeFormatId::Df30,
    sim::TapeFormatId::Ndf30, sim::TapeFormatId::Df60,  sim::TapeFormatId::Ndf60,
};

// Switches: bits 0-2 format, 3 tape out, 4 local, 5 record inhibit, 6-7
// latency. Start: bits 0-4 hours, 5 the hour's last frame (past 23: a label
// no tape has, which a configuration may still give).
sim::DeckSettings SettingsOf(const uint8_t* data, size_t size)
{
    const uint8_t switches = size > 0 ? data[0] : 0x03, start = size > 1 ? data[1] : 0x01;
    sim::DeckSettings s;
    s.format = kFormats[(switches & 7) % 7];
    s.tapeIn = (switches & 0x08) == 0;
    s.remote = (switches & 0x10) == 0;
    s.recordInhibit = (switches & 0x20) != 0;
    s.latencyMs = kLatenciesMs[switches >> 6];
    const sim::TapeFormat& format = sim::FormatOf(s.format);
    s.start.hours = start & 0x1Fu;
    if (start & 0x20)
        s.start = {s.start.hours, 59, 59, uint32_t(format.base - 1), format.doubleRate};
    return s;
}

// A sense (6X) is answered with its data (7X), the device type request with
// the type, anything else with an acknowledgement; any of them may be refused.
bool Answers(const std::vector<uint8_t>& request, const std::vector<uint8_t>& r)
{
    if (r[0] == 0x11 && r[1] == 0x12)
        return true;
    if (request[0] == 0x00 && request[1] == 0x11)
        return r[0] == 0x12 && r[1] == 0x11;
    if ((request[0] & 0xF0) == 0x60)
        return (r[0] & 0xF0) == 0x70;
    return r[0] == 0x10 && r[1] == 0x01;
}

class Session {
public:
    Session(const uint8_t* data, size_t size)
        : data_(data), size_(size), pos_(std::min<size_t>(size, 2)), latencyMs_(SettingsOf(data, size).latencyMs),
          vtr_(SettingsOf(data, size), now_)
    {
    }

    void Go()
    {
        CheckDeck();
        while (pos_ < size_) {
            op_ = pos_;
            const uint8_t c = Take();
            if (c < 0x20) {
                for (size_t n = c + 1u; n > 0 && pos_ < size_; --n)
                    Serve(&data_[pos_++]);
            } else if (c < 0x40) {
                SendBlock((c & 0x1F) * 0.35);
            } else if (c < 0x80) {
                Pass(c & 0x3F, true);
            } else {
                Pass(((c & 0x7F) + 1) * 250.0, false);
                Serve();
            }
            CheckDeck();
        }
        Pass(60e3, true);
        CheckDeck();
    }

private:
    uint8_t Take() { return pos_ < size_ ? data_[pos_++] : 0; }

    // A byte in, or with none a poll, now.
    std::vector<sim::DeckReply> Serve(const uint8_t* byte = nullptr)
    {
        const double due = vtr_.NextDueMs();
        std::vector<sim::DeckReply> replies;
        if (byte)
            vtr_.Receive(*byte, now_ += sim::kWireByteMs, &replies);
        else
            vtr_.Poll(now_, &replies);
        CheckReplies(replies, now_, due);
        return replies;
    }

    void SendBlock(double gapMs)
    {
        if (pos_ == size_)
            return;
        std::vector<uint8_t> block{Take()};
        for (size_t n = 1u + (block[0] & 0x0Fu); n > 0 && pos_ < size_; --n)
            block.push_back(Take());
        block.push_back(sim::BlockChecksum(block.data(), block.size()));
        // A whole block on a quiet line, its bytes within the time-out, is
        // answered once, when its last byte is in.
        const bool answered = block.size() == 3u + (block[0] & 0x0Fu) && std::isinf(vtr_.NextDueMs()) &&
                              sim::kWireByteMs + gapMs < sim::kInterByteTimeoutMs;
        for (size_t i = 0; i < block.size(); ++i) {
            if (i > 0)
                Pass(gapMs, true);
            const std::vector<sim::DeckReply> replies = Serve(&block[i]);
            const bool last = i + 1 == block.size();
            if (answered && replies.size() != (last ? 1u : 0u))
                Fail("block %02X %02X: %zu replies after its byte %zu", block[0], block[1], replies.size(), i + 1);
            if (answered && last && !Answers(block, replies[0].bytes))
                Fail("block %02X %02X answered with %02X %02X", block[0], block[1], replies[0].bytes[0],
                     replies[0].bytes[1]);
        }
    }

    // Time passes; a rack that keeps up polls the deck whenever it is due.
    void Pass(double ms, bool keepUp)
    {
        const double until = now_ + ms;
        for (int polls = 0; keepUp && vtr_.NextDueMs() <= until; ++polls) {
            if (polls == kMaxPollsPerStep)
                Fail("still due at %.3f ms after %d polls", vtr_.NextDueMs(), polls);
            now_ = std::max(now_, vtr_.NextDueMs());
            Serve();
        }
        now_ = until;
    }

    // A call at causeMs may also answer for a block that timed out at
    // dueMs; that answer comes first.
    void CheckReplies(const std::vector<sim::DeckReply>& replies, double causeMs, double dueMs)
    {
        for (size_t i = 0; i < replies.size(); ++i) {
            const std::vector<uint8_t>& b = replies[i].bytes;
            const double cause = i == 0 && dueMs <= causeMs ? dueMs : causeMs;
            if (!(replies[i].startMs >= cause + latencyMs_ - 1e-9))
                Fail("reply at %.4f ms, before its cause at %.4f ms plus the latency", replies[i].startMs, cause);
            if (i > 0 && replies[i].startMs < replies[i - 1].startMs)
                Fail("reply starts before the one handed out ahead of it");
            if (b.size() < 3 || b.size() != 3u + (b[0] & 0x0Fu))
                Fail("reply %02X of %zu bytes", b.empty() ? 0 : b[0], b.size());
            if (sim::BlockChecksum(b.data(), b.size() - 1) != b.back())
                Fail("reply %02X %02X: checksum wrong", b[0], b[1]);
            if ((b[0] & 0xF0) != 0x10 && (b[0] & 0xF0) != 0x70)
                Fail("reply %02X %02X is of no known kind", b[0], b[1]);
        }
        // Once served, a deck still due would be polled forever at one instant.
        if (std::isnan(vtr_.NextDueMs()) || vtr_.NextDueMs() <= causeMs)
            Fail("due at %.4f ms right after it was served at %.4f ms", vtr_.NextDueMs(), causeMs);
    }

    void CheckDeck()
    {
        const sim::DeckTransport& t = vtr_.Transport(now_);
        const int64_t frame = t.Frame(now_), days = t.Format().DayFrames();
        if (frame < 0 || frame >= days)
            Fail("the heads are on frame %lld, off the day of %lld frames", (long long)frame, (long long)days);
        using M = sim::TransportMode;
        const M mode = t.Mode();
        const bool parked = mode == M::TapeOut || mode == M::Ejecting || mode == M::Stopped || mode == M::CuedUp;
        if (!(std::fabs(t.Speed()) <= sim::kMaxTapeSpeed) || (parked && t.Speed() != 0))
            Fail("mode %d at speed %g", static_cast<int>(mode), t.Speed());
        if (!(t.NextEventMs() > now_))
            Fail("the transport's next event at %.4f ms is not after now", t.NextEventMs());
    }

    [[noreturn]] __attribute__((format(printf, 2, 3))) void Fail(const char* format, ...)
    {
        char prefix[96];
        std::snprintf(prefix, sizeof prefix, "VirtualVtrFuzz: at input byte %zu, %.4f ms: ", op_, now_);
        va_list args;
        va_start(args, format);
        FuzzFailure(prefix, format, args);
    }

    const uint8_t* data_;
    size_t size_, pos_, op_ = 0;
    double now_ = 0;
    double latencyMs_;
    sim::VirtualVtr vtr_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Session(data, size).Go();
    return 0;
}

// In the input's terms: 20 a block, 5F 31 ms, 87 2 s, 9F 8 s.
std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    return {
        {0x03, 0x01, 0x20, 0x20, 0x01, 0x87, 0x20, 0x61, 0x20, 0x0A},                         // play, status
        {0x00, 0x37, 0x20, 0x20, 0x10, 0x9F, 0x20, 0x61, 0x0C, 0x03, 0x20, 0x20, 0x00},       // wind, time sense, stop
        {0x05, 0x01, 0x20, 0x24, 0x31, 0x00, 0x00, 0x10, 0x00, 0x5F, 0x20, 0x60, 0x2E},       // a cue, speed sense
        {0x46, 0x01, 0x20, 0x21, 0x13, 0x7F, 0x9F, 0x20, 0x20, 0x02, 0x87, 0x20, 0x00, 0x11}, // shuttle, record
        {0x18, 0x01, 0x02, 0x24, 0x31, 0x00, 0x4F, 0x3B, 0x20, 0x00, 0x7E, 0x02, 0x20, 0x01, 0x00}, // cut short, slow
    };
}
