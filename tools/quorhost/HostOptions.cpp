#include "tools/quorhost/HostOptions.h"

namespace quorhost {

namespace {

const char kModuleFile[] = "DeviceQuorSerial.prm";

bool TakeValue(const std::vector<std::string>& args, size_t& i, std::string& value, std::string& error)
{
    if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = "option " + args[i] + " needs a value";
        return false;
    }
    value = args[++i];
    return true;
}

} // namespace

bool ParseOptions(const std::vector<std::string>& args, HostOptions& options, std::string& error)
{
    bool moduleGiven = false;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            options.help = true;
        } else if (arg == "--module") {
            if (!TakeValue(args, i, options.modulePath, error))
                return false;
            moduleGiven = true;
        } else if (arg == "--sim") {
            options.sim = true;
        } else if (arg == "--settings") {
            if (!TakeValue(args, i, options.settingsPath, error))
                return false;
        } else if (arg == "--script") {
            if (!TakeValue(args, i, options.scriptPath, error))
                return false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option '" + arg + "'";
            return false;
        } else {
            break; // the first command
        }
    }
    if (moduleGiven && options.sim) {
        error = "--module and --sim both choose the module; give one";
        return false;
    }
    options.commandWords.assign(args.begin() + i, args.end());
    return true;
}

std::string ModulePathFor(const HostOptions& options, const std::string& exeFolder)
{
    if (!options.modulePath.empty())
        return options.modulePath;
    std::string folder = exeFolder;
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder + (options.sim ? "sim\\" : "") + kModuleFile;
}

} // namespace quorhost
