#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "platform/NxPlatform.h"

namespace {

struct Probe {
    void* argument;
    int priority;
    DWORD_PTR affinity;
    DWORD id;
};

uint32_t __stdcall ProbeRoutine(void* argument)
{
    // Setting mask 1 again hands back the mask in force.
    *static_cast<Probe*>(argument) = {argument, GetThreadPriority(GetCurrentThread()),
                                      SetThreadAffinityMask(GetCurrentThread(), 1), GetCurrentThreadId()};
    return 4242;
}

uint32_t __stdcall ReleaseRoutine(void* mutex)
{
    return static_cast<uint32_t>(NxMutexRelease(mutex));
}
uint32_t __stdcall ExitRoutine(void*)
{
    NxThreadExit(9);
}
uint32_t __stdcall ParkRoutine(void* started)
{
    NxSetEvent(started);
    NxSleep(INFINITE);
    return 0;
}

uint32_t Join(void* thread)
{
    uint32_t code = 0xDEAD;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000));
    EXPECT_EQ(NX_SUCCESS, NxGetExitCodeThread(thread, &code));
    EXPECT_EQ(NX_SUCCESS, NxCloseThread(thread));
    return code;
}

} // namespace

TEST(NxSync, MutexRefusesAtOnceAndAnyThreadMayRelease)
{
    void* m = NxMutexCreate();
    EXPECT_EQ(NX_SUCCESS, NxMutexWait(m, 0));
    const DWORD start = GetTickCount();
    EXPECT_EQ(NX_FAILED, NxMutexWait(m, 0)) << "re-entered";
    EXPECT_LT(GetTickCount() - start, 20u) << "a zero time-out waited";
    EXPECT_EQ(0u, Join(NxCreateThread(ReleaseRoutine, m, 0, 1, NX_AFFINITY_ANY, nullptr)));
    EXPECT_EQ(NX_SUCCESS, NxMutexWait(m, 0)) << "release from another thread";
    EXPECT_EQ(NX_SUCCESS, NxMutexRelease(m));
    EXPECT_EQ(NX_FAILED, NxMutexRelease(m)) << "released beyond count 1";
    EXPECT_EQ(NX_SUCCESS, NxMutexClose(m));
    EXPECT_EQ(NX_CLOSE_HANDLE_ERROR, NxMutexClose(nullptr));
}

TEST(NxSync, EventsAndNamedObjects)
{
    void* manual = NxCreateEvent(true, false, nullptr);
    void* automatic = NxCreateEvent(false, true, nullptr);
    EXPECT_EQ(NX_FAILED, NxWaitForEvent(manual, 0));
    EXPECT_EQ(NX_SUCCESS, NxSetEvent(manual));
    EXPECT_EQ(NX_SUCCESS, NxWaitForEvent(manual, 0));
    EXPECT_EQ(NX_SUCCESS, NxWaitForEvent(manual, 0)) << "manual-reset event reset by a wait";
    EXPECT_EQ(NX_SUCCESS, NxResetEvent(manual));
    EXPECT_EQ(NX_FAILED, NxWaitForEvent(manual, 0));
    EXPECT_EQ(NX_SUCCESS, NxWaitForEvent(automatic, 0)) << "not initially set";
    EXPECT_EQ(NX_FAILED, NxWaitForEvent(automatic, 0)) << "auto-reset event stayed set";

    const std::string name = "NxTest." + std::to_string(GetCurrentProcessId());
    void* e = NxCreateEvent(true, false, name.c_str());
    void* e2 = NxCreateEvent(true, false, name.c_str());
    EXPECT_EQ(NX_SUCCESS, NxSetEvent(e));
    EXPECT_EQ(NX_SUCCESS, NxWaitForEvent(e2, 0)) << "named event not shared";
    void* s1 = NxCreateSemaphore(1, 1, (name + "s").c_str());
    void* s2 = NxCreateSemaphore(1, 1, (name + "s").c_str());
    EXPECT_EQ(NX_SUCCESS, NxWaitForSemaphore(s1, 0));
    EXPECT_EQ(NX_FAILED, NxWaitForSemaphore(s2, 0)) << "named semaphore not shared";
    EXPECT_EQ(NX_SUCCESS, NxReleaseSemaphore(s2));
    EXPECT_EQ(NX_FAILED, NxReleaseSemaphore(s1)) << "released beyond the maximum";
    for (void* h : {manual, automatic, e, e2})
        EXPECT_EQ(NX_SUCCESS, NxCloseEvent(h));
    for (void* h : {s1, s2})
        EXPECT_EQ(NX_SUCCESS, NxCloseSemaphore(h));
}

TEST(NxThreads, RoutineGetsArgumentPriorityAndAffinity)
{
    DWORD_PTR process = 0, system = 0;
    GetProcessAffinityMask(GetCurrentProcess(), &process, &system);
    // The last row: any processor would do, so the process's mask stays.
    const struct {
        uint32_t word;
        int priority;
        uint32_t affinity;
        DWORD_PTR mask;
    } cases[] = {{0, THREAD_PRIORITY_LOWEST, 1, 1},  {1, THREAD_PRIORITY_NORMAL, 1, 1},
                 {2, THREAD_PRIORITY_HIGHEST, 1, 1}, {3, THREAD_PRIORITY_TIME_CRITICAL, 1, 1},
                 {4, THREAD_PRIORITY_NORMAL, 1, 1},  {1, THREAD_PRIORITY_NORMAL, NX_AFFINITY_ANY, process}};
    for (const auto& c : cases) {
        Probe p = {};
        uint32_t id = 0;
        EXPECT_EQ(4242u, Join(NxCreateThread(ProbeRoutine, &p, 12345, c.word, c.affinity, &id)));
        EXPECT_EQ(&p, p.argument);
        EXPECT_EQ(c.priority, p.priority) << "priority word " << c.word;
        EXPECT_EQ(c.mask, p.affinity) << "affinity word " << c.affinity;
        EXPECT_EQ(p.id, id);
    }
}

TEST(NxThreads, SuspendResumeTerminateAndExit)
{
    // Terminated only once it runs its own code, not the runtime's thread start-up.
    void* started = NxCreateEvent(false, false, nullptr);
    void* t = NxCreateThread(ParkRoutine, started, 0, 1, NX_AFFINITY_ANY, nullptr);
    ASSERT_EQ(NX_SUCCESS, NxWaitForEvent(started, 5000));
    EXPECT_EQ(NX_SUCCESS, NxSuspendThread(t));
    EXPECT_EQ(NX_SUCCESS, NxResumeThread(t));
    EXPECT_EQ(NX_SUCCESS, NxTerminateThread(t, 7));
    EXPECT_EQ(7u, Join(t));
    EXPECT_EQ(9u, Join(NxCreateThread(ExitRoutine, nullptr, 0, 1, NX_AFFINITY_ANY, nullptr)));
    NxCloseEvent(started);

    uint32_t code = 0;
    for (NxErr r : {NxGetExitCodeThread(nullptr, &code), NxResumeThread(nullptr), NxSuspendThread(nullptr),
                    NxTerminateThread(nullptr, 0)})
        EXPECT_EQ(NX_FAILED, r);
}
