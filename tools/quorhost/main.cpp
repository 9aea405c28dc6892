// quorhost: a command-line stand-in for the editor that loads a
// device-control module and drives it through xDevice. --help explains it.
#include "tools/hostkit/HostEnvironment.h"
#include "tools/quorhost/CommandRunner.h"
#include "tools/quorhost/Commands.h"
#include "tools/quorhost/CrashReport.h"
#include "tools/quorhost/DeviceModule.h"
#include "tools/quorhost/ExitCodes.h"
#include "tools/quorhost/HostOptions.h"
#include "tools/quorhost/HostWindow.h"
#include "tools/quorhost/RecordReport.h"
#include "tools/quorhost/Usage.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace quorhost;

namespace {

void PrintError(const std::string& message)
{
    std::fflush(stdout);
    std::fprintf(stderr, "quorhost: %s\n", message.c_str());
    std::fflush(stderr);
}

std::string ExeFolder()
{
    char path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length < sizeof path ? length : 0);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

bool ReadTextFile(const std::string& path, std::string& text)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, count);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool ReadCommands(const HostOptions& options, std::vector<HostCommand>& commands, std::string& error)
{
    if (!options.scriptPath.empty()) {
        std::string text;
        if (!ReadTextFile(options.scriptPath, text)) {
            error = "cannot read script " + options.scriptPath;
            return false;
        }
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        if (!ParseScript(text, commands, error)) {
            error = "script " + options.scriptPath + ", " + error;
            return false;
        }
    }
    std::vector<std::string> words;
    for (const std::string& arg : options.commandWords)
        for (const std::string& word : SplitWords(arg))
            words.push_back(word);
    return ParseCommandWords(words, commands, error);
}

BOOL WINAPI OnConsoleControl(DWORD type)
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
        return FALSE;
    InterlockedExchange(&HostEnvironment::Instance().abortRequested, 1);
    return TRUE;
}

int RunModule(const HostOptions& options, const std::vector<HostCommand>& commands)
{
    DeviceModule module;
    std::string error;
    if (!module.Load(ModulePathFor(options, ExeFolder()), error)) {
        PrintError(error);
        return kExitModule;
    }
    std::printf("module: %s\n", module.FullPath().c_str());
    std::printf("display name: %s\n", QuotedText(module.DisplayName().data(), module.DisplayName().size()).c_str());
    std::fflush(stdout);

    CommandRunner runner(module.Entry(), options.settingsPath);
    ExitCode outcome = kExitOk;
    for (const HostCommand& command : commands) {
        outcome = runner.Run(command, error);
        if (outcome == kExitOk)
            continue;
        PrintError(error);
        // A bad settings file is left as it is, for whoever has to look at it.
        if (outcome == kExitSettings)
            return outcome;
        // Otherwise the module is sound; only the commands that may depend
        // on where the deck was sent are skipped.
        break;
    }
    if (!runner.SaveSettings(error)) {
        PrintError(error);
        return kExitSettings;
    }
    return outcome;
}

} // namespace

int main(int argc, char** argv)
{
    HostEnvironment& env = HostEnvironment::Instance();
    std::vector<std::string> args(argv + 1, argv + argc);
    HostOptions options;
    std::vector<HostCommand> commands;
    std::string error;
    int exitCode = kExitOk;

    if (!ParseOptions(args, options, error) || (!options.help && !ReadCommands(options, commands, error))) {
        PrintError(error + " (quorhost --help lists the options and commands)");
        exitCode = kExitUsage;
    } else if (options.help) {
        std::fputs(UsageText(), stdout);
        return kExitOk;
    } else {
        InstallCrashReport();
        SetConsoleCtrlHandler(OnConsoleControl, TRUE);
        env.mainWindow = CreateHiddenMainWindow();
        exitCode = RunModule(options, commands);
        DestroyMainWindow(env.mainWindow);
        env.mainWindow = nullptr;
    }
    std::printf("host handles still allocated: %u\n", unsigned(env.LiveHandleCount()));
    std::fflush(stdout);
    return exitCode;
}
