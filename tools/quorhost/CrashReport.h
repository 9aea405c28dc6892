#pragma once
// Turns an unhandled exception (in practice a fault inside the module) into a
// line on stderr and exit code kExitModuleCrashed, instead of a debugger or a
// dialog that would hold up an unattended run.

namespace quorhost {

void InstallCrashReport();

// The command being run, named in the report; the text must outlive the call.
void SetCrashContext(const char* command);

} // namespace quorhost
