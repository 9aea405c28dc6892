#include <gtest/gtest.h>

#include "sim/SimConfig.h"

using sim::BoardConfig;
using sim::LineKind;
using sim::ParseRackConfig;
using sim::RackConfig;

TEST(RackConfig, ValidForms)
{
    RackConfig config = sim::DefaultRackConfig();
    std::string error;
    for (const char* empty : {"", "  ", "none", " NONE "}) {
        config = sim::DefaultRackConfig();
        EXPECT_TRUE(ParseRackConfig(empty, &config, &error)) << empty;
        EXPECT_TRUE(config.boards.empty()) << "\"" << empty << "\" should give an empty rack";
    }

    ASSERT_TRUE(ParseRackConfig("type=2 id=0x10 rs422=no fb=7 aes=YES flags=0 line=loop;"
                                " TYPE=8,count=3 ; ;id=4096,Line=None,rs422=1;",
                                &config, &error))
        << error;
    ASSERT_EQ(5u, config.boards.size());
    const BoardConfig& a = config.boards[0];
    EXPECT_EQ(2u, a.type);
    EXPECT_EQ(0x10u, a.boardId);
    EXPECT_FALSE(a.rs422);
    EXPECT_EQ(7u, a.frameBufferFormat);
    EXPECT_TRUE(a.aesInput);
    EXPECT_EQ(0u, a.driverFlags);
    EXPECT_EQ(LineKind::Loopback, a.line);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(8u, config.boards[i].type) << "repeat " << i;
        EXPECT_EQ(0x10440u, config.boards[i].boardId) << "unset keys keep their defaults";
    }
    EXPECT_EQ(4u, config.boards[4].type);
    EXPECT_EQ(4096u, config.boards[4].boardId);
    EXPECT_EQ(LineKind::None, config.boards[4].line);

    ASSERT_TRUE(ParseRackConfig("id=0xFFFFFFFF flags=4294967295 count=8", &config, &error)) << error;
    EXPECT_EQ(8u, config.boards.size());
    EXPECT_EQ(0xFFFFFFFFu, config.boards[7].boardId);
    EXPECT_EQ(0xFFFFFFFFu, config.boards[7].driverFlags);
}

TEST(RackConfig, ErrorsNameTheOffendingItemAndLeaveTheConfigAlone)
{
    const struct {
        const char* text;
        const char* named;
    } cases[] = {
        {"type=3", "type=3"},
        {"type=4; type=16", "board 2"},
        {"id=0x100000000", "id=0x100000000"},
        {"id=12ab", "id=12ab"},
        {"fb=16", "fb=16"},
        {"rs422=maybe", "rs422=maybe"},
        {"line=vtr", "line=vtr"},
        {"count=9", "count=9"},
        {"flags=-1", "flags=-1"},
        {"type=4 colour=red", "colour"},
        {"type=4 rs422", "rs422"},
        {"type=4 TYPE=2", "type"},
    };
    for (const auto& c : cases) {
        RackConfig config = sim::DefaultRackConfig();
        std::string error;
        EXPECT_FALSE(ParseRackConfig(c.text, &config, &error)) << c.text;
        EXPECT_NE(std::string::npos, error.find(c.named)) << c.text << " gave: " << error;
        EXPECT_EQ(1u, config.boards.size()) << c.text << ": output changed on error";
    }
}
