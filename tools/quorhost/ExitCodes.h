#pragma once
// quorhost's exit codes; --help lists them for scripts that call it.

namespace quorhost {

enum ExitCode {
    kExitOk = 0,            // every command ran, whatever xDevice returned
    kExitUsage = 2,         // bad option, command, argument or script file
    kExitModule = 3,        // the module cannot be loaded or is not a device module
    kExitSettings = 4,      // the settings file cannot be read or written
    kExitModuleCrashed = 5, // an unhandled exception, most likely inside xDevice
    kExitTimecode = 6,      // a goto or locate timecode that the deck's rate does not have
};

} // namespace quorhost
