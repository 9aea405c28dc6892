#pragma once
// quorhost's output: one line a call, and its indented detail lines. Each
// line is flushed at once, so that a crash in the module's next call
// cannot take it with it.
#include <string>

namespace quorhost {

void PrintLine(const std::string& line);
// A line under the current call's, indented by two blanks.
void PrintDetail(const std::string& line);

} // namespace quorhost
