#pragma once
#include <windows.h>

#include <string>

namespace quorhost {

// "text of the error (error N)", or "error N" when the system has no text.
std::string Win32ErrorText(DWORD code);

} // namespace quorhost
