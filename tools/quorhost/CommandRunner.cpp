#include "tools/quorhost/CommandRunner.h"

#include "tools/hostkit/HostEnvironment.h"
#include "tools/quorhost/AbortableWait.h"
#include "tools/quorhost/CrashReport.h"
#include "tools/quorhost/DialogDriver.h"
#include "tools/quorhost/ExportRun.h"
#include "tools/quorhost/Output.h"
#include "tools/quorhost/PositionProgress.h"
#include "tools/quorhost/RecordReport.h"
#include "tools/quorhost/SettingsFile.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace quorhost {

namespace {

constexpr int16_t kCommandFeatures = 0;
constexpr int16_t kCommandStatus = 1;
constexpr int16_t kCommandGoto = 3;
constexpr int16_t kCommandLocate = 4;
constexpr int16_t kCommandExport = 10;
constexpr int16_t kCommandName = 12;
constexpr size_t kNameBufferLength = 256;

// ", positions shown 12 (last frame 107892)" when the module showed any.
std::string PositionsText()
{
    const std::vector<int32_t>& shown = HostEnvironment::Instance().positionsShown;
    if (shown.empty())
        return std::string();
    return ", positions shown " + std::to_string(shown.size()) + " (last frame " + std::to_string(shown.back()) + ")";
}

std::string Hex32(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", (unsigned long)value);
    return text;
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

int16_t CommandRunner::Execute(int16_t code)
{
    DeviceRecord& record = HostEnvironment::Instance().record;
    record.command = code;
    if (code == kCommandName)
        std::memset(nameBuffer_, 0, sizeof nameBuffer_);
    // The module may have cleared or moved the pointer; the host's buffer is the one it gets.
    record.nameBuffer = nameBuffer_;
    return Call(kSelectorExecute);
}

std::string CommandRunner::CallResult(int16_t result, int executed) const
{
    const HostEnvironment& env = HostEnvironment::Instance();
    std::string text = "result " + std::to_string(result) + ", " + DescribeRecord(env.record);
    if (executed == kCommandFeatures)
        text += ", features " + Hex32(env.record.features);
    if (executed == kCommandName)
        text += ", " + NameText();
    return text + PositionsText();
}

std::string CommandRunner::RunExecute(const HostCommand& command)
{
    DeviceRecord& record = HostEnvironment::Instance().record;
    int16_t code = kCommandName;
    if (command.kind == CommandKind::Execute) {
        code = int16_t(command.number);
        if (command.setMode)
            record.mode = command.mode;
        if (command.setFrames)
            record.timecode = command.frames;
        if (command.setPreroll)
            record.preroll = command.preroll;
    } else if (command.kind == CommandKind::Status) {
        code = kCommandStatus;
    } else if (command.kind == CommandKind::Features) {
        code = kCommandFeatures;
    }
    return CallResult(Execute(code), code);
}

ExitCode CommandRunner::RunDeck(const HostCommand& command, std::string& line, std::string& error)
{
    DeviceRecord& record = HostEnvironment::Instance().record;
    int16_t code = int16_t(command.number);
    if (command.setMode)
        record.mode = command.mode;
    if (command.kind == CommandKind::Goto || command.kind == CommandKind::Locate) {
        // At the rate the deck last reported: a label means different frames at each.
        int32_t frames = 0;
        std::string problem;
        if (!LabelToFrames(command.target, record.frameRate, record.dropFrame != 0, frames, problem)) {
            error = "'" + command.text + "': " + problem + "; nothing was sent to the deck";
            return kExitTimecode;
        }
        record.timecode = frames;
        line += "target frame " + std::to_string(frames) + ", ";
        code = kCommandGoto;
        if (command.kind == CommandKind::Locate) {
            code = kCommandLocate;
            record.preroll = command.preroll;
            line += "preroll " + std::to_string(command.preroll) + ", ";
        }
    }
    int16_t result = 0;
    {
        PositionProgress progress(record);
        result = Execute(code);
    }
    line += "result " + std::to_string(result) + PositionsText() + "; ";
    // What the command left in the record is the module's answer to it; where
    // the deck is afterwards is what a status says.
    const int16_t status = Execute(kCommandStatus);
    if (status != 0)
        line += "status result " + std::to_string(status) + ", ";
    line += "deck " + DescribeRecord(record);
    return kExitOk;
}

std::string CommandRunner::RunWatch(int32_t polls)
{
    const DeviceRecord& record = HostEnvironment::Instance().record;
    FramePacer pacer;
    std::string shown;
    int32_t done = 0;
    int32_t lines = 0;
    while (polls == 0 || done < polls) {
        if (done > 0 && !pacer.WaitNextFrame(record.frameRate))
            break;
        const int16_t result = Execute(kCommandStatus);
        ++done;
        // Only changes: a still deck would otherwise fill the screen with one line.
        const std::string state = "result " + std::to_string(result) + ", " + DescribeRecord(record);
        if (state != shown) {
            PrintLine("  poll " + std::to_string(done) + ": " + state);
            shown = state;
            ++lines;
        }
    }
    return std::to_string(done) + " poll(s), " + std::to_string(lines) + " line(s) shown";
}

ExitCode CommandRunner::Dispatch(const HostCommand& command, std::string& line, std::string& error)
{
    HostEnvironment& env = HostEnvironment::Instance();
    switch (command.kind) {
    case CommandKind::Init:
        line += CallResult(Call(kSelectorInitialise), -1);
        break;
    case CommandKind::Setup:
        line += CallResult(Call(kSelectorSetup), -1);
        break;
    case CommandKind::Cleanup:
        line += CallResult(Call(kSelectorCleanup), -1);
        break;
    case CommandKind::Restart:
        if (!HandOverStoredSettings(error))
            return kExitSettings;
        line += CallResult(Call(kSelectorRestart), -1);
        break;
    case CommandKind::Release:
        line += CallResult(Call(kSelectorReleasePorts), -1);
        break;
    case CommandKind::Selector:
        line += CallResult(Call(int16_t(command.number)), -1);
        break;
    case CommandKind::Execute:
    case CommandKind::Status:
    case CommandKind::Features:
    case CommandKind::Name:
        line += RunExecute(command);
        break;
    case CommandKind::Deck:
    case CommandKind::Goto:
    case CommandKind::Locate:
        return RunDeck(command, line, error);
    case CommandKind::Watch:
        line += RunWatch(command.number);
        break;
    case CommandKind::Export:
        line += ExportRun(entry_, [this] { return Execute(kCommandExport); }).Run(command);
        break;
    case CommandKind::Handles:
        line += std::to_string(env.LiveHandleCount()) + " host handle(s) allocated";
        break;
    case CommandKind::Sleep:
        SleepUnlessAborted(command.number);
        line += "slept";
        break;
    }
    return kExitOk;
}

ExitCode CommandRunner::Run(const HostCommand& command, std::string& error)
{
    HostEnvironment& env = HostEnvironment::Instance();
    InterlockedExchange(&env.abortRequested, 0);
    env.positionsShown.clear();
    SetCrashContext(command.text.c_str());

    std::string line = command.text + ": ";
    ExitCode outcome = kExitOk;
    {
        // Disarmed before the result line: what it prints belongs to the call.
        // An export arms its actions for its first call only.
        DialogDriver dialogs(command.kind == CommandKind::Export ? std::vector<DialogAction>() : command.dialog);
        outcome = Dispatch(command, line, error);
    }
    SetCrashContext(nullptr);
    if (outcome != kExitOk)
        return outcome;

    if (env.abortRequested)
        line += ", aborted by the user";
    PrintLine(line);
    return kExitOk;
}

bool CommandRunner::SaveSettings(std::string& error) const
{
    return !haveSettings_ || WriteSettingsFile(settingsPath_, settings_, error);
}

} // namespace quorhost
