// Any bytes to the timecode text functions, checked against what holds for
// every input: written texts end within 13 bytes and are labels of their rate;
// a label normalizes to itself and a normalized text is a label; frames within
// the day come back from their text; a double-rate count is twice the
// single-rate one; two labels compare as their frames. Texts
// sit in heap blocks of exactly their length, for AddressSanitizer.
//
// Input, missing bytes reading as 0: flags (bit 0: text a null, bit 1: text
// b null, bit 2: counts taken as they are), rate (below F0 one of kRates,
// else four bytes), divisor (below F0 1000 or 1001 by bit 0, else four
// bytes), drop, format class (below F0 0 to 3, else four bytes), two counts
// of four bytes, then text a up to a zero byte and text b.
#include "../fuzz/FuzzTarget.h"

#include "port/TimecodeText.h"

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr size_t kOut = 13;
const int32_t kRates[] = {24000, 25000, 30000, 50000, 60000};

[[noreturn]] __attribute__((format(printf, 1, 2))) void Fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FuzzFailure("TimecodeTextFuzz: ", format, args);
}

using Text = std::unique_ptr<char[]>;

Text Exact(const std::string& s)
{
    Text p(new char[s.size() + 1]);
    std::memcpy(p.get(), s.c_str(), s.size() + 1);
    return p;
}

// An output block of the documented size, no zero in it yet.
Text Out()
{
    Text p(new char[kOut]);
    std::memset(p.get(), 'x', kOut);
    return p;
}

void Terminated(const char* what, const Text& t)
{
    if (!std::memchr(t.get(), '\0', kOut))
        Fail("%s wrote no terminator within %zu bytes", what, kOut);
}

// The rate's arithmetic, worked out here on its own.
struct Arithmetic {
    bool supported;
    int32_t base, pairs; // labels per second, frames per label
    bool drop;
    int64_t dayLabels;
};

Arithmetic ArithmeticOf(int32_t rate, int32_t divisor, uint8_t drop)
{
    const bool either = divisor == 1000 || divisor == 1001, thousand = divisor == 1000;
    Arithmetic a = {false, 0, 1, false, 0};
    switch (rate) {
    case 24000:
        a = {either, 24, 1, false, 0};
        break;
    case 25000:
        a = {thousand, 25, 1, false, 0};
        break;
    case 30000:
        a = {either, 30, 1, drop != 0, 0};
        break;
    case 50000:
        a = {thousand, 25, 2, false, 0};
        break;
    case 60000:
        a = {either, 30, 2, drop != 0, 0};
        break;
    }
    a.dayLabels = int64_t(a.base) * 86400 - (a.drop ? 2 * 9 * 6 * 24 : 0);
    return a;
}

// "[-]HH?MM?SS?FF" with sep for ?, naming a label of the day.
bool IsLabel(const char* text, char sep, int32_t base, bool drop, bool negative)
{
    if ((*text == '-') != negative)
        return false;
    const char* t = text + negative;
    if (std::strlen(t) != 11)
        return false;
    int f[4];
    for (int i = 0; i < 4; ++i) {
        const char* p = t + 3 * i;
        if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9' || (i < 3 && p[2] != sep))
            return false;
        f[i] = (p[0] - '0') * 10 + p[1] - '0';
    }
    return f[0] <= 23 && f[1] <= 59 && f[2] <= 59 && f[3] < base && !(drop && f[1] % 10 && f[2] == 0 && f[3] < 2);
}

int32_t Compare(const char* a, const char* b)
{
    int32_t r = -1;
    if (CompareTimecodeText(a, b, &r) != 0 || r < 0 || r > 2)
        Fail("comparing %s with %s gave %d", Quoted(a).c_str(), Quoted(b).c_str(), int(r));
    return r;
}

Text CheckFrames(int32_t n, int32_t rate, int32_t divisor, uint8_t drop)
{
    const Arithmetic a = ArithmeticOf(rate, divisor, drop);
    Text text = Out();
    const int rc = FramesToTimecodeText(n, rate, divisor, drop, text.get());
    Terminated("FramesToTimecodeText", text);
    if (rc != !a.supported || (!a.supported && std::strcmp(text.get(), kZeroTimecodeText) != 0))
        Fail("frame %d at %d/%d drop %u gave %d, %s", int(n), int(rate), int(divisor), drop, rc,
             Quoted(text.get()).c_str());
    if (!a.supported)
        return text;
    if (!IsLabel(text.get(), a.drop ? ';' : ':', a.base, a.drop, n < 0))
        Fail("frame %d at %d/%d drop %u is written %s", int(n), int(rate), int(divisor), drop,
             Quoted(text.get()).c_str());

    const int32_t formatClass = a.base == 24 ? 0 : a.base == 25 ? 1 : 2;
    Text normal = Out();
    NormalizeTimecodeText(text.get(), normal.get(), formatClass, drop);
    if (std::strcmp(text.get(), normal.get()) != 0)
        Fail("label %s normalizes to %s", Quoted(text.get()).c_str(), Quoted(normal.get()).c_str());

    // A double-rate text names label (n + 1) / 2.
    const int64_t label = ((n < 0 ? -int64_t(n) : int64_t(n)) + a.pairs - 1) / a.pairs;
    int32_t back = 0;
    const int64_t want = (n < 0 ? -1 : 1) * label * a.pairs;
    if (label < a.dayLabels &&
        (TimecodeTextToFrames(Exact(text.get()).get(), rate, divisor, drop, &back) != 0 || back != want))
        Fail("frame %d at %d/%d drop %u: %s reads back as %d", int(n), int(rate), int(divisor), drop,
             Quoted(text.get()).c_str(), int(back));
    return text;
}

void CheckText(const char* text, int32_t rate, int32_t divisor, uint8_t drop, int32_t formatClass)
{
    const Arithmetic a = ArithmeticOf(rate, divisor, drop);
    int32_t frames = 12345;
    const bool ok = a.supported && text;
    if (TimecodeTextToFrames(text, rate, divisor, drop, &frames) != !ok || (!ok && frames != 0) ||
        TimecodeTextToFrames(text, rate, divisor, drop, nullptr) != 1)
        Fail("%s at %d/%d drop %u read as %d", Quoted(text).c_str(), int(rate), int(divisor), drop, int(frames));
    int32_t single = 0;
    if (ok && a.pairs == 2 && (TimecodeTextToFrames(text, rate / 2, 1000, drop, &single), frames != 2 * single))
        Fail("%s is %d frames at %d but %d at half the rate", Quoted(text).c_str(), int(frames), int(rate),
             int(single));

    Text out = Out();
    if (NormalizeTimecodeText(text, out.get(), formatClass, drop) != 0)
        Fail("NormalizeTimecodeText did not give 0");
    Terminated("NormalizeTimecodeText", out);
    const bool dropped = formatClass == 2 && drop;
    const int32_t base = formatClass == 1 ? 25 : formatClass == 2 ? 30 : 24;
    Text again = Out();
    NormalizeTimecodeText(Exact(out.get()).get(), again.get(), formatClass, drop);
    if (!IsLabel(out.get(), dropped ? ';' : ':', base, dropped, text && *text == '-') ||
        std::strcmp(out.get(), again.get()) != 0)
        Fail("%s in class %d drop %u normalizes to %s, then %s", Quoted(text).c_str(), int(formatClass), drop,
             Quoted(out.get()).c_str(), Quoted(again.get()).c_str());
}

// Two counts brought into the day: their texts order as their labels.
void CheckOrder(int32_t n1, int32_t n2, int32_t rate, int32_t divisor, uint8_t drop)
{
    const Arithmetic a = ArithmeticOf(rate, divisor, drop);
    if (!a.supported)
        return;
    const int64_t end = a.dayLabels * a.pairs - (a.pairs - 1); // the last double-rate frame reads as hour 24
    const int64_t m1 = (n1 % end + end) % end, m2 = (n2 % end + end) % end;
    char t1[kOut], t2[kOut];
    FramesToTimecodeText(int32_t(m1), rate, divisor, drop, t1);
    FramesToTimecodeText(int32_t(m2), rate, divisor, drop, t2);
    const int64_t l1 = (m1 + a.pairs - 1) / a.pairs, l2 = (m2 + a.pairs - 1) / a.pairs;
    if (Compare(t1, t2) != (l1 == l2 ? 0 : l1 > l2 ? 1 : 2))
        Fail("%s and %s do not compare as frames %lld and %lld", t1, t2, (long long)m1, (long long)m2);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in{data, size};
    auto text = [&] {
        std::string s;
        while (in.pos < size && data[in.pos])
            s += char(data[in.pos++]);
        ++in.pos;
        return Exact(s);
    };
    const uint8_t flags = in.Byte(), rateChoice = in.Byte();
    const int32_t rate = rateChoice < 0xF0 ? kRates[rateChoice % 5] : in.Word();
    const uint8_t divisorChoice = in.Byte();
    const int32_t divisor = divisorChoice < 0xF0 ? (divisorChoice & 1 ? 1001 : 1000) : in.Word();
    const uint8_t drop = in.Byte(), classChoice = in.Byte();
    const int32_t formatClass = classChoice < 0xF0 ? classChoice % 4 : in.Word();
    int32_t n1 = in.Word(), n2 = in.Word();
    if (!(flags & 4)) {
        n1 %= 6000000; // a little more than a day either side of zero
        n2 %= 6000000;
    }
    const Text a = flags & 1 ? nullptr : text();
    const Text b = flags & 2 ? nullptr : text();

    const Text t1 = CheckFrames(n1, rate, divisor, drop);
    const Text t2 = CheckFrames(n2, rate, divisor, drop);
    CheckOrder(n1, n2, rate, divisor, drop);
    for (const char* t : {a.get(), b.get()})
        CheckText(t, rate, divisor, drop, formatClass);
    Compare(a.get(), b.get());
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    // Rates by their index in kRates; counts at the day's ends and where
    // drop frame skips labels.
    const struct {
        uint8_t rate, divisor, drop, formatClass;
        int32_t n1, n2;
        const char *a, *b;
    } seeds[] = {
        {0, 0, 0, 0, 0, 2073599, "23:59:59:23", "00:00:00:00"},
        {1, 0, 0, 1, 89999, -90000, "00:59:59:24", "-01:00:00:00"},
        {2, 1, 1, 2, 1800, 17982, "00;01;00;02", "00;10;00;00"},
        {3, 0, 0, 1, 4319999, 4319998, "23:59:59:24", "12:34:56:12"},
        {4, 1, 1, 2, 5178815, 3599, "23;59;59;29", "00;01;00;01"},
        {4, 0, 0, 3, 5183999, -1, "99999999", "-5"},
        {2, 1, 1, 2, 107892, 19782, "1x: 2/  .09", "00:00:-3:+4"},
    };
    std::vector<std::vector<uint8_t>> out;
    for (const auto& s : seeds) {
        std::vector<uint8_t> bytes = {0, s.rate, s.divisor, s.drop, s.formatClass};
        for (int32_t n : {s.n1, s.n2})
            for (int shift = 24; shift >= 0; shift -= 8)
                bytes.push_back(uint8_t(uint32_t(n) >> shift));
        bytes.insert(bytes.end(), s.a, s.a + std::strlen(s.a) + 1);
        bytes.insert(bytes.end(), s.b, s.b + std::strlen(s.b));
        out.push_back(bytes);
    }
    // Any rate, divisor and class, and counts as they are.
    out.push_back({0x04, 0xF0, 0x00, 0x00, 0x75, 0x30, 0xF0, 0x00, 0x00, 0x03, 0xE9, 0x01, 0xF0, 0xFF, 0xFF, 0xFF,
                   0xFE, 0x80, 0x00, 0x00, 0x00, 0x7F, 0xFF, 0xFF, 0xFF, '-',  '2',  '3',  0x00, ' ',  '-',  '9'});
    return out;
}
