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
        {"line=deck", "line=deck"},
        {"count=9", "count=9"},
        {"flags=-1", "flags=-1"},
        {"type=4 colour=red", "colour"},
        {"type=4 rs422", "rs422"},
        {"type=4 TYPE=2", "type"},
        {"tape=maybe", "tape=maybe"},
        {"tcfmt=30", "tcfmt=30"},
        {"tc=00:01:00:00", "tc=00:01:00:00"},           // dropped in drop frame
        {"tc=00:00:00:24 tcfmt=24", "tc=00:00:00:24"},  // read against the later format
        {"tc=25:00:00:00 tcfmt=25", "tc=25:00:00:00"},
        {"tc=", "tc="},
        {"latency=1000.5", "latency=1000.5"},
        {"latency=-1", "latency=-1"},
        {"latency=1e3", "latency=1e3"},
        {"latency=.", "latency=."},
        {"garble=-1", "garble=-1"},
        {"unplug=soon", "unplug=soon"},
        {"devtype=0x10000", "devtype=0x10000"},
    };
    for (const auto& c : cases) {
        RackConfig config = sim::DefaultRackConfig();
        std::string error;
        EXPECT_FALSE(ParseRackConfig(c.text, &config, &error)) << c.text;
        EXPECT_NE(std::string::npos, error.find(c.named)) << c.text << " gave: " << error;
        EXPECT_EQ(1u, config.boards.size()) << c.text << ": output changed on error";
    }
}

TEST(RackConfig, DeckSettingsPerBoard)
{
    RackConfig config;
    std::string error;
    ASSERT_TRUE(ParseRackConfig("type=4; tc=00:01:00:00 tcfmt=30NDF tape=no remote=0 inhibit=yes latency=2.5"
                                " silent=yes nak=1 garble=3 truncate=0x4 overlong=5 random=7 unplug=250 devtype=0x2130 count=2;"
                                " latency=1000 tcfmt=25 tc=23:59:59.24",
                                &config, &error))
        << error;
    ASSERT_EQ(4u, config.boards.size());

    const sim::DeckSettings& plain = config.boards[0].deck;
    EXPECT_EQ(LineKind::Deck, config.boards[0].line) << "a deck is wired by default";
    EXPECT_TRUE(plain.tapeIn && plain.remote && !plain.recordInhibit && !plain.faults.silent);
    EXPECT_EQ(sim::TapeFormatId::Df30, plain.format);
    EXPECT_EQ(1u, plain.start.hours);
    EXPECT_LT(plain.faults.unplugAfterMs, 0) << "never unplugged";

    for (int i = 1; i <= 2; ++i) {
        const sim::DeckSettings& d = config.boards[i].deck;
        EXPECT_EQ(sim::TapeFormatId::Ndf30, d.format) << i;
        EXPECT_EQ(1u, d.start.minutes) << "a label dropped only in drop frame";
        EXPECT_FALSE(d.tapeIn || d.remote);
        EXPECT_TRUE(d.recordInhibit);
        EXPECT_DOUBLE_EQ(2.5, d.latencyMs);
        EXPECT_TRUE(d.faults.silent && d.faults.nakAll);
        EXPECT_EQ(3u, d.faults.garbleEvery);
        EXPECT_EQ(4u, d.faults.truncateEvery);
        EXPECT_EQ(5u, d.faults.overlongEvery);
        EXPECT_EQ(7u, d.faults.randomSeed);
        EXPECT_DOUBLE_EQ(250, d.faults.unplugAfterMs);
        EXPECT_EQ(0x2130, d.deviceType);
    }

    const sim::DeckSettings& last = config.boards[3].deck;
    EXPECT_DOUBLE_EQ(1000, last.latencyMs);
    EXPECT_EQ(sim::TapeFormatId::Fps25, last.format);
    EXPECT_EQ(24u, last.start.frames);
}
