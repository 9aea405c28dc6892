#include "sim/SimUart.h"

#include "board/BoardTypes.h"

#include <algorithm>

namespace sim {

SimUart::SimUart(bool present, std::unique_ptr<SerialPeer> peer, RaiseInterrupt raise)
    : present_(present), peer_(std::move(peer)), raise_(std::move(raise))
{
}

void SimUart::AdvanceTo(double nowMs)
{
    // A peer that asks for a tick it has just had would spin here under the
    // rack's lock; its clock is then left alone until the next call.
    bool peerStalled = false;
    for (;;) {
        const double tx = transmitting_.empty() ? kNever : transmitting_.front().ms;
        const double rx = arriving_.empty() ? kNever : arriving_.front().ms;
        const double tick = (peer_ && !peerStalled) ? peer_->NextDueMs() : kNever;
        const double next = std::min({tx, rx, tick});
        if (!(next <= nowMs))
            return;
        if (tx == next) {
            const Timed sent = transmitting_.front();
            transmitting_.pop_front();
            ++bytesToLine_;
            if (peer_)
                peer_->FromHost(sent.byte, sent.ms, *this);
            if (transmitting_.empty())
                raise_(kInterruptUartTransmit);
        } else if (tick == next) {
            peer_->AdvanceTo(next, *this);
            peerStalled = !(peer_->NextDueMs() > next);
        } else {
            const Timed received = arriving_.front();
            arriving_.pop_front();
            ++bytesFromLine_;
            if (fifo_.size() < kReceiveFifoBytes)
                fifo_.push_back(received.byte);
            else
                ++overflows_;
            raise_(kInterruptUartReceive);
        }
    }
}

uint32_t SimUart::ReadControl() const
{
    if (!present_)
        return 0;
    return kUartHasRs422 | (fifo_.empty() ? 0u : kUartReceiveReady) | control_;
}

void SimUart::WriteControl(uint32_t value)
{
    if (!present_)
        return;
    // The module writes back what it read, receive-ready bit and all.
    control_ = static_cast<uint8_t>(value & 0xFF & ~kStatusBits);
    if (!On())
        Flush();
}

void SimUart::Transmit(uint32_t value, double nowMs)
{
    if (!On())
        return;
    const double start = std::max(nowMs, transmitterFreeMs_);
    transmitterFreeMs_ = start + kWireByteMs;
    transmitting_.push_back({static_cast<uint8_t>(value & 0xFF), transmitterFreeMs_});
}

uint8_t SimUart::Receive()
{
    if (fifo_.empty())
        return 0;
    const uint8_t byte = fifo_.front();
    fifo_.pop_front();
    return byte;
}

uint8_t SimUart::PeekReceive() const
{
    return fifo_.empty() ? 0 : fifo_.front();
}

double SimUart::NextDueMs(bool withPeer) const
{
    double next = kNever;
    if (!transmitting_.empty())
        next = transmitting_.front().ms;
    if (!arriving_.empty())
        next = std::min(next, arriving_.front().ms);
    if (withPeer && peer_)
        next = std::min(next, peer_->NextDueMs());
    return next;
}

bool SimUart::Busy() const
{
    return !transmitting_.empty() || !arriving_.empty();
}

void SimUart::SetPeer(std::unique_ptr<SerialPeer> peer)
{
    peer_ = std::move(peer);
}

UartStatus SimUart::Status() const
{
    UartStatus s;
    s.present = present_;
    s.on = On();
    s.control = control_;
    s.transmitQueued = static_cast<uint32_t>(transmitting_.size());
    s.receiveWaiting = static_cast<uint32_t>(fifo_.size());
    s.receiveOverflows = overflows_;
    s.bytesToLine = bytesToLine_;
    s.bytesFromLine = bytesFromLine_;
    return s;
}

void SimUart::Flush()
{
    transmitting_.clear();
    arriving_.clear();
    fifo_.clear();
    transmitterFreeMs_ = 0;
    lastArrivalMs_ = 0;
}

void SimUart::SendToHost(const uint8_t* bytes, size_t count, double startMs)
{
    // A receiver that is off hears nothing.
    if (!On())
        return;
    for (size_t i = 0; i < count; ++i) {
        lastArrivalMs_ = std::max(startMs, lastArrivalMs_) + kWireByteMs;
        arriving_.push_back({bytes[i], lastArrivalMs_});
    }
}

} // namespace sim
