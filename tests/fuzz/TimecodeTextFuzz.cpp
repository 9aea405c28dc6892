// Feeds any bytes to the host's timecode text functions and checks what must
// hold whatever the user types or the host passes: written texts end within
// 13 bytes and have the timecode's shape; a normalized text is a label of its
// rate that converts to frames and back unchanged; a label normalizes to itself;
// frames within the day come back from their text; the text of a later frame
// orders as later; a double-rate count is twice the single-rate one; the
// comparison is an order's. Texts sit in heap blocks of exactly their length,
// so that AddressSanitizer sees any read past the terminator.
//
// Input: a header, missing bytes reading as 0:
//   flags     bit 0: text a is null, bit 1: text b is null,
//             bit 2: the frame counts are used as given, not brought near
//             the day
//   rate      below F0: 24000, 25000, 30000, 50000, 60000 by its value
//             modulo 5; else four bytes follow with any rate
//   divisor   below F0: 1000 or 1001 by its lowest bit; else four bytes
//   drop      the drop flag as it is
//   class     below F0: format class 0 to 3 by its value modulo 4; else
//             four bytes
//   frames    four bytes, then four more for a second count
// then text a up to the first zero byte, and text b after it.
#include "FuzzTarget.h"

#include "port/TimecodeText.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr size_t kTextBuffer = 13;

[[noreturn]] __attribute__((format(printf, 1, 2))) void Fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FuzzFailure("TimecodeTextFuzz: ", format, args);
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int32_t Int()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | Byte();
        return static_cast<int32_t>(v);
    }
    // Up to the next zero byte or the end.
    std::string Text()
    {
        std::string s;
        while (pos_ < size_ && data_[pos_] != 0)
            s += static_cast<char>(data_[pos_++]);
        if (pos_ < size_)
            ++pos_;
        return s;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

std::unique_ptr<char[]> Exact(const std::string& s)
{
    std::unique_ptr<char[]> p(new char[s.size() + 1]);
    std::memcpy(p.get(), s.c_str(), s.size() + 1);
    return p;
}

// An output buffer of exactly the size the header asks for, its bytes not
// zero, so that a missing terminator is seen.
std::unique_ptr<char[]> Output()
{
    std::unique_ptr<char[]> p(new char[kTextBuffer]);
    std::memset(p.get(), 'x', kTextBuffer);
    return p;
}

void CheckTerminated(const char* what, const char* text)
{
    if (std::memchr(text, '\0', kTextBuffer) == nullptr)
        Fail("%s: no terminator within %zu bytes", what, kTextBuffer);
}

// What the header promises of a rate, worked out here on its own.
struct Arithmetic {
    bool supported;
    int32_t base;     // labels per second
    int32_t pairs;    // frames per label
    bool drop;
    int32_t dayLabels;
};

Arithmetic ArithmeticOf(int32_t rate, int32_t divisor, uint8_t drop)
{
    const bool either = divisor == 1000 || divisor == 1001;
    Arithmetic a{false, 0, 1, false, 0};
    switch (rate) {
    case 24000: a = {either, 24, 1, false, 0}; break;
    case 25000: a = {divisor == 1000, 25, 1, false, 0}; break;
    case 30000: a = {either, 30, 1, drop != 0, 0}; break;
    case 50000: a = {divisor == 1000, 25, 2, false, 0}; break;
    case 60000: a = {either, 30, 2, drop != 0, 0}; break;
    default: break;
    }
    // Drop frame leaves out 2 labels in 9 minutes of every 10.
    a.dayLabels = a.base * 86400 - (a.drop ? 2 * 9 * 6 * 24 : 0);
    return a;
}

struct Fields {
    bool negative;
    int hh, mm, ss, ff;
};

int TwoDigits(const char* p)
{
    return (p[0] - '0') * 10 + (p[1] - '0');
}

// "HH?MM?SS?FF" with an optional leading '-', every ? being sep.
bool ParseShape(const char* text, char sep, Fields* f)
{
    f->negative = *text == '-';
    const char* t = text + (f->negative ? 1 : 0);
    if (std::strlen(t) != 11)
        return false;
    for (int i = 0; i < 11; ++i) {
        const bool digit = t[i] >= '0' && t[i] <= '9';
        if (i % 3 == 2 ? t[i] != sep : !digit)
            return false;
    }
    f->hh = TwoDigits(t);
    f->mm = TwoDigits(t + 3);
    f->ss = TwoDigits(t + 6);
    f->ff = TwoDigits(t + 9);
    return true;
}

bool IsLabel(const Fields& f, int32_t base, bool drop)
{
    return f.hh <= 23 && f.mm <= 59 && f.ss <= 59 && f.ff < base &&
           !(drop && f.mm % 10 != 0 && f.ss == 0 && f.ff < 2);
}

int32_t Compare(const char* a, const char* b)
{
    int32_t result = -1;
    if (CompareTimecodeText(a, b, &result) != 0)
        Fail("CompareTimecodeText did not give 0");
    if (result < 0 || result > 2)
        Fail("CompareTimecodeText(%s, %s) gave result %d", Quoted(a).c_str(), Quoted(b).c_str(),
            static_cast<int>(result));
    return result;
}

void CheckCompare(const char* a, const char* b)
{
    const int32_t ab = Compare(a, b);
    const int32_t ba = Compare(b, a);
    if ((ab == 1) != (ba == 2) || (ab == 0) != (ba == 0))
        Fail("comparing %s and %s gives %d one way and %d the other", Quoted(a).c_str(), Quoted(b).c_str(),
            static_cast<int>(ab), static_cast<int>(ba));
    if (Compare(a, a) != 0)
        Fail("%s does not compare equal to itself", Quoted(a).c_str());
    if (CompareTimecodeText(a, b, nullptr) != 0)
        Fail("CompareTimecodeText with no result did not give 0");
}

// The text of a frame count: its shape, and for a count within the day,
// the frame it converts back to.
std::unique_ptr<char[]> CheckFramesToText(int32_t frames, int32_t rate, int32_t divisor, uint8_t drop)
{
    const Arithmetic a = ArithmeticOf(rate, divisor, drop);
    std::unique_ptr<char[]> text = Output();
    const int rc = FramesToTimecodeText(frames, rate, divisor, drop, text.get());
    CheckTerminated("FramesToTimecodeText", text.get());
    if (rc != (a.supported ? 0 : 1))
        Fail("FramesToTimecodeText(%d, %d, %d, %u) gave %d", static_cast<int>(frames), static_cast<int>(rate),
            static_cast<int>(divisor), drop, rc);
    if (!a.supported) {
        if (std::strcmp(text.get(), kZeroTimecodeText) != 0)
            Fail("an unsupported rate %d/%d wrote %s", static_cast<int>(rate), static_cast<int>(divisor),
                Quoted(text.get()).c_str());
        return text;
    }
    Fields f;
    if (!ParseShape(text.get(), a.drop ? ';' : ':', &f) || f.negative != (frames < 0) || !IsLabel(f, a.base, a.drop))
        Fail("frame %d at %d/%d drop %u is written %s", static_cast<int>(frames), static_cast<int>(rate),
            static_cast<int>(divisor), drop, Quoted(text.get()).c_str());

    // A label is left as it is.
    const int32_t formatClass = a.base == 24 ? 0 : a.base == 25 ? 1 : 2;
    std::unique_ptr<char[]> normal = Output();
    NormalizeTimecodeText(text.get(), normal.get(), formatClass, drop);
    CheckTerminated("NormalizeTimecodeText", normal.get());
    if (std::strcmp(text.get(), normal.get()) != 0)
        Fail("%s in class %d drop %u is normalized to %s", Quoted(text.get()).c_str(), static_cast<int>(formatClass),
            drop, Quoted(normal.get()).c_str());

    // The text names label (n + 1) / 2 of a double-rate count, so the
    // day's last frame is off it.
    const int64_t magnitude = frames < 0 ? -int64_t(frames) : int64_t(frames);
    const int64_t label = (magnitude + a.pairs - 1) / a.pairs;
    if (label < a.dayLabels) {
        int32_t back = 0;
        const std::unique_ptr<char[]> exact = Exact(text.get());
        const int64_t expected = (frames < 0 ? -1 : 1) * label * a.pairs;
        if (TimecodeTextToFrames(exact.get(), rate, divisor, drop, &back) != 0 || back != expected)
            Fail("frame %d at %d/%d drop %u: %s reads back as %d, not %lld", static_cast<int>(frames),
                static_cast<int>(rate), static_cast<int>(divisor), drop, Quoted(text.get()).c_str(), static_cast<int>(back),
                static_cast<long long>(expected));
    }
    return text;
}

void CheckTextToFrames(const char* text, int32_t rate, int32_t divisor, uint8_t drop)
{
    const Arithmetic a = ArithmeticOf(rate, divisor, drop);
    int32_t frames = 12345;
    const int rc = TimecodeTextToFrames(text, rate, divisor, drop, &frames);
    const bool ok = a.supported && text != nullptr;
    if (rc != (ok ? 0 : 1) || (!ok && frames != 0))
        Fail("TimecodeTextToFrames(%s, %d, %d, %u) gave %d, frames %d", Quoted(text).c_str(),
            static_cast<int>(rate), static_cast<int>(divisor), drop, rc, static_cast<int>(frames));
    if (TimecodeTextToFrames(text, rate, divisor, drop, nullptr) != 1)
        Fail("TimecodeTextToFrames with no frames did not give 1");
    if (!ok || a.pairs != 2)
        return;
    // A double-rate count is the single-rate count of the same text, doubled.
    int32_t single = 0;
    TimecodeTextToFrames(text, rate / 2, 1000, drop, &single);
    if (frames != 2 * single)
        Fail("%s is %d frames at %d/%d drop %u but %d at half the rate", Quoted(text).c_str(), static_cast<int>(frames),
            static_cast<int>(rate), static_cast<int>(divisor), drop, static_cast<int>(single));
}

void CheckNormalize(const char* input, int32_t formatClass, uint8_t drop)
{
    std::unique_ptr<char[]> out = Output();
    if (NormalizeTimecodeText(input, out.get(), formatClass, drop) != 0)
        Fail("NormalizeTimecodeText did not give 0");
    CheckTerminated("NormalizeTimecodeText", out.get());
    const bool dropped = formatClass == 2 && drop != 0;
    const int32_t base = formatClass == 1 ? 25 : formatClass == 2 ? 30 : 24;
    Fields f;
    if (!ParseShape(out.get(), dropped ? ';' : ':', &f) || f.negative != (input != nullptr && *input == '-') ||
        !IsLabel(f, base, dropped))
        Fail("%s in class %d drop %u is normalized to %s", Quoted(input).c_str(),
            static_cast<int>(formatClass), drop, Quoted(out.get()).c_str());

    const std::unique_ptr<char[]> exact = Exact(out.get());
    std::unique_ptr<char[]> again = Output();
    NormalizeTimecodeText(exact.get(), again.get(), formatClass, drop);
    CheckTerminated("NormalizeTimecodeText", again.get());
    if (std::strcmp(out.get(), again.get()) != 0)
        Fail("%s normalizes to %s and then to %s", Quoted(input).c_str(), Quoted(out.get()).c_str(),
            Quoted(again.get()).c_str());

    // A label of the class's rate is a frame of it.
    const char* magnitude = exact.get() + (f.negative ? 1 : 0);
    const int32_t rate = base * 1000;
    int32_t frames = -1;
    char back[kTextBuffer] = "";
    if (TimecodeTextToFrames(magnitude, rate, 1000, drop, &frames) == 0 && frames >= 0)
        FramesToTimecodeText(frames, rate, 1000, drop, back);
    if (std::strcmp(magnitude, back) != 0)
        Fail("normalized %s is frame %d at %d drop %u, written %s", Quoted(out.get()).c_str(),
            static_cast<int>(frames), static_cast<int>(rate), drop, Quoted(back).c_str());
}

// Two counts within the day and the order of their texts.
void CheckOrder(int32_t n1, int32_t n2, int32_t rate, int32_t divisor, uint8_t drop)
{
    const Arithmetic a = ArithmeticOf(rate, divisor, drop);
    if (!a.supported)
        return;
    const int64_t day = int64_t(a.dayLabels) * a.pairs;
    // The last double-rate frame reads as the capped 24th hour.
    const int64_t end = day - (a.pairs - 1);
    const int64_t m1 = (int64_t(n1) % end + end) % end;
    const int64_t m2 = (int64_t(n2) % end + end) % end;
    char t1[kTextBuffer], t2[kTextBuffer];
    FramesToTimecodeText(static_cast<int32_t>(m1), rate, divisor, drop, t1);
    FramesToTimecodeText(static_cast<int32_t>(m2), rate, divisor, drop, t2);
    const int64_t l1 = (m1 + a.pairs - 1) / a.pairs, l2 = (m2 + a.pairs - 1) / a.pairs;
    const int32_t expected = l1 == l2 ? 0 : l1 > l2 ? 1 : 2;
    if (Compare(t1, t2) != expected)
        Fail("frames %lld and %lld at %d/%d drop %u: %s and %s do not compare as %d",
            static_cast<long long>(m1), static_cast<long long>(m2), static_cast<int>(rate), static_cast<int>(divisor),
            drop, Quoted(t1).c_str(), Quoted(t2).c_str(), static_cast<int>(expected));
}

const int32_t kRates[] = {24000, 25000, 30000, 50000, 60000};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader in(data, size);
    const uint8_t flags = in.Byte();
    const uint8_t rateChoice = in.Byte();
    const int32_t rate = rateChoice < 0xF0 ? kRates[rateChoice % 5] : in.Int();
    const uint8_t divisorChoice = in.Byte();
    const int32_t divisor = divisorChoice < 0xF0 ? (divisorChoice & 1 ? 1001 : 1000) : in.Int();
    const uint8_t drop = in.Byte();
    const uint8_t classChoice = in.Byte();
    const int32_t formatClass = classChoice < 0xF0 ? classChoice % 4 : in.Int();
    int32_t n1 = in.Int();
    int32_t n2 = in.Int();
    if ((flags & 4) == 0) {
        // Within a little more than a day either side of zero.
        n1 %= 6 * 1000 * 1000;
        n2 %= 6 * 1000 * 1000;
    }
    const std::unique_ptr<char[]> a = (flags & 1) ? nullptr : Exact(in.Text());
    const std::unique_ptr<char[]> b = (flags & 2) ? nullptr : Exact(in.Text());

    const std::unique_ptr<char[]> t1 = CheckFramesToText(n1, rate, divisor, drop);
    const std::unique_ptr<char[]> t2 = CheckFramesToText(n2, rate, divisor, drop);
    CheckOrder(n1, n2, rate, divisor, drop);
    for (const char* text : {a.get(), b.get()}) {
        CheckTextToFrames(text, rate, divisor, drop);
        CheckNormalize(text, formatClass, drop);
    }
    CheckCompare(a.get(), b.get());
    CheckCompare(a.get(), t1.get());
    CheckCompare(t1.get(), t2.get());
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    struct Seed {
        uint8_t rate, divisor, drop, formatClass;
        int32_t n1, n2;
        const char* a;
        const char* b;
    };
    // Rates by their index in kRates; counts at the day's ends and the
    // minutes where drop frame skips labels.
    const Seed seeds[] = {
        {0, 0, 0, 0, 0, 2073599, "23:59:59:23", "00:00:00:00"},
        {1, 0, 0, 1, 89999, -90000, "00:59:59:24", "-01:00:00:00"},
        {2, 1, 1, 2, 1800, 17982, "00;01;00;02", "00;10;00;00"},
        {2, 0, 0, 2, 2591999, 1799, "23:59:59:29", "00:00:59:29"},
        {3, 0, 0, 1, 4319999, 4319998, "23:59:59:24", "12:34:56:12"},
        {4, 1, 1, 2, 5178815, 3599, "23;59;59;29", "00;01;00;01"},
        {4, 0, 0, 3, 5183999, -1, "99999999", "-5"},
        {2, 1, 1, 2, 107892, 19782, "1x: 2/  .09", "00:00:-3:+4"},
        {1, 0, 0, 1, 50, 0, "01", "00:0"},
        {2, 1, 1, 2, 0, 0, "10000", "1:2:3:4:5:6:7:8:9"},
    };
    std::vector<std::vector<uint8_t>> out;
    for (const Seed& s : seeds) {
        std::vector<uint8_t> bytes = {0, s.rate, s.divisor, s.drop, s.formatClass};
        for (int32_t n : {s.n1, s.n2}) {
            for (int shift = 24; shift >= 0; shift -= 8)
                bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(n) >> shift));
        }
        bytes.insert(bytes.end(), s.a, s.a + std::strlen(s.a) + 1);
        bytes.insert(bytes.end(), s.b, s.b + std::strlen(s.b));
        out.push_back(bytes);
    }
    // Any rate, divisor and class, and counts taken as they are.
    out.push_back({0x04, 0xF0, 0x00, 0x00, 0x75, 0x30, 0xF0, 0x00, 0x00, 0x03, 0xE9, 0x01, 0xF0, 0xFF, 0xFF, 0xFF, 0xFE,
        0x80, 0x00, 0x00, 0x00, 0x7F, 0xFF, 0xFF, 0xFF, '-', '2', '3', 0x00, ' ', '-', '9'});
    out.push_back({0x07, 4, 1, 1, 2, 0x00, 0x4F, 0x05, 0xC0});
    return out;
}
