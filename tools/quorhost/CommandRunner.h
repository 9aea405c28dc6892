#pragma once
// Runs host commands against a loaded module's xDevice through the process's
// host environment, prints one line per command, and keeps the copy of the
// settings block that is written to the settings file at exit.
#include "tools/quorhost/Commands.h"
#include "tools/quorhost/DeviceModule.h"
#include "tools/quorhost/ExitCodes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorhost {

class CommandRunner {
public:
    CommandRunner(XDeviceFn entry, const std::string& settingsPath);
    ~CommandRunner();
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // kExitOk, or why the command could not run and the run must end:
    // kExitSettings (the settings file) or kExitTimecode (a target the deck's
    // rate does not have). `error` then says why.
    ExitCode Run(const HostCommand& command, std::string& error);

    // Writes the last remembered settings block, if there is one.
    bool SaveSettings(std::string& error) const;

private:
    ExitCode Dispatch(const HostCommand& command, std::string& line, std::string& error);
    int16_t Call(int16_t selector);
    int16_t Execute(int16_t code);
    std::string RunExecute(const HostCommand& command);
    ExitCode RunDeck(const HostCommand& command, std::string& line, std::string& error);
    std::string RunWatch(int32_t polls);
    std::string CallResult(int16_t result, int executed) const;
    void RememberSettings();
    bool HandOverStoredSettings(std::string& error);
    std::string NameText() const;

    XDeviceFn entry_;
    std::string settingsPath_;
    bool haveSettings_ = false;
    std::vector<uint8_t> settings_;
    // Room beyond the 256 bytes the record's buffer promises, always zero,
    // so that a name the module leaves unterminated still ends here.
    char nameBuffer_[256 + 4] = {};
};

} // namespace quorhost
