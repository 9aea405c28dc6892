#pragma once
// A virtual VTR wired to a board's RS-422 line.
#include "sim/SerialLine.h"
#include "sim/deck/VirtualVtr.h"

#include <vector>

namespace sim {

class DeckPeer final : public SerialPeer {
public:
    DeckPeer(const DeckSettings& settings, double nowMs);

    void FromHost(uint8_t byte, double atMs, SerialLine& line) override;
    double NextDueMs() const override;
    void AdvanceTo(double nowMs, SerialLine& line) override;

    VirtualVtr& Deck() { return deck_; }

private:
    void Send(SerialLine& line);

    VirtualVtr deck_;
    std::vector<DeckReply> replies_; // kept to spare an allocation a byte
};

} // namespace sim
