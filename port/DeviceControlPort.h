#pragma once
// One deck port: the locked facade through which the module reaches a deck.
// A port is active in at most one process (its named semaphore) and its
// deck operations are serialised within the process by a private lock that
// is never waited for: a colliding call is refused with -2.
#include "board/BoardInfo.h"
#include "port/PersistedSettings.h"
#include "vtr/CSerialVtrControl.h"

#include <atomic>
#include <cstdint>

class DeviceControlPort {
public:
    static constexpr int32_t kMinTimecodeOffset = -30;
    static constexpr int32_t kMaxTimecodeOffset = 30;
    static constexpr int32_t kMaxDelay = 120;
    static constexpr int32_t kEditModeCount = 2;
    static constexpr int32_t kAudioFlagCount = 32;
    static constexpr size_t kTextBytes = 32;

    DeviceControlPort();
    ~DeviceControlPort();
    DeviceControlPort(const DeviceControlPort&) = delete;
    DeviceControlPort& operator=(const DeviceControlPort&) = delete;

    // Life of the port.
    int32_t Open(const BoardInfo& board, int32_t portIndex);
    int32_t Close();
    int32_t Activate();
    int32_t Deactivate();

    bool IsOpen() const { return isOpen_ != 0; }
    bool IsActive() const { return isActive_ != 0; }
    bool IsControlSupported() const { return controlSupported_ != 0; }
    bool IsLinkOpen() const;
    bool IsEditArmed() const { return editArmed_ != 0; }
    bool IsEditRecording() const { return editRecording_ != 0; }
    // An edit is armed or recording: the settings and the points keep still.
    bool IsEditing() const { return editArmed_ || editRecording_; }
    int32_t PortIndex() const { return portIndex_; }

    int32_t GetBoardName(char* text);
    int32_t GetControlStateText(char* text) const;

    // Timecode settings.
    // Format class (0: 24, 1: 25, 2: 30 frames per second), drop-frame
    // flag, rate and rate divisor of the port's timecode.
    struct FormatInfo {
        int32_t formatClass;
        int32_t dropFrame;
        int32_t rate;
        int32_t divisor;
    };
    int32_t GetTimecodeFormatInfo(FormatInfo* info) const;
    int32_t GetTimecodeFormatCount(int32_t* count) const;
    int32_t GetTimecodeFormatName(int32_t index, char* text);
    int32_t GetTimecodeFormat(int32_t* index);
    int32_t SetTimecodeFormat(int32_t index);
    int32_t GetTimecodeSourceCount(int32_t* count) const;
    int32_t GetTimecodeSourceName(int32_t index, char* text);
    int32_t GetTimecodeSource(int32_t* index);
    int32_t SetTimecodeSource(int32_t index);
    int32_t GetPreroll(int32_t* seconds);
    int32_t SetPreroll(int32_t seconds);

    // Export settings.
    int32_t GetTimecodeOffset(int32_t* frames) const;
    int32_t SetTimecodeOffset(int32_t frames);
    int32_t GetDelay(int32_t* frames) const;
    int32_t SetDelay(int32_t frames);
    int32_t GetEditMode(int32_t* mode) const;
    int32_t SetEditMode(int32_t mode);
    int32_t GetEditModeCount(int32_t* count) const;
    int32_t GetEditModeName(int32_t mode, char* text) const;
    int32_t GetVideoFlag(uint8_t* value) const;
    int32_t SetVideoFlag(uint8_t value);
    int32_t GetPreviewFlag(uint8_t* value) const;
    int32_t SetPreviewFlag(uint8_t value);
    int32_t GetAudioFlag(uint8_t* value, int32_t index) const;
    int32_t SetAudioFlag(uint8_t value, int32_t index);

    int32_t CopySettingsIn(const PortSettings* block);
    // A slot restored into a port that may already be active: its timecode
    // settings reach the deck controller, as activation's do.
    void RestoreSettings(const PortSettings& block);
    int32_t CopySettingsOut(PortSettings* block) const;
    int32_t ResetSettings(PortSettings* block);
    // A stored block that may be loaded into this port: current marks, made
    // for this port's board, and values within the port's ranges.
    bool AcceptsSettings(const PortSettings& block);

    // The deck.
    int32_t FastForward();
    int32_t Rewind();
    int32_t Eject();
    int32_t Play();
    int32_t ReversePlay();
    int32_t StepForward();
    int32_t StepBack();
    int32_t Stop();
    int32_t Still();
    int32_t Shuttle(double speed);
    int32_t GoToTimecode(const char* text);
    int32_t GetTimecodeText(char* text);
    // The same text; false, with the zero text written, when the deck gave none.
    bool ReadTimecodeText(char* text);
    int32_t GetSpeed(double* speed);
    int32_t GetStatusText(char* text);

    // The edit of an Export to Tape.
    int32_t GetInText(char* text) const;
    int32_t GetOutText(char* text) const;
    int32_t SetLastFrame(int32_t frame);
    int32_t SetInText(const char* text);
    int32_t GetDurationText(char* text) const;
    int32_t GetStoredDurationText(char* text);
    int32_t CheckEditReady();
    int32_t StartEdit();
    int32_t StopEdit();

    // The export worker's side of an edit. It drives the deck controller
    // directly while the interface thread keeps away (the worker is paused
    // around every deck action of the interface), and reads the texts
    // StartEdit computed. The flags are shared with the interface thread.
    CSerialVtrControl& Deck() { return control_; }
    const char* InText() const { return inText_; }
    const char* CueText() const { return cueText_; }
    const char* EditInText() const { return editInText_; }
    const char* EditOutText() const { return editOutText_; }
    // The record delay in milliseconds: whole frames at the port's rate,
    // truncated.
    uint32_t DelayMs() const;
    int32_t EditMode() const { return settings_.editMode; }
    // Video in bit 0, audio 1 to 8 in bits 1 to 8.
    uint32_t EditChannelMask() const;
    void MarkRecording() { editRecording_ = 1; }
    bool IsPlayoutSignalled() const { return playoutSignalled_ != 0; }
    void MarkPlayoutSignalled() { playoutSignalled_ = 1; }
    bool IsEditIssued() const { return editIssued_ != 0; }
    void SetEditIssued(bool issued) { editIssued_ = issued ? 1 : 0; }

private:
    // The rate of the port's timecode, and the rate its texts count at
    // (double-rate formats count pairs of frames).
    int32_t Rate() const { return static_cast<int32_t>(settings_.timecode.format.rateNumerator); }
    int32_t TextRate() const;
    int32_t Divisor() const { return static_cast<int32_t>(settings_.timecode.format.rateDenominator); }
    uint8_t DropFrame() const { return settings_.timecode.format.dropFrame ? 1 : 0; }
    const char* ZeroText() const;
    // lastFrame + 1 frames as a text at the rate given; zeros on failure.
    void FormatDuration(int32_t rate, char* text) const;
    bool AnyChannelSelected() const;
    void RecomputeOutText();
    void StopDeckForEdit();
    // Pushes the stored timecode settings into the deck controller.
    bool PushTimecodeSettings();
    void ReadTimecodeSettingsBack();
    // One of the channel or preview flags, as the editor changes it.
    int32_t SetFlag(uint8_t* flag, uint8_t value);
    // The shared pattern of the three timecode setters.
    template <typename Setter> int32_t ChangeTimecodeSetting(Setter setter);
    // One locked deck command of an active port.
    template <typename Command> int32_t LockedDeckCommand(Command command);

    void* lock_ = nullptr;
    PortSettings settings_;
    CSerialVtrControl control_;
    uint8_t controlSupported_ = 0;
    uint8_t isOpen_ = 0;
    uint8_t isActive_ = 0;
    uint8_t settingsApplied_ = 0;
    char inText_[kTextBytes];
    char outText_[kTextBytes];
    char editOutText_[kTextBytes];
    char editInText_[kTextBytes];
    char durationText_[kTextBytes];
    char cueText_[kTextBytes];
    int32_t lastFrame_ = 0;
    // Written by one thread and polled by the other: atomic, so that no
    // write stays hidden in a register or a store buffer.
    std::atomic<uint8_t> editArmed_{0};
    std::atomic<uint8_t> editRecording_{0};
    std::atomic<uint8_t> playoutSignalled_{0};
    std::atomic<uint8_t> editIssued_{0};
    uint32_t processorCount_ = 0;
    int32_t portIndex_ = 0;
};
