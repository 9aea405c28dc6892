// Feeds any bytes to the wire timecode of the deck link and checks what must
// hold whatever text a caller passes: the fields of a text read as atoi
// reads each two-character field, and nothing past the terminator or the
// eleventh character is read (texts sit in heap blocks of exactly their
// length); the four wire bytes are BCD digits of those fields, clamped; a
// BCD byte reads back as the number it was made from; and the text the
// host writes for any frame comes back whole through the wire bytes.
//
// Input, missing bytes reading as 0:
//   flags     bit 0: the text is null
//   value     four bytes, any number for ToBcd
//   byte      one byte for FromBcd
//   frames    four bytes, a frame count for the host's text
//   rate      24000, 25000, 30000, 50000, 60000 by its value modulo 5;
//             bit 7 the drop flag
// then the text.
#include "FuzzTarget.h"

#include "port/TimecodeText.h"
#include "vtr/TimecodeData.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

[[noreturn]] __attribute__((format(printf, 1, 2))) void Fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FuzzFailure("TimecodeDataFuzz: ", format, args);
}

bool IsBcd(uint8_t b) { return (b >> 4) <= 9 && (b & 0x0F) <= 9; }

int32_t Clamp(int64_t v) { return static_cast<int32_t>(v < 0 ? 0 : v > 99 ? 99 : v); }

// What atoi gives for the two characters of a field at `at`, those past
// the text's end (or its eleventh character) reading as nothing.
int32_t Expected(const char* text, size_t at)
{
    char field[3] = {};
    const size_t length = text ? strnlen(text, 11) : 0;
    for (size_t i = 0; i < 2 && at + i < length; ++i)
        field[i] = text[at + i];
    return static_cast<int32_t>(std::strtol(field, nullptr, 10));
}

void CheckBcd(int32_t value, uint8_t byte)
{
    const uint8_t bcd = ToBcd(value);
    if (!IsBcd(bcd) || static_cast<int32_t>(FromBcd(bcd)) != Clamp(value))
        Fail("ToBcd(%d) gave %02X", static_cast<int>(value), bcd);
    const uint32_t n = FromBcd(byte);
    if (n > 99 || (IsBcd(byte) && ToBcd(static_cast<int32_t>(n)) != byte))
        Fail("FromBcd(%02X) gave %u", byte, n);
}

void CheckText(const char* text)
{
    int32_t fields[4];
    ReadTimecodeFields(text, fields);
    uint8_t data[4];
    TimecodeTextToData(text, data);
    for (int i = 0; i < 4; ++i) {
        if (fields[i] != Expected(text, 3 * i))
            Fail("field %d of %s read as %d, not %d", i, Quoted(text).c_str(), static_cast<int>(fields[i]),
                static_cast<int>(Expected(text, 3 * i)));
        if (data[3 - i] != ToBcd(fields[i]) || !IsBcd(data[3 - i]))
            Fail("wire byte %d of %s is %02X for field %d", 3 - i, Quoted(text).c_str(), data[3 - i],
                static_cast<int>(fields[i]));
    }
}

// The host's text of a frame goes to the wire and back unchanged.
void CheckRoundTrip(int32_t frames, int32_t rate, uint8_t drop)
{
    char text[13];
    FramesToTimecodeText(frames, rate, 1000, drop, text);
    const char* magnitude = text + (text[0] == '-' ? 1 : 0);
    std::unique_ptr<char[]> exact(new char[std::strlen(magnitude) + 1]);
    std::memcpy(exact.get(), magnitude, std::strlen(magnitude) + 1);
    uint8_t data[4];
    TimecodeTextToData(exact.get(), data);
    char back[12];
    std::snprintf(back, sizeof back, "%02u%c%02u%c%02u%c%02u", FromBcd(data[3]), magnitude[2], FromBcd(data[2]),
        magnitude[5], FromBcd(data[1]), magnitude[8], FromBcd(data[0]));
    if (std::strcmp(back, magnitude) != 0)
        Fail("frame %d at %d drop %u: %s comes back from the wire as %s", static_cast<int>(frames),
            static_cast<int>(rate), drop, Quoted(magnitude).c_str(), back);
}

uint32_t Word(const uint8_t* data, size_t size, size_t* pos)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = v << 8 | (*pos < size ? data[(*pos)++] : 0);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t pos = 0;
    const uint8_t flags = pos < size ? data[pos++] : 0;
    const int32_t value = static_cast<int32_t>(Word(data, size, &pos));
    const uint8_t byte = pos < size ? data[pos++] : 0;
    const int32_t frames = static_cast<int32_t>(Word(data, size, &pos));
    const uint8_t rateChoice = pos < size ? data[pos++] : 0;
    static const int32_t kRates[] = {24000, 25000, 30000, 50000, 60000};

    std::unique_ptr<char[]> text;
    if ((flags & 1) == 0) {
        const size_t length = strnlen(reinterpret_cast<const char*>(data + pos), size - pos);
        text.reset(new char[length + 1]);
        std::memcpy(text.get(), data + pos, length);
        text[length] = '\0';
    }

    CheckBcd(value, byte);
    CheckText(text.get());
    CheckRoundTrip(frames, kRates[(rateChoice & 0x7F) % 5], rateChoice >> 7);
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    const char* const texts[] = {"01:00:00:00", "23;59;59;29", " 1: -2:+3:4 ", "-1", "99999999999999", "12:3",
                                 "\t9:\n8:\v7:\f6"};
    std::vector<std::vector<uint8_t>> out;
    uint8_t n = 0;
    for (const char* t : texts) {
        std::vector<uint8_t> bytes = {0, 0x80, 0x00, 0x00, n, 0x99, 0x00, 0x01, 0xA5, n,
                                      static_cast<uint8_t>(0x82 + n)};
        bytes.insert(bytes.end(), t, t + std::strlen(t));
        out.push_back(bytes);
        n = static_cast<uint8_t>(n + 37);
    }
    out.push_back({1, 0x7F, 0xFF, 0xFF, 0xFF, 0xFA, 0x80, 0x00, 0x00, 0x00, 0x04});
    return out;
}
