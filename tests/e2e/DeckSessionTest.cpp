// quorhost with the simulation module driving the virtual deck, as an
// editor would across runs and alongside another editor.
#include "e2e/QuorhostRun.h"
#include "port/PersistedSettings.h"
#include "support/ChosenSettings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <thread>

namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::string LineOf(const ProcessResult& r, const std::string& command)
{
    return LineStarting(r.out, command + ":");
}

PersistedSettings ReadSettings(const std::string& path)
{
    PersistedSettings block = {};
    std::vector<uint8_t> bytes;
    if (ReadBytes(path, bytes) && bytes.size() == sizeof block)
        std::memcpy(&block, bytes.data(), sizeof block);
    else
        ADD_FAILURE() << path << " holds no settings block";
    return block;
}

void WriteSettings(const std::string& path, const PersistedSettings& block)
{
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&block);
    ASSERT_TRUE(WriteBytes(path, std::vector<uint8_t>(bytes, bytes + sizeof block)));
}

} // namespace

TEST(DeckSession, SecondEditorSeesTheDeckOfflineUntilTheFirstReleasesIt)
{
    const std::string folderA = ScratchFolder("session-first");
    const std::string folderB = ScratchFolder("session-second");
    ProcessResult first;
    std::thread holder([&] {
        first = RunQuorhost({"--sim", "init", "status", "sleep 3000", "release", "sleep 4000", "cleanup"}, folderA);
    });
    Sleep(1200);
    const ProcessResult second =
        RunQuorhost({"--sim", "init", "status", "sleep 4000", "status", "play", "cleanup"}, folderB);
    holder.join();

    ASSERT_EQ(0u, first.exitCode) << first.err;
    ASSERT_EQ(0u, second.exitCode) << second.err;
    EXPECT_TRUE(Contains(LineOf(first, "init"), "mode 0 (stopped)")) << first.out;
    const std::vector<std::string> lines = Lines(second.out);
    ASSERT_GE(lines.size(), 7u) << second.out;
    EXPECT_TRUE(Contains(lines[2], "init: result 0, mode 15")) << second.out;
    EXPECT_TRUE(Contains(lines[3], "status: result 0, mode 15")) << second.out;
    EXPECT_TRUE(Contains(lines[5], "status: result 0, mode 0 (stopped), timecode 01;00;00;00")) << second.out;
    EXPECT_TRUE(Contains(lines[6], "deck mode 1 (play)")) << second.out;
}

TEST(DeckSession, SettingsSurviveRuns)
{
    const std::string folder = ScratchFolder("session-settings");
    const std::string file = folder + "\\settings.bin";
    ProcessResult r = RunQuorhost({"--sim", "--settings", file, "init", "cleanup"}, folder);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    const PersistedSettings defaults = ReadSettings(file);
    ASSERT_EQ(kSettingsMark, defaults.mark);

    PersistedSettings chosen = defaults;
    ChooseSettings(chosen.ports[0], 1, 4, -3, 2);
    WriteSettings(file, chosen);
    for (int run = 0; run < 2; ++run) {
        r = RunQuorhost({"--sim", "--settings", file, "restart", "status", "cleanup"}, folder);
        ASSERT_EQ(0u, r.exitCode) << r.err;
        EXPECT_TRUE(Contains(LineOf(r, "status"), "rate 25, drop-frame 0")) << r.out;
        const PersistedSettings kept = ReadSettings(file);
        EXPECT_EQ(0, std::memcmp(&chosen, &kept, sizeof kept)) << "run " << run;
    }
}

// Blocks that the 32-bit and the 64-bit module wrote after the options
// dialog below, kept as the editor kept them: an editor may load either
// module with what the other left.
const char* const kBlocksOfEachTarget[] = {"settings-written-by-x86.bin", "settings-written-by-x64.bin"};

TEST(DeckSession, BlocksWrittenByEitherTargetAreTakenAsWritten)
{
    const std::string folder = ScratchFolder("session-either-target");
    const std::string file = folder + "\\settings.bin";
    for (const char* name : kBlocksOfEachTarget) {
        const PersistedSettings written = ReadSettings(TestDataFolder() + "\\" + name);
        WriteSettings(file, written);
        const ProcessResult r = RunQuorhost({"--sim", "--settings", file, "restart", "status", "cleanup"}, folder);
        ASSERT_EQ(0u, r.exitCode) << r.err;
        EXPECT_TRUE(Contains(LineOf(r, "status"), "rate 25, drop-frame 0")) << name << "\n" << r.out;
        const PersistedSettings kept = ReadSettings(file);
        EXPECT_EQ(0, std::memcmp(&written, &kept, sizeof kept)) << name << " fell back to defaults";
    }
}

TEST(DeckSession, OptionsDialogChoicesReachTheEditorsSettings)
{
    const std::string folder = ScratchFolder("session-setup");
    const std::string file = folder + "\\settings.bin";
    const ProcessResult r = RunQuorhost(
        {"--sim", "--settings", file, "init", "setup choose=1052:1 choose=1062:1 press=1305", "status", "cleanup"},
        folder);
    ASSERT_EQ(0u, r.exitCode) << r.err;
    EXPECT_TRUE(Contains(r.out, "dialog: choose 1052 row 1")) << r.out;
    EXPECT_TRUE(Contains(LineOf(r, "status"), "rate 25, drop-frame 0")) << r.out;
    const PersistedSettings kept = ReadSettings(file);
    EXPECT_EQ(1u, kept.ports[0].timecode.formatIndex);
    EXPECT_EQ(1u, kept.ports[0].timecode.sourceIndex);
    for (const char* name : kBlocksOfEachTarget) {
        const PersistedSettings other = ReadSettings(TestDataFolder() + "\\" + name);
        EXPECT_EQ(0, std::memcmp(&other, &kept, sizeof kept)) << "not the bytes of " << name;
    }
}
