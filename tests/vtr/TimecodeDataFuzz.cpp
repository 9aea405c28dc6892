// Any text to the deck link's wire timecode: each field reads as atoi reads
// its two characters, nothing past the terminator or the eleventh character
// is read (texts sit in heap blocks of exactly their length), the wire bytes
// are the fields in BCD, clamped, and BCD reads back as the number it was
// made from; the host's text of any frame crosses the wire unchanged.
//
// Input, missing bytes reading as 0: flags (bit 0: the text is null), four
// bytes for ToBcd, one for FromBcd, a frame count of four bytes, a rate
// byte (kRates by its low bits modulo 5, bit 7 drop frame), then the text.
#include "../fuzz/FuzzTarget.h"

#include "port/TimecodeText.h"
#include "vtr/TimecodeData.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

[[noreturn]] __attribute__((format(printf, 1, 2))) void Fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FuzzFailure("TimecodeDataFuzz: ", format, args);
}

bool IsBcd(uint8_t b)
{
    return (b >> 4) <= 9 && (b & 0x0F) <= 9;
}

std::unique_ptr<char[]> Exact(const char* s, size_t length)
{
    std::unique_ptr<char[]> p(new char[length + 1]);
    std::memcpy(p.get(), s, length);
    p[length] = '\0';
    return p;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in{data, size};
    static const int32_t kRates[] = {24000, 25000, 30000, 50000, 60000};
    const uint8_t flags = in.Byte();
    const int32_t value = in.Word();
    const uint8_t bcdByte = in.Byte();
    const int32_t frames = in.Word();
    const uint8_t rateChoice = in.Byte();
    const char* rest = reinterpret_cast<const char*>(data + in.pos);
    const auto text = flags & 1 ? nullptr : Exact(rest, in.pos < size ? strnlen(rest, size - in.pos) : 0);

    const uint8_t bcd = ToBcd(value);
    if (!IsBcd(bcd) || int32_t(FromBcd(bcd)) != (value < 0 ? 0 : value > 99 ? 99 : value))
        Fail("ToBcd(%d) gave %02X", int(value), bcd);
    const uint32_t n = FromBcd(bcdByte);
    if (n > 99 || (IsBcd(bcdByte) && ToBcd(int32_t(n)) != bcdByte))
        Fail("FromBcd(%02X) gave %u", bcdByte, n);

    int32_t fields[4];
    ReadTimecodeFields(text.get(), fields);
    uint8_t wire[4];
    TimecodeTextToData(text.get(), wire);
    const size_t length = text ? strnlen(text.get(), 11) : 0;
    for (size_t i = 0; i < 4; ++i) {
        char field[3] = {};
        for (size_t k = 0; k < 2 && 3 * i + k < length; ++k)
            field[k] = text[3 * i + k];
        const int32_t want = int32_t(std::strtol(field, nullptr, 10));
        if (fields[i] != want || wire[3 - i] != ToBcd(want))
            Fail("field %zu of %s read as %d, wire %02X", i, Quoted(text.get()).c_str(), int(fields[i]), wire[3 - i]);
    }

    char host[13];
    FramesToTimecodeText(frames, kRates[(rateChoice & 0x7F) % 5], 1000, rateChoice >> 7, host);
    const char* magnitude = host + (host[0] == '-');
    TimecodeTextToData(Exact(magnitude, std::strlen(magnitude)).get(), wire);
    char back[12];
    std::snprintf(back, sizeof back, "%02u%c%02u%c%02u%c%02u", FromBcd(wire[3]), magnitude[2], FromBcd(wire[2]),
                  magnitude[5], FromBcd(wire[1]), magnitude[8], FromBcd(wire[0]));
    if (std::strcmp(back, magnitude) != 0)
        Fail("%s comes back from the wire as %s", Quoted(magnitude).c_str(), back);
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    const char* const texts[] = {"01:00:00:00",    "23;59;59;29", " 1: -2:+3:4 ",   "-1",
                                 "99999999999999", "12:3",        "\t9:\n8:\v7:\f6"};
    std::vector<std::vector<uint8_t>> out;
    uint8_t n = 0;
    for (const char* t : texts) {
        std::vector<uint8_t> bytes = {0, 0x80, 0x00, 0x00, n, 0x99, 0x00, 0x01, 0xA5, n, uint8_t(0x82 + n)};
        bytes.insert(bytes.end(), t, t + std::strlen(t));
        out.push_back(bytes);
        n = uint8_t(n + 37);
    }
    out.push_back({1, 0x7F, 0xFF, 0xFF, 0xFF, 0xFA, 0x80, 0x00, 0x00, 0x00, 0x04});
    return out;
}
