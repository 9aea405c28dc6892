#include "sim/SerialLine.h"

namespace sim {

namespace {

// A loop-back plug: every byte goes straight back as its last bit arrives.
class LoopbackPeer final : public SerialPeer {
public:
    void FromHost(uint8_t byte, double atMs, SerialLine& line) override { line.SendToHost(&byte, 1, atMs); }
};

}  // namespace

std::unique_ptr<SerialPeer> MakeSerialPeer(const BoardConfig& board)
{
    switch (board.line) {
    case LineKind::Loopback: return std::make_unique<LoopbackPeer>();
    case LineKind::None: break;
    }
    return nullptr;
}

}  // namespace sim
