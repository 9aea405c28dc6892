#pragma once
// Finds the boards of the asked types by opening board 0, 1, 2 ... of each
// type until the driver lists no more, and lists what it finds; a listed
// board that will not open is listed as unknown.
#include "board/BoardInfo.h"
#include "board/CBrixBoard.h"

#include <cstdint>
#include <memory>
#include <vector>

class BoardScanner {
public:
    // With scanNow the types in typeMask are scanned at once.
    explicit BoardScanner(bool scanNow = false, uint32_t typeMask = 0);
    // Probes through another driver table (tests).
    BoardScanner(const DriverApi& api, bool scanNow, uint32_t typeMask);
    BoardScanner(const BoardScanner&) = delete;
    BoardScanner& operator=(const BoardScanner&) = delete;

    // Replaces the list with the boards of the types in typeMask, types 2, 4
    // and 8 in that order. An allocation failure is passed on with the list
    // left empty.
    void Scan(uint32_t typeMask);

    const std::vector<BoardInfo>& Boards() const { return boards_; }
    int32_t Count() const { return count_; }

private:
    // The probe holds nothing between scans; it closes each board itself.
    class ProbeBoard : public CBrixBoard {
    public:
        using CBrixBoard::CBrixBoard;
        ~ProbeBoard() override;
    };

    BoardInfo Describe(uint32_t boardType, uint32_t boardIndex);

    std::vector<BoardInfo> boards_;
    int32_t count_ = 0;
    std::unique_ptr<ProbeBoard> probe_;
};
