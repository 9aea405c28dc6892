// Control open and close, the UART switch and the exchange of one packet.
#include "vtr/CSerialVtrControl.h"

#include "board/BoardTypes.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kAllBits = 0xFFFFFFFF;
// More than the UART's receive FIFO can hold: a line that keeps talking
// cannot hold the discard loop.
constexpr int kMaxStaleBytes = 512;
constexpr int kMaxReceiveWaits = 2 * CSerialVtrControl::kReplyCapacity;

}  // namespace

CSerialVtrControl::CSerialVtrControl()
{
    std::memset(&deckBoardInfo_, 0, sizeof deckBoardInfo_);
    SetDefaultSettings(&controlSettings_);
    SetLastError("None");
}

CSerialVtrControl::CSerialVtrControl(const DriverApi& api) : CBrixBoard(api)
{
    std::memset(&deckBoardInfo_, 0, sizeof deckBoardInfo_);
    SetDefaultSettings(&controlSettings_);
    SetLastError("None");
}

CSerialVtrControl::~CSerialVtrControl()
{
    if (IsOpen())
        CloseControl();
}

void CSerialVtrControl::SetLastError(const char* text)
{
    std::snprintf(lastError_, sizeof lastError_, "%s", text);
}

bool CSerialVtrControl::BoardOpenOrFail()
{
    if (IsOpen())
        return true;
    SetLastError("Control Not Opened");
    return false;
}

bool CSerialVtrControl::DeckReady()
{
    if (!BoardOpenOrFail())
        return false;
    if (!ActivateControl()) {
        SetLastError("Could Not Activate Control");
        return false;
    }
    return true;
}

bool CSerialVtrControl::ReadUartControl(uint32_t* value)
{
    *value = 0;
    return ReadRegister(kRegisterUartControl, value, kAllBits, 0);
}

bool CSerialVtrControl::OpenControl(const BoardInfo& board, uint32_t portIndex)
{
    if (!Open(static_cast<uint16_t>(board.boardIndex & 0xFFFF), false, board.boardType, nullptr)) {
        SetLastError("Could Not Open Control");
        return false;
    }
    uint32_t control = 0;
    if (!ReadUartControl(&control) || (control & kUartHasRs422) == 0) {
        SetLastError("No RS422 Control");
        Close();
        return false;
    }

    std::memset(&deckBoardInfo_, 0, sizeof deckBoardInfo_);
    deckBoardInfo_.tag = kDeckRecordTag;
    char name[sizeof board.displayName + 1] = {};
    std::memcpy(name, board.displayName, sizeof board.displayName);
    std::snprintf(deckBoardInfo_.description, sizeof deckBoardInfo_.description,
                  "Board: %u Type: %s", static_cast<unsigned>(portIndex + 1), name);
    deckBoardInfo_.boardId = static_cast<uint32_t>(board.boardId);
    deckBoardInfo_.boardType = board.boardType;
    deckBoardInfo_.boardIndex = board.boardIndex;
    deckBoardInfo_.portIndex = portIndex;

    SetDefaultSettings(&controlSettings_);
    return true;
}

bool CSerialVtrControl::CloseControl()
{
    if (!BoardOpenOrFail())
        return false;
    if (IsActivated())
        DeactivateControl();
    Close();
    return true;
}

bool CSerialVtrControl::ActivateControl()
{
    if (!BoardOpenOrFail())
        return false;
    if (IsActivated())
        return true;
    uint32_t control = 0;
    if (!ReadUartControl(&control) || (control & kUartHasRs422) == 0)
        return false;
    WriteRegister(kRegisterUartControl, control | kUartOnBits, kAllBits, 0);

    ConfigureInterrupt(true, kInterruptUartReceive);
    ConfigureSubscription(true, kInterruptUartReceive, InterruptEvent(kInterruptUartReceive));
    ConfigureInterrupt(true, kInterruptUartTransmit);
    ConfigureSubscription(true, kInterruptUartTransmit, InterruptEvent(kInterruptUartTransmit));
    activated_ = 1;
    return true;
}

bool CSerialVtrControl::DeactivateControl()
{
    if (!BoardOpenOrFail())
        return false;
    if (!IsActivated())
        return true;
    uint32_t control = 0;
    if (ReadUartControl(&control) && (control & kUartHasRs422) != 0) {
        WriteRegister(kRegisterUartControl, 0, kAllBits, 0);
        // The subscriptions stay until the board is closed.
        ConfigureInterrupt(false, kInterruptUartReceive);
        ConfigureInterrupt(false, kInterruptUartTransmit);
    }
    activated_ = 0;
    return true;
}

void CSerialVtrControl::DiscardStaleReceive()
{
    // Whatever is waiting now answers an earlier packet (a deck that replied
    // after its window closed): it must not pass for the reply to this one.
    uint32_t control = 0;
    for (int n = 0; n < kMaxStaleBytes && ReadUartControl(&control) &&
                    (control & kUartReceiveReady) != 0;
         ++n) {
        uint32_t discarded = 0;
        ReadRegister(kRegisterUartReceive, &discarded, kAllBits, 0);
    }
}

void CSerialVtrControl::CollectReply()
{
    // A byte an interrupt is the most a reply can take; a board that keeps
    // interrupting with nothing to read must not hold the exchange for ever.
    for (int waits = 0; waits < kMaxReceiveWaits && replyCount_ < kReplyStopCount; ++waits) {
        if (!WaitForInterrupt(kInterruptUartReceive, kReceiveWaitMs))
            return;
        uint32_t control = 0;
        while (replyCount_ < kReplyCapacity && ReadUartControl(&control) &&
               (control & kUartReceiveReady) != 0) {
            uint32_t byte = 0;
            ReadRegister(kRegisterUartReceive, &byte, kAllBits, 0);
            reply_[replyCount_++] = static_cast<uint8_t>(byte & 0xFF);
        }
    }
}

bool CSerialVtrControl::SendCommand(const uint8_t* packet, bool expectReply)
{
    if (packet == nullptr || packet[0] > kMaxCommandBytes || !IsOpen())
        return false;
    DiscardStaleReceive();

    uint8_t checksum = 0;
    for (uint8_t i = 1; i <= packet[0]; ++i) {
        WriteRegister(kRegisterUartTransmit, packet[i], kAllBits, 0);
        checksum = static_cast<uint8_t>(checksum + packet[i]);
    }
    WriteRegister(kRegisterUartTransmit, checksum, kAllBits, 0);

    replyCount_ = 0;
    if (!WaitForInterrupt(kInterruptUartTransmit, kTransmitWaitMs))
        return false;
    if (!expectReply)
        return true;
    CollectReply();
    NoteRefusal();
    return true;
}

void CSerialVtrControl::NoteRefusal()
{
    if (!ReplyIsBlock(0x11, 0x12))
        return;
    static const struct {
        uint8_t bit;
        const char* text;
    } kReasons[] = {
        {0x01, "Unknown Command"}, {0x04, "Checksum Error"}, {0x10, "Parity Error"},
        {0x20, "Buffer Overrun"},  {0x40, "Framing Error"},  {0x80, "Timeout"},
    };
    char text[kLastErrorBytes] = "Deck Refused Command";
    const char* joiner = " (";
    for (const auto& reason : kReasons) {
        if (reply_[2] & reason.bit) {
            std::strncat(text, joiner, sizeof text - std::strlen(text) - 1);
            std::strncat(text, reason.text, sizeof text - std::strlen(text) - 1);
            joiner = ", ";
        }
    }
    if (joiner[0] == ',')
        std::strncat(text, ")", sizeof text - std::strlen(text) - 1);
    SetLastError(text);
}

bool CSerialVtrControl::GetBoardDescription(char* out)
{
    if (!IsOpen()) {
        SetLastError("Control Not Opened");
        if (out)
            std::strcpy(out, "Board Not Opened.");
        return false;
    }
    if (out)
        std::strcpy(out, deckBoardInfo_.description);
    return true;
}

bool CSerialVtrControl::GetDeckBoardInfo(uint32_t* out)
{
    if (!BoardOpenOrFail())
        return false;
    if (out)
        std::memcpy(out, &deckBoardInfo_, sizeof deckBoardInfo_);
    return true;
}
