#include "board/CBrixBoard.h"

#include "board/BoardModels.h"
#include "board/BoardTypes.h"

CBrixBoard::CBrixBoard()
{
    isOpen_ = 0;
}

CBrixBoard::CBrixBoard(const DriverApi& api) : CBrixWinDriverInterface(api)
{
    isOpen_ = 0;
}

CBrixBoard::~CBrixBoard()
{
    if (IsOpen())
        Close();
}

bool CBrixBoard::OpenBoard(uint16_t boardNumber)
{
    return Open(boardNumber, false, 0, nullptr);
}

bool CBrixBoard::SwitchBitfileForFormat(uint32_t videoFormat)
{
    const uint32_t bitfile = BitfileForFormat(boardId_, videoFormat);
    if (bitfile == 0)
        return true;
    return WriteRegister(kRegisterBitFileLoad, bitfile, 0xFFFFFFFF, 0);
}

uint32_t CBrixBoard::BitfileForFormat(uint32_t boardId, uint32_t videoFormat)
{
    // Boards that carry both standard and high definition load one design
    // for each; the others have a single design.
    const BoardCapabilities caps = CapabilitiesForBoard(static_cast<int32_t>(boardId));
    if (!caps.flags[kCapHighDefinition] || GetFormatLines(videoFormat) == 0)
        return 0;
    return GetFormatLines(videoFormat) > 576 ? 2 : 1;
}

int32_t CBrixBoard::CompareFormats(uint32_t formatA, uint32_t formatB)
{
    return static_cast<int32_t>(GetFormatLines(formatA)) - static_cast<int32_t>(GetFormatLines(formatB));
}

uint32_t CBrixBoard::GetFormatLines(uint32_t videoFormat)
{
    switch (videoFormat) {
    case kVideoFormat525i:
        return 486;
    case kVideoFormat625i:
        return 576;
    case kVideoFormat720p:
        return 720;
    case kVideoFormat1080i:
    case kVideoFormat1080p:
        return 1080;
    default:
        return 0;
    }
}
