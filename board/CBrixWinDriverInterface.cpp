#include "board/CBrixWinDriverInterface.h"

#include "board/BoardModels.h"
#include "board/BoardRequests.h"
#include "board/BoardTypes.h"

#include <cstdlib>
#include <cstring>

namespace {

const char kErrorCaption[] = "CBrixWinDriverInterface";

constexpr DWORD kPresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;

// Types this interface knows of but does not drive.
const char* RefusalText(uint32_t boardType)
{
    switch (boardType) {
    case BOARDTYPE_MVQRA:
        return "Tried to call open with BOARDTYPE_MVQRA";
    case BOARDTYPE_TREL2:
        return "Tried to call open with BOARDTYPE_TREL2";
    case BOARDTYPE_TRELX:
        return "Tried to call open with BOARDTYPE_TRELX";
    default:
        return nullptr;
    }
}

} // namespace

CBrixWinDriverInterface::CBrixWinDriverInterface() : CBrixWinDriverInterface(BoardDriverApi()) {}

CBrixWinDriverInterface::CBrixWinDriverInterface(const DriverApi& api) : api_(&api) {}

CBrixWinDriverInterface::~CBrixWinDriverInterface()
{
    // The board class closes first; this covers an object of this class
    // itself, so that no device handle outlives it.
    CBrixWinDriverInterface::Close();
}

bool CBrixWinDriverInterface::BoardListed(uint16_t boardNumber, uint32_t boardType)
{
    const GUID* guid = BoardTypeGuid(boardType == 0 ? BOARDTYPE_DEFAULT : boardType);
    if (!guid)
        return false;
    HDEVINFO set = api_->getClassDevs(guid, nullptr, nullptr, kPresentInterfaces);
    if (set == INVALID_HANDLE_VALUE)
        return false;
    SP_DEVICE_INTERFACE_DATA interfaceData;
    std::memset(&interfaceData, 0, sizeof interfaceData);
    interfaceData.cbSize = sizeof interfaceData;
    const bool listed = api_->enumDeviceInterfaces(set, nullptr, guid, boardNumber, &interfaceData) != FALSE;
    api_->destroyDeviceInfoList(set);
    return listed;
}

bool CBrixWinDriverInterface::Open(uint16_t boardNumber, bool displayErrors, uint32_t boardType, const char* hostName)
{
    if (IsOpen()) {
        if (boardNumber_ == boardNumber)
            return true;
        Close();
    }

    remoteBoard_ = kNoRemoteBoard;
    device_ = INVALID_HANDLE_VALUE;
    boardType_ = boardType == 0 ? BOARDTYPE_DEFAULT : boardType;
    displayErrors_ = displayErrors ? 1 : 0;

    if (const char* refusal = RefusalText(boardType_)) {
        DisplayError(refusal);
        return false;
    }

    if (hostName && hostName[0]) {
        OpenRemote(boardNumber, displayErrors, boardType_, hostName);
        DisplayError("Failed to open board on remote host.");
        return false;
    }

    const GUID* guid = BoardTypeGuid(boardType_);
    if (!guid)
        return false; // no driver serves this type
    propertySet_ = *guid;
    boardNumber_ = boardNumber;

    infoSet_ = api_->getClassDevs(guid, nullptr, nullptr, kPresentInterfaces);
    if (infoSet_ == INVALID_HANDLE_VALUE)
        return false;

    SP_DEVICE_INTERFACE_DATA interfaceData;
    std::memset(&interfaceData, 0, sizeof interfaceData);
    interfaceData.cbSize = sizeof interfaceData;
    static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == kInterfaceDataSize, "interface data");
    if (!api_->enumDeviceInterfaces(infoSet_, nullptr, guid, boardNumber, &interfaceData)) {
        ReleaseEnumeration();
        return false;
    }

    DWORD required = 0;
    if (api_->getDeviceInterfaceDetail(infoSet_, &interfaceData, nullptr, 0, &required, nullptr) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || required < kDetailHeaderSize) {
        ReleaseEnumeration();
        return false;
    }
    // One spare byte keeps the path terminated whatever the driver writes.
    detail_ = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(std::calloc(1, required + 1));
    if (!detail_) {
        ReleaseEnumeration();
        return false;
    }
    detail_->cbSize = kDetailHeaderSize;
    if (!api_->getDeviceInterfaceDetail(infoSet_, &interfaceData, detail_, required, nullptr, nullptr)) {
        ReleaseEnumeration();
        return false;
    }

    device_ =
        api_->createFile(detail_->DevicePath, GENERIC_READ | GENERIC_WRITE,
                         sharedOpen_ ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device_ == INVALID_HANDLE_VALUE) {
        ReleaseEnumeration();
        return false;
    }

    isOpen_ = 1;
    // An unreadable ID is the unknown board, never the previous board's ID.
    uint32_t boardId = 0xFFFFFFFF;
    ReadRegister(kRegisterBoardId, &boardId, 0xFFFFFFFF, 0);
    boardId_ = boardId;
    uint32_t format = 0;
    ReadRegister(kRegisterControl, &format, kFrameBufferFormatMask, kFrameBufferFormatShift);
    const BoardMemory memory = BoardMemoryFor(static_cast<int32_t>(boardId_), format);
    frameBufferMemorySize_ = memory.memorySize;
    frameBufferCount_ = memory.frameCount;
    frameSize_ = memory.frameSize;
    std::memset(frameBuffers_, 0, sizeof frameBuffers_);
    registerMapping_ = 0;
    kind2Mapping_ = 0;
    std::memset(events_, 0, sizeof events_);
    return true;
}

bool CBrixWinDriverInterface::Close()
{
    if (!IsOpen())
        return true;

    ReleaseEnumeration();
    UnmapFrameBuffers();

    static const uint32_t kDropOrder[kEventSlots] = {0, 2, 3, 11, 4, 5, 6, 14, 15, 7, 8, 9, 10};
    for (uint32_t type : kDropOrder)
        ConfigureSubscription(false, type, InterruptEvent(type));

    DmaUnlockAll();
    UnmapRegisters();

    if (device_ != INVALID_HANDLE_VALUE) {
        api_->closeHandle(device_);
        device_ = INVALID_HANDLE_VALUE;
    }
    // An event whose unsubscription failed is still ours. With the device
    // closed the driver has let go of it, so it can be closed safely now;
    // left alone, the next open would forget it.
    for (HANDLE& event : events_) {
        if (event) {
            CloseHandle(event);
            event = nullptr;
        }
    }
    remoteBoard_ = kNoRemoteBoard;
    isOpen_ = 0;
    return true;
}

void CBrixWinDriverInterface::ReleaseEnumeration()
{
    std::free(detail_);
    detail_ = nullptr;
    if (infoSet_ != INVALID_HANDLE_VALUE) {
        api_->destroyDeviceInfoList(infoSet_);
        infoSet_ = INVALID_HANDLE_VALUE;
    }
}

bool CBrixWinDriverInterface::HoldsEnumeration() const
{
    return detail_ != nullptr || infoSet_ != INVALID_HANDLE_VALUE;
}

bool CBrixWinDriverInterface::SetShareMode(bool shared)
{
    sharedOpen_ = shared ? 1 : 0;
    return true;
}

void CBrixWinDriverInterface::FillHeader(void* request, uint32_t propertyId, uint32_t flags) const
{
    auto* header = static_cast<BoardRequestHeader*>(request);
    header->propertySet = propertySet_;
    header->propertyId = propertyId;
    header->flags = flags;
}

bool CBrixWinDriverInterface::SendRequest(void* request, uint32_t size)
{
    return SendRequest(request, size, request, size);
}

bool CBrixWinDriverInterface::SendRequest(void* in, uint32_t inSize, void* out, uint32_t outSize)
{
    if (device_ == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    DWORD returned = 0;
    return api_->deviceIoControl(device_, kBoardRequestCode, in, inSize, out, outSize, &returned, nullptr) != FALSE;
}

bool CBrixWinDriverInterface::WriteRegister(uint32_t registerNumber, uint32_t value, uint32_t mask, uint32_t shift)
{
    auto request = NewRequest<RegisterRequest>(kPropertyRegister, kFlagSet);
    request.registerNumber = registerNumber;
    request.value = value;
    request.mask = mask;
    request.shift = shift;
    return SendRequest(&request, sizeof request);
}

bool CBrixWinDriverInterface::ReadRegister(uint32_t registerNumber, uint32_t* value, uint32_t mask, uint32_t shift)
{
    auto request = NewRequest<RegisterRequest>(kPropertyRegister, kFlagGet);
    request.registerNumber = registerNumber;
    request.mask = mask;
    request.shift = shift;
    if (!SendRequest(&request, sizeof request)) {
        DisplayError("ReadRegister failed");
        return false;
    }
    if (value)
        *value = request.value;
    return true;
}

bool CBrixWinDriverInterface::GetDriverFlags(uint32_t* value)
{
    return ReadRegister(kRegisterDriverFlags, value, 0xFFFFFFFF, 0);
}

bool CBrixWinDriverInterface::ReservedSlot7()
{
    return false;
}

bool CBrixWinDriverInterface::ReservedSlot23(uint32_t, uint32_t)
{
    return false;
}

bool CBrixWinDriverInterface::ReservedSlot27(uint32_t, uint32_t)
{
    return false;
}

uint16_t CBrixWinDriverInterface::SleepMs(uint32_t milliseconds)
{
    Sleep(milliseconds);
    return static_cast<uint16_t>(milliseconds);
}

bool CBrixWinDriverInterface::DisplayError(const char* text)
{
    if (!displayErrors_)
        return false;
    MessageBoxA(nullptr, text ? text : "", kErrorCaption, MB_OK | MB_ICONSTOP);
    return true;
}
