// The stand-in's own parsing and formatting, as plain functions.
#include "tools/quorhost/Commands.h"
#include "tools/quorhost/HostTimecode.h"
#include "tools/quorhost/PiplReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace quorhost;

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

struct Prop {
    const char* key;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> BuildPipl(const std::vector<Prop>& props)
{
    std::vector<uint8_t> out = {1, 0};
    PutU32(out, 0);
    PutU32(out, uint32_t(props.size()));
    for (const Prop& p : props) {
        PutU32(out, FourCC("8BIM"));
        PutU32(out, FourCC({p.key[0], p.key[1], p.key[2], p.key[3], 0}));
        PutU32(out, 0);
        PutU32(out, uint32_t(p.data.size()));
        out.insert(out.end(), p.data.begin(), p.data.end());
        while (out.size() % 4 != 2)  // the 10-byte header leaves lists 2 off a multiple of 4
            out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> Code(const char (&code)[5])
{
    std::vector<uint8_t> out;
    PutU32(out, FourCC(code));
    return out;
}

std::vector<uint8_t> PascalName(const std::string& name)
{
    std::vector<uint8_t> out(name.size() + 1, uint8_t(name.size()));
    std::copy(name.begin(), name.end(), out.begin() + 1);
    return out;
}

const std::vector<uint8_t> kDeviceList =
    BuildPipl({{"kind", Code("DevC")}, {"name", PascalName("Veltrix Serial Control")}, {"eSVR", {3, 0, 0, 0}}});

std::string CheckError(const std::vector<uint8_t>& list, uint32_t codeKey = 0)
{
    PiplInfo info;
    std::string name, entry, error;
    EXPECT_TRUE(ParsePipl(list.data(), list.size(), info, error)) << error;
    EXPECT_FALSE(CheckDevicePipl(info, codeKey, name, entry, error));
    return error;
}

} // namespace

TEST(PiplReader, ReadsADeviceControlList)
{
    PiplInfo info;
    std::string name, error;
    ASSERT_TRUE(ParsePipl(kDeviceList.data(), kDeviceList.size(), info, error)) << error;
    EXPECT_EQ(3u, info.properties.size());
    std::string entry;
    ASSERT_TRUE(CheckDevicePipl(info, 0, name, entry, error)) << error;
    EXPECT_EQ("Veltrix Serial Control", name);
    EXPECT_EQ("xDevice", entry) << "a list without a code entry";
    // The name's data keeps its length, not the padding.
    EXPECT_EQ(23u, info.Find(FourCC("8BIM"), FourCC("name"))->data.size());

    // A 64-bit host enters the module where its code entry says.
    const std::vector<uint8_t> with64 = BuildPipl({{"kind", Code("DevC")}, {"name", PascalName("x")},
                                                   {"8664", {'E', 'n', 't', 'r', 'y', 0, 0, 0}}});
    ASSERT_TRUE(ParsePipl(with64.data(), with64.size(), info, error)) << error;
    ASSERT_TRUE(CheckDevicePipl(info, FourCC("8664"), name, entry, error)) << error;
    EXPECT_EQ("Entry", entry);
}

TEST(PiplReader, RefusesEveryTruncation)
{
    for (size_t size = 0; size < kDeviceList.size(); ++size) {
        // An exact-size copy, so that a read past `size` is a read past the block.
        std::vector<uint8_t> cut(kDeviceList.begin(), kDeviceList.begin() + size);
        PiplInfo info;
        std::string error;
        EXPECT_FALSE(ParsePipl(cut.empty() ? nullptr : cut.data(), size, info, error)) << "size " << size;
        EXPECT_FALSE(error.empty());
    }
}

TEST(PiplReader, RefusesImpossibleHeaders)
{
    auto refused = [](std::vector<uint8_t> list, size_t at, uint32_t value) {
        std::memcpy(list.data() + at, &value, 4);
        PiplInfo info;
        std::string error;
        return !ParsePipl(list.data(), list.size(), info, error);
    };
    std::vector<uint8_t> badWord = kDeviceList;
    badWord[0] = 2;
    PiplInfo info;
    std::string error;
    EXPECT_FALSE(ParsePipl(badWord.data(), badWord.size(), info, error));
    EXPECT_TRUE(refused(kDeviceList, 2, 1)) << "version 1";
    EXPECT_TRUE(refused(kDeviceList, 6, 0x40000000)) << "huge count";
    EXPECT_TRUE(refused(kDeviceList, 6, 4)) << "one property too many";
    // Lengths whose padding would wrap a 32-bit sum.
    EXPECT_TRUE(refused(kDeviceList, 10 + 12, 0xFFFFFFFF));
    EXPECT_TRUE(refused(kDeviceList, 10 + 12, 0xFFFFFFFD));
}

TEST(PiplReader, CheckNamesWhatIsWrong)
{
    EXPECT_NE(std::string::npos, CheckError(BuildPipl({{"kind", Code("Filt")}, {"name", PascalName("x")}}))
                                     .find("'Filt'"));
    EXPECT_NE(std::string::npos, CheckError(BuildPipl({{"name", PascalName("x")}})).find("'kind'"));
    EXPECT_NE(std::string::npos, CheckError(BuildPipl({{"kind", Code("DevC")}})).find("'name'"));
    // A length byte that claims more than the data holds.
    EXPECT_NE(std::string::npos,
              CheckError(BuildPipl({{"kind", Code("DevC")}, {"name", {30, 'a', 'b'}}})).find("'name'"));
    // A 64-bit host needs the code entry, named and terminated.
    EXPECT_NE(std::string::npos,
              CheckError(kDeviceList, FourCC("8664")).find("no code entry '8664'"));
    EXPECT_NE(std::string::npos,
              CheckError(BuildPipl({{"kind", Code("DevC")}, {"name", PascalName("x")}, {"8664", {'x', 'D'}}}),
                         FourCC("8664"))
                  .find("no zero-terminated entry name"));
}

TEST(HostTimecode, NonDropFrameAtEachRate)
{
    EXPECT_EQ("00:00:00:00", FormatTimecode(0, 30, false));
    EXPECT_EQ("00:00:00:29", FormatTimecode(29, 30, false));
    EXPECT_EQ("00:00:01:00", FormatTimecode(30, 30, false));
    EXPECT_EQ("01:00:00:00", FormatTimecode(108000, 30, false));
    EXPECT_EQ("01:00:00:00", FormatTimecode(90000, 25, false));
    EXPECT_EQ("00:59:59:23", FormatTimecode(86399, 24, false));
    // Drop frame exists only at 30.
    EXPECT_EQ("00:01:00:00", FormatTimecode(1500, 25, true));
    EXPECT_EQ("-00:00:00:01", FormatTimecode(-1, 30, false));
    EXPECT_EQ("-24855:08:05:08", FormatTimecode(INT32_MIN, 24, false));
    EXPECT_EQ("", FormatTimecode(100, 0, false));
    EXPECT_EQ("", FormatTimecode(100, 60, false));
}

TEST(HostTimecode, DropFrameSkipsTwoLabelsAtMinutesNotDivisibleByTen)
{
    EXPECT_EQ("00;00;59;29", FormatTimecode(1799, 30, true));
    EXPECT_EQ("00;01;00;02", FormatTimecode(1800, 30, true));
    EXPECT_EQ("00;09;59;29", FormatTimecode(17981, 30, true));
    EXPECT_EQ("00;10;00;00", FormatTimecode(17982, 30, true));
    EXPECT_EQ("01;00;00;00", FormatTimecode(107892, 30, true));
    EXPECT_EQ("-00;01;00;02", FormatTimecode(-1800, 30, true));

    // Over two hours every label follows the previous one, jumping only
    // over ;00 and ;01 where a dropping minute starts.
    long previous = -1;
    for (int32_t frame = 0; frame <= 2 * 107892; ++frame) {
        const std::string text = FormatTimecode(frame, 30, true);
        int hh = 0, mm = 0, ss = 0, ff = 0;
        ASSERT_EQ(4, std::sscanf(text.c_str(), "%d;%d;%d;%d", &hh, &mm, &ss, &ff)) << text;
        const long label = ((hh * 60L + mm) * 60 + ss) * 30 + ff;
        const bool dropped = ss == 0 && ff == 2 && mm % 10 != 0;
        if (frame > 0) {
            ASSERT_EQ(dropped ? 3 : 1, label - previous) << "frame " << frame << " " << text;
        }
        previous = label;
    }
}

TEST(HostTimecode, TextToFramesIsTheInverseOfFormat)
{
    struct Rate {
        int rate;
        bool drop;
        int32_t framesPerDay;
    };
    const Rate rates[] = {{24, false, 24 * 86400}, {25, false, 25 * 86400}, {30, false, 30 * 86400},
                          {30, true, 144 * 17982}};
    for (const Rate& r : rates) {
        SCOPED_TRACE(std::to_string(r.rate) + (r.drop ? " drop" : ""));
        auto roundTrip = [&](int32_t frame) {
            const std::string text = FormatTimecode(frame, r.rate, r.drop);
            int32_t back = -1;
            std::string error;
            ASSERT_TRUE(ParseTimecode(text, r.rate, r.drop, back, error)) << text << ": " << error;
            ASSERT_EQ(frame, back) << text;
        };
        // Every frame across the first ten-minute block into the next, then the day sparsely.
        for (int32_t frame = 0; frame < 11 * 60 * 30; ++frame)
            roundTrip(frame);
        for (int32_t frame = 0; frame < r.framesPerDay; frame += 997)
            roundTrip(frame);
        roundTrip(r.framesPerDay - 1);

        // From the text side: every label of the last hour has a frame
        // exactly when the rate has it, and that frame prints as the label.
        const char sep = r.drop ? ';' : ':';
        for (int mm = 0; mm < 60; ++mm)
            for (int ss = 0; ss < 60; ++ss)
                for (int ff = 0; ff < 30; ++ff) {
                    char text[16];
                    std::snprintf(text, sizeof text, "23%c%02d%c%02d%c%02d", sep, mm, sep, ss, sep, ff);
                    const bool exists = ff < r.rate && !(r.drop && ss == 0 && ff < 2 && mm % 10 != 0);
                    int32_t frames = -1;
                    std::string error;
                    ASSERT_EQ(exists, ParseTimecode(text, r.rate, r.drop, frames, error)) << text;
                    if (exists) {
                        ASSERT_EQ(text, FormatTimecode(frames, r.rate, r.drop));
                    } else {
                        ASSERT_FALSE(error.empty()) << text;
                    }
                }
    }
}

TEST(HostTimecode, TextToFramesRefusesWhatIsNoLabel)
{
    TimecodeLabel label;
    std::string error;
    for (const char* bad : {"", "1:00:00:00", "01:00:00", "01:00:00:00:00", "01-00-00-00", "0a:00:00:00",
                            " 01:00:00:0", "24:00:00:00", "00:60:00:00", "00:00:60:00", "00:00:00:30"}) {
        error.clear();
        EXPECT_FALSE(ParseTimecodeLabel(bad, label, error)) << bad;
        EXPECT_NE(std::string::npos, error.find(bad)) << error;
    }
    int32_t frames = -1;
    EXPECT_TRUE(ParseTimecode("01.00;00:10", 30, false, frames, error)) << "separators mix";
    EXPECT_EQ(108010, frames);
    // No rate reported yet counts as 30; drop frame exists only at 30.
    EXPECT_TRUE(ParseTimecode("00:00:00:29", 0, false, frames, error));
    EXPECT_TRUE(ParseTimecode("00:01:00:00", 25, true, frames, error));
    EXPECT_EQ(1500, frames);
    EXPECT_FALSE(ParseTimecode("00:00:00:24", 24, false, frames, error));
    EXPECT_NE(std::string::npos, error.find("24 fps")) << error;
    EXPECT_FALSE(ParseTimecode("01:23:00:01", 30, true, frames, error));
    EXPECT_NE(std::string::npos, error.find("01;23;00;02")) << "names where the minute starts: " << error;
}

TEST(Commands, ParsesDeckCommands)
{
    std::vector<HostCommand> commands;
    std::string error;
    ASSERT_TRUE(ParseCommandWords({"play", "stop", "still", "ff", "rew", "step", "1", "step", "-1", "mode", "0x11",
                                   "shuttle", "-100", "eject", "goto", "01;00;00;00", "locate", "00:10:00:29",
                                   "--preroll", "150", "locate", "00:00:00:01", "watch", "5", "watch", "status"},
                                  commands, error))
        << error;
    struct Expected {
        const char* text;
        CommandKind kind;
        int32_t code;
        bool setMode;
        int16_t mode;
    };
    const Expected expected[] = {
        {"play", CommandKind::Deck, 2, true, 1},       {"stop", CommandKind::Deck, 2, true, 0},
        {"still", CommandKind::Deck, 2, true, 4},      {"ff", CommandKind::Deck, 2, true, 5},
        {"rew", CommandKind::Deck, 2, true, 6},        {"step +1", CommandKind::Deck, 2, true, 9},
        {"step -1", CommandKind::Deck, 2, true, 10},   {"mode 17", CommandKind::Deck, 2, true, 17},
        {"shuttle -100", CommandKind::Deck, 5, true, -100}, {"eject", CommandKind::Deck, 8, false, 0},
        {"goto 01;00;00;00", CommandKind::Goto, 0, false, 0},
        {"locate 00:10:00:29 --preroll 150", CommandKind::Locate, 0, false, 0},
        {"locate 00:00:00:01", CommandKind::Locate, 0, false, 0},
        {"watch 5", CommandKind::Watch, 5, false, 0},  {"watch", CommandKind::Watch, 0, false, 0},
        {"status", CommandKind::Status, 0, false, 0},
    };
    ASSERT_EQ(sizeof expected / sizeof expected[0], commands.size());
    for (size_t i = 0; i < commands.size(); ++i) {
        const HostCommand& c = commands[i];
        EXPECT_EQ(expected[i].text, c.text);
        EXPECT_TRUE(expected[i].kind == c.kind) << c.text;
        EXPECT_EQ(expected[i].code, c.number) << c.text;
        EXPECT_EQ(expected[i].setMode, c.setMode) << c.text;
        EXPECT_EQ(expected[i].mode, c.mode) << c.text;
    }
    EXPECT_EQ(10, commands[11].target.minutes);
    EXPECT_EQ(29, commands[11].target.frames);
    EXPECT_EQ(150, commands[11].preroll);
    EXPECT_EQ(0, commands[12].preroll);
}

TEST(Commands, RefusesBadDeckArgumentsNamingThem)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"step"}, "'step'"},
        {{"step", "2"}, "'2'"},
        {{"step", "+2"}, "'+2'"},
        {{"mode", "70000"}, "'70000'"},
        {{"shuttle"}, "'shuttle'"},
        {{"shuttle", "-32769"}, "'-32769'"},
        {{"shuttle", "fast"}, "'fast'"},
        {{"play", "1"}, "'1'"},
        {{"goto"}, "'goto'"},
        {{"goto", "1:00:00:00"}, "'1:00:00:00'"},
        {{"locate", "25:00:00:00"}, "'25:00:00:00'"},
        {{"locate", "01:00:00:00", "--preroll"}, "'locate --preroll'"},
        {{"locate", "01:00:00:00", "--preroll", "32768"}, "'32768'"},
        {{"locate", "01:00:00:00", "--preroll", "-1"}, "'-1'"},
        {{"watch", "0"}, "'0'"},
        {{"watch", "-3"}, "'-3'"},
    };
    for (const auto& b : bad) {
        std::vector<HostCommand> commands;
        std::string error;
        EXPECT_FALSE(ParseCommandWords(b.first, commands, error)) << b.first[0] << " ...";
        EXPECT_NE(std::string::npos, error.find(b.second)) << error << " does not name " << b.second;
    }
}

TEST(Commands, ParsesCommandsWithTheirArguments)
{
    std::vector<HostCommand> commands;
    std::string error;
    ASSERT_TRUE(ParseCommandWords({"init", "execute", "4", "frames=-1800", "preroll=0x1E", "status", "selector",
                                   "-1", "sleep", "0", "execute", "2"},
                                  commands, error))
        << error;
    ASSERT_EQ(6u, commands.size());
    EXPECT_EQ(CommandKind::Execute, commands[1].kind);
    EXPECT_EQ(4, commands[1].number);
    EXPECT_TRUE(commands[1].setFrames && commands[1].setPreroll && !commands[1].setMode);
    EXPECT_EQ(-1800, commands[1].frames);
    EXPECT_EQ(30, commands[1].preroll);
    EXPECT_EQ("execute 4 frames=-1800 preroll=30", commands[1].text);
    EXPECT_EQ(-1, commands[3].number);
    EXPECT_EQ("execute 2", commands[5].text);
}

TEST(Commands, RefusesBadArguments)
{
    const std::vector<std::vector<std::string>> bad = {
        {"execute"}, {"execute", "32768"}, {"execute", "2", "mode=-32769"}, {"execute", "2", "mode="},
        {"execute", "2", "mode=1", "mode=2"}, {"execute", "2", "frames=2147483648"}, {"execute", "0x"},
        {"execute", "2", "speed=1"}, {"selector"}, {"selector", "1.5"}, {"sleep", "-1"}, {"init", "2"},
        {"mode=1"}, {"INIT"},
    };
    for (const auto& words : bad) {
        std::vector<HostCommand> commands;
        std::string error;
        EXPECT_FALSE(ParseCommandWords(words, commands, error)) << words[0] << " ...";
        EXPECT_FALSE(error.empty());
    }
    std::vector<HostCommand> commands;
    std::string error;
    EXPECT_TRUE(ParseCommandWords({"execute", "2", "frames=-2147483648"}, commands, error)) << error;
}

TEST(Commands, DialogActionsFollowCallsAndKeepTheirOrder)
{
    std::vector<HostCommand> commands;
    std::string error;
    ASSERT_TRUE(ParseCommandWords({"setup", "press=0x41C", "choose=1052:4", "type=-45:;", "wait=500", "type=",
                                   "execute", "10", "press=1", "mode=1", "selector", "1", "press=2", "init"},
                                  commands, error))
        << error;
    ASSERT_EQ(4u, commands.size());
    EXPECT_EQ("setup press=1052 choose=1052:4 type=-45:; wait=500 type=", commands[0].text);
    const std::vector<DialogAction>& actions = commands[0].dialog;
    ASSERT_EQ(5u, actions.size());
    EXPECT_TRUE(actions[0].kind == DialogActionKind::Press && actions[0].control == 1052);
    EXPECT_TRUE(actions[1].kind == DialogActionKind::Choose && actions[1].control == 1052 && actions[1].row == 4);
    EXPECT_TRUE(actions[2].kind == DialogActionKind::Type && actions[2].text == "-45:;");
    EXPECT_TRUE(actions[3].kind == DialogActionKind::Wait && actions[3].milliseconds == 500);
    EXPECT_TRUE(actions[4].kind == DialogActionKind::Type && actions[4].text.empty());
    // Record values and actions mix after execute; the text puts values first.
    EXPECT_EQ("execute 10 mode=1 press=1", commands[1].text);
    EXPECT_TRUE(commands[1].setMode);
    EXPECT_EQ(1u, commands[1].dialog.size());
    EXPECT_EQ("selector 1 press=2", commands[2].text);
    EXPECT_TRUE(commands[3].dialog.empty());
}

TEST(Commands, RefusesBadDialogActionsNamingThem)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"setup", "press=x"}, "'x'"},
        {{"setup", "press="}, "'press='"},
        {{"setup", "press=65536"}, "'65536'"},
        {{"setup", "choose=5"}, "'choose=5'"},
        {{"setup", "choose=5:"}, "''"},
        {{"setup", "choose=:1"}, "''"},
        {{"setup", "choose=5:-1"}, "'-1'"},
        {{"setup", "type=12a"}, "'type=12a'"},
        {{"setup", "wait=-1"}, "'-1'"},
        {{"setup", "foo=1"}, "'foo'"},
        {{"setup", "mode=1"}, "'mode'"},
        {{"status", "press=1"}, "'press=1'"},
    };
    for (const auto& b : bad) {
        std::vector<HostCommand> commands;
        std::string error;
        EXPECT_FALSE(ParseCommandWords(b.first, commands, error)) << b.first[1];
        EXPECT_NE(std::string::npos, error.find(b.second)) << error << " does not name " << b.second;
    }
}

TEST(Commands, ScriptSkipsCommentsAndNamesTheBadLine)
{
    std::vector<HostCommand> commands;
    std::string error;
    ASSERT_TRUE(ParseScript("# set up\n\n  init\n\texecute 2 mode=1\n   # done\nstatus", commands, error)) << error;
    ASSERT_EQ(3u, commands.size());
    EXPECT_EQ("execute 2 mode=1", commands[1].text);

    commands.clear();
    EXPECT_FALSE(ParseScript("init\nstatus\nfeatures name\n", commands, error));
    EXPECT_NE(std::string::npos, error.find("line 3")) << error;
    EXPECT_FALSE(ParseScript("init\n\nexecute x\n", commands, error));
    EXPECT_NE(std::string::npos, error.find("line 3")) << error;
}
