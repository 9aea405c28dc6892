#include "sim/RackState.h"

#include "board/BoardTypes.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

// Enough for any test's look at what happened; an editor left running for
// hours on the simulation module must not grow without end.
constexpr size_t kLogLimit = 100000;

// XP's default timer ticks every 15.6 ms, far coarser than a wire byte; the
// finest period is asked for while the service thread runs.
class FineTimer {
public:
    FineTimer()
    {
        // Loaded once and kept: the service thread starts with every board
        // opened, and each unload of winmm leaves registry handles behind
        // under Wine.
        static const HMODULE winmm = LoadLibraryA("winmm.dll");
        winmm_ = winmm;
        if (!winmm_)
            return;
        begin_ = Lookup("timeBeginPeriod");
        end_ = Lookup("timeEndPeriod");
        active_ = begin_ && end_ && begin_(1) == 0;
    }
    ~FineTimer()
    {
        if (active_)
            end_(1);
    }
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;

private:
    using Period = UINT(WINAPI*)(UINT);
    Period Lookup(const char* name)
    {
        return reinterpret_cast<Period>(reinterpret_cast<void (*)()>(GetProcAddress(winmm_, name)));
    }

    HMODULE winmm_ = nullptr;
    Period begin_ = nullptr;
    Period end_ = nullptr;
    bool active_ = false;
};

bool Matches(int32_t rule, int value)
{
    return rule < 0 || rule == value;
}

} // namespace

RackState& RackState::Instance()
{
    // Leaked on purpose: at process exit the service thread may already be
    // gone with the lock held, and a destructor would wait on it for ever.
    static RackState* const rack = new RackState();
    return *rack;
}

RackState::RackState()
{
    InitializeCriticalSection(&lock_);
    wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    Configure(RackConfigFromEnvironment());
}

void RackState::Configure(const RackConfig& newConfig)
{
    ++generation;
    for (auto& handle : handles) {
        Release(*handle);
        handle->board = nullptr;
    }
    boards.clear();
    config = newConfig;
    std::map<uint32_t, uint32_t> perType;
    for (const BoardConfig& c : config.boards) {
        auto board = std::make_unique<SimBoard>();
        SimBoard* b = board.get();
        b->serial = nextSerial_++;
        b->config = c;
        b->indexInType = perType[c.type]++;
        b->path = DevicePathFor(c.type, b->indexInType);
        b->registers[kRegisterControl] = (c.frameBufferFormat << kFrameBufferFormatShift) & kFrameBufferFormatMask;
        b->registers[kRegisterAudioControl] = c.aesInput ? kAudioAesInputBit : 0;
        b->registers[kRegisterBoardId] = c.boardId;
        b->registers[kRegisterDriverFlags] = c.driverFlags;
        b->uart = std::make_unique<SimUart>(c.rs422, MakeSerialPeer(c), [this, b](uint32_t type) { Raise(*b, type); });
        boards.push_back(std::move(board));
    }
    WakeService();
}

SimBoard* RackState::BoardAt(int position) const
{
    return position >= 0 && position < static_cast<int>(boards.size()) ? boards[position].get() : nullptr;
}

int RackState::PositionOf(const SimBoard* board) const
{
    for (size_t i = 0; i < boards.size(); ++i)
        if (boards[i].get() == board)
            return static_cast<int>(i);
    return -1;
}

SimBoard* RackState::BoardBySerial(int serial) const
{
    for (const auto& b : boards)
        if (b->serial == serial)
            return b.get();
    return nullptr;
}

std::vector<SimBoard*> RackState::BoardsOf(const InfoSet& set) const
{
    std::vector<SimBoard*> found;
    if (set.generation != generation)
        return found;
    for (const auto& b : boards) {
        const GUID* guid = BoardTypeGuid(b->config.type);
        if (guid && IsEqualGUID(*guid, set.guid))
            found.push_back(b.get());
    }
    return found;
}

DeviceHandle* RackState::FindHandle(HANDLE handle) const
{
    for (const auto& h : handles)
        if (h->token == handle)
            return h.get();
    return nullptr;
}

InfoSet* RackState::FindInfoSet(HDEVINFO set) const
{
    for (const auto& s : infoSets)
        if (static_cast<HDEVINFO>(s.get()) == set)
            return s.get();
    return nullptr;
}

void RackState::Release(DeviceHandle& handle)
{
    for (HANDLE& event : handle.events)
        if (event) {
            CloseHandle(event);
            event = nullptr;
        }
    for (void*& mapping : handle.mappings)
        if (mapping) {
            VirtualFree(mapping, 0, MEM_RELEASE);
            mapping = nullptr;
        }
}

bool RackState::TakeFault(Call call, int board, int propertyId, int flags, int registerNumber, FaultMode* mode)
{
    for (Fault& f : faults) {
        if (f.remaining == 0 || f.call != call || !Matches(f.board, board))
            continue;
        if (call == Call::IoControl) {
            if (!Matches(f.propertyId, propertyId) || !Matches(f.flags, flags))
                continue;
            if (f.registerNumber >= 0 &&
                (propertyId != static_cast<int>(kPropertyRegister) || f.registerNumber != registerNumber))
                continue;
        }
        if (f.skip > 0) {
            --f.skip;
            continue;
        }
        if (f.remaining > 0)
            --f.remaining;
        // Only a board request has an output to shorten or spoil.
        *mode = call == Call::IoControl ? f.mode : FaultMode::Fail;
        return true;
    }
    return false;
}

void RackState::Record(LoggedCall entry)
{
    if (log.size() >= kLogLimit)
        log.pop_front();
    log.push_back(std::move(entry));
}

void RackState::Raise(SimBoard& board, uint32_t type)
{
    if (type >= kInterruptTypes || !board.enabled[type])
        return;
    ++board.counts[type];
    for (const auto& h : handles)
        if (h->board == &board && h->events[type])
            SetEvent(h->events[type]);
}

void RackState::FillNoise(uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        noise_ ^= noise_ << 13;
        noise_ ^= noise_ >> 17;
        noise_ ^= noise_ << 5;
        bytes[i] = static_cast<uint8_t>(noise_ >> 24);
    }
}

void RackState::AdvanceUarts(double nowMs)
{
    for (const auto& b : boards)
        b->uart->AdvanceTo(nowMs);
}

bool RackState::ServiceNeeded() const
{
    if (!handles.empty())
        return true;
    for (const auto& b : boards)
        if (b->uart->Busy())
            return true;
    return false;
}

DWORD RackState::ServiceWaitMs(double nowMs) const
{
    double due = kNever;
    for (const auto& b : boards)
        due = std::min(due, b->uart->NextDueMs(!handles.empty()));
    if (due == kNever)
        return INFINITE;
    const double wait = std::ceil(due - nowMs);
    if (wait <= 0)
        return 0;
    return wait >= 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(wait);
}

void RackState::WakeService()
{
    SetEvent(wake_);
    if (serviceRunning || !ServiceNeeded())
        return;
    // The thread holds its own reference on this module and gives it back
    // as its last act, so unloading the module never pulls the code from
    // under it and nothing need join it.
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&RackState::ServiceMain),
                            &module))
        return;
    HANDLE thread = CreateThread(nullptr, 0, &RackState::ServiceMain, module, 0, nullptr);
    if (!thread) {
        FreeLibrary(module);
        return;
    }
    CloseHandle(thread);
    serviceRunning = true;
}

DWORD WINAPI RackState::ServiceMain(void* module)
{
    RackState& rack = Instance();
    {
        FineTimer timer;
        for (;;) {
            DWORD waitMs;
            {
                RackLock hold(rack);
                const double now = RackClockMs();
                rack.AdvanceUarts(now);
                if (!rack.ServiceNeeded()) {
                    rack.serviceRunning = false;
                    break;
                }
                waitMs = rack.ServiceWaitMs(now);
            }
            WaitForSingleObject(rack.wake_, waitMs);
        }
    }
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
}

} // namespace sim
