#include "board/BoardTypes.h"
#include "sim/RackState.h"

#include <cstdio>

namespace sim {

uint32_t SimBoard::Read(uint32_t reg, bool pop)
{
    switch (reg) {
    case kRegisterUartTransmit:
        return 0;
    case kRegisterUartReceive:
        return pop ? uart->Receive() : uart->PeekReceive();
    case kRegisterUartControl:
        return uart->ReadControl();
    default: {
        const auto it = registers.find(reg);
        return it == registers.end() ? 0 : it->second;
    }
    }
}

void SimBoard::Write(uint32_t reg, uint32_t value, uint32_t mask, uint32_t shift, double nowMs)
{
    const uint32_t shifted = shift >= 32 ? 0 : value << shift;
    const uint32_t merged = (Read(reg, false) & ~mask) | (shifted & mask);
    switch (reg) {
    case kRegisterBoardId:
    case kRegisterDriverFlags:
    case kRegisterUartReceive:
        break;
    case kRegisterAudioControl:
        // Whether an AES signal is there is the input's business, not the host's.
        registers[reg] = (merged & ~kAudioAesInputBit) | (registers[reg] & kAudioAesInputBit);
        break;
    default:
        Store(reg, merged, nowMs);
        break;
    }
}

void SimBoard::Store(uint32_t reg, uint32_t value, double nowMs)
{
    switch (reg) {
    case kRegisterUartTransmit:
        uart->Transmit(value, nowMs);
        break;
    case kRegisterUartReceive:
        break;
    case kRegisterUartControl:
        uart->WriteControl(value);
        break;
    default:
        registers[reg] = value;
        break;
    }
}

std::string DevicePathFor(uint32_t type, uint32_t indexInType)
{
    static const GUID kNoType = {};
    const GUID* guid = BoardTypeGuid(type);
    const GUID& g = guid ? *guid : kNoType;
    char text[128];
    std::snprintf(text, sizeof text, "\\\\?\\quorsim#type%u#%u#{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                  static_cast<unsigned>(type), static_cast<unsigned>(indexInType), static_cast<unsigned long>(g.Data1),
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                  g.Data4[7]);
    return text;
}

} // namespace sim
