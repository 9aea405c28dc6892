#include "tools/quorhost/Win32Error.h"

#include <cstdio>

namespace quorhost {

std::string Win32ErrorText(DWORD code)
{
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  sizeof text, nullptr);
    // Messages end in a line break and often a full stop; the callers add their own.
    while (length > 0 &&
           (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ' || text[length - 1] == '.'))
        text[--length] = '\0';
    // Without inserts, messages such as "%1 is not a valid Win32 application" keep the marker.
    std::string message(text, length);
    for (size_t at = message.find("%1"); at != std::string::npos; at = message.find("%1", at))
        message.replace(at, 2, "file");
    char number[32];
    std::snprintf(number, sizeof number, "error %lu", (unsigned long)code);
    return length ? message + " (" + number + ")" : std::string(number);
}

} // namespace quorhost
