// Memory mappings and DMA buffer registration and transfer.
#include "board/CBrixWinDriverInterface.h"

#include "board/BoardModels.h"
#include "board/BoardRequests.h"
#include "board/BoardTypes.h"

#include <algorithm>
#include <cstring>

bool CBrixWinDriverInterface::SetMapping(uintptr_t* address, uint8_t kind)
{
    *address = 0;
    auto request = NewRequest<MappingRequest>(kPropertyMapping, kFlagGet);
    request.kind = kind;
    if (!SendRequest(&request, sizeof request))
        return false;
    *address = request.address;
    return true;
}

bool CBrixWinDriverInterface::ClearMapping(uintptr_t* address, uint8_t kind)
{
    if (*address == 0)
        return true;
    auto request = NewRequest<MappingRequest>(kPropertyMapping, kFlagSet);
    request.address = *address;
    request.kind = kind;
    *address = 0;
    return SendRequest(&request, sizeof request);
}

bool CBrixWinDriverInterface::MapFrameBuffers()
{
    frameBuffers_[0] = 0;
    frameBuffers_[1] = 0;
    uintptr_t address = 0;
    if (!SetMapping(&address, kMappingFrameBuffers)) {
        DisplayError("MapFrameBuffers failed");
        return false;
    }
    uint32_t boardId = 0xFFFFFFFF;
    ReadRegister(kRegisterBoardId, &boardId, 0xFFFFFFFF, 0);
    frameBuffers_[0] = address;
    frameBuffers_[1] = address;
    frameBuffers_[2] = HasSplitFrameWindow(static_cast<int32_t>(boardId)) ? address + frameBufferMemorySize_ : address;
    return true;
}

bool CBrixWinDriverInterface::UnmapFrameBuffers()
{
    uintptr_t address = frameBuffers_[0];
    if (address == 0)
        return true;
    std::memset(frameBuffers_, 0, sizeof frameBuffers_);
    if (!ClearMapping(&address, kMappingFrameBuffers)) {
        DisplayError("UnmapFrameBuffers failed");
        return false;
    }
    return true;
}

bool CBrixWinDriverInterface::MapRegisters()
{
    return SetMapping(&registerMapping_, kMappingRegisters);
}

bool CBrixWinDriverInterface::UnmapRegisters()
{
    return ClearMapping(&registerMapping_, kMappingRegisters);
}

bool CBrixWinDriverInterface::MapMemoryKind2()
{
    return SetMapping(&kind2Mapping_, kMappingKind2);
}

bool CBrixWinDriverInterface::UnmapMemoryKind2()
{
    return ClearMapping(&kind2Mapping_, kMappingKind2);
}

bool CBrixWinDriverInterface::DmaTransfer(uint32_t engine, bool toHost, uint32_t frameNumber, uintptr_t hostAddress,
                                          uint32_t offset, uint32_t byteCount, bool synchronous)
{
    auto request = NewRequest<DmaRequest>(kPropertyDma, toHost ? kFlagGet : kFlagSet);
    request.engine = engine;
    request.hostAddress = hostAddress;
    request.frameNumber = frameNumber;
    request.byteCount = byteCount;
    request.offset = offset;
    request.synchronous = synchronous ? 1 : 0;
    if (!SendRequest(&request, sizeof request)) {
        DisplayError("DmaTransfer failed");
        return false;
    }
    return true;
}

bool CBrixWinDriverInterface::DmaLock(uintptr_t hostAddress, uint32_t byteCount)
{
    if (!DmaTransfer(0, true, 0, hostAddress, 0, byteCount, false))
        return false;
    dmaBuffers_.push_back(hostAddress);
    return true;
}

bool CBrixWinDriverInterface::DmaUnlock(uintptr_t hostAddress)
{
    if (!DmaTransfer(0, false, 0, hostAddress, 0, 0, true))
        return false;
    auto found = std::find(dmaBuffers_.begin(), dmaBuffers_.end(), hostAddress);
    if (found != dmaBuffers_.end())
        dmaBuffers_.erase(found);
    return true;
}

bool CBrixWinDriverInterface::DmaUnlockAll()
{
    // Unlocking edits the list, so walk a copy.
    const std::vector<uintptr_t> locked = dmaBuffers_;
    for (uintptr_t address : locked)
        DmaUnlock(address);
    dmaBuffers_.clear();
    dmaBuffers_.shrink_to_fit();
    dmaCursor_ = 0;
    return true;
}
