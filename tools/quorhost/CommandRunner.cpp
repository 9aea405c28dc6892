#include "tools/quorhost/CommandRunner.h"

#include "tools/hostkit/HostEnvironment.h"
#include "tools/quorhost/CrashReport.h"
#include "tools/quorhost/RecordReport.h"
#include "tools/quorhost/SettingsFile.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace quorhost {

namespace {

constexpr int16_t kCommandFeatures = 0;
constexpr int16_t kCommandStatus = 1;
constexpr int16_t kCommandName = 12;
constexpr size_t kNameBufferLength = 256;

void PrintLine(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    // A crash in the next call must not take this line with it.
    std::fflush(stdout);
}

std::string Hex32(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", (unsigned long)value);
    return text;
}

void SleepUnlessAborted(int32_t milliseconds)
{
    const HostEnvironment& env = HostEnvironment::Instance();
    const DWORD start = GetTickCount();
    while (!env.abortRequested) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= DWORD(milliseconds))
            break;
        const DWORD left = DWORD(milliseconds) - elapsed;
        Sleep(left < 10 ? left : 10);
    }
}

} // namespace

CommandRunner::CommandRunner(XDeviceFn entry, const std::string& settingsPath)
    : entry_(entry), settingsPath_(settingsPath)
{
    HostEnvironment::Instance().record.nameBuffer = nameBuffer_;
}

CommandRunner::~CommandRunner()
{
    // The record outlives us; it must not point into a dead object.
    HostEnvironment::Instance().record.nameBuffer = nullptr;
}

int16_t CommandRunner::Call(int16_t selector)
{
    const int16_t result = entry_(selector, HostEnvironment::Instance().Handle());
    RememberSettings();
    return result;
}

void CommandRunner::RememberSettings()
{
    const HostEnvironment& env = HostEnvironment::Instance();
    HostHandle handle = env.record.settings;
    if (!handle)
        return;
    // Only our own live handles are read: a disposed or foreign pointer in
    // the record is the module's fault and must not crash the host.
    if (!env.IsLiveHandle(handle)) {
        std::fprintf(stderr, "quorhost: warning: the record's settings handle %p is not a live host handle\n",
                     static_cast<void*>(handle));
        std::fflush(stderr);
        return;
    }
    const int32_t size = env.HandleSize(handle);
    if (!*handle || size < 0)
        return;
    settings_.assign(*handle, *handle + size);
    haveSettings_ = true;
}

bool CommandRunner::HandOverStoredSettings(std::string& error)
{
    std::vector<uint8_t> stored;
    const SettingsRead read = ReadSettingsFile(settingsPath_, stored, error);
    if (read == SettingsRead::Failed)
        return false;

    HostEnvironment& env = HostEnvironment::Instance();
    // The stored block replaces whatever the record holds; the host owns that
    // handle, and leaving it would count against the module as a leak.
    if (env.record.settings && env.IsLiveHandle(env.record.settings))
        env.DisposeHandle(env.record.settings);
    env.record.settings = nullptr;
    if (read == SettingsRead::Missing)
        return true;

    HostHandle handle = env.NewHandle(int32_t(stored.size()));
    if (!handle) {
        error = "cannot allocate a host handle for the stored settings";
        return false;
    }
    std::memcpy(*handle, stored.data(), stored.size());
    env.record.settings = handle;
    return true;
}

std::string CommandRunner::NameText() const
{
    const void* end = std::memchr(nameBuffer_, '\0', kNameBufferLength);
    const size_t length = end ? size_t(static_cast<const char*>(end) - nameBuffer_) : kNameBufferLength;
    std::string text = "name " + QuotedText(nameBuffer_, length);
    if (length == kNameBufferLength)
        text += " (not terminated within 256 bytes)";
    return text;
}

bool CommandRunner::Run(const HostCommand& command, std::string& error)
{
    HostEnvironment& env = HostEnvironment::Instance();
    DeviceRecord& record = env.record;
    InterlockedExchange(&env.abortRequested, 0);
    env.positionsShown.clear();
    SetCrashContext(command.text.c_str());

    std::string line = command.text + ": ";
    int16_t result = 0;
    bool calledModule = true;
    int executed = -1;  // the Execute command code sent, if any
    switch (command.kind) {
    case CommandKind::Init:
        result = Call(kSelectorInitialise);
        break;
    case CommandKind::Setup:
        result = Call(kSelectorSetup);
        break;
    case CommandKind::Cleanup:
        result = Call(kSelectorCleanup);
        break;
    case CommandKind::Restart:
        if (!HandOverStoredSettings(error)) {
            SetCrashContext(nullptr);
            return false;
        }
        result = Call(kSelectorRestart);
        break;
    case CommandKind::Release:
        result = Call(kSelectorReleasePorts);
        break;
    case CommandKind::Selector:
        result = Call(int16_t(command.number));
        break;
    case CommandKind::Execute:
    case CommandKind::Status:
    case CommandKind::Features:
    case CommandKind::Name:
        if (command.kind == CommandKind::Execute) {
            record.command = int16_t(command.number);
            if (command.setMode)
                record.mode = command.mode;
            if (command.setFrames)
                record.timecode = command.frames;
            if (command.setPreroll)
                record.preroll = command.preroll;
        } else {
            record.command = command.kind == CommandKind::Status     ? kCommandStatus
                             : command.kind == CommandKind::Features ? kCommandFeatures
                                                                     : kCommandName;
        }
        executed = record.command;
        if (executed == kCommandName)
            std::memset(nameBuffer_, 0, sizeof nameBuffer_);
        // The module may have cleared or moved the pointer; the host's buffer is the one it gets.
        record.nameBuffer = nameBuffer_;
        result = Call(kSelectorExecute);
        break;
    case CommandKind::Handles:
        calledModule = false;
        line += std::to_string(env.LiveHandleCount()) + " host handle(s) allocated";
        break;
    case CommandKind::Sleep:
        calledModule = false;
        SleepUnlessAborted(command.number);
        line += "slept";
        break;
    }
    SetCrashContext(nullptr);

    if (calledModule) {
        line += "result " + std::to_string(result) + ", " + DescribeRecord(record);
        if (executed == kCommandFeatures)
            line += ", features " + Hex32(record.features);
        if (executed == kCommandName)
            line += ", " + NameText();
        if (!env.positionsShown.empty())
            line += ", positions shown " + std::to_string(env.positionsShown.size()) + " (last frame " +
                    std::to_string(env.positionsShown.back()) + ")";
    }
    if (env.abortRequested)
        line += ", aborted by the user";
    PrintLine(line);
    return true;
}

bool CommandRunner::SaveSettings(std::string& error) const
{
    return !haveSettings_ || WriteSettingsFile(settingsPath_, settings_, error);
}

} // namespace quorhost
