#pragma once
// The driver interface over the board's Windows kernel driver: board open by
// device-interface enumeration, and one property request per operation.
#include "board/CBrixDriverInterface.h"
#include "board/DriverApi.h"

#include <cstdint>
#include <cstring>
#include <vector>

class CBrixWinDriverInterface : public CBrixDriverInterface {
public:
    static constexpr int kEventSlots = 13;
    static constexpr int kWaitCounters = 6;

    CBrixWinDriverInterface();
    // A board reached through another table (tests, or the production
    // binding inside the simulation module).
    explicit CBrixWinDriverInterface(const DriverApi& api);
    ~CBrixWinDriverInterface() override;

    bool Open(uint16_t boardNumber, bool displayErrors, uint32_t boardType, const char* hostName) override;
    // Whether the driver lists a board of the type at this number, whether
    // or not it opens; nothing is kept open.
    bool BoardListed(uint16_t boardNumber, uint32_t boardType);
    bool SetShareMode(bool shared) override;
    bool Close() override;
    bool WriteRegister(uint32_t registerNumber, uint32_t value, uint32_t mask, uint32_t shift) override;
    bool ReadRegister(uint32_t registerNumber, uint32_t* value, uint32_t mask, uint32_t shift) override;
    bool ReservedSlot7() override;
    bool DmaTransfer(uint32_t engine, bool toHost, uint32_t frameNumber, uintptr_t hostAddress, uint32_t offset,
                     uint32_t byteCount, bool synchronous) override;
    bool DmaUnlockAll() override;
    bool DmaUnlock(uintptr_t hostAddress) override;
    bool DmaLock(uintptr_t hostAddress, uint32_t byteCount) override;
    bool ConfigureInterrupt(bool enable, uint32_t interruptType) override;
    bool MapFrameBuffers() override;
    bool UnmapFrameBuffers() override;
    bool MapRegisters() override;
    bool UnmapRegisters() override;
    bool MapMemoryKind2() override;
    bool UnmapMemoryKind2() override;
    bool ConfigureSubscription(bool subscribe, uint32_t interruptType, HANDLE* event) override;
    bool getInterruptCount(uint32_t interruptType, uint32_t* count) override;
    bool WaitForInterrupt(uint32_t interruptType, uint32_t timeoutMs) override;
    bool AutoCirculate(AutoCirculateCommand* command) override;
    bool ReservedSlot23(uint32_t first, uint32_t second) override;
    bool GetDriverFlags(uint32_t* value) override;
    uint16_t SleepMs(uint32_t milliseconds) override;
    bool DriverGetBitFileInformation(uint32_t* record, uint32_t unused) override;
    bool ReservedSlot27(uint32_t first, uint32_t second) override;
    bool DisplayError(const char* text) override;

    // The event slot of an interrupt type, or -1 for the types without one.
    static int EventSlot(uint32_t interruptType);
    // The wait counter of an interrupt type, or -1 for the uncounted types.
    static int WaitCounterIndex(uint32_t interruptType);

    HANDLE* InterruptEvent(uint32_t interruptType);
    uint32_t WaitCount(uint32_t interruptType) const;
    uintptr_t FrameBufferAddress(int which) const { return frameBuffers_[which]; }
    uintptr_t RegisterMapping() const { return registerMapping_; }
    uintptr_t Kind2Mapping() const { return kind2Mapping_; }
    uint32_t FrameBufferMemorySize() const { return frameBufferMemorySize_; }
    uint32_t FrameBufferCount() const { return frameBufferCount_; }
    uint32_t FrameSize() const { return frameSize_; }
    bool HoldsEnumeration() const;
    const std::vector<uintptr_t>& DmaBuffers() const { return dmaBuffers_; }

protected:
    bool SendRequest(void* request, uint32_t size);
    bool SendRequest(void* in, uint32_t inSize, void* out, uint32_t outSize);
    void FillHeader(void* request, uint32_t propertyId, uint32_t flags) const;
    // A request zeroed before filling, its property header in place.
    template <typename Request> Request NewRequest(uint32_t propertyId, uint32_t flags) const
    {
        Request request;
        std::memset(&request, 0, sizeof request);
        FillHeader(&request, propertyId, flags);
        return request;
    }
    bool SetMapping(uintptr_t* address, uint8_t kind);
    bool ClearMapping(uintptr_t* address, uint8_t kind);
    bool CirculateTransfer(AutoCirculateCommand* command);
    void ReleaseEnumeration();

    HANDLE events_[kEventSlots] = {};
    uint32_t waitCounts_[kWaitCounters] = {};
    uintptr_t frameBuffers_[3] = {};
    uintptr_t registerMapping_ = 0;
    uintptr_t kind2Mapping_ = 0;
    uint32_t frameBufferMemorySize_ = 0;
    uint32_t frameBufferCount_ = 0;
    uint32_t frameSize_ = 0;
    SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail_ = nullptr;
    HDEVINFO infoSet_ = INVALID_HANDLE_VALUE;
    HANDLE device_ = INVALID_HANDLE_VALUE;
    uint8_t sharedOpen_ = 1;
    GUID propertySet_ = {};
    std::vector<uintptr_t> dmaBuffers_;
    size_t dmaCursor_ = 0;
    const DriverApi* api_;
};
