#pragma once
// The port's private lock, taken without waiting: a call that finds it held
// by the other thread is refused instead of delayed.
#include "platform/NxPlatform.h"

class PortLock {
public:
    explicit PortLock(void* semaphore)
        : semaphore_(semaphore), held_(semaphore && NxWaitForSemaphore(semaphore, 0) == NX_SUCCESS)
    {
    }
    ~PortLock()
    {
        if (held_)
            NxReleaseSemaphore(semaphore_);
    }
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    bool Held() const { return held_; }

private:
    void* semaphore_;
    bool held_;
};
