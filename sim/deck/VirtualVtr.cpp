#include "sim/deck/VirtualVtr.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sim {

namespace {

constexpr uint8_t kNoRefusal = 0;

// The speeds the servo runs exactly; a speed byte that encodes one of them
// asks for it, any other byte for the speed its curve gives.
constexpr double kTableSpeeds[] = {0.1, 0.25, 0.5, 1, 2, 3, 4, 5, 8, 10, 16, 20, 32, 50};

uint8_t SpeedByte(double speed)
{
    speed = std::fabs(speed);
    if (speed < 0.01)
        return 0;
    const double n = (std::log10(speed) + 2.0) * 32.0 + 0.5;
    return static_cast<uint8_t>(std::clamp(n, 0.0, 255.0));
}

// fine: the second byte of the two-byte forms, in 1/256 of a step.
double SpeedOf(uint8_t coarse, uint8_t fine)
{
    if (coarse == 0 && fine == 0)
        return 0.0;
    if (fine == 0)
        for (double s : kTableSpeeds)
            if (SpeedByte(s) == coarse)
                return s;
    return std::pow(10.0, (coarse + fine / 256.0) / 32.0 - 2.0);
}

// A duration or a counter as time data: labels counted without drops, and a
// count below zero from the end of the day, as a deck's counter wraps.
void EncodeDuration(const TapeFormat& format, int64_t tapeFrames, uint8_t out[4])
{
    const int64_t day = int64_t(format.base) * 86400 * format.TapeFramesPerLabel();
    const int64_t labels = ((tapeFrames % day) + day) % day / format.TapeFramesPerLabel();
    TimeLabel l;
    l.frames = uint32_t(labels % format.base);
    l.seconds = uint32_t(labels / format.base % 60);
    l.minutes = uint32_t(labels / format.base / 60 % 60);
    l.hours = uint32_t(labels / format.base / 3600);
    EncodeTimeData(format, l, out);
    out[0] &= 0x3F; // no drop-frame flag on a duration
}

bool InRange(const TapeFormat& format, const TimeLabel& l)
{
    return l.hours < 24 && l.minutes < 60 && l.seconds < 60 && l.frames < format.base;
}

int64_t StartFrame(const DeckSettings& settings)
{
    const TapeFormat& format = FormatOf(settings.format);
    return FrameOf(format, IsValidLabel(format, settings.start) ? settings.start : TimeLabel{1, 0, 0, 0, false});
}

} // namespace

VirtualVtr::VirtualVtr(const DeckSettings& settings, double nowMs)
    : transport_(FormatOf(settings.format), StartFrame(settings), settings.tapeIn, nowMs), faults_(settings.faults),
      latencyMs_(settings.latencyMs), interByteTimeoutMs_(settings.interByteTimeoutMs),
      deviceType_(settings.deviceType), timerOrigin_(StartFrame(settings))
{
    transport_.SetRemote(settings.remote);
    transport_.SetRecordInhibit(settings.recordInhibit);
}

DeckTransport& VirtualVtr::Transport(double nowMs)
{
    transport_.AdvanceTo(nowMs);
    return transport_;
}

void VirtualVtr::SetUnplugged(bool unplugged)
{
    unplugged_ = unplugged;
    block_.clear();
}

bool VirtualVtr::Unplugged(double nowMs) const
{
    if (unplugged_)
        return true;
    return faults_.unplugAfterMs >= 0 && firstByteMs_ >= 0 && nowMs >= firstByteMs_ + faults_.unplugAfterMs;
}

void VirtualVtr::ClearPackets()
{
    packets_.clear();
    packetsDropped_ = 0;
}

// ---- the wire --------------------------------------------------------------

double VirtualVtr::NextDueMs() const
{
    if (block_.empty() || unplugged_)
        return std::numeric_limits<double>::infinity();
    return lastByteMs_ + interByteTimeoutMs_;
}

void VirtualVtr::Poll(double nowMs, std::vector<DeckReply>* out)
{
    if (block_.empty() || nowMs < lastByteMs_ + interByteTimeoutMs_)
        return;
    const double at = lastByteMs_ + interByteTimeoutMs_;
    Log(LoggedPacket::Direction::FromController, at, block_);
    block_.clear();
    if (!Unplugged(at))
        Nak(kNakTimeout, at, out);
}

void VirtualVtr::Receive(uint8_t byte, double atMs, std::vector<DeckReply>* out)
{
    if (firstByteMs_ < 0)
        firstByteMs_ = atMs;
    if (Unplugged(atMs)) {
        block_.clear();
        return;
    }
    Poll(atMs, out);
    if (block_.empty())
        blockLength_ = 2u + (byte & 0x0Fu) + 1u;
    block_.push_back(byte);
    lastByteMs_ = atMs;
    if (block_.size() < blockLength_)
        return;

    std::vector<uint8_t> block;
    block.swap(block_);
    Log(LoggedPacket::Direction::FromController, atMs, block);
    if (BlockChecksum(block.data(), block.size() - 1) != block.back())
        Nak(kNakChecksumError, atMs, out);
    else
        Execute(block, atMs, out);
}

void VirtualVtr::Execute(const std::vector<uint8_t>& block, double atMs, std::vector<DeckReply>* out)
{
    transport_.AdvanceTo(atMs);
    if (faults_.nakAll) {
        Nak(kNakUndefinedCommand, atMs, out);
        return;
    }
    std::vector<uint8_t> reply;
    const uint8_t refusal = Dispatch(block, atMs, &reply);
    if (refusal != kNoRefusal)
        Nak(refusal, atMs, out);
    else
        Answer(std::move(reply), atMs, out);
}

void VirtualVtr::Nak(uint8_t reasons, double atMs, std::vector<DeckReply>* out)
{
    Answer({0x11, 0x12, reasons}, atMs, out);
}

void VirtualVtr::Answer(std::vector<uint8_t> bytes, double atMs, std::vector<DeckReply>* out)
{
    bytes.push_back(BlockChecksum(bytes.data(), bytes.size()));
    if (faults_.silent)
        return;
    ++replies_;
    if (faults_.garbleEvery != 0 && replies_ % faults_.garbleEvery == 0) {
        noise_ = static_cast<uint8_t>(noise_ * 109 + 89);
        bytes[noise_ % bytes.size()] ^= static_cast<uint8_t>(noise_ | 1);
    }
    if (faults_.truncateEvery != 0 && replies_ % faults_.truncateEvery == 0)
        bytes.resize(std::max<size_t>(1, bytes.size() / 2));
    if (faults_.overlongEvery != 0 && replies_ % faults_.overlongEvery == 0)
        bytes.insert(bytes.end(), 40, bytes.back());
    if (faults_.randomSeed != 0)
        bytes = RandomReply();
    // A reply waits for the one still going out.
    const double start = std::max(atMs + latencyMs_, lineFreeMs_);
    lineFreeMs_ = start + kWireByteMs * static_cast<double>(bytes.size());
    Log(LoggedPacket::Direction::ToController, start, bytes);
    out->push_back({std::move(bytes), start});
}

std::vector<uint8_t> VirtualVtr::RandomReply()
{
    if (random_ == 0)
        random_ = faults_.randomSeed;
    auto next = [this] {
        // xorshift32: the same seed gives the same replies on every machine.
        random_ ^= random_ << 13;
        random_ ^= random_ >> 17;
        random_ ^= random_ << 5;
        return random_;
    };
    std::vector<uint8_t> bytes(1 + next() % 40);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(next());
    // Half of them start like a real reply, so the decoding past the header is reached.
    if (bytes.size() >= 2 && next() % 2 == 0) {
        static constexpr uint8_t kHeaders[][2] = {{0x10, 0x01}, {0x11, 0x12}, {0x74, 0x04}, {0x78, 0x04},
                                                  {0x72, 0x20}, {0x73, 0x20}, {0x12, 0x11}};
        const auto& header = kHeaders[next() % 7];
        bytes[0] = header[0];
        bytes[1] = header[1];
    }
    return bytes;
}

void VirtualVtr::Log(LoggedPacket::Direction direction, double ms, const std::vector<uint8_t>& bytes)
{
    if (packets_.size() >= kPacketLogLimit) {
        packets_.pop_front();
        ++packetsDropped_;
    }
    packets_.push_back({direction, ms, bytes});
}

// ---- commands --------------------------------------------------------------

uint8_t VirtualVtr::Dispatch(const std::vector<uint8_t>& block, double atMs, std::vector<uint8_t>* reply)
{
    const uint8_t cmd1 = block[0];
    const uint8_t cmd2 = block[1];
    const uint8_t* data = block.data() + 2;
    switch (cmd1 >> 4) {
    case 0x0:
        return SystemCommand(cmd1, cmd2, reply);
    case 0x2: {
        const uint8_t refusal = TransportCommand(cmd1, cmd2, data, atMs);
        if (refusal == kNoRefusal)
            *reply = {0x10, 0x01};
        return refusal;
    }
    case 0x4: {
        const uint8_t refusal = PresetCommand(cmd1, cmd2, data, atMs);
        if (refusal == kNoRefusal)
            *reply = {0x10, 0x01};
        return refusal;
    }
    case 0x6:
        return SenseCommand(cmd1, cmd2, data, atMs, reply);
    default:
        return kNakUndefinedCommand;
    }
}

uint8_t VirtualVtr::SystemCommand(uint8_t cmd1, uint8_t cmd2, std::vector<uint8_t>* reply)
{
    if (cmd1 != 0x00)
        return kNakUndefinedCommand;
    switch (cmd2) {
    case 0x0C: // local disable
    case 0x1D: // local enable
        *reply = {0x10, 0x01};
        return kNoRefusal;
    case 0x11:
        *reply = {0x12, 0x11, uint8_t(deviceType_ >> 8), uint8_t(deviceType_ & 0xFF)};
        return kNoRefusal;
    default:
        return kNakUndefinedCommand;
    }
}

uint8_t VirtualVtr::TransportCommand(uint8_t cmd1, uint8_t cmd2, const uint8_t* data, double atMs)
{
    DeckTransport& t = transport_;
    bool done = false;
    const auto accept = [&done](bool ok) { done = ok; };
    if (cmd1 == 0x20) {
        switch (cmd2) {
        case 0x00:
            accept(t.Stop(atMs));
            break;
        case 0x01:
            accept(t.Play(atMs));
            break;
        case 0x02:
            accept(t.Record(atMs));
            break;
        case 0x04:
            accept(t.Standby(false, atMs));
            break;
        case 0x05:
            accept(t.Standby(true, atMs));
            break;
        case 0x0F:
            accept(t.Eject(atMs));
            break;
        case 0x10:
            accept(t.Wind(true, atMs));
            break;
        case 0x20:
            accept(t.Wind(false, atMs));
            break;
        case 0x30:
            accept(t.Preroll(atMs));
            break;
        case 0x40:
            accept(t.AutoEdit(true, atMs));
            break;
        case 0x42:
            accept(t.AutoEdit(false, atMs));
            break;
        case 0x64:
            accept(t.EditOff(atMs));
            break;
        case 0x65:
            accept(t.EditOn(atMs));
            break;
        default:
            return kNakUndefinedCommand;
        }
    } else if ((cmd1 == 0x21 || cmd1 == 0x22) && (cmd2 & 0x0F) >= 1 && (cmd2 & 0x0F) <= 3 &&
               (cmd2 >> 4 == 1 || cmd2 >> 4 == 2)) {
        // 1x jog, 2x var, 3x shuttle; x1 forward, x2 reverse.
        double speed = SpeedOf(data[0], cmd1 == 0x22 ? data[1] : 0);
        if (cmd2 >> 4 == 2)
            speed = -speed;
        switch (cmd2 & 0x0F) {
        case 1:
            accept(t.Jog(speed, atMs));
            break;
        case 2:
            accept(t.Var(speed, atMs));
            break;
        default:
            accept(t.Shuttle(speed, atMs));
            break;
        }
    } else if (cmd1 == 0x24 && cmd2 == 0x31) {
        int64_t frame = 0;
        if (!FrameOfTimeData(data, &frame))
            return kNakUndefinedCommand;
        accept(t.Cue(frame, atMs));
    } else {
        return kNakUndefinedCommand;
    }
    // A deck in local, without a tape, or with its record tab out does not
    // take the command; the protocol has no better reason to give.
    return done ? kNoRefusal : kNakUndefinedCommand;
}

uint8_t VirtualVtr::PresetCommand(uint8_t cmd1, uint8_t cmd2, const uint8_t* data, double atMs)
{
    DeckTransport& t = transport_;
    EditPresets& p = t.Presets();
    if (!t.Remote())
        return kNakUndefinedCommand;
    int64_t* points[4] = {&p.in, &p.out, &p.audioIn, &p.audioOut}; // as 4x 14 to 17 number them
    if (cmd1 == 0x40) {
        if (cmd2 >= 0x10 && cmd2 <= 0x13) { // entry: the current frame
            *points[cmd2 - 0x10] = t.Frame(atMs);
            return kNoRefusal;
        }
        if (cmd2 >= 0x20 && cmd2 <= 0x23) { // reset
            *points[cmd2 - 0x20] = -1;
            return kNoRefusal;
        }
        if (cmd2 == 0x40 || cmd2 == 0x41) { // auto mode off, on
            p.autoMode = cmd2 == 0x41;
            return kNoRefusal;
        }
        return kNakUndefinedCommand;
    }
    if (cmd2 == 0x30 && (cmd1 == 0x41 || cmd1 == 0x42)) {
        // Edit preset: insert, assemble, video, audio 1 and 2 in the first
        // byte; the two-byte form carries audio 1 to 8 in the second.
        p.insert = (data[0] & 0x40) != 0;
        p.assemble = (data[0] & 0x20) != 0;
        uint32_t channels = (data[0] & 0x10) ? kChannelVideo : 0;
        channels |= uint32_t(data[0] & 0x03) << 1;
        if (cmd1 == 0x42)
            channels |= uint32_t(data[1]) << 1;
        p.channels = channels;
        return kNoRefusal;
    }
    if (cmd1 == 0x44 && cmd2 >= 0x14 && cmd2 <= 0x17) {
        int64_t frame = 0;
        if (!FrameOfTimeData(data, &frame))
            return kNakUndefinedCommand;
        *points[cmd2 - 0x14] = frame;
        return kNoRefusal;
    }
    if (cmd1 == 0x44 && cmd2 == 0x31) {
        // A duration, not a position: no frames are dropped from it.
        TimeLabel l;
        if (!DecodeTimeData(t.Format(), data, &l) || !InRange(t.Format(), l))
            return kNakUndefinedCommand;
        const int64_t labels = ((int64_t(l.hours) * 60 + l.minutes) * 60 + l.seconds) * t.Format().base + l.frames;
        p.prerollFrames = labels * t.Format().TapeFramesPerLabel();
        return kNoRefusal;
    }
    return kNakUndefinedCommand;
}

uint8_t VirtualVtr::SenseCommand(uint8_t cmd1, uint8_t cmd2, const uint8_t* data, double atMs,
                                 std::vector<uint8_t>* reply)
{
    const DeckTransport& t = transport_;
    const TapeFormat& format = t.Format();
    const auto timeData = [&](uint8_t kind, const uint8_t time[4]) {
        *reply = {0x74, kind, time[0], time[1], time[2], time[3]};
    };
    const auto frameData = [&](uint8_t kind, int64_t frame) {
        uint8_t time[4] = {};
        if (frame >= 0)
            EncodeTimeData(format, LabelOf(format, frame), time);
        timeData(kind, time);
    };
    const auto durationData = [&](uint8_t kind, int64_t tapeFrames) {
        uint8_t time[4];
        EncodeDuration(format, tapeFrames, time);
        timeData(kind, time);
    };
    if (cmd1 == 0x60 && cmd2 >= 0x10 && cmd2 <= 0x13) {
        // In, out, audio in, audio out data: zeros for a point not set,
        // which status D3 tells apart.
        const EditPresets& p = t.Presets();
        const int64_t points[4] = {p.in, p.out, p.audioIn, p.audioOut};
        frameData(cmd2, points[cmd2 - 0x10]);
        return kNoRefusal;
    }
    if (cmd1 == 0x60 && cmd2 == 0x31) {
        durationData(0x31, t.Presets().prerollFrames);
        return kNoRefusal;
    }
    if (cmd1 == 0x61 && cmd2 == 0x0C)
        return TimeSense(data[0], atMs, reply);
    if (cmd1 == 0x61 && cmd2 == 0x20) {
        const size_t start = data[0] >> 4;
        const size_t count = data[0] & 0x0F;
        const std::array<uint8_t, 16> status = t.StatusData();
        if (start + count > status.size())
            return kNakUndefinedCommand;
        *reply = {static_cast<uint8_t>(0x70 | count), 0x20};
        reply->insert(reply->end(), status.begin() + start, status.begin() + start + count);
        return kNoRefusal;
    }
    if (cmd1 == 0x60 && cmd2 == 0x2E) {
        *reply = {0x71, 0x2E, SpeedByte(t.Speed())};
        return kNoRefusal;
    }
    return kNakUndefinedCommand;
}

uint8_t VirtualVtr::TimeSense(uint8_t which, double atMs, std::vector<uint8_t>* reply)
{
    const DeckTransport& t = transport_;
    const TapeFormat& format = t.Format();
    const int64_t frame = t.Frame(atMs);
    // LTC cannot be read at still or crawling speeds, VITC can; asked for
    // either, the deck answers from the one that reads.
    const bool vitcReads = std::fabs(t.Speed()) < 1.0;
    uint8_t time[4];
    uint8_t kind = 0;
    bool withTime = true, withUserBits = false;
    if (which == 0x04 || which == 0x08) {
        // The timers count the tape's travel since the deck came up.
        kind = which == 0x04 ? 0x00 : 0x01;
        EncodeDuration(format, frame - timerOrigin_, time);
    } else {
        // Bits 0 and 1 ask for LTC or VITC time (both: whichever reads),
        // bits 4 and 5 for their user bits; time and user bits of one
        // source come together in one block.
        const uint8_t timeSource = which & 0x03;
        const uint8_t userBitsSource = (which >> 4) & 0x03;
        if ((which & 0xCC) != 0 || (timeSource == 0 && userBitsSource == 0) ||
            (timeSource != 0 && userBitsSource != 0 && timeSource != userBitsSource))
            return kNakUndefinedCommand;
        uint8_t source = timeSource != 0 ? timeSource : userBitsSource;
        if (source == 0x03)
            source = vitcReads ? 0x02 : 0x01;
        withTime = timeSource != 0;
        withUserBits = userBitsSource != 0;
        kind = static_cast<uint8_t>((source == 0x01 ? 0x04 : 0x06) + (withTime ? 0 : 1));
        EncodeTimeData(format, LabelOf(format, source == 0x01 ? frame : t.VitcFrame(atMs)), time);
    }
    const uint8_t userBits[4] = {}; // none recorded on this tape
    *reply = {static_cast<uint8_t>(withTime && withUserBits ? 0x78 : 0x74), kind};
    if (withTime)
        reply->insert(reply->end(), time, time + 4);
    if (withUserBits)
        reply->insert(reply->end(), userBits, userBits + 4);
    return kNoRefusal;
}

bool VirtualVtr::FrameOfTimeData(const uint8_t* data, int64_t* frame) const
{
    // A dropped drop-frame label names the frame that follows the gap.
    const TapeFormat& format = transport_.Format();
    TimeLabel l;
    if (!DecodeTimeData(format, data, &l) || !InRange(format, l))
        return false;
    if (!IsValidLabel(format, l))
        l.frames = 2;
    *frame = FrameOf(format, l);
    return true;
}

} // namespace sim
