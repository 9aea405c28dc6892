#include "platform/NxWin32.h"

namespace {

int PriorityOf(uint32_t priority)
{
    switch (priority) {
    case NX_PRIORITY_LOWEST:
        return THREAD_PRIORITY_LOWEST;
    case NX_PRIORITY_HIGHEST:
        return THREAD_PRIORITY_HIGHEST;
    case NX_PRIORITY_TIME_CRITICAL:
        return THREAD_PRIORITY_TIME_CRITICAL;
    default:
        return THREAD_PRIORITY_NORMAL;
    }
}

} // namespace

void* NxCreateThread(NxThreadRoutine routine, void* argument, uint32_t /*stackSize*/, uint32_t priority,
                     uint32_t affinity, uint32_t* threadId)
{
    // Created suspended so that priority and affinity hold from the first
    // instruction of the routine.
    DWORD id = 0;
    HANDLE thread =
        CreateThread(nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(routine), argument, CREATE_SUSPENDED, &id);
    if (!thread)
        return nullptr;
    SetThreadPriority(thread, PriorityOf(priority));
    if (affinity != NX_AFFINITY_ANY)
        SetThreadAffinityMask(thread, affinity);
    ResumeThread(thread);
    if (threadId)
        *threadId = id;
    return thread;
}

void NxThreadExit(uint32_t code)
{
    ExitThread(code);
}

NxErr NxGetExitCodeThread(void* thread, uint32_t* code)
{
    DWORD value = 0;
    if (!GetExitCodeThread(thread, &value))
        return NX_FAILED;
    if (code)
        *code = value;
    return NX_SUCCESS;
}

NxErr NxResumeThread(void* thread)
{
    return ResumeThread(thread) == static_cast<DWORD>(-1) ? NX_FAILED : NX_SUCCESS;
}

NxErr NxSuspendThread(void* thread)
{
    return SuspendThread(thread) == static_cast<DWORD>(-1) ? NX_FAILED : NX_SUCCESS;
}

NxErr NxTerminateThread(void* thread, uint32_t code)
{
    return NxResult(TerminateThread(thread, code));
}

NxErr NxCloseThread(void* thread)
{
    return NxCloseResult(thread);
}
