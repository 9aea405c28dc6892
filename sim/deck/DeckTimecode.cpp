#include "sim/deck/DeckTimecode.h"

namespace sim {

namespace {

// The NTSC family runs 1000/1001 slow; drop frame exists to keep its labels
// in step with the clock.
const TapeFormat kFormats[] = {
    {TapeFormatId::Fps24, "24", 24, false, false, 24, 1},
    {TapeFormatId::Fps25, "25", 25, false, false, 25, 1},
    {TapeFormatId::Fps50, "50", 25, false, true, 50, 1},
    {TapeFormatId::Df30, "30df", 30, true, false, 30000, 1001},
    {TapeFormatId::Ndf30, "30ndf", 30, false, false, 30000, 1001},
    {TapeFormatId::Df60, "60df", 30, true, true, 60000, 1001},
    {TapeFormatId::Ndf60, "60ndf", 30, false, true, 60000, 1001},
};

// Drop frame skips labels 0 and 1 of every minute but each tenth.
constexpr int64_t kDfFramesPerMinute = 30 * 60 - 2;
constexpr int64_t kDfFramesPerTenMinutes = 30 * 600 - 18;

int64_t LabelsPerDay(const TapeFormat& f)
{
    const int64_t plain = int64_t(f.base) * 86400;
    return f.dropFrame ? plain - 2 * (24 * 60 - 24 * 6) : plain;
}

uint8_t Bcd(uint32_t v)
{
    return static_cast<uint8_t>((v / 10) * 16 + v % 10);
}

bool FromBcd(uint8_t b, uint32_t* v)
{
    if ((b >> 4) > 9 || (b & 0x0F) > 9)
        return false;
    *v = (b >> 4) * 10u + (b & 0x0Fu);
    return true;
}

} // namespace

int64_t TapeFormat::DayFrames() const
{
    return LabelsPerDay(*this) * TapeFramesPerLabel();
}

const TapeFormat& FormatOf(TapeFormatId id)
{
    for (const TapeFormat& f : kFormats)
        if (f.id == id)
            return f;
    return kFormats[3];
}

bool TapeFormatByName(const std::string& name, TapeFormatId* id)
{
    std::string lower = name;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    for (const TapeFormat& f : kFormats)
        if (lower == f.name) {
            *id = f.id;
            return true;
        }
    return false;
}

bool IsValidLabel(const TapeFormat& format, const TimeLabel& l)
{
    if (l.hours > 23 || l.minutes > 59 || l.seconds > 59 || l.frames >= format.base)
        return false;
    if (l.secondOfPair && !format.doubleRate)
        return false;
    return !(format.dropFrame && l.minutes % 10 != 0 && l.seconds == 0 && l.frames < 2);
}

int64_t FrameOf(const TapeFormat& format, const TimeLabel& l)
{
    const int64_t minutes = int64_t(l.hours) * 60 + l.minutes;
    int64_t index = (minutes * 60 + l.seconds) * format.base + l.frames;
    if (format.dropFrame)
        index -= 2 * (minutes - minutes / 10);
    return index * format.TapeFramesPerLabel() + (format.doubleRate && l.secondOfPair ? 1 : 0);
}

TimeLabel LabelOf(const TapeFormat& format, int64_t frame)
{
    if (frame < 0)
        frame = 0;
    const int64_t perLabel = format.TapeFramesPerLabel();
    int64_t index = frame / perLabel;
    TimeLabel l;
    l.secondOfPair = frame % perLabel != 0;
    if (format.dropFrame) {
        const int64_t tens = index / kDfFramesPerTenMinutes;
        const int64_t rest = index % kDfFramesPerTenMinutes;
        index += 18 * tens + (rest < 2 ? 0 : 2 * ((rest - 2) / kDfFramesPerMinute));
    }
    l.frames = static_cast<uint32_t>(index % format.base);
    index /= format.base;
    l.seconds = static_cast<uint32_t>(index % 60);
    index /= 60;
    l.minutes = static_cast<uint32_t>(index % 60);
    l.hours = static_cast<uint32_t>(index / 60);
    return l;
}

void EncodeTimeData(const TapeFormat& format, const TimeLabel& l, uint8_t out[4])
{
    out[0] = static_cast<uint8_t>(Bcd(l.frames) | (format.dropFrame ? 0x40 : 0));
    out[1] = static_cast<uint8_t>(Bcd(l.seconds) | (format.doubleRate && l.secondOfPair ? 0x80 : 0));
    out[2] = Bcd(l.minutes);
    out[3] = Bcd(l.hours);
}

bool DecodeTimeData(const TapeFormat& format, const uint8_t data[4], TimeLabel* label)
{
    TimeLabel l;
    if (!FromBcd(data[0] & 0x3F, &l.frames) || !FromBcd(data[1] & 0x7F, &l.seconds) ||
        !FromBcd(data[2] & 0x7F, &l.minutes) || !FromBcd(data[3] & 0x3F, &l.hours))
        return false;
    l.secondOfPair = format.doubleRate && (data[1] & 0x80) != 0;
    *label = l;
    return true;
}

std::string LabelText(const TapeFormat& format, const TimeLabel& l)
{
    const char sep = format.dropFrame ? ';' : ':';
    const uint32_t fields[4] = {l.hours, l.minutes, l.seconds, l.frames};
    std::string text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            text += sep;
        text += static_cast<char>('0' + fields[i] / 10 % 10);
        text += static_cast<char>('0' + fields[i] % 10);
    }
    if (l.secondOfPair)
        text += ".1";
    return text;
}

std::string FrameText(const TapeFormat& format, int64_t frame)
{
    return LabelText(format, LabelOf(format, frame));
}

bool ParseLabelText(const TapeFormat& format, const std::string& text, TimeLabel* label)
{
    const bool pair = text.size() == 13 && text[11] == '.' && (text[12] == '0' || text[12] == '1');
    if (text.size() != 11 && !pair)
        return false;
    TimeLabel l;
    uint32_t* fields[4] = {&l.hours, &l.minutes, &l.seconds, &l.frames};
    for (int i = 0; i < 4; ++i) {
        const char hi = text[i * 3], lo = text[i * 3 + 1];
        if (hi < '0' || hi > '9' || lo < '0' || lo > '9')
            return false;
        if (i > 0 && text[i * 3 - 1] != ':' && text[i * 3 - 1] != ';' && text[i * 3 - 1] != '.')
            return false;
        *fields[i] = uint32_t(hi - '0') * 10 + uint32_t(lo - '0');
    }
    l.secondOfPair = pair && text[12] == '1';
    if (!IsValidLabel(format, l))
        return false;
    *label = l;
    return true;
}

} // namespace sim
