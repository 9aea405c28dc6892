#include "tools/hostkit/HostEnvironment.h"

#include <cstdlib>
#include <cstring>

namespace {

// A stand-in for the error suite the module acquires: it is never called.
const int32_t kErrorSuite[4] = {};
const char kErrorSuiteName[] = "Premiere Error Suite";

extern "C" HostHandle HostNewHandle(int32_t size)
{
    return HostEnvironment::Instance().NewHandle(size);
}

extern "C" void HostDisposeHandle(HostHandle handle)
{
    HostEnvironment::Instance().DisposeHandle(handle);
}

extern "C" HWND HostMainWindow(void)
{
    return HostEnvironment::Instance().mainWindow;
}

extern "C" int32_t HostAcquireSuite(const char* name, int32_t version, const void** suite)
{
    HostEnvironment& env = HostEnvironment::Instance();
    env.suiteAcquireCalls++;
    if (!name || !suite || std::strcmp(name, kErrorSuiteName) != 0 || version != 1)
        return -1;
    *suite = kErrorSuite;
    env.acquiredSuites[name]++;
    return 0;
}

extern "C" int32_t HostReleaseSuite(const char* name, int32_t version)
{
    HostEnvironment& env = HostEnvironment::Instance();
    env.suiteReleaseCalls++;
    if (!name || version != 1)
        return -1;
    auto it = env.acquiredSuites.find(name);
    if (it == env.acquiredSuites.end())
        return -1;
    if (--it->second == 0)
        env.acquiredSuites.erase(it);
    return 0;
}

HostBasicSuite gBasicSuite = {HostAcquireSuite, HostReleaseSuite};

extern "C" HostBasicSuite* HostGetBasicSuite(void)
{
    return HostEnvironment::Instance().basicSuiteAvailable ? &gBasicSuite : nullptr;
}

extern "C" int32_t HostAbort(void)
{
    return HostEnvironment::Instance().abortRequested != 0;
}

extern "C" void HostShowPosition(int32_t frame, int32_t reference)
{
    HostEnvironment& env = HostEnvironment::Instance();
    env.positionsShown.push_back(frame);
    if (env.positionListener)
        env.positionListener(frame, reference);
}

} // namespace

HostEnvironment& HostEnvironment::Instance()
{
    static HostEnvironment instance;
    return instance;
}

HostEnvironment::HostEnvironment() : recordPointer(&record)
{
    ResetRecord();
}

void HostEnvironment::ResetRecord()
{
    std::memset(&tables_, 0, sizeof tables_);
    std::memset(&memory_, 0, sizeof memory_);
    std::memset(&window_, 0, sizeof window_);
    std::memset(&suites_, 0, sizeof suites_);
    memory_.NewHandle = HostNewHandle;
    memory_.DisposeHandle = HostDisposeHandle;
    window_.MainWindow = HostMainWindow;
    suites_.BasicSuite = HostGetBasicSuite;
    tables_.memory = &memory_;
    tables_.window = &window_;
    tables_.suites = &suites_;
    std::memset(&record, 0, sizeof record);
    record.tables = &tables_;
    record.abortFn = HostAbort;
    record.positionFn = HostShowPosition;
    recordPointer = &record;
}

int32_t HostEnvironment::HandleSize(HostHandle h) const
{
    auto it = handles_.find(h);
    return it == handles_.end() ? -1 : it->second;
}

HostHandle HostEnvironment::NewHandle(int32_t size)
{
    if (failAllocations_ > 0) {
        failAllocations_--;
        return nullptr;
    }
    if (size < 0)
        return nullptr;
    // A guard after the block shows a module that writes past what it asked
    // for, as a debugging heap would.
    char* block = static_cast<char*>(std::calloc(1, size + kHandleGuard));
    char** cell = static_cast<char**>(std::malloc(sizeof(char*)));
    if (!block || !cell) {
        std::free(block);
        std::free(cell);
        return nullptr;
    }
    std::memset(block + size, kGuardByte, kHandleGuard);
    *cell = block;
    handles_[cell] = size;
    return cell;
}

void HostEnvironment::DisposeHandle(HostHandle h)
{
    auto it = handles_.find(h);
    if (it == handles_.end()) {
        disposeOfUnknownHandle++;
        return;
    }
    for (size_t i = 0; i < kHandleGuard; ++i) {
        if ((*h)[it->second + i] != kGuardByte) {
            writesPastHandles++;
            break;
        }
    }
    std::free(*h);
    std::free(h);
    handles_.erase(it);
}

void HostEnvironment::DisposeAllHandles()
{
    while (!handles_.empty())
        DisposeHandle(handles_.begin()->first);
}
