// Drives the virtual deck with any byte stream, as a controller on the wire
// would, and checks what must hold whatever the controller sends: a reply
// is a well-formed block starting no earlier than its cause plus the
// latency, and a whole block gets exactly one; time data is a label the
// tape has, for the frame under the heads; the heads stay on the timecode
// day, a parked deck stands still, recorded segments lie on the tape; and
// time always moves the deck on (nothing stays due once it is served).
//
// Input: three bytes that set the deck up (format and switches, start
// time, faults), then operations, each a control byte and what it takes:
//   00-1F  the next 1 to 32 bytes go on the wire back to back;
//   20-3F  a command block from the next bytes, as long as its CMD-1 says,
//          its checksum added (so that mutations keep it valid), and
//          0.35 ms times the low five bits between its bytes;
//   40-7F  0 to 63 ms pass, the deck polled whenever it asks;
//   80-BF  0.25 to 16 s pass, the deck polled once at the end, late;
//   C0-FF  long jumps with no poll, the front panel, faults, latency, or a
//          jump to the transport's next event (see Special).
#include "FuzzTarget.h"

#include "sim/deck/VirtualVtr.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using sim::DeckReply;

constexpr double kByteMs = 11.0 * 1000.0 / 38400.0;
constexpr double kHourMs = 3600e3;
constexpr double kLongJumpsMs[] = {30e3, 120e3, 600e3, 2400e3, kHourMs, 3 * kHourMs, 12 * kHourMs, 30 * kHourMs};
constexpr double kLatenciesMs[] = {1.0, 0.0, 0.3, 12.0};
constexpr size_t kLongestReply = 3 + 15;
// What the over-long fault adds, and the most a random reply holds.
constexpr size_t kOverrun = 40;
constexpr size_t kLongestRandomReply = 40;
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
    char two[4];
    for (uint8_t b : bytes) {
        std::snprintf(two, sizeof two, s.empty() ? "%02X" : " %02X", b);
        s += two;
    }
    return s;
}

// Low nibble: the fault; high nibble: how often or how soon.
sim::DeckFaults FaultsOf(uint8_t b)
{
    sim::DeckFaults f;
    const uint32_t n = b >> 4;
    switch (b & 0x0F) {
    case 0x0F: f.silent = true; break;
    case 0x0E: f.nakAll = true; break;
    case 0x0D: f.unplugAfterMs = 40.0 * n; break;
    case 0x0C: f.garbleEvery = 1 + n; break;
    case 0x0B: f.truncateEvery = 1 + n; break;
    case 0x0A: f.overlongEvery = 1 + n; break;
    case 0x09: f.randomSeed = 0x9E3779B9u * (n + 1); break;
    default: break;
    }
    return f;
}

// Hours past 23 and the last variants are labels a configuration may give
// but no tape has.
sim::TimeLabel StartOf(uint8_t b, const sim::TapeFormat& format)
{
    sim::TimeLabel l;
    l.hours = b & 0x1Fu;
    switch (b >> 5) {
    case 1:     // the hour's last frame
        l.minutes = 59;
        l.seconds = 59;
        l.frames = format.base - 1;
        l.secondOfPair = format.doubleRate;
        break;
    case 2: l.minutes = 10; break;
    case 3:
        l.minutes = 30;
        l.seconds = 15;
        l.frames = 12;
        break;
    case 4: l.minutes = 1; break;   // dropped in drop frame
    case 5: l.secondOfPair = true; break;
    case 6: l.frames = format.base; break;
    case 7: l.minutes = 60; break;
    default: break;
    }
    return l;
}

// Switches: bits 0-2 format, 3 tape out, 4 local, 5 record inhibit,
// 6-7 latency.
sim::DeckSettings SettingsOf(const uint8_t* data, size_t size)
{
    const uint8_t switches = size > 0 ? data[0] : 0x03;
    sim::DeckSettings s;
    s.format = kFormats[(switches & 7) % 7];
    s.tapeIn = (switches & 0x08) == 0;
    s.remote = (switches & 0x10) == 0;
    s.recordInhibit = (switches & 0x20) != 0;
    s.latencyMs = kLatenciesMs[switches >> 6];
    s.start = StartOf(size > 1 ? data[1] : 0x01, sim::FormatOf(s.format));
    s.faults = FaultsOf(size > 2 ? data[2] : 0);
    return s;
}

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
        const bool unplugged = vtr_.Unplugged(now_);
        std::vector<DeckReply> replies;
        vtr_.Receive(byte, now_, &replies);
        if (unplugged && !replies.empty())
            Fail("an unplugged deck answered %s", Hex(replies[0].bytes).c_str());
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
        uint8_t sum = 0;
        for (uint8_t b : block)
            sum = static_cast<uint8_t>(sum + b);
        block.push_back(sum);
        // A whole block on a quiet line, its bytes within the time-out, is
        // answered once, when its last byte is in.
        const bool answered = block.size() == 3u + (block[0] & 0x0Fu) && std::isinf(vtr_.NextDueMs()) &&
                              kByteMs + gapMs < sim::kInterByteTimeoutMs && !vtr_.Faults().silent;
        for (size_t i = 0; i < block.size(); ++i) {
            if (i > 0)
                Pass(gapMs, true);
            const size_t replies = Send(block[i]);
            if (answered && !vtr_.Unplugged(now_) && replies != (i + 1 == block.size() ? 1u : 0u))
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
        if (k >= 16) {
            FrontPanel(k - 16);
            CheckDeck();
            return;
        }
        sim::DeckTransport& t = vtr_.Transport(now_);
        switch (k) {
        case 8: t.SetRemote(!t.Remote()); break;
        case 9: t.SetRecordInhibit(!t.RecordInhibit()); break;
        case 10: t.InsertTape(now_); break;
        case 11: vtr_.SetUnplugged(!vtr_.Unplugged(now_)); break;
        case 12: vtr_.SetFaults(FaultsOf(Take())); break;
        case 13: {
            // Fine steps to 12.7 ms, then coarse ones to the 1000 ms a
            // configuration allows.
            const uint8_t b = Take();
            latencyMs_ = b < 128 ? b * 0.1 : (b - 127) * 7.8;
            vtr_.SetLatencyMs(latencyMs_);
            break;
        }
        case 14: vtr_.ClearPackets(); break;
        default: Pass(Take() * 0.02, true); break;
        }
        CheckDeck();
    }

    // The deck's own buttons, straight to the transport.
    void FrontPanel(uint8_t button)
    {
        sim::DeckTransport& t = vtr_.Transport(now_);
        const auto speed = [this] { return static_cast<int8_t>(Take()) * (sim::kMaxTapeSpeed / 128); };
        switch (button) {
        case 0: t.Stop(now_); break;
        case 1: t.Play(now_); break;
        case 2: t.Record(now_); break;
        case 3: t.Eject(now_); break;
        case 4: t.Wind(true, now_); break;
        case 5: t.Wind(false, now_); break;
        case 6: t.Shuttle(speed(), now_); break;
        case 7: t.Jog(speed(), now_); break;
        case 8: t.Var(speed(), now_); break;
        case 9: {
            // A frame anywhere on the day, or one just off either end.
            const int64_t n = (int64_t(Take()) << 16) | (int64_t(Take()) << 8) | Take();
            t.Cue(n % (t.Format().DayFrames() + 2) - 1, now_);
            break;
        }
        case 10: t.Preroll(now_); break;
        case 11: t.AutoEdit(true, now_); break;
        case 12: t.AutoEdit(false, now_); break;
        case 13: t.EditOn(now_); break;
        case 14: t.EditOff(now_); break;
        default: t.Standby(Take() & 1, now_); break;
        }
    }

    // A call at causeMs may also answer for a block that timed out at
    // dueMs; that answer comes first.
    void CheckReplies(const std::vector<DeckReply>& replies, double causeMs, double dueMs)
    {
        const sim::DeckFaults& faults = vtr_.Faults();
        if (faults.silent && !replies.empty())
            Fail("a silent deck answered %s", Hex(replies[0].bytes).c_str());
        const bool intact = faults.garbleEvery == 0 && faults.truncateEvery == 0 && faults.randomSeed == 0;
        for (size_t i = 0; i < replies.size(); ++i) {
            const DeckReply& r = replies[i];
            const std::string bytes = Hex(r.bytes);
            const double cause = i == 0 && dueMs <= causeMs ? dueMs : causeMs;
            if (!(r.startMs >= cause + latencyMs_ - 1e-9))
                Fail("reply %s starts at %.4f ms, before its cause at %.4f ms plus the latency of %.1f ms",
                    bytes.c_str(), r.startMs, cause, latencyMs_);
            if (i > 0 && r.startMs < replies[i - 1].startMs)
                Fail("reply %s starts before the one handed out ahead of it", bytes.c_str());
            // Random replies stand in for whatever the others would have been.
            const size_t longest = faults.randomSeed != 0 ? kLongestRandomReply
                                   : kLongestReply + (faults.overlongEvery != 0 ? kOverrun : 0);
            if (r.bytes.empty() || r.bytes.size() > longest)
                Fail("a reply of %zu bytes: %s", r.bytes.size(), bytes.c_str());
            if (!intact)
                continue;
            const size_t block = 3u + (r.bytes[0] & 0x0Fu);
            size_t length = r.bytes.size();
            if (faults.overlongEvery != 0 && length > block) {
                // A whole block, then its checksum over and over.
                if (length != block + kOverrun ||
                    std::count(r.bytes.begin() + block, r.bytes.end(), r.bytes[block - 1]) != long(kOverrun))
                    Fail("an over-long reply %s is no block followed by %zu copies of its last byte", bytes.c_str(),
                        kOverrun);
                length = block;
            }
            if (length != block)
                Fail("reply %s: its first byte gives %zu bytes", bytes.c_str(), block);
            uint8_t sum = 0;
            for (size_t j = 0; j + 1 < length; ++j)
                sum = static_cast<uint8_t>(sum + r.bytes[j]);
            if (sum != r.bytes[length - 1])
                Fail("reply %s: checksum should be %02X", bytes.c_str(), sum);
            if (faults.nakAll && (r.bytes[0] != 0x11 || r.bytes[1] != 0x12))
                Fail("a deck that refuses everything answered %s", bytes.c_str());
        }
    }

    // A time sense answers with a label the tape has, for the frame under
    // the heads (VITC: the frame its reader holds above its speed).
    void CheckTimeData(const DeckReply& r)
    {
        const sim::DeckFaults& faults = vtr_.Faults();
        if (faults.garbleEvery != 0 || faults.truncateEvery != 0 || faults.randomSeed != 0 || r.bytes.size() != 7 ||
            r.bytes[0] != 0x74 || (r.bytes[1] != 0x04 && r.bytes[1] != 0x06))
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
        const double speed = t.Speed();
        if (!(std::fabs(speed) <= sim::kMaxTapeSpeed))
            Fail("speed %g", speed);
        const sim::TransportMode mode = t.Mode();
        const bool parked = mode == sim::TransportMode::TapeOut || mode == sim::TransportMode::Ejecting ||
                            mode == sim::TransportMode::Stopped || mode == sim::TransportMode::CuedUp;
        if (parked && speed != 0)
            Fail("mode %d at speed %g", static_cast<int>(mode), speed);
        const double next = t.NextEventMs();
        if (!(next > now_))
            Fail("the transport's next event at %.4f ms is not after now", next);
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

// Builds seed inputs in the format above.
class Script {
public:
    Script(uint8_t switches, uint8_t start, uint8_t faults = 0) : bytes_{switches, start, faults} {}

    // A block with its count nibble filled in, sent with its checksum and
    // 0.35 ms times gaps between its bytes.
    Script& Command(uint8_t group, uint8_t code, std::vector<uint8_t> data = {}, uint8_t gaps = 0)
    {
        bytes_.insert(bytes_.end(), {static_cast<uint8_t>(0x20 | gaps), static_cast<uint8_t>(group | data.size()), code});
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        return *this;
    }
    Script& Raw(const std::vector<uint8_t>& bytes)
    {
        bytes_.push_back(static_cast<uint8_t>(bytes.size() - 1));
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Script& Wait(int ms)
    {
        for (; ms >= 250; ms -= std::min(ms / 250, 64) * 250)
            bytes_.push_back(static_cast<uint8_t>(0x80 | (std::min(ms / 250, 64) - 1)));
        for (; ms > 0; ms -= std::min(ms, 63))
            bytes_.push_back(static_cast<uint8_t>(0x40 | std::min(ms, 63)));
        return *this;
    }
    Script& Special(uint8_t k, std::vector<uint8_t> args = {})
    {
        bytes_.push_back(static_cast<uint8_t>(0xC0 | k));
        bytes_.insert(bytes_.end(), args.begin(), args.end());
        return *this;
    }
    Script& Senses() { return Command(0x60, 0x20, {0x0A}).Command(0x60, 0x0C, {0x03}).Command(0x60, 0x2E); }
    std::vector<uint8_t> Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> Time(uint8_t h, uint8_t m, uint8_t s, uint8_t f)
{
    const auto bcd = [](uint8_t v) { return static_cast<uint8_t>((v / 10) * 16 + v % 10); };
    return {bcd(f), bcd(s), bcd(m), bcd(h)};
}

struct Block {
    uint8_t group, code;
    std::vector<uint8_t> data;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Session(data, size).Go();
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    // Every command the deck knows, and a few it does not.
    const Block blocks[] = {
        {0x20, 0x00, {}}, {0x20, 0x01, {}}, {0x20, 0x02, {}}, {0x20, 0x04, {}}, {0x20, 0x05, {}},
        {0x20, 0x0F, {}}, {0x20, 0x10, {}}, {0x20, 0x20, {}}, {0x20, 0x30, {}}, {0x20, 0x40, {}},
        {0x20, 0x42, {}}, {0x20, 0x64, {}}, {0x20, 0x65, {}},
        {0x20, 0x11, {0x40}}, {0x20, 0x21, {0x20}}, {0x20, 0x12, {0x4A}}, {0x20, 0x22, {0x30}},
        {0x20, 0x13, {0x7F}}, {0x20, 0x23, {0x60}}, {0x20, 0x13, {0x40, 0x80}}, {0x20, 0x21, {0x10, 0x10}},
        {0x20, 0x31, Time(0, 10, 0, 0)}, {0x20, 0x31, Time(23, 59, 59, 23)}, {0x20, 0x31, Time(1, 1, 0, 0)},
        {0x20, 0x31, {0x12, 0x80 | 0x34, 0x56, 0x12}},
        {0x00, 0x11, {}}, {0x00, 0x0C, {}}, {0x00, 0x1D, {}},
        {0x40, 0x10, {}}, {0x40, 0x11, {}}, {0x40, 0x12, {}}, {0x40, 0x13, {}},
        {0x40, 0x20, {}}, {0x40, 0x21, {}}, {0x40, 0x22, {}}, {0x40, 0x23, {}}, {0x40, 0x40, {}}, {0x40, 0x41, {}},
        {0x40, 0x30, {0x53}}, {0x40, 0x30, {0x33, 0xFF}},
        {0x40, 0x14, Time(1, 0, 10, 0)}, {0x40, 0x15, Time(1, 0, 12, 0)}, {0x40, 0x16, Time(1, 0, 9, 0)},
        {0x40, 0x17, Time(1, 0, 13, 0)}, {0x40, 0x31, Time(0, 0, 5, 0)},
        {0x60, 0x20, {0x0A}}, {0x60, 0x20, {0x4C}}, {0x60, 0x20, {0xF1}}, {0x60, 0x20, {0xFF}},
        {0x60, 0x0C, {0x01}}, {0x60, 0x0C, {0x02}}, {0x60, 0x0C, {0x03}}, {0x60, 0x2E, {}},
        {0x20, 0x7E, {}}, {0x70, 0x00, {}},
    };
    std::vector<std::vector<uint8_t>> seeds;
    uint8_t format = 0;
    for (const Block& b : blocks) {
        format = static_cast<uint8_t>((format + 1) % 7);
        seeds.push_back(Script(format, 0x01).Command(b.group, b.code, b.data).Wait(40).Senses().Wait(2000).Senses().Bytes());
    }

    for (uint8_t f = 0; f < 7; ++f) {
        // Play, wind back, stop.
        seeds.push_back(Script(f, 0x01)
                            .Command(0x20, 0x01).Wait(2000).Senses()
                            .Command(0x20, 0x20).Wait(3000).Command(0x20, 0x00).Senses().Bytes());
        // A cue far away, asked after while it winds and once it is there.
        seeds.push_back(Script(f, 0x01).Command(0x20, 0x31, Time(0, 10, 0, 0)).Wait(500).Senses()
                            .Special(32).Senses().Special(32).Senses().Bytes());
        // An auto edit with all its presets, and its preview.
        for (uint8_t code : {0x42, 0x40})
            seeds.push_back(Script(f, 0x01)
                                .Command(0x40, 0x14, Time(1, 0, 10, 0)).Command(0x40, 0x15, Time(1, 0, 12, 0))
                                .Command(0x40, 0x31, Time(0, 0, 5, 0)).Command(0x40, 0x30, {0x53})
                                .Command(0x40, 0x41).Command(0x20, code).Wait(1000).Senses()
                                .Special(32).Senses().Special(32).Senses().Special(33).Senses()
                                .Special(32).Senses().Wait(3000).Senses().Bytes());
        // Crash record, then a manual insert on two channels.
        seeds.push_back(Script(f, 0x01)
                            .Command(0x20, 0x02).Wait(5000).Command(0x20, 0x00)
                            .Command(0x40, 0x30, {0x33, 0x0F}).Command(0x20, 0x01).Wait(500)
                            .Command(0x20, 0x65).Wait(2000).Command(0x20, 0x64).Senses().Bytes());
        // Shuttle into either end of the tape.
        seeds.push_back(Script(f, 0x17)
                            .Command(0x20, 0x13, {0x7F}).Special(5).Senses()
                            .Command(0x20, 0x23, {0x7F}).Special(6).Senses().Bytes());
        // Play off the end of the day, from its last frame.
        seeds.push_back(Script(f, 0x37).Command(0x20, 0x01).Wait(2000).Senses().Special(32).Senses().Bytes());
    }

    // Eject, the front panel, local, faults, latency.
    seeds.push_back(Script(3, 0x01).Command(0x20, 0x0F).Wait(2000).Command(0x20, 0x01).Senses()
                        .Special(10).Command(0x20, 0x01).Wait(1000).Senses().Bytes());
    seeds.push_back(Script(0x13, 0x01).Command(0x20, 0x01).Special(8).Command(0x20, 0x01).Senses()
                        .Special(17).Wait(500).Special(25, {0x12, 0x34, 0x56}).Special(32).Senses().Bytes());
    seeds.push_back(Script(0x23, 0x01).Command(0x20, 0x02).Special(9).Command(0x20, 0x02).Senses().Bytes());
    seeds.push_back(Script(0xC3, 0x01).Special(13, {0xFF}).Senses().Special(12, {0x3C}).Senses().Senses()
                        .Special(12, {0x2B}).Senses().Senses().Special(12, {0x0E}).Senses()
                        .Special(12, {0x0F}).Senses().Special(12, {0x1D}).Senses().Wait(100).Senses()
                        .Special(11).Senses().Special(11).Special(12, {0x00}).Senses().Bytes());
    // Over-long replies every second time, then random ones.
    seeds.push_back(Script(3, 0x01, 0x1A).Command(0x20, 0x01).Senses().Senses().Special(12, {0x29}).Senses()
                        .Command(0x20, 0x00).Senses().Bytes());
    // Blocks cut short, slow, in pieces, with a bad checksum or unknown.
    seeds.push_back(Script(3, 0x01)
                        .Raw({0x24, 0x31, 0x00}).Wait(15).Command(0x20, 0x01)
                        .Command(0x20, 0x31, Time(0, 20, 0, 0), 27).Command(0x20, 0x00, {}, 29)
                        .Raw({0x20}).Wait(9).Raw({0x00, 0x20})
                        .Raw({0x20, 0x01, 0x00}).Raw({0x2F, 0x00}).Wait(5).Senses()
                        .Raw({0x61, 0x20}).Special(3).Senses().Bytes());
    return seeds;
}
