#pragma once
// Runs host commands against a loaded module's xDevice through the process's
// host environment, prints one line per command, and keeps the copy of the
// settings block that is written to the settings file at exit.
#include "tools/quorhost/Commands.h"
#include "tools/quorhost/DeviceModule.h"

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

    // False when the command could not run because of the settings file;
    // `error` then says why.
    bool Run(const HostCommand& command, std::string& error);

    // Writes the last remembered settings block, if there is one.
    bool SaveSettings(std::string& error) const;

private:
    int16_t Call(int16_t selector);
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
