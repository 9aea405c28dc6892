#pragma once
// The deck controller: the board, extended with the 9-pin link over the
// board's RS-422 UART (registers 70 to 72, interrupts 14 and 15), the deck's
// command set, status decoding and the timecode settings. Any thread may
// call it: each exchange (command out, reply in, reply decoded) holds the
// line for itself, so two threads never mix their packets or replies.
#include "board/BoardInfo.h"
#include "board/CBrixBoard.h"
#include "vtr/ControlSettings.h"
#include "vtr/DeckBoardInfo.h"
#include "vtr/TurnLock.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

class CSerialVtrControl : public CBrixBoard {
public:
    static constexpr uint8_t kMaxCommandBytes = 14;
    // Collection ends with the reply's block, whose length its first byte
    // gives; whatever runs on stops it here at the latest.
    static constexpr uint8_t kReplyStopCount = 31;
    static constexpr size_t kReplyCapacity = 64;
    static constexpr uint32_t kTransmitWaitMs = 15;
    // A deck may take 9 ms to start its reply. The window adds the first
    // byte's time on the wire, the board's interrupt and the thread's wake-up
    // (a system timer tick of 1 ms among them), and is measured on the clock,
    // since a timed wait can end up to a tick early.
    static constexpr uint32_t kFirstByteWaitMs = 12;
    // Between the bytes of a reply that has begun.
    static constexpr uint32_t kReceiveWaitMs = 5;
    // A line that carried stale bytes counts as quiet after this long
    // without one (a byte takes 0.29 ms).
    static constexpr uint32_t kLineQuietMs = 2;
    // Far longer than any exchange holds the line; a caller that waits
    // this long for its turn fails as on a silent deck.
    static constexpr uint32_t kLineWaitMs = 2000;
    static constexpr size_t kStatusFlagCount = 60;
    static constexpr size_t kModeTextBytes = 18;
    static constexpr size_t kTimecodeTextBytes = 12;
    static constexpr size_t kLastErrorBytes = 256;
    static constexpr uint32_t kTimecodeFormatCount = 7;
    static constexpr uint32_t kTimecodeSourceCount = 3;
    static constexpr uint32_t kMaxPrerollSeconds = 15;
    // Far beyond any deck; keeps the recorded speed a number that every
    // reader can truncate.
    static constexpr double kMaxShuttleSpeed = 1000.0;

    CSerialVtrControl();
    explicit CSerialVtrControl(const DriverApi& api);
    ~CSerialVtrControl() override;

    // The link.
    bool OpenControl(const BoardInfo& board, uint32_t portIndex);
    bool CloseControl();
    bool ActivateControl();
    bool DeactivateControl();
    // packet[0] is the number of command bytes that follow (at most 14); the
    // checksum is added here. The reply is left in the reply buffer, which
    // the next exchange of any thread overwrites.
    bool SendCommand(const uint8_t* packet, bool expectReply);
    bool GetBoardDescription(char* out);
    bool GetDeckBoardInfo(uint32_t* out);

    // Transport: true when the deck acknowledged.
    bool Stop();
    bool Play();
    bool Record();
    bool Eject();
    bool FastForward();
    bool Rewind();
    bool Preview();
    bool AutoEdit();
    bool JogReversePlay();
    bool JogForwardFast();
    bool JogReverseFast();
    bool ShuttleStill();
    // Signed multiple of play speed. NaN counts as 0 and magnitudes are
    // capped at kMaxShuttleSpeed; speeds too slow for the speed code give
    // its still code.
    bool Shuttle(double speed);
    bool CueToTimecode(const char* text);
    bool CueToTime(uint8_t hours, uint8_t minutes, uint8_t seconds, uint8_t frames);
    // One frame on from the deck's current time, by cueing there; false
    // when the deck gave no time or refused the cue.
    bool StepForward();
    bool StepBackward();

    // Reading. GetTimecode writes a text in every case (zeros when the deck
    // gave no time) and is true only when the deck gave its time. Each
    // output may be null when only the answer is wanted.
    bool GetTimecode(char* out);
    double GetSpeed();
    bool GetStatusFlags(uint8_t flags[kStatusFlagCount]);
    bool GetMode(char* text);

    // Edit presets and their reset: every packet is sent; true when the
    // deck acknowledged them all.
    bool EditSetup(const char* inText, const char* outText, const char* audioInText, const char* audioOutText,
                   uint32_t channels);
    bool EditReset();

    // Timecode format, source and preroll. None talks to the deck.
    uint32_t GetTimecodeFormatCount() const { return kTimecodeFormatCount; }
    bool GetTimecodeFormatInfo(uint32_t index, TimecodeFormat* out);
    bool SetTimecodeFormat(uint32_t index);
    bool GetTimecodeFormat(uint32_t* index);
    uint32_t GetTimecodeSourceCount() const { return kTimecodeSourceCount; }
    bool GetTimecodeSourceName(uint32_t index, char* out);
    bool SetTimecodeSource(uint32_t index);
    bool GetTimecodeSource(uint32_t* index);
    bool SetPreroll(uint32_t seconds);
    bool GetPreroll(uint32_t* seconds);
    bool ApplyControlSettings(const ControlSettings* settings);
    bool GetControlSettings(uint32_t* out);
    bool SetDefaultSettings(ControlSettings* settings) const;
    bool IsDoubleRateFormat(uint32_t index) const;

    const char* LastError() const { return lastError_; }
    bool IsActivated() const { return activated_ != 0; }
    double CommandSpeed() const { return commandSpeed_; }
    uint8_t ReplyCount() const { return replyCount_; }
    const uint8_t* ReplyBytes() const { return reply_; }

private:
    using Clock = std::chrono::steady_clock;

    // One exchange's reply, the caller's own copy.
    struct Reply {
        uint8_t count = 0;
        uint8_t bytes[kReplyCapacity] = {};

        bool Acknowledged() const;
        // A whole block with this CMD-1 (and CMD-2 unless 0xFF) whose
        // checksum is right.
        bool IsBlock(uint8_t cmd1, uint8_t cmd2) const;
    };

    // Board open and UART on, activating it if need be; otherwise the
    // reason goes to LastError.
    bool DeckReady();
    bool BoardOpenOrFail();
    void SetLastError(const char* text);
    bool ReadUartControl(uint32_t* value);
    bool ActivateHeld();
    bool DeactivateHeld();
    bool SendHeld(const uint8_t* packet, bool expectReply);
    bool AwaitReceive(Clock::time_point deadline);
    void ReadReceived();
    bool ReplyWhole() const;
    int DropReceived();
    void DiscardStaleReceive();
    void CollectReply();
    // A failing operation's reason when the deck refused its packet.
    void NoteRefusal(const Reply& reply);

    // One packet from its command bytes, sent with a reply expected; the
    // reply is copied out before the line is given up.
    bool Exchange(std::initializer_list<uint8_t> bytes, Reply* reply);
    bool Exchange(const uint8_t* bytes, uint8_t count, Reply* reply);
    // The packet, true when the deck acknowledged it; a refusal's reason
    // goes to LastError.
    bool ExchangeAcknowledged(std::initializer_list<uint8_t> bytes);
    // The checks, then the packet; true when the deck acknowledged it.
    bool Acknowledge(std::initializer_list<uint8_t> bytes);
    // The same for a transport command, which records its speed first.
    bool Transport(std::initializer_list<uint8_t> bytes, double speed);
    // The deck's time as its four BCD bytes; false when it gave none.
    bool ReadTimeData(uint8_t data[4]);
    bool StatusBytes(uint8_t status[10]);
    bool Step(bool forward);

    DeckBoardInfo deckBoardInfo_;
    ControlSettings controlSettings_;
    char lastError_[kLastErrorBytes];
    uint32_t spare_ = 0;
    uint8_t activated_ = 0;
    double commandSpeed_ = 0.0;
    uint8_t replyCount_ = 0;
    uint8_t reply_[kReplyCapacity] = {};
    TurnLock line_;
    // After a reply that never came whole, the deck may still be sending
    // it: the next exchange first lets the line fall quiet.
    Clock::time_point settledAt_{};
};
