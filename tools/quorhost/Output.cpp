#include "tools/quorhost/Output.h"

#include <cstdio>

namespace quorhost {

void PrintLine(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void PrintDetail(const std::string& line)
{
    PrintLine("  " + line);
}

} // namespace quorhost
