#include "sim/DeckPeer.h"

namespace sim {

DeckPeer::DeckPeer(const DeckSettings& settings, double nowMs) : deck_(settings, nowMs) {}

void DeckPeer::FromHost(uint8_t byte, double atMs, SerialLine& line)
{
    deck_.Receive(byte, atMs, &replies_);
    Send(line);
}

double DeckPeer::NextDueMs() const
{
    return deck_.NextDueMs();
}

void DeckPeer::AdvanceTo(double nowMs, SerialLine& line)
{
    deck_.Poll(nowMs, &replies_);
    Send(line);
}

void DeckPeer::Send(SerialLine& line)
{
    for (const DeckReply& reply : replies_)
        line.SendToHost(reply.bytes.data(), reply.bytes.size(), reply.startMs);
    replies_.clear();
}

} // namespace sim
