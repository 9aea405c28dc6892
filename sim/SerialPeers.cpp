#include "sim/DeckPeer.h"
#include "sim/SerialLine.h"

namespace sim {

namespace {

// A loop-back plug: every byte goes straight back as its last bit arrives.
class LoopbackPeer final : public SerialPeer {
public:
    void FromHost(uint8_t byte, double atMs, SerialLine& line) override { line.SendToHost(&byte, 1, atMs); }
};

} // namespace

std::unique_ptr<SerialPeer> MakeSerialPeer(const BoardConfig& board)
{
    // A board without the port has no line to wire anything to.
    if (!board.rs422)
        return nullptr;
    switch (board.line) {
    case LineKind::Loopback:
        return std::make_unique<LoopbackPeer>();
    case LineKind::Deck:
        return std::make_unique<DeckPeer>(board.deck, RackClockMs());
    case LineKind::None:
        break;
    }
    return nullptr;
}

} // namespace sim
