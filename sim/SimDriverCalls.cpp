// The seven calls of the driver-API table, answered by the rack as the
// system and the board driver would: same results, same last errors.
#include "board/BoardTypes.h"
#include "sim/RackState.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sim {

namespace {

// What a failing driver reports when it has no better word for it.
constexpr DWORD kDriverFailure = ERROR_GEN_FAILURE;

constexpr size_t kHeaderSize = 24;

bool SamePath(const char* a, const std::string& b)
{
    size_t i = 0;
    for (; a[i] && i < b.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return a[i] == '\0' && i == b.size();
}

uint32_t Word(const std::vector<uint8_t>& bytes, size_t offset)
{
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

// Holds the lock for one call and records it; the last error is set after
// the lock is left, so nothing in between can disturb it.
class CallScope {
public:
    explicit CallScope(Call call) : rack_(RackState::Instance())
    {
        rack_.Enter();
        entry_.call = call;
    }
    ~CallScope()
    {
        if (!finished_)
            rack_.Leave();
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

    RackState& rack() { return rack_; }
    LoggedCall& entry() { return entry_; }

    bool Fault(FaultMode* mode = nullptr, int propertyId = -1, int flags = -1, int reg = -1)
    {
        FaultMode m = FaultMode::Fail;
        const bool hit = rack_.TakeFault(entry_.call, entry_.board, propertyId, flags, reg, &m);
        if (mode)
            *mode = m;
        return hit;
    }

    BOOL Finish(DWORD error)
    {
        entry_.succeeded = error == ERROR_SUCCESS;
        rack_.Record(std::move(entry_));
        finished_ = true;
        rack_.Leave();
        if (error != ERROR_SUCCESS)
            SetLastError(error);
        return error == ERROR_SUCCESS;
    }

private:
    RackState& rack_;
    LoggedCall entry_;
    bool finished_ = false;
};

HDEVINFO WINAPI SimGetClassDevs(const GUID* classGuid, PCSTR, HWND, DWORD)
{
    CallScope scope(Call::GetClassDevs);
    RackState& rack = scope.rack();
    InfoSet* set = nullptr;
    DWORD error = ERROR_SUCCESS;
    if (scope.Fault())
        error = ERROR_NOT_ENOUGH_MEMORY;
    else if (!classGuid)
        error = ERROR_INVALID_PARAMETER;
    else {
        // A type with no board present still gets a valid, empty set.
        rack.infoSets.push_back(std::make_unique<InfoSet>(InfoSet{*classGuid, rack.generation}));
        set = rack.infoSets.back().get();
    }
    return scope.Finish(error) ? static_cast<HDEVINFO>(set) : INVALID_HANDLE_VALUE;
}

BOOL WINAPI SimEnumDeviceInterfaces(HDEVINFO setHandle, PSP_DEVINFO_DATA, const GUID* classGuid, DWORD memberIndex,
                                    PSP_DEVICE_INTERFACE_DATA data)
{
    CallScope scope(Call::EnumInterfaces);
    RackState& rack = scope.rack();
    const InfoSet* set = rack.FindInfoSet(setHandle);
    if (!set)
        return scope.Finish(ERROR_INVALID_HANDLE);
    if (!data || data->cbSize != kInterfaceDataSize)
        return scope.Finish(ERROR_INVALID_USER_BUFFER);
    if (!classGuid)
        return scope.Finish(ERROR_INVALID_PARAMETER);
    // The set holds the interfaces of its own class only.
    std::vector<SimBoard*> boards;
    if (IsEqualGUID(*classGuid, set->guid))
        boards = rack.BoardsOf(*set);
    SimBoard* board = memberIndex < boards.size() ? boards[memberIndex] : nullptr;
    scope.entry().board = rack.PositionOf(board);
    if (!board || scope.Fault())
        return scope.Finish(ERROR_NO_MORE_ITEMS);
    data->InterfaceClassGuid = *classGuid;
    data->Flags = SPINT_ACTIVE;
    data->Reserved = static_cast<ULONG_PTR>(board->serial);
    return scope.Finish(ERROR_SUCCESS);
}

BOOL WINAPI SimGetDeviceInterfaceDetail(HDEVINFO setHandle, PSP_DEVICE_INTERFACE_DATA data,
                                        PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                                        PDWORD requiredSize, PSP_DEVINFO_DATA device)
{
    CallScope scope(Call::GetInterfaceDetail);
    RackState& rack = scope.rack();
    const InfoSet* set = rack.FindInfoSet(setHandle);
    if (!set)
        return scope.Finish(ERROR_INVALID_HANDLE);
    if (!data || data->cbSize != kInterfaceDataSize)
        return scope.Finish(ERROR_INVALID_PARAMETER);
    SimBoard* board = nullptr;
    for (SimBoard* b : rack.BoardsOf(*set))
        if (static_cast<ULONG_PTR>(b->serial) == data->Reserved)
            board = b;
    if (!board)
        return scope.Finish(ERROR_INVALID_PARAMETER);
    scope.entry().board = rack.PositionOf(board);
    if (scope.Fault())
        return scope.Finish(ERROR_NO_SUCH_DEVINST);

    const DWORD needed = static_cast<DWORD>(sizeof(DWORD) + board->path.size() + 1);
    if (!detail) {
        if (detailSize != 0)
            return scope.Finish(ERROR_INVALID_USER_BUFFER);
        if (requiredSize)
            *requiredSize = needed;
        return scope.Finish(ERROR_INSUFFICIENT_BUFFER);
    }
    if (detailSize < kDetailHeaderSize || detail->cbSize != kDetailHeaderSize)
        return scope.Finish(ERROR_INVALID_USER_BUFFER);
    if (device && device->cbSize != kDevInfoDataSize)
        return scope.Finish(ERROR_INVALID_USER_BUFFER);
    if (requiredSize)
        *requiredSize = needed;
    if (detailSize < needed)
        return scope.Finish(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(detail->DevicePath, board->path.c_str(), board->path.size() + 1);
    if (device) {
        device->ClassGuid = set->guid;
        device->DevInst = static_cast<DWORD>(board->serial);
        device->Reserved = 0;
    }
    return scope.Finish(ERROR_SUCCESS);
}

BOOL WINAPI SimDestroyDeviceInfoList(HDEVINFO setHandle)
{
    CallScope scope(Call::DestroyInfoList);
    RackState& rack = scope.rack();
    if (!rack.FindInfoSet(setHandle) || scope.Fault())
        return scope.Finish(ERROR_INVALID_HANDLE);
    for (auto it = rack.infoSets.begin(); it != rack.infoSets.end(); ++it)
        if (static_cast<HDEVINFO>(it->get()) == setHandle) {
            rack.infoSets.erase(it);
            break;
        }
    return scope.Finish(ERROR_SUCCESS);
}

HANDLE WINAPI SimCreateFile(LPCSTR path, DWORD, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
{
    CallScope scope(Call::CreateFile);
    RackState& rack = scope.rack();
    if (!path) {
        scope.Finish(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    SimBoard* board = nullptr;
    for (const auto& b : rack.boards)
        if (SamePath(path, b->path))
            board = b.get();
    scope.entry().board = rack.PositionOf(board);
    DWORD error = ERROR_SUCCESS;
    if (!board)
        error = ERROR_FILE_NOT_FOUND;
    else if (scope.Fault())
        error = kDriverFailure;
    else {
        const bool exclusive = shareMode == 0;
        for (const auto& h : rack.handles)
            if (h->board == board && (exclusive || h->exclusive))
                error = ERROR_SHARING_VIOLATION;
    }
    HANDLE token = nullptr;
    if (error == ERROR_SUCCESS) {
        // An unnamed event stands in for the file object: a real handle, so
        // no two opens ever get the same value.
        token = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!token)
            error = GetLastError();
    }
    if (error == ERROR_SUCCESS) {
        auto handle = std::make_unique<DeviceHandle>();
        handle->token = token;
        handle->board = board;
        handle->exclusive = shareMode == 0;
        rack.handles.push_back(std::move(handle));
        rack.WakeService();
    }
    return scope.Finish(error) ? token : INVALID_HANDLE_VALUE;
}

BOOL WINAPI SimCloseHandle(HANDLE handle)
{
    CallScope scope(Call::CloseHandle);
    RackState& rack = scope.rack();
    DeviceHandle* device = rack.FindHandle(handle);
    if (!device)
        return scope.Finish(ERROR_INVALID_HANDLE);
    scope.entry().board = rack.PositionOf(device->board);
    if (scope.Fault())
        return scope.Finish(ERROR_INVALID_HANDLE);
    rack.Release(*device);
    CloseHandle(device->token);
    for (auto it = rack.handles.begin(); it != rack.handles.end(); ++it)
        if (it->get() == device) {
            rack.handles.erase(it);
            break;
        }
    // Lets the service thread see whether it is still needed.
    rack.WakeService();
    return scope.Finish(ERROR_SUCCESS);
}

BOOL WINAPI SimDeviceIoControl(HANDLE handle, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                               LPDWORD returned, LPOVERLAPPED)
{
    CallScope scope(Call::IoControl);
    RackState& rack = scope.rack();
    LoggedCall& entry = scope.entry();
    entry.code = code;
    entry.inSize = inSize;
    entry.outSize = outSize;
    if (returned)
        *returned = 0;
    // Read the request once, before anything is written: the module passes
    // one buffer as both input and output.
    if ((!in && inSize) || (!out && outSize))
        return scope.Finish(ERROR_NOACCESS);
    if (in)
        entry.request.assign(static_cast<const uint8_t*>(in), static_cast<const uint8_t*>(in) + inSize);
    const std::vector<uint8_t>& request = entry.request;
    if (request.size() >= kHeaderSize) {
        entry.propertyId = Word(request, 16);
        entry.flags = Word(request, 20);
    }

    DeviceHandle* device = rack.FindHandle(handle);
    if (!device)
        return scope.Finish(ERROR_INVALID_HANDLE);
    if (!device->board)
        return scope.Finish(ERROR_DEVICE_NOT_CONNECTED);
    entry.board = rack.PositionOf(device->board);
    if (code != kBoardRequestCode)
        return scope.Finish(ERROR_INVALID_FUNCTION);
    const GUID* propertySet = BoardTypeGuid(device->board->config.type);
    if (request.size() < kHeaderSize || !propertySet || std::memcmp(request.data(), propertySet, sizeof(GUID)) != 0)
        return scope.Finish(ERROR_INVALID_PARAMETER);

    const int reg =
        entry.propertyId == kPropertyRegister && request.size() >= 28 ? static_cast<int>(Word(request, 24)) : -1;
    FaultMode mode = FaultMode::Fail;
    const bool faulted = scope.Fault(&mode, static_cast<int>(entry.propertyId), static_cast<int>(entry.flags), reg);
    if (faulted && mode == FaultMode::Fail)
        return scope.Finish(kDriverFailure);

    uint8_t* output = static_cast<uint8_t*>(out);
    DWORD written = 0;
    const DWORD error = AnswerBoardRequest(rack, *device, request, output, outSize, &written);
    if (error == ERROR_SUCCESS && faulted) {
        if (mode == FaultMode::ShortOutput)
            written /= 2;
        else {
            rack.FillNoise(output, outSize);
            written = outSize;
        }
    }
    if (returned)
        *returned = written;
    return scope.Finish(error);
}

// The board raises an interrupt when its time comes whether or not any
// thread runs then; here the service thread raises it, and a busy machine
// can keep that thread waiting. So the wait brings the rack up to date
// itself, before it sleeps and again when it runs out, and an interrupt due
// within the time-out is seen however late either thread ran. Not logged:
// waits are not driver calls.
DWORD WINAPI SimWaitForEvent(HANDLE event, DWORD timeoutMs)
{
    RackState& rack = RackState::Instance();
    const double deadline = timeoutMs == INFINITE ? kNever : RackClockMs() + timeoutMs;
    for (;;) {
        {
            RackLock hold(rack);
            rack.AdvanceUarts(std::min(RackClockMs(), deadline));
        }
        const DWORD ready = WaitForSingleObject(event, 0);
        if (ready != WAIT_TIMEOUT)
            return ready;
        const double left = deadline - RackClockMs();
        if (left <= 0)
            return WAIT_TIMEOUT;
        const DWORD slice = left >= 0x7FFFFFFF ? INFINITE : static_cast<DWORD>(std::ceil(left));
        const DWORD woken = WaitForSingleObject(event, slice);
        if (woken != WAIT_TIMEOUT)
            return woken;
    }
}

} // namespace

const DriverApi& SimDriverApi()
{
    static const DriverApi api = {
        SimGetClassDevs,          SimEnumDeviceInterfaces, SimGetDeviceInterfaceDetail,
        SimDestroyDeviceInfoList, SimCreateFile,           SimDeviceIoControl,
        SimCloseHandle,           SimWaitForEvent,
    };
    return api;
}

} // namespace sim
