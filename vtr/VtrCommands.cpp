// The deck's command set: transport, cue, frame steps, time and speed, and
// the edit preset and reset sequences.
#include "vtr/CSerialVtrControl.h"

#include "vtr/TimecodeData.h"

#include <cmath>
#include <cstring>

namespace {

// The 9-pin speed code: 1x is 64, each factor of ten is 32 more.
uint8_t ShuttleSpeedCode(double magnitude)
{
    if (!(magnitude > 0.0))
        return 0;
    const double code = (std::log10(magnitude) + 2.0) * 32.0 + 0.5;
    if (code < 0.0)
        return 0;
    if (code > 255.0)
        return 255;
    return static_cast<uint8_t>(static_cast<int>(code));
}

char NibbleDigit(uint8_t nibble)
{
    static const char kDigits[] = "0123456789000000";
    return kDigits[nibble & 0x0F];
}

void PutBcdDigits(char* out, uint8_t bcd)
{
    out[0] = NibbleDigit(static_cast<uint8_t>(bcd >> 4));
    out[1] = NibbleDigit(bcd);
}

// The time bytes with their flag bits masked off and read as the text shows
// them (a nibble past 9 as 0) name a time of day.
bool IsTimeOfDay(const uint8_t data[4])
{
    static const uint8_t kMasks[4] = {0x3F, 0x7F, 0x7F, 0x3F};
    static const uint32_t kLimits[4] = {29, 59, 59, 23};
    for (int i = 0; i < 4; ++i) {
        if (FromBcd(static_cast<uint8_t>(data[i] & kMasks[i])) > kLimits[i])
            return false;
    }
    return true;
}

void WriteZeroTime(char* out, char separator)
{
    std::strcpy(out, "00:00:00:00");
    out[2] = out[5] = out[8] = separator;
}

} // namespace

bool CSerialVtrControl::ExchangeAcknowledged(std::initializer_list<uint8_t> bytes)
{
    Reply reply;
    if (Exchange(bytes, &reply) && reply.Acknowledged())
        return true;
    NoteRefusal(reply);
    return false;
}

bool CSerialVtrControl::Reply::Acknowledged() const
{
    return count == 3 && bytes[0] == 0x10 && bytes[1] == 0x01 && bytes[2] == 0x11;
}

bool CSerialVtrControl::Reply::IsBlock(uint8_t cmd1, uint8_t cmd2) const
{
    if (count < 3 || count != 3 + (cmd1 & 0x0F))
        return false;
    if (bytes[0] != cmd1 || (cmd2 != 0xFF && bytes[1] != cmd2))
        return false;
    uint8_t sum = 0;
    for (uint8_t i = 0; i + 1 < count; ++i)
        sum = static_cast<uint8_t>(sum + bytes[i]);
    return sum == bytes[count - 1];
}

bool CSerialVtrControl::Acknowledge(std::initializer_list<uint8_t> bytes)
{
    if (!DeckReady())
        return false;
    return ExchangeAcknowledged(bytes);
}

bool CSerialVtrControl::Transport(std::initializer_list<uint8_t> bytes, double speed)
{
    if (!DeckReady())
        return false;
    commandSpeed_ = speed;
    return ExchangeAcknowledged(bytes);
}

bool CSerialVtrControl::Stop()
{
    return Transport({0x20, 0x00}, 0.0);
}
bool CSerialVtrControl::Play()
{
    return Transport({0x20, 0x01}, 1.0);
}
bool CSerialVtrControl::Record()
{
    return Transport({0x20, 0x02}, 1.0);
}
bool CSerialVtrControl::Eject()
{
    return Transport({0x20, 0x0F}, 0.0);
}
bool CSerialVtrControl::FastForward()
{
    return Transport({0x20, 0x10}, 50.0);
}
bool CSerialVtrControl::Rewind()
{
    return Transport({0x20, 0x20}, -50.0);
}
bool CSerialVtrControl::Preview()
{
    return Transport({0x20, 0x40}, 1.0);
}
bool CSerialVtrControl::AutoEdit()
{
    return Transport({0x20, 0x42}, 1.0);
}
bool CSerialVtrControl::JogReversePlay()
{
    return Transport({0x21, 0x21, 0x40}, -1.0);
}
bool CSerialVtrControl::JogForwardFast()
{
    return Transport({0x21, 0x11, 0x5D}, 8.0);
}
bool CSerialVtrControl::JogReverseFast()
{
    return Transport({0x21, 0x21, 0x5D}, -8.0);
}
bool CSerialVtrControl::ShuttleStill()
{
    return Transport({0x21, 0x13, 0x00}, 0.0);
}

bool CSerialVtrControl::Shuttle(double speed)
{
    if (std::isnan(speed))
        speed = 0.0;
    speed = std::fmax(-kMaxShuttleSpeed, std::fmin(kMaxShuttleSpeed, speed));
    const uint8_t direction = speed >= 0.0 ? 0x13 : 0x23;
    return Transport({0x21, direction, ShuttleSpeedCode(std::fabs(speed))}, speed);
}

bool CSerialVtrControl::CueToTimecode(const char* text)
{
    uint8_t data[4];
    TimecodeTextToData(text, data);
    return Acknowledge({0x24, 0x31, data[0], data[1], data[2], data[3]});
}

bool CSerialVtrControl::CueToTime(uint8_t hours, uint8_t minutes, uint8_t seconds, uint8_t frames)
{
    return Acknowledge({0x24, 0x31, ToBcd(frames), ToBcd(seconds), ToBcd(minutes), ToBcd(hours)});
}

bool CSerialVtrControl::ReadTimeData(uint8_t data[4])
{
    // Time sense: LTC, VITC, or whichever the deck reads best.
    const uint8_t source = controlSettings_.sourceIndex < kTimecodeSourceCount
                               ? static_cast<uint8_t>(controlSettings_.sourceIndex + 1)
                               : 1;
    // Only a whole time-data block counts: after a refusal or a garbled
    // answer the buffer holds no time, and must not be read as one. A block
    // whose checksum holds by chance can still carry fields past a day.
    Reply reply;
    if (!Exchange({0x61, 0x0C, source}, &reply) || !reply.IsBlock(0x74, 0xFF) || !IsTimeOfDay(reply.bytes + 2)) {
        NoteRefusal(reply);
        return false;
    }
    std::memcpy(data, reply.bytes + 2, 4);
    return true;
}

bool CSerialVtrControl::GetTimecode(char* out)
{
    char text[kTimecodeTextBytes];
    if (out == nullptr)
        out = text;
    if (!DeckReady()) {
        WriteZeroTime(out, ':');
        return false;
    }
    const char separator = controlSettings_.format.dropFrame ? ';' : ':';
    uint8_t data[4];
    if (!ReadTimeData(data)) {
        WriteZeroTime(out, separator);
        return false;
    }
    PutBcdDigits(out, static_cast<uint8_t>(data[3] & 0x3F));
    PutBcdDigits(out + 3, static_cast<uint8_t>(data[2] & 0x7F));
    PutBcdDigits(out + 6, static_cast<uint8_t>(data[1] & 0x7F));
    PutBcdDigits(out + 9, static_cast<uint8_t>(data[0] & 0x3F));
    out[2] = out[5] = out[8] = separator;
    out[11] = '\0';
    return true;
}

double CSerialVtrControl::GetSpeed()
{
    if (!DeckReady())
        return 0.0;
    // The deck's speed answer only shows that it is there: the speed is the
    // one last commanded, signed by the deck's direction.
    Reply reply;
    if (!Exchange({0x60, 0x2E}, &reply) || !reply.IsBlock(0x71, 0x2E)) {
        NoteRefusal(reply);
        return 0.0;
    }
    const double magnitude = std::fabs(commandSpeed_);
    uint8_t flags[kStatusFlagCount];
    if (!GetStatusFlags(flags) || flags[5])
        return 0.0;
    return flags[16] ? -magnitude : magnitude;
}

bool CSerialVtrControl::EditSetup(const char* inText, const char* outText, const char* audioInText,
                                  const char* audioOutText, uint32_t channels)
{
    if (!DeckReady())
        return false;
    bool acknowledged = ExchangeAcknowledged({0x40, 0x41});
    const uint8_t preroll = ToBcd(static_cast<int32_t>(controlSettings_.prerollSeconds));
    acknowledged &= ExchangeAcknowledged({0x44, 0x31, 0x00, preroll, 0x00, 0x00});

    const struct {
        uint8_t cmd2;
        const char* text;
    } points[] = {{0x14, inText}, {0x16, audioInText}, {0x15, outText}, {0x17, audioOutText}};
    for (const auto& point : points) {
        uint8_t data[4];
        TimecodeTextToData(point.text, data);
        acknowledged &= ExchangeAcknowledged({0x44, point.cmd2, data[0], data[1], data[2], data[3]});
    }

    const uint8_t video = (channels & 0x001) ? 0x10 : 0x00;
    if ((channels & 0x1F8) == 0) {
        const uint8_t audio =
            static_cast<uint8_t>(((channels & 0x002) ? 0x01 : 0x00) | ((channels & 0x004) ? 0x02 : 0x00));
        acknowledged &= ExchangeAcknowledged({0x41, 0x30, static_cast<uint8_t>(0x40 | video | audio)});
    } else {
        const uint8_t audio = static_cast<uint8_t>((channels >> 1) & 0xFF);
        acknowledged &= ExchangeAcknowledged({0x42, 0x30, static_cast<uint8_t>(0x40 | video), audio});
    }
    return acknowledged;
}

bool CSerialVtrControl::EditReset()
{
    if (!DeckReady())
        return false;
    commandSpeed_ = 0.0;
    // Stop, auto mode off, no channels, then the four edit points cleared.
    const std::initializer_list<uint8_t> sequence[] = {
        {0x20, 0x00}, {0x40, 0x40}, {0x41, 0x30, 0x00}, {0x40, 0x20}, {0x40, 0x21}, {0x40, 0x22}, {0x40, 0x23},
    };
    bool acknowledged = true;
    for (const auto& packet : sequence)
        acknowledged &= ExchangeAcknowledged(packet);
    return acknowledged;
}

bool CSerialVtrControl::StepForward()
{
    return Step(true);
}
bool CSerialVtrControl::StepBackward()
{
    return Step(false);
}

bool CSerialVtrControl::Step(bool forward)
{
    if (!DeckReady())
        return false;
    commandSpeed_ = 0.0;
    char mode[kModeTextBytes];
    GetMode(mode);
    if (std::strcmp(mode, "Still") != 0) {
        Reply ignored;
        Exchange({0x21, 0x13, 0x00}, &ignored);
    }

    uint8_t data[4];
    if (!ReadTimeData(data))
        return false; // no time to step from: cue nowhere
    int32_t frames = static_cast<int32_t>(FromBcd(data[0] & 0x3F));
    int32_t seconds = static_cast<int32_t>(FromBcd(data[1] & 0x7F));
    int32_t minutes = static_cast<int32_t>(FromBcd(data[2] & 0x7F));
    int32_t hours = static_cast<int32_t>(FromBcd(data[3] & 0x3F));
    const int32_t perSecond = static_cast<int32_t>(controlSettings_.format.framesPerSecond);
    const bool drop = controlSettings_.format.dropFrame != 0;
    // Labels 00 and 01 do not exist at the start of a drop-frame minute
    // that is not a tenth.
    const auto droppedLabel = [&] { return drop && minutes % 10 != 0 && seconds == 0 && frames <= 1; };

    // Timecode is a 24-hour clock: stepping over midnight wraps.
    if (forward) {
        if (++frames > perSecond - 1) {
            frames = 0;
            if (++seconds > 59) {
                seconds = 0;
                if (++minutes > 59) {
                    minutes = 0;
                    hours = hours >= 23 ? 0 : hours + 1;
                }
            }
        }
        if (droppedLabel())
            frames = 2;
    } else {
        if (frames > 0) {
            --frames;
        } else {
            frames = perSecond - 1;
            if (seconds > 0) {
                --seconds;
            } else {
                seconds = 59;
                if (minutes > 0) {
                    --minutes;
                } else {
                    minutes = 59;
                    hours = hours > 0 ? hours - 1 : 23;
                }
            }
        }
        if (droppedLabel()) {
            frames = perSecond - 1;
            seconds = 59;
            --minutes; // never 0 here: minute 0 is a tenth
        }
    }
    return CueToTime(static_cast<uint8_t>(hours), static_cast<uint8_t>(minutes), static_cast<uint8_t>(seconds),
                     static_cast<uint8_t>(frames));
}
