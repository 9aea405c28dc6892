// Control open and close, the UART switch and the exchange of one packet.
#include "vtr/CSerialVtrControl.h"

#include "board/BoardTypes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kAllBits = 0xFFFFFFFF;
// More than the UART's receive FIFO can hold: a line that keeps talking
// cannot hold the discard loop.
constexpr int kMaxStaleBytes = 512;
constexpr int kMaxReceiveWaits = 2 * CSerialVtrControl::kReplyCapacity;

} // namespace

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
    // A control opened anew starts with its UART off: a board it held
    // before is switched off, and the next command switches the new one on.
    if (IsOpen() && IsActivated())
        DeactivateControl();
    activated_ = 0;
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
    std::snprintf(deckBoardInfo_.description, sizeof deckBoardInfo_.description, "Board: %u Type: %s",
                  static_cast<unsigned>(portIndex + 1), name);
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

// Switching the UART waits for an exchange in flight to end. Switching it
// off goes ahead even when the line is never given back: the deck is being
// given up.
bool CSerialVtrControl::ActivateControl()
{
    const Turn turn(line_, std::chrono::milliseconds(kLineWaitMs));
    return turn.Held() && ActivateHeld();
}

bool CSerialVtrControl::DeactivateControl()
{
    const Turn turn(line_, std::chrono::milliseconds(kLineWaitMs));
    return DeactivateHeld();
}

bool CSerialVtrControl::ActivateHeld()
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

bool CSerialVtrControl::DeactivateHeld()
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

bool CSerialVtrControl::AwaitReceive(Clock::time_point deadline)
{
    // A timed wait may end before its time on the system's tick; the clock
    // decides when the window has closed.
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        const uint32_t ms = static_cast<uint32_t>((left.count() + 999) / 1000);
        if (WaitForInterrupt(kInterruptUartReceive, ms))
            return true;
    }
}

bool CSerialVtrControl::ReplyWhole() const
{
    // CMD-1's low nibble counts the data bytes between CMD-2 and the checksum.
    return replyCount_ > 0 && replyCount_ >= 3 + (reply_[0] & 0x0F);
}

void CSerialVtrControl::ReadReceived()
{
    // Bytes after a whole block stay in the UART for the next drain.
    uint32_t control = 0;
    while (!ReplyWhole() && replyCount_ < kReplyCapacity && ReadUartControl(&control) &&
           (control & kUartReceiveReady) != 0) {
        uint32_t byte = 0;
        ReadRegister(kRegisterUartReceive, &byte, kAllBits, 0);
        reply_[replyCount_++] = static_cast<uint8_t>(byte & 0xFF);
    }
}

int CSerialVtrControl::DropReceived()
{
    uint32_t control = 0;
    int n = 0;
    for (; n < kMaxStaleBytes && ReadUartControl(&control) && (control & kUartReceiveReady) != 0; ++n) {
        uint32_t discarded = 0;
        ReadRegister(kRegisterUartReceive, &discarded, kAllBits, 0);
    }
    return n;
}

void CSerialVtrControl::DiscardStaleReceive()
{
    // Bytes waiting now, and a reply still owed by a deck that missed its
    // window, answer earlier packets: they must not pass for the reply to
    // this one. While the line keeps talking it is let finish, within a
    // bound, so that a deck with a backlog is not sent more than it answers.
    const auto quiet = std::chrono::milliseconds(kLineQuietMs);
    auto quietBy = settledAt_;
    if (DropReceived() > 0)
        quietBy = std::max(quietBy, Clock::now() + quiet);
    const auto limit = std::max(quietBy, Clock::now()) + std::chrono::milliseconds(kFirstByteWaitMs);
    for (int waits = 0; waits < kMaxReceiveWaits && AwaitReceive(quietBy); ++waits) {
        if (DropReceived() > 0)
            quietBy = std::min(limit, std::max(quietBy, Clock::now() + quiet));
    }
}

void CSerialVtrControl::CollectReply()
{
    // The first byte gets the deck's whole response time; once a reply has
    // begun, each further interrupt must come within the byte wait. A board
    // that keeps interrupting with nothing to read cannot hold the exchange
    // for ever.
    auto deadline = Clock::now() + std::chrono::milliseconds(kFirstByteWaitMs);
    for (int waits = 0; waits < kMaxReceiveWaits; ++waits) {
        if (!AwaitReceive(deadline))
            break;
        ReadReceived();
        if (ReplyWhole() || replyCount_ >= kReplyStopCount)
            return;
        if (replyCount_ > 0)
            deadline = Clock::now() + std::chrono::milliseconds(kReceiveWaitMs);
    }
    settledAt_ = Clock::now() + std::chrono::milliseconds(kFirstByteWaitMs);
}

bool CSerialVtrControl::SendCommand(const uint8_t* packet, bool expectReply)
{
    const Turn turn(line_, std::chrono::milliseconds(kLineWaitMs));
    return turn.Held() && SendHeld(packet, expectReply);
}

bool CSerialVtrControl::SendHeld(const uint8_t* packet, bool expectReply)
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
    return true;
}

bool CSerialVtrControl::Exchange(const uint8_t* bytes, uint8_t count, Reply* reply)
{
    uint8_t packet[1 + kMaxCommandBytes];
    reply->count = 0;
    if (count > kMaxCommandBytes)
        return false;
    packet[0] = count;
    std::memcpy(packet + 1, bytes, count);
    const Turn turn(line_, std::chrono::milliseconds(kLineWaitMs));
    if (!turn.Held())
        return false;
    const bool sent = SendHeld(packet, true);
    reply->count = replyCount_;
    std::memcpy(reply->bytes, reply_, replyCount_);
    return sent;
}

bool CSerialVtrControl::Exchange(std::initializer_list<uint8_t> bytes, Reply* reply)
{
    return Exchange(bytes.begin(), static_cast<uint8_t>(bytes.size()), reply);
}

void CSerialVtrControl::NoteRefusal(const Reply& reply)
{
    if (!reply.IsBlock(0x11, 0x12))
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
        if (reply.bytes[2] & reason.bit) {
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
