#pragma once
// How quorhost shows the device record after a call.
#include "editor/DeviceRecord.h"

#include <string>

namespace quorhost {

// The meaning of a host mode number; "unknown" outside the table.
const char* ModeName(int mode);

// "01;00;00;00 (frame 107892)" at the record's rate and drop-frame flag;
// "--:--:--:--" stands for the label when the rate is none of 24, 25, 30.
std::string DescribeFrame(int32_t frame, const DeviceRecord& record);

// "mode 15 (offline or local), timecode 00:00:00:00 (frame 0), rate 30, drop-frame 0"
std::string DescribeRecord(const DeviceRecord& record);

// Text as a quoted string, with bytes outside printable ASCII escaped.
std::string QuotedText(const char* text, size_t length);

} // namespace quorhost
