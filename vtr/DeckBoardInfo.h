#pragma once
// The deck controller's board record: which board and port it drives.
// Stored whole in every port's settings, so its layout is fixed.
#include <cstddef>
#include <cstdint>

constexpr uint32_t kDeckRecordTag = 115;

struct DeckBoardInfo {
    uint32_t tag;          // kDeckRecordTag
    char description[128]; // "Board: <port+1> Type: <display name>"
    uint32_t boardId;
    uint32_t boardType;
    uint32_t boardIndex; // device index within the board type
    uint32_t portIndex;  // 0 to 7
};

static_assert(sizeof(DeckBoardInfo) == 37 * 4, "37 words");
static_assert(offsetof(DeckBoardInfo, description) == 4, "board record layout");
static_assert(offsetof(DeckBoardInfo, boardId) == 132, "board record layout");
static_assert(offsetof(DeckBoardInfo, portIndex) == 144, "board record layout");
