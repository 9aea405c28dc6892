#include "support/BuildPaths.h"

#include <cstdlib>

namespace {

// Wine maps the Unix root to drive Z.
std::string WindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string FromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? WindowsPath(value) : std::string();
}

} // namespace

std::string BinFolder()
{
    return FromEnvironment("QUOR_BIN");
}

std::string PeerBinFolder()
{
    return FromEnvironment("QUOR_PEER_BIN");
}

std::string WorkFolder()
{
    return FromEnvironment("QUOR_WORK");
}

std::string TestDataFolder()
{
    return FromEnvironment("QUOR_TEST_DATA");
}

std::string ProductionModule()
{
    return BinFolder() + "\\DeviceQuorSerial.prm";
}
