// Drives the virtual deck with any byte stream, as a controller on the wire
// would, and checks what must hold whatever the controller sends: a reply
// is a well-formed block starting no earlier than its cause plus the
// latency, and a whole block gets exactly one; time data is a label the
// tape has, for the frame under the heads; the heads stay on the timecode
// day, a parked deck stands still, recorded segments lie on the tape; and
// time always moves the deck on (nothing stays due once it is served).
//
// Input: three bytes that set the deck up (format and switches, start
// time, one unused), then operations, each a control byte and what it takes:
//   00-1F  the next 1 to 32 bytes go on the wire back to back;
//   20-3F  a command block from the next bytes, as long as its CMD-1 says,
//          its checksum added (so that mutations keep it valid), and
//          0.35 ms times the low five bits between its bytes;
//   40-7F  0 to 63 ms pass, the deck polled whenever it asks;
//   80-BF  0.25 to 16 s pass, the deck polled once at the end, late;
//   C0-FF  long jumps with no poll, the front panel, faults, latency, or a
//          jump to the transport's next event (see Special).
#include "../fuzz/FuzzTarget.h"

#include "sim/deck/VirtualVtr.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>

namespace {

using sim::DeckReply;

constexpr double kByteMs = 11.0 * 1000.0 / 38400.0;
constexpr double kHourMs = 3600e3;
constexpr double kLongJumpsMs[] = {30e3, 120e3, 600e3, 2400e3, kHourMs, 3 * kHourMs, 12 * kHourMs, 30 * kHourMs};
constexpr double kLatenciesMs[] = {1.0, 0.0, 0.3, 12.0};
// One poll at the due time must deal with what was due; a few more allow
// for a deck that times out in stages, a thousand means it never settles.
constexpr int kMaxPollsPerStep = 1000;

const sim::TapeFormatId kFormats[] = {
    sim::TapeFormatId::Fps24, sim::TapeFormatId::Fps25, sim::TapeFormatId::Fps50, sim::TapeFormatId::Df30,
    sim::TapeFormatId::Ndf30, sim::TapeFormatId::Df60, sim::TapeFormatId::Ndf60,
};

std::string Hex(const std::vector<uint8_t>& bytes)
{
    std::string s;
    for (uint8_t b : bytes)
        s += "0123456789ABCDEF"[b >> 4] + std::string(1, "0123456789ABCDEF"[b & 15]) + " ";
    return s;
}

// Switches: bits 0-2 format, 3 tape out, 4 local, 5 record inhibit,
// 6-7 latency. Start: bits 0-4 hours, 5 the hour's last frame, 6 minute 1
// (dropped in drop frame), 7 frames one past the last; hours past 23 and the
// last two are labels a configuration may give but no tape has.
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
    if (start & 0x40)
        s.start.minutes = 1;
    if (start & 0x80)
        s.start.frames = format.base;
    return s;
}

uint8_t Sum(const uint8_t* first, const uint8_t* last) { return uint8_t(std::accumulate(first, last, 0)); }

class Session {
public:
    Session(const uint8_t* data, size_t size)
        : data_(data), size_(size), pos_(std::min<size_t>(size, 3)), settings_(SettingsOf(data, size)),
          latencyMs_(settings_.latencyMs), vtr_(settings_, now_) {}

    void Go()
    {
        CheckDeck();
        while (pos_ < size_) {
            op_ = pos_;
            const uint8_t c = Take();
            if (c < 0x20) {
                for (size_t n = (c & 0x1Fu) + 1; n > 0 && pos_ < size_; --n)
                    Send(Take());
                CheckDeck();
            } else if (c < 0x40) {
                SendBlock((c & 0x1F) * 0.35);
                CheckDeck();
            } else if (c < 0x80) {
                Pass(c & 0x3F, true);
                CheckDeck();
            } else if (c < 0xC0) {
                Pass(((c & 0x3F) + 1) * 250.0, false);
                Poll(now_);
            } else {
                Special(c & 0x3F);
            }
        }
        Pass(60e3, true);
        CheckDeck();
    }

private:
    uint8_t Take() { return pos_ < size_ ? data_[pos_++] : 0; }

    // Returns the number of replies.
    size_t Send(uint8_t byte)
    {
        now_ += kByteMs;
        const double due = vtr_.NextDueMs();
        std::vector<DeckReply> replies;
        vtr_.Receive(byte, now_, &replies);
        CheckReplies(replies, now_, due);
        for (const DeckReply& r : replies)
            CheckTimeData(r);
        CheckDue(now_);
        return replies.size();
    }

    void Poll(double atMs)
    {
        const double due = vtr_.NextDueMs();
        std::vector<DeckReply> replies;
        vtr_.Poll(atMs, &replies);
        CheckReplies(replies, atMs, due);
        CheckDue(atMs);
    }

    void SendBlock(double gapMs)
    {
        if (pos_ == size_)
            return;
        std::vector<uint8_t> block{Take()};
        for (size_t n = 1u + (block[0] & 0x0Fu); n > 0 && pos_ < size_; --n)
            block.push_back(Take());
        block.push_back(Sum(block.data(), block.data() + block.size()));
        // A whole block on a quiet line, its bytes within the time-out, is
        // answered once, when its last byte is in.
        const bool answered = block.size() == 3u + (block[0] & 0x0Fu) && std::isinf(vtr_.NextDueMs()) &&
                              kByteMs + gapMs < sim::kInterByteTimeoutMs;
        for (size_t i = 0; i < block.size(); ++i) {
            if (i > 0)
                Pass(gapMs, true);
            const size_t replies = Send(block[i]);
            if (answered && replies != (i + 1 == block.size() ? 1u : 0u))
                Fail("block %s: %zu replies after its byte %zu", Hex(block).c_str(), replies, i + 1);
        }
    }

    // Time passes; a rack that keeps up polls the deck whenever it is due.
    void Pass(double ms, bool keepUp)
    {
        const double until = now_ + ms;
        for (int polls = 0; keepUp; ++polls) {
            const double due = vtr_.NextDueMs();
            if (!(due <= until))
                break;
            if (polls == kMaxPollsPerStep)
                Fail("still due at %.3f ms after %d polls", due, polls);
            now_ = std::max(now_, due);
            Poll(now_);
        }
        now_ = until;
    }

    void Special(uint8_t k)
    {
        if (k < 8) {
            // Nothing asks the deck anything until the next byte arrives.
            now_ += kLongJumpsMs[k];
            return;
        }
        if (k >= 32) {
            // Onto the transport's next event (an arrival, the end of a
            // preroll or of the tape), or just past it.
            const double next = vtr_.Transport(now_).NextEventMs();
            if (next > now_ && next - now_ < 30 * kHourMs)
                Pass(next - now_ + (k - 32) * 0.05, true);
            CheckDeck();
            return;
        }
        sim::DeckTransport& t = vtr_.Transport(now_);
        switch (k) {
        case 8: t.SetRemote(!t.Remote()); break;
        case 9: t.InsertTape(now_); break;
        case 13: {
            // Fine steps to 12.7 ms, then coarse ones to the 1000 ms a
            // configuration allows.
            const uint8_t b = Take();
            vtr_.SetLatencyMs(latencyMs_ = b < 128 ? b * 0.1 : (b - 127) * 7.8);
            break;
        }
        default: Pass(Take() * 0.02, true); break;
        }
        CheckDeck();
    }

    // A call at causeMs may also answer for a block that timed out at
    // dueMs; that answer comes first.
    void CheckReplies(const std::vector<DeckReply>& replies, double causeMs, double dueMs)
    {
        for (size_t i = 0; i < replies.size(); ++i) {
            const DeckReply& r = replies[i];
            const std::string bytes = Hex(r.bytes);
            const double cause = i == 0 && dueMs <= causeMs ? dueMs : causeMs;
            if (!(r.startMs >= cause + latencyMs_ - 1e-9))
                Fail("reply %s starts at %.4f ms, before its cause at %.4f ms plus the latency of %.1f ms",
                    bytes.c_str(), r.startMs, cause, latencyMs_);
            if (i > 0 && r.startMs < replies[i - 1].startMs)
                Fail("reply %s starts before the one handed out ahead of it", bytes.c_str());
            const size_t block = r.bytes.empty() ? 0 : 3u + (r.bytes[0] & 0x0Fu), length = r.bytes.size();
            if (length == 0 || length != block)
                Fail("reply %s: its first byte gives %zu bytes", bytes.c_str(), block);
            if (Sum(&r.bytes[0], &r.bytes[length - 1]) != r.bytes[length - 1])
                Fail("reply %s: checksum wrong", bytes.c_str());
        }
    }

    // A time sense answers with a label the tape has, for the frame under
    // the heads (VITC: the frame its reader holds above its speed).
    void CheckTimeData(const DeckReply& r)
    {
        if (r.bytes.size() != 7 || r.bytes[0] != 0x74 || (r.bytes[1] != 0x04 && r.bytes[1] != 0x06))
            return;
        const sim::DeckTransport& t = vtr_.Transport(now_);
        sim::TimeLabel label;
        if (!sim::DecodeTimeData(t.Format(), r.bytes.data() + 2, &label) || !sim::IsValidLabel(t.Format(), label))
            Fail("time data %s is no label of the tape", Hex(r.bytes).c_str());
        const int64_t frame = r.bytes[1] == 0x06 ? t.VitcFrame(now_) : t.Frame(now_);
        if (sim::FrameOf(t.Format(), label) != frame)
            Fail("time data %s for frame %lld reads back as frame %lld", Hex(r.bytes).c_str(), (long long)frame,
                (long long)sim::FrameOf(t.Format(), label));
    }

    // Once polled or fed at atMs, the deck must not be due at or before it:
    // a rack would poll it again and again at the same instant.
    void CheckDue(double atMs)
    {
        const double due = vtr_.NextDueMs();
        if (std::isnan(due) || due <= atMs)
            Fail("due at %.4f ms right after it was served at %.4f ms", due, atMs);
    }

    void CheckDeck()
    {
        const sim::DeckTransport& t = vtr_.Transport(now_);
        const int64_t days = t.Format().DayFrames();
        const int64_t frame = t.Frame(now_);
        if (frame < 0 || frame >= days)
            Fail("the heads are on frame %lld, off the day of %lld frames", (long long)frame, (long long)days);
        using M = sim::TransportMode;
        const double speed = t.Speed();
        const M mode = t.Mode();
        const bool parked = mode == M::TapeOut || mode == M::Ejecting || mode == M::Stopped || mode == M::CuedUp;
        if (!(std::fabs(speed) <= sim::kMaxTapeSpeed) || (parked && speed != 0))
            Fail("mode %d at speed %g", static_cast<int>(mode), speed);
        if (!(t.NextEventMs() > now_))
            Fail("the transport's next event at %.4f ms is not after now", t.NextEventMs());
        const auto& segments = t.Segments();
        // Only the last segment can still grow.
        for (size_t i = checkedSegments_ > 0 ? checkedSegments_ - 1 : 0; i < segments.size(); ++i) {
            const sim::RecordedSegment& s = segments[i];
            if (s.first < 0 || s.first > s.last || s.last >= days || s.channels == 0 ||
                (s.channels & ~sim::kAllChannels) != 0)
                Fail("recorded segment %zu: frames %lld to %lld, channels %03X", i, (long long)s.first,
                    (long long)s.last, s.channels);
        }
        checkedSegments_ = segments.size();
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
    size_t size_;
    size_t pos_;
    size_t op_ = 0;
    double now_ = 0;
    const sim::DeckSettings settings_;
    double latencyMs_;
    sim::VirtualVtr vtr_;
    size_t checkedSegments_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Session(data, size).Go();
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    // In the input's terms: 20 a block, 5F 31 ms, 87 2 s, E0 on to the
    // transport's next event.
    const std::vector<uint8_t> senses = {0x20, 0x61, 0x20, 0x0A, 0x20, 0x61, 0x0C, 0x03, 0x20, 0x60, 0x2E};
    const std::vector<std::vector<uint8_t>> scripts = {
        {0x20, 0x20, 0x01, 0x87},                                           // play
        {0x20, 0x20, 0x20, 0x87, 0x20, 0x20, 0x00},                         // rewind, stop
        {0x20, 0x24, 0x31, 0x00, 0x00, 0x10, 0x00, 0x5F, 0xE0},             // a cue far away
        {0x20, 0x21, 0x13, 0x7F, 0xC5, 0x20, 0x21, 0x23, 0x7F, 0xC6},       // shuttle to either end
        {0x20, 0x20, 0x02, 0x87, 0x20, 0x20, 0x00},                         // crash record
        {0x20, 0x44, 0x14, 0x00, 0x10, 0x00, 0x01, 0x20, 0x44, 0x15, 0x00, 0x12, 0x00, 0x01,  // auto edit
         0x20, 0x44, 0x31, 0x00, 0x05, 0x00, 0x00, 0x20, 0x41, 0x30, 0x53, 0x20, 0x20, 0x42, 0xE0, 0xE1},
        {0x02, 0x24, 0x31, 0x00, 0x4F, 0x3B, 0x20, 0x00, 0x7E, 0x02, 0x20, 0x01, 0x00},  // cut short, slow, bad checksum
        {0xCD, 0xFF, 0xC8, 0x20, 0x20, 0x01},                               // latency, local
    };
    std::vector<std::vector<uint8_t>> seeds;
    for (uint8_t format = 0; format < 7; ++format)
        for (const std::vector<uint8_t>& script : scripts) {
            std::vector<uint8_t> seed = {format, uint8_t(format == 6 ? 0x37 : 0x01), 0};
            for (const std::vector<uint8_t>* part : {&script, &senses, &senses})
                seed.insert(seed.end(), part->begin(), part->end());
            seeds.push_back(seed);
        }
    return seeds;
}
