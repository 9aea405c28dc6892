#include "tools/vtrdeck/DeckServer.h"

#include "sim/deck/DeckLogText.h"
#include "tools/vtrdeck/DeckLine.h"

#include <cerrno>
#include <cmath>
#include <unistd.h>

namespace vtrdeck {

DeckServer::DeckServer(const sim::DeckSettings& settings, std::FILE* packetLog)
    : start_(std::chrono::steady_clock::now()), deck_(settings, 0.0), packetLog_(packetLog)
{
}

double DeckServer::NowMs() const
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
}

void DeckServer::Connect(int fd)
{
    client_ = fd;
    deck_.SetUnplugged(false);
    if (packetLog_)
        std::fprintf(packetLog_, "%12.6f  controller connected\n", NowMs() / 1000.0);
}

void DeckServer::Disconnect()
{
    client_ = -1;
    deck_.SetUnplugged(true);
    pending_.clear();
    if (packetLog_) {
        std::fprintf(packetLog_, "%12.6f  controller gone\n", NowMs() / 1000.0);
        std::fflush(packetLog_);
    }
}

bool DeckServer::ReadClient()
{
    uint8_t bytes[256];
    const ssize_t got = read(client_, bytes, sizeof bytes);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return true;
    if (got <= 0)
        return false;
    AckAtOnce(client_);
    const double now = NowMs();
    std::vector<sim::DeckReply> replies;
    for (ssize_t i = 0; i < got; ++i)
        deck_.Receive(bytes[i], now, &replies);
    Take(replies);
    FlushPacketLog();
    return true;
}

void DeckServer::Take(std::vector<sim::DeckReply>& replies)
{
    for (sim::DeckReply& reply : replies)
        pending_.push_back(std::move(reply));
}

bool DeckServer::Service()
{
    const double now = NowMs();
    std::vector<sim::DeckReply> replies;
    deck_.Poll(now, &replies);
    Take(replies);
    while (!pending_.empty() && pending_.front().startMs <= now) {
        const std::vector<uint8_t>& bytes = pending_.front().bytes;
        size_t sent = 0;
        while (client_ >= 0 && sent < bytes.size()) {
            const ssize_t n = write(client_, bytes.data() + sent, bytes.size() - sent);
            if (n < 0 && errno == EINTR)
                continue;
            // Nobody reads the line: what does not fit is lost, as on a wire.
            if (n < 0 && errno == EAGAIN)
                break;
            if (n <= 0)
                return false;
            sent += size_t(n);
        }
        pending_.pop_front();
    }
    FlushPacketLog();
    return true;
}

long long DeckServer::NanosecondsToNext() const
{
    double next = deck_.NextDueMs();
    if (!pending_.empty())
        next = std::min(next, pending_.front().startMs);
    if (std::isinf(next))
        return -1;
    return std::max(0LL, static_cast<long long>(std::ceil((next - NowMs()) * 1e6)));
}

void DeckServer::FlushPacketLog()
{
    if (!packetLog_) {
        deck_.ClearPackets();
        return;
    }
    for (const sim::LoggedPacket& packet : deck_.Packets()) {
        const bool in = packet.direction == sim::LoggedPacket::Direction::FromController;
        std::string hex;
        for (uint8_t b : packet.bytes) {
            char two[4];
            std::snprintf(two, sizeof two, "%s%02X", hex.empty() ? "" : " ", b);
            hex += two;
        }
        std::fprintf(packetLog_, "%12.6f  %s  %-30s  %s\n", packet.ms / 1000.0, in ? "in " : "out", hex.c_str(),
                     sim::BlockMeaning(packet.bytes, in).c_str());
    }
    deck_.ClearPackets();
    std::fflush(packetLog_);
}

void DeckServer::PrintTapeLog(std::FILE* out)
{
    const double now = NowMs();
    const sim::DeckTransport& transport = deck_.Transport(now);
    std::fprintf(out, "tape log at %s: %zu segments\n",
                 sim::FrameText(transport.Format(), transport.Frame(now)).c_str(), transport.Segments().size());
    for (const sim::RecordedSegment& segment : transport.Segments())
        std::fprintf(out, "  %s\n", sim::SegmentText(transport.Format(), segment).c_str());
    std::fflush(out);
}

} // namespace vtrdeck
