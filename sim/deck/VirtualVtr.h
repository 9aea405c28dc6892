#pragma once
// A tape deck as a 9-pin controlled device: it takes the controller's bytes
// as they arrive, frames them into command blocks, checks count and
// checksum, obeys or refuses, and answers after its latency. Pure standard
// C++ with the clock handed in, so it runs natively as well as in the rack.
#include "sim/deck/DeckSettings.h"
#include "sim/deck/DeckTransport.h"
#include "sim/deck/WireTiming.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace sim {

// NAK reason bits of the 9-pin protocol.
constexpr uint8_t kNakUndefinedCommand = 0x01;
constexpr uint8_t kNakChecksumError = 0x04;
constexpr uint8_t kNakParityError = 0x10;
constexpr uint8_t kNakBufferOverrun = 0x20;
constexpr uint8_t kNakFramingError = 0x40;
constexpr uint8_t kNakTimeout = 0x80;

// Bytes the deck puts on the line, the first starting at startMs.
struct DeckReply {
    std::vector<uint8_t> bytes;
    double startMs = 0;
};

struct LoggedPacket {
    enum class Direction { FromController, ToController };
    Direction direction;
    double ms;                  // last byte in, or first byte out
    std::vector<uint8_t> bytes; // checksum included
};

class VirtualVtr {
public:
    static constexpr size_t kPacketLogLimit = 65536; // oldest entries go first

    VirtualVtr(const DeckSettings& settings, double nowMs);

    // The wire. Replies are appended to out, in time order.
    void Receive(uint8_t byte, double atMs, std::vector<DeckReply>* out);
    // When the deck next wants Poll though no byte arrives (an unfinished
    // block timing out); infinity when never.
    double NextDueMs() const;
    void Poll(double nowMs, std::vector<DeckReply>* out);

    // The deck's own front: brings the transport to nowMs first.
    DeckTransport& Transport(double nowMs);
    void SetFaults(const DeckFaults& faults) { faults_ = faults; }
    const DeckFaults& Faults() const { return faults_; }
    // Pulls the cable (or puts it back): an unplugged deck hears nothing.
    void SetUnplugged(bool unplugged);
    bool Unplugged(double nowMs) const;
    void SetLatencyMs(double ms) { latencyMs_ = ms; }

    const std::deque<LoggedPacket>& Packets() const { return packets_; }
    uint64_t PacketsDropped() const { return packetsDropped_; }
    void ClearPackets();

private:
    void Execute(const std::vector<uint8_t>& block, double atMs, std::vector<DeckReply>* out);
    void Answer(std::vector<uint8_t> bytes, double atMs, std::vector<DeckReply>* out);
    void Nak(uint8_t reasons, double atMs, std::vector<DeckReply>* out);
    void Log(LoggedPacket::Direction direction, double ms, const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> RandomReply();
    // Builds the reply to a command block (checksum left off); returns the
    // NAK reasons instead when the deck refuses it.
    uint8_t Dispatch(const std::vector<uint8_t>& block, double atMs, std::vector<uint8_t>* reply);
    uint8_t SystemCommand(uint8_t cmd1, uint8_t cmd2, std::vector<uint8_t>* reply);
    uint8_t TransportCommand(uint8_t cmd1, uint8_t cmd2, const uint8_t* data, double atMs);
    uint8_t PresetCommand(uint8_t cmd1, uint8_t cmd2, const uint8_t* data, double atMs);
    uint8_t SenseCommand(uint8_t cmd1, uint8_t cmd2, const uint8_t* data, double atMs, std::vector<uint8_t>* reply);
    uint8_t TimeSense(uint8_t which, double atMs, std::vector<uint8_t>* reply);
    // Time data from a controller as a tape frame; false when not a time.
    bool FrameOfTimeData(const uint8_t* data, int64_t* frame) const;

    DeckTransport transport_;
    DeckFaults faults_;
    double latencyMs_;
    double interByteTimeoutMs_;
    uint16_t deviceType_;
    int64_t timerOrigin_; // the frame the timers count from
    bool unplugged_ = false;
    double firstByteMs_ = -1;

    std::vector<uint8_t> block_; // the command block being received
    size_t blockLength_ = 0;     // its whole length once CMD-1 is in
    double lastByteMs_ = 0;
    double lineFreeMs_ = 0; // when the last reply's last byte is out
    uint32_t replies_ = 0;
    uint8_t noise_ = 0x5A;
    uint32_t random_ = 0;

    std::deque<LoggedPacket> packets_;
    uint64_t packetsDropped_ = 0;
};

} // namespace sim
