#pragma once
// The board class: the Windows driver interface plus the bit-file and
// video-format operations. The deck controller derives from it.
#include "board/CBrixWinDriverInterface.h"

#include <cstdint>

// Video formats as the bit-file operations know them.
enum VideoFormat : uint32_t {
    kVideoFormatUnknown = 0,
    kVideoFormat525i = 1,
    kVideoFormat625i = 2,
    kVideoFormat720p = 3,
    kVideoFormat1080i = 4,
    kVideoFormat1080p = 5,
};

class CBrixBoard : public CBrixWinDriverInterface {
public:
    CBrixBoard();
    explicit CBrixBoard(const DriverApi& api);
    ~CBrixBoard() override;

    virtual bool OpenBoard(uint16_t boardNumber);
    // Loads the bit file the format needs on this board, if any.
    virtual bool SwitchBitfileForFormat(uint32_t videoFormat);
    // 0 when the board needs no particular bit file for the format.
    virtual uint32_t BitfileForFormat(uint32_t boardId, uint32_t videoFormat);
    // Orders formats by their active lines.
    virtual int32_t CompareFormats(uint32_t formatA, uint32_t formatB);
    virtual uint32_t GetFormatLines(uint32_t videoFormat);
};
