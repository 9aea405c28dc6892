#pragma once
// Export to Tape from the editor's side: command 10 with the program's
// length, the module's settings dialog driven by the command's actions,
// then the print: polling the module's callback while the host's message
// loop runs its status dialog, the playout from the "PPro Quor Print"
// signal, the end (callback phase 3 and command 10) or the abort (command
// 10 while the export runs), and finally what the tape holds.
#include "tools/quorhost/Commands.h"
#include "tools/quorhost/DeviceModule.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace quorhost {

class ExportRun {
public:
    static constexpr const char* kPrintEventName = "PPro Quor Print";
    // Between two polls of the callback; the host's messages are handled
    // all the while.
    static constexpr DWORD kPollMs = 25;

    // `exportCall` makes one command 10 through the host's entry.
    ExportRun(XDeviceFn entry, std::function<int16_t()> exportCall);

    // Prints a line per step; returns the summary for the command's line.
    std::string Run(const HostCommand& command);

private:
    XDeviceFn entry_;
    std::function<int16_t()> exportCall_;
};

} // namespace quorhost
