#pragma once

namespace quorhost {

// The --help text: options, commands, settings file and exit codes.
const char* UsageText();

} // namespace quorhost
