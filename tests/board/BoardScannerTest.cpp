// The scanner lists the boards of the asked types in a fixed order, with
// names by board ID. Their audio lists have no reader in the module.
#include "board/BoardScanner.h"
#include "board/BoardTypes.h"
#include "support/RackFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Scanner : public RackTest {};

TEST_F(Scanner, ListsTypesTwoFourEightInOrderWithIndexedNames)
{
    sim::RackConfig config;
    config.boards = {Board(8, 0x10410), Board(2, 0x10440), Board(4, 0x10460), Board(2, 0x10412)};
    Configure(config);

    const uint32_t all = BOARDTYPE_QA | BOARDTYPE_QB | BOARDTYPE_QC;
    BoardScanner scanner(true, all);
    scanner.Scan(all); // a rescan replaces the list
    ASSERT_EQ(4, scanner.Count());
    const std::vector<BoardInfo>& boards = scanner.Boards();
    ASSERT_EQ(4u, boards.size());
    const struct {
        uint32_t type, index;
        int32_t id;
        const char* name;
    } expected[] = {
        {2, 0, 0x10440, "Quor HD 400 - 0"},
        {2, 1, 0x10412, "Quor SD 120 A - 1"},
        {4, 0, 0x10460, "Quor HD 600 - 0"},
        {8, 0, 0x10410, "Quor SD 100 - 0"},
    };
    for (size_t i = 0; i < boards.size(); ++i) {
        EXPECT_EQ(expected[i].type, boards[i].boardType) << i;
        EXPECT_EQ(expected[i].index, boards[i].boardIndex) << i;
        EXPECT_EQ(expected[i].id, boards[i].boardId) << i;
        EXPECT_STREQ(expected[i].name, boards[i].displayName) << i;
    }
    EXPECT_EQ(0, Rack().LiveDeviceHandles()) << "the probe holds nothing afterwards";
    EXPECT_EQ(0, Rack().LiveInfoSets());

    // Types outside the mask are not probed at all.
    scanner.Scan(BOARDTYPE_QC | 0x40);
    ASSERT_EQ(1, scanner.Count());
    EXPECT_EQ(8u, scanner.Boards()[0].boardType);

    Configure(sim::RackConfig{});
    scanner.Scan(all);
    EXPECT_EQ(0, scanner.Count());
    EXPECT_TRUE(scanner.Boards().empty());
    Rack().ClearLog();
    EXPECT_EQ(0, BoardScanner().Count());
    EXPECT_TRUE(Rack().Log().empty()) << "constructed without a scan, it probes nothing";
}

TEST_F(Scanner, UnreadableOrUnknownIdIsBoardNotFound)
{
    sim::RackConfig config;
    config.boards = {Board(4, 0x10440), Board(4, 0x7777)};
    Configure(config);
    sim::Fault fault;
    fault.propertyId = kPropertyRegister;
    fault.registerNumber = kRegisterBoardId;
    fault.board = 0;
    Rack().AddFault(fault);

    BoardScanner scanner(true, BOARDTYPE_QB);
    ASSERT_EQ(2, scanner.Count());
    EXPECT_STREQ("BOARD NOT FOUND - 0", scanner.Boards()[0].displayName);
    EXPECT_EQ(-1, scanner.Boards()[0].boardId);
    EXPECT_STREQ("BOARD NOT FOUND - 1", scanner.Boards()[1].displayName);
    EXPECT_EQ(0x7777, scanner.Boards()[1].boardId);
}

TEST_F(Scanner, ABoardThatWillNotOpenKeepsItsPlaceAndHidesNoOther)
{
    sim::RackConfig config;
    config.boards = {Board(4, 0x10440), Board(4, 0x10440)};
    Configure(config);
    sim::Fault fault;
    fault.call = sim::Call::CreateFile;
    fault.board = 0;
    Rack().AddFault(fault);

    BoardScanner scanner(true, BOARDTYPE_QB);
    ASSERT_EQ(2, scanner.Count());
    EXPECT_STREQ("BOARD NOT FOUND - 0", scanner.Boards()[0].displayName);
    EXPECT_EQ(1u, scanner.Boards()[1].boardIndex);
    EXPECT_EQ(0x10440, scanner.Boards()[1].boardId);
}

} // namespace
