#include "tools/quorhost/CrashReport.h"

#include "tools/hostkit/HostEnvironment.h"
#include "tools/quorhost/ExitCodes.h"

#include <windows.h>

#include <cstdio>

namespace quorhost {

namespace {

const char* volatile gContext = nullptr;

LONG WINAPI ReportUnhandledException(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info ? info->ExceptionRecord : nullptr;
    const char* context = gContext;
    std::fflush(stdout);
    std::fprintf(stderr, "quorhost: unhandled exception 0x%08lX at %p%s%s%s\n",
                 record ? (unsigned long)record->ExceptionCode : 0UL, record ? record->ExceptionAddress : nullptr,
                 context ? " during '" : "", context ? context : "", context ? "'" : "");
    std::printf("host handles still allocated: %u\n", unsigned(HostEnvironment::Instance().LiveHandleCount()));
    std::fflush(stdout);
    std::fflush(stderr);
    // No orderly exit: the module's detach code may be what is broken.
    TerminateProcess(GetCurrentProcess(), kExitModuleCrashed);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

void InstallCrashReport()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(ReportUnhandledException);
}

void SetCrashContext(const char* command)
{
    gContext = command;
}

} // namespace quorhost
