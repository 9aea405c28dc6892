#include "vtr/TimecodeData.h"

#include <cstddef>

namespace {

constexpr std::size_t kTextLength = 11;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int32_t FieldValue(char first, char second)
{
    const char field[3] = {first, second, '\0'};
    const char* p = field;
    while (IsBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '-' || *p == '+')
        negative = *p++ == '-';
    int32_t value = 0;
    while (IsDigit(*p))
        value = value * 10 + (*p++ - '0');
    return negative ? -value : value;
}

} // namespace

void ReadTimecodeFields(const char* text, int32_t fields[4])
{
    if (text == nullptr)
        text = "";
    std::size_t length = 0;
    while (length < kTextLength && text[length] != '\0')
        ++length;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t at = 3 * i;
        const char first = at < length ? text[at] : '\0';
        const char second = at + 1 < length ? text[at + 1] : '\0';
        fields[i] = FieldValue(first, second);
    }
}

uint8_t ToBcd(int32_t value)
{
    if (value < 0)
        value = 0;
    if (value > 99)
        value = 99;
    return static_cast<uint8_t>((value / 10) * 16 + value % 10);
}

uint32_t FromBcd(uint8_t byte)
{
    const uint32_t tens = byte >> 4;
    const uint32_t units = byte & 0x0F;
    return (tens > 9 ? 0 : tens) * 10 + (units > 9 ? 0 : units);
}

void TimecodeTextToData(const char* text, uint8_t data[4])
{
    int32_t fields[4];
    ReadTimecodeFields(text, fields);
    for (int i = 0; i < 4; ++i)
        data[i] = ToBcd(fields[3 - i]);
}
