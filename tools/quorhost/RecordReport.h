#pragma once
// How quorhost shows the device record after a call.
#include "host/DeviceRecord.h"

#include <string>

namespace quorhost {

// The meaning of a host mode number; "unknown" outside the table.
const char* ModeName(int mode);

// "mode 15 (offline or local), timecode 00:00:00:00 (frame 0), rate 30, drop-frame 0"
std::string DescribeRecord(const DeviceRecord& record);

// Text as a quoted string, with bytes outside printable ASCII escaped.
std::string QuotedText(const char* text, size_t length);

} // namespace quorhost
