#include "sim/SimRack.h"

#include "sim/DeckPeer.h"
#include "sim/RackState.h"

namespace sim {

SimRack& SimRack::Instance()
{
    static SimRack* const rack = new SimRack();
    return *rack;
}

SimRack::SimRack() : state_(RackState::Instance()) {}

void SimRack::Configure(const RackConfig& config)
{
    RackLock hold(state_);
    state_.Configure(config);
}

RackConfig SimRack::Configuration() const
{
    RackLock hold(state_);
    return state_.config;
}

void SimRack::AddFault(const Fault& fault)
{
    RackLock hold(state_);
    state_.faults.push_back(fault);
}

void SimRack::ClearFaults()
{
    RackLock hold(state_);
    state_.faults.clear();
}

std::vector<LoggedCall> SimRack::Log() const
{
    RackLock hold(state_);
    return std::vector<LoggedCall>(state_.log.begin(), state_.log.end());
}

void SimRack::ClearLog()
{
    RackLock hold(state_);
    state_.log.clear();
}

int SimRack::LiveInfoSets() const
{
    RackLock hold(state_);
    return static_cast<int>(state_.infoSets.size());
}

int SimRack::LiveDeviceHandles() const
{
    RackLock hold(state_);
    return static_cast<int>(state_.handles.size());
}

int SimRack::LiveSubscriptions() const
{
    RackLock hold(state_);
    int n = 0;
    for (const auto& h : state_.handles)
        for (HANDLE e : h->events)
            n += e != nullptr;
    return n;
}

int SimRack::LiveMappings() const
{
    RackLock hold(state_);
    int n = 0;
    for (const auto& h : state_.handles)
        for (void* m : h->mappings)
            n += m != nullptr;
    return n;
}

int SimRack::BoardCount() const
{
    RackLock hold(state_);
    return static_cast<int>(state_.boards.size());
}

uint32_t SimRack::RegisterValue(int board, uint32_t reg) const
{
    RackLock hold(state_);
    SimBoard* b = state_.BoardAt(board);
    if (!b)
        return 0;
    b->uart->AdvanceTo(RackClockMs());
    return b->Read(reg, false);
}

void SimRack::SetRegisterValue(int board, uint32_t reg, uint32_t value)
{
    RackLock hold(state_);
    SimBoard* b = state_.BoardAt(board);
    if (!b)
        return;
    const double now = RackClockMs();
    b->uart->AdvanceTo(now);
    b->Store(reg, value, now);
    state_.WakeService();
}

bool SimRack::InterruptEnabled(int board, uint32_t type) const
{
    RackLock hold(state_);
    SimBoard* b = state_.BoardAt(board);
    return b && type < kInterruptTypes && b->enabled[type];
}

void SimRack::RaiseInterrupt(int board, uint32_t type)
{
    RackLock hold(state_);
    if (SimBoard* b = state_.BoardAt(board))
        state_.Raise(*b, type);
}

uint32_t SimRack::InterruptCount(int board, uint32_t type) const
{
    RackLock hold(state_);
    SimBoard* b = state_.BoardAt(board);
    return b && type < kInterruptTypes ? b->counts[type] : 0;
}

std::vector<DmaBuffer> SimRack::LockedDmaBuffers(int board) const
{
    RackLock hold(state_);
    SimBoard* b = state_.BoardAt(board);
    return b ? b->locked : std::vector<DmaBuffer>();
}

std::string SimRack::DevicePath(int board) const
{
    RackLock hold(state_);
    SimBoard* b = state_.BoardAt(board);
    return b ? b->path : std::string();
}

UartStatus SimRack::Uart(int board) const
{
    RackLock hold(state_);
    SimBoard* b = state_.BoardAt(board);
    if (!b)
        return UartStatus();
    b->uart->AdvanceTo(RackClockMs());
    return b->uart->Status();
}

void SimRack::SetSerialPeer(int board, std::unique_ptr<SerialPeer> peer)
{
    RackLock hold(state_);
    if (SimBoard* b = state_.BoardAt(board)) {
        b->uart->AdvanceTo(RackClockMs());
        b->uart->SetPeer(std::move(peer));
        state_.WakeService();
    }
}

bool SimRack::WithDeck(int board, const std::function<void(VirtualVtr& deck, double nowMs)>& fn)
{
    RackLock hold(state_);
    SimBoard* b = state_.BoardAt(board);
    DeckPeer* peer = b ? dynamic_cast<DeckPeer*>(b->uart->Peer()) : nullptr;
    if (!peer)
        return false;
    const double now = RackClockMs();
    b->uart->AdvanceTo(now);
    fn(peer->Deck(), now);
    // What fn did may have moved the deck's own clock.
    state_.WakeService();
    return true;
}

bool SimRack::ServiceRunning() const
{
    RackLock hold(state_);
    return state_.serviceRunning;
}

const DriverApi& SimRack::Api() const
{
    return SimDriverApi();
}

} // namespace sim
