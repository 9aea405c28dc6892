#include "platform/NxWin32.h"

namespace {

// Abandoned, timed out and failed waits are all "not obtained" to callers.
NxErr Wait(void* handle, uint32_t timeoutMs)
{
    return WaitForSingleObject(handle, timeoutMs) == WAIT_OBJECT_0 ? NX_SUCCESS : NX_FAILED;
}

} // namespace

void* NxCreateEvent(bool manualReset, bool initiallySet, const char* name)
{
    return CreateEventA(nullptr, manualReset, initiallySet, name);
}

NxErr NxSetEvent(void* event)
{
    return NxResult(SetEvent(event));
}

NxErr NxResetEvent(void* event)
{
    return NxResult(ResetEvent(event));
}

NxErr NxWaitForEvent(void* event, uint32_t timeoutMs)
{
    return Wait(event, timeoutMs);
}

NxErr NxCloseEvent(void* event)
{
    return NxCloseResult(event);
}

// A named semaphore that exists already is opened rather than refused, so
// processes share it.
void* NxCreateSemaphore(int32_t initial, int32_t maximum, const char* name)
{
    return CreateSemaphoreA(nullptr, initial, maximum, name);
}

NxErr NxWaitForSemaphore(void* semaphore, uint32_t timeoutMs)
{
    return Wait(semaphore, timeoutMs);
}

NxErr NxReleaseSemaphore(void* semaphore)
{
    return NxResult(ReleaseSemaphore(semaphore, 1, nullptr));
}

NxErr NxCloseSemaphore(void* semaphore)
{
    return NxCloseResult(semaphore);
}

// Built on a semaphore so that a thread other than the owner may release it.
void* NxMutexCreate()
{
    return NxCreateSemaphore(1, 1, nullptr);
}

NxErr NxMutexWait(void* mutex, uint32_t timeoutMs)
{
    return NxWaitForSemaphore(mutex, timeoutMs);
}

NxErr NxMutexRelease(void* mutex)
{
    return NxReleaseSemaphore(mutex);
}

NxErr NxMutexClose(void* mutex)
{
    return NxCloseSemaphore(mutex);
}
