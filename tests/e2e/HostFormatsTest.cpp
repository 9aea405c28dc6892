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

std::string CheckError(const std::vector<uint8_t>& list)
{
    PiplInfo info;
    std::string name, error;
    EXPECT_TRUE(ParsePipl(list.data(), list.size(), info, error)) << error;
    EXPECT_FALSE(CheckDevicePipl(info, name, error));
    return error;
}

} // namespace

TEST(PiplReader, ReadsADeviceControlList)
{
    PiplInfo info;
    std::string name, error;
    ASSERT_TRUE(ParsePipl(kDeviceList.data(), kDeviceList.size(), info, error)) << error;
    EXPECT_EQ(3u, info.properties.size());
    ASSERT_TRUE(CheckDevicePipl(info, name, error)) << error;
    EXPECT_EQ("Veltrix Serial Control", name);
    // The name's data keeps its length, not the padding.
    EXPECT_EQ(23u, info.Find(FourCC("8BIM"), FourCC("name"))->data.size());
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
