#include "board/CBrixDriverInterface.h"

CBrixDriverInterface::CBrixDriverInterface() = default;

CBrixDriverInterface::~CBrixDriverInterface()
{
    CloseRemote();
}

bool CBrixDriverInterface::WriteRegister(uint32_t, uint32_t, uint32_t, uint32_t)
{
    return false;
}

bool CBrixDriverInterface::ReadRegister(uint32_t, uint32_t*, uint32_t, uint32_t)
{
    return false;
}

bool CBrixDriverInterface::ReservedSlot6(uint32_t first, uint32_t, uint32_t)
{
    return first == 0;
}

bool CBrixDriverInterface::WaitForInterrupt(uint32_t, uint32_t)
{
    return false;
}

bool CBrixDriverInterface::AutoCirculate(AutoCirculateCommand*)
{
    return false;
}

uint16_t CBrixDriverInterface::SleepMs(uint32_t)
{
    return 0;
}

bool CBrixDriverInterface::DriverGetBitFileInformation(uint32_t*, uint32_t)
{
    return false;
}

bool CBrixDriverInterface::ReservedSlot27(uint32_t, uint32_t)
{
    return false;
}

bool CBrixDriverInterface::DisplayError(const char*)
{
    return false;
}

bool CBrixDriverInterface::OpenRemote(uint16_t, bool, uint32_t, const char*)
{
    return false;
}

bool CBrixDriverInterface::CloseRemote()
{
    // No socket is ever opened, so there is nothing to shut; the fields are
    // reset so that no check ever mistakes them for a connection.
    remoteSocket_ = kNoSocket;
    remoteBoard_ = kNoRemoteBoard;
    hostName_.clear();
    return true;
}
