// Interrupt enabling, event subscription, waiting and counting.
#include "board/CBrixWinDriverInterface.h"

#include "board/BoardRequests.h"
#include "board/BoardTypes.h"

#include <cstring>

namespace {

// Interrupt types in the order of their event slots.
const uint32_t kSlotTypes[CBrixWinDriverInterface::kEventSlots] = {0, 11, 4, 2, 3, 5, 6, 14, 15, 7, 8, 9, 10};
const uint32_t kCountedTypes[CBrixWinDriverInterface::kWaitCounters] = {0, 2, 3, 4, 5, 6};

uintptr_t AsAddress(const void* pointer)
{
    return reinterpret_cast<uintptr_t>(pointer);
}

} // namespace

int CBrixWinDriverInterface::EventSlot(uint32_t interruptType)
{
    for (int slot = 0; slot < kEventSlots; ++slot) {
        if (kSlotTypes[slot] == interruptType)
            return slot;
    }
    return -1;
}

int CBrixWinDriverInterface::WaitCounterIndex(uint32_t interruptType)
{
    for (int index = 0; index < kWaitCounters; ++index) {
        if (kCountedTypes[index] == interruptType)
            return index;
    }
    return -1;
}

HANDLE* CBrixWinDriverInterface::InterruptEvent(uint32_t interruptType)
{
    const int slot = EventSlot(interruptType);
    return slot < 0 ? nullptr : &events_[slot];
}

uint32_t CBrixWinDriverInterface::WaitCount(uint32_t interruptType) const
{
    const int index = WaitCounterIndex(interruptType);
    return index < 0 ? 0 : waitCounts_[index];
}

bool CBrixWinDriverInterface::ConfigureInterrupt(bool enable, uint32_t interruptType)
{
    auto request = NewRequest<InterruptRequest>(kPropertyInterrupt, enable ? kFlagGet : kFlagSet);
    request.interruptType = interruptType;
    if (!SendRequest(&request, sizeof request)) {
        DisplayError("ConfigureInterrupt failed");
        return false;
    }
    return true;
}

bool CBrixWinDriverInterface::ConfigureSubscription(bool subscribe, uint32_t interruptType, HANDLE* event)
{
    if (!event)
        return false;
    if (subscribe ? *event != nullptr : *event == nullptr)
        return true;

    // Older drivers take the address of the caller's variable and read the
    // handle from it; newer ones take the handle. Unknown flags mean old.
    uint32_t driverFlags = 0;
    const bool handleForm = GetDriverFlags(&driverFlags) && (driverFlags & kDriverFlagEventHandles) != 0;

    if (subscribe) {
        // The variable holds the event before the request goes out, so that
        // a driver reading through its address finds it.
        *event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!*event) {
            DisplayError("ConfigureSubscription failed");
            return false;
        }
    }

    auto request = NewRequest<SubscriptionRequest>(handleForm ? kPropertySubscription : kPropertyInterruptCount,
                                                   subscribe ? kFlagGet : kFlagSet);
    request.event = handleForm ? AsAddress(*event) : AsAddress(event);
    request.interruptType = interruptType;
    const bool sent = SendRequest(&request, sizeof request);

    if (subscribe && !sent) {
        CloseHandle(*event);
        *event = nullptr;
    } else if (!subscribe && sent) {
        CloseHandle(*event);
        *event = nullptr;
    }
    if (!sent) {
        DisplayError("ConfigureSubscription failed");
        return false;
    }
    return true;
}

bool CBrixWinDriverInterface::getInterruptCount(uint32_t interruptType, uint32_t* count)
{
    auto request = NewRequest<InterruptCountRequest>(kPropertyInterruptCount, kFlagGet);
    request.marker = kInterruptCountMarker;
    request.typeOrCount = interruptType;
    if (!SendRequest(&request, sizeof request)) {
        DisplayError("getInterruptCount() failed");
        return false;
    }
    if (count)
        *count = request.typeOrCount;
    return true;
}

bool CBrixWinDriverInterface::WaitForInterrupt(uint32_t interruptType, uint32_t timeoutMs)
{
    const int slot = interruptType > 15 ? -1 : EventSlot(interruptType);
    if (slot < 0 || !events_[slot]) {
        // Without an event the caller still gets its full time-out, so that
        // a missing subscription paces the link instead of spinning it.
        SleepMs(timeoutMs);
        return false;
    }
    if (api_->waitForEvent(events_[slot], timeoutMs) != WAIT_OBJECT_0)
        return false;
    const int counter = WaitCounterIndex(interruptType);
    if (counter >= 0)
        ++waitCounts_[counter];
    return true;
}
