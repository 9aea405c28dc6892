#pragma once
// The abstract base of the board driver interface: the board's identity and
// the remote-connection fields. The order of the virtual operations is fixed,
// because the deck controller and the scanner's probe derive from this family.
#include <windows.h>

#include <cstdint>
#include <string>

struct AutoCirculateCommand;

class CBrixDriverInterface {
public:
    CBrixDriverInterface();
    CBrixDriverInterface(const CBrixDriverInterface&) = delete;
    CBrixDriverInterface& operator=(const CBrixDriverInterface&) = delete;

    virtual ~CBrixDriverInterface();
    virtual bool Open(uint16_t boardNumber, bool displayErrors, uint32_t boardType, const char* hostName) = 0;
    virtual bool SetShareMode(bool shared) = 0;
    virtual bool Close() = 0;
    virtual bool WriteRegister(uint32_t registerNumber, uint32_t value, uint32_t mask, uint32_t shift);
    virtual bool ReadRegister(uint32_t registerNumber, uint32_t* value, uint32_t mask, uint32_t shift);
    virtual bool ReservedSlot6(uint32_t first, uint32_t second, uint32_t third);
    virtual bool ReservedSlot7() = 0;
    virtual bool DmaTransfer(uint32_t engine, bool toHost, uint32_t frameNumber, uintptr_t hostAddress, uint32_t offset,
                             uint32_t byteCount, bool synchronous) = 0;
    virtual bool DmaUnlockAll() = 0;
    virtual bool DmaUnlock(uintptr_t hostAddress) = 0;
    virtual bool DmaLock(uintptr_t hostAddress, uint32_t byteCount) = 0;
    virtual bool ConfigureInterrupt(bool enable, uint32_t interruptType) = 0;
    virtual bool MapFrameBuffers() = 0;
    virtual bool UnmapFrameBuffers() = 0;
    virtual bool MapRegisters() = 0;
    virtual bool UnmapRegisters() = 0;
    virtual bool MapMemoryKind2() = 0;
    virtual bool UnmapMemoryKind2() = 0;
    virtual bool ConfigureSubscription(bool subscribe, uint32_t interruptType, HANDLE* event) = 0;
    virtual bool getInterruptCount(uint32_t interruptType, uint32_t* count) = 0;
    virtual bool WaitForInterrupt(uint32_t interruptType, uint32_t timeoutMs);
    virtual bool AutoCirculate(AutoCirculateCommand* command);
    virtual bool ReservedSlot23(uint32_t first, uint32_t second) = 0;
    virtual bool GetDriverFlags(uint32_t* value) = 0;
    virtual uint16_t SleepMs(uint32_t milliseconds);
    virtual bool DriverGetBitFileInformation(uint32_t* record, uint32_t unused);
    virtual bool ReservedSlot27(uint32_t first, uint32_t second);
    virtual bool DisplayError(const char* text);
    // Remote boards are not offered: this always fails.
    virtual bool OpenRemote(uint16_t boardNumber, bool displayErrors, uint32_t boardType, const char* hostName);
    virtual bool CloseRemote();

    bool IsOpen() const { return isOpen_ != 0; }
    uint16_t BoardNumber() const { return boardNumber_; }
    uint32_t BoardType() const { return boardType_; }
    uint32_t BoardId() const { return boardId_; }
    bool DisplaysErrors() const { return displayErrors_ != 0; }

protected:
    static constexpr uintptr_t kNoSocket = ~uintptr_t(0);
    static constexpr uint32_t kNoRemoteBoard = ~uint32_t(0);

    uint16_t boardNumber_ = 0;
    uint8_t isOpen_ = 0;
    uint32_t boardType_ = 0;
    uint32_t boardId_ = 0;
    uint8_t displayErrors_ = 0;
    uint32_t reserved_[4] = {};
    // Only a remote open would set these, and none ever succeeds.
    uintptr_t remoteSocket_ = kNoSocket;
    std::string hostName_;
    uint32_t remoteBoard_ = kNoRemoteBoard;
};
