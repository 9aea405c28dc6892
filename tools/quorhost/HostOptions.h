#pragma once
// quorhost's command line: options first, then commands.
#include <string>
#include <vector>

namespace quorhost {

struct HostOptions {
    bool help = false;
    bool sim = false;
    std::string modulePath; // empty: the default beside quorhost.exe
    std::string settingsPath = "quorhost-settings.bin";
    std::string scriptPath; // empty: no script
    std::vector<std::string> commandWords;
};

bool ParseOptions(const std::vector<std::string>& args, HostOptions& options, std::string& error);

// The module to load: --module as given, else DeviceQuorSerial.prm in
// `exeFolder` (or in its sim subfolder with --sim).
std::string ModulePathFor(const HostOptions& options, const std::string& exeFolder);

} // namespace quorhost
