// The editor's settings block, damaged in every way a stored block can be,
// through Restart and ApplyPersistedSettings against a rack with decks: the
// module keeps working and what it keeps and hands back is trusted.
#include "editor/DeckReport.h"
#include "port/DeviceControlPort.h"
#include "editor/DeviceControlSetup.h"
#include "port/ModuleGlobals.h"
#include "editor/PluginController.h"
#include "support/EditorFixture.h"
#include "support/ChosenSettings.h"

#include <cstring>
#include <random>
#include <string>

namespace {

constexpr int kPorts = 2;
constexpr int32_t kSlack = 64;  // the editor's handle may be larger than the block
constexpr uint8_t kGuard = 0xA5;

class SettingsFuzz : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ConfigureDecks(sim::DeckSettings{}, kPorts);
    }

    // A block the module itself made, with every choice moved off its default.
    PersistedSettings RealBlock()
    {
        EXPECT_EQ(0, Call(kSelectorInitialise));
        PersistedSettings block;
        std::memcpy(&block, *record.settings, sizeof block);
        Call(kSelectorCleanup);
        block.selectedPort = 1;
        block.embeddedTcCapture = 1;
        for (int slot = 0; slot < kPorts; ++slot)
            ChooseSettings(block.ports[slot], 1, 7, -3, 11);
        return block;
    }

    // Why a block is not what the module may keep or hand back; empty when it is.
    static std::string Untrusted(const PersistedSettings& b)
    {
        if (b.mark != kSettingsMark)
            return "mark";
        if (b.selectedPort < 0 || b.selectedPort >= kPorts)
            return "selected port " + std::to_string(b.selectedPort);
        if (b.embeddedTcCapture > 1)
            return "embedded capture flag";
        for (int slot = 0; slot < kMaxPorts; ++slot) {
            static const PortSettings empty = {};
            DeviceControlPort* port = gController->ports[slot];
            if (port ? !port->AcceptsSettings(b.ports[slot])
                     : std::memcmp(&empty, &b.ports[slot], sizeof empty) != 0)
                return "slot " + std::to_string(slot);
        }
        return "";
    }

    static std::string PortsUntrusted()
    {
        for (int slot = 0; slot < kPorts; ++slot) {
            PortSettings loaded;
            gController->ports[slot]->CopySettingsOut(&loaded);
            if (!gController->ports[slot]->AcceptsSettings(loaded))
                return "port " + std::to_string(slot) + " runs on settings it would refuse";
        }
        return "";
    }
};

// One damage to a real block, as a stored block meets it: noise, a word
// set to a value some field must not take, a version mark, or a tail lost.
void Damage(PersistedSettings* block, std::mt19937& random)
{
    auto* bytes = reinterpret_cast<uint8_t*>(block);
    const size_t size = sizeof *block;
    static const uint32_t kWords[] = {0, 1, 2, 7, 8, 15, 16, 31, 120, 121, 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF,
                                      0xFFFFFFE1, kDeckRecordTag, 0x61, kSettingsMark, kPreviousSettingsMark};
    switch (random() % 6) {
    case 0:
        for (unsigned n = 1 + random() % 8; n > 0; --n)
            bytes[random() % size] ^= static_cast<uint8_t>(1 + random() % 255);
        break;
    case 1:
    case 2: {
        const uint32_t word = kWords[random() % (sizeof kWords / sizeof kWords[0])];
        std::memcpy(bytes + 4 * (random() % (size / 4)), &word, 4);
        break;
    }
    case 3: {
        // The block as an older module wrote it.
        block->mark = kPreviousSettingsMark;
        for (PortSettings& p : block->ports)
            if (p.mark != 0)
                p.board.tag = p.timecode.tag = 0x61;
        break;
    }
    case 4: {
        const size_t kept = random() % size;
        const uint8_t fill = random() % 2 ? 0 : static_cast<uint8_t>(random());
        std::memset(bytes + kept, fill, size - kept);
        break;
    }
    default: {
        // A description with no terminator, or another board's.
        PortSettings& p = block->ports[random() % kPorts];
        if (random() % 2)
            std::memset(p.board.description, 'B', sizeof p.board.description);
        else
            p.board.description[7] = '2';
        break;
    }
    }
}

TEST_F(SettingsFuzz, DamagedBlocksThroughRestartLeaveTheModuleWorkingOnTrustedSettings)
{
    const PersistedSettings real = RealBlock();
    std::mt19937 random(20261207);
    for (int round = 0; round < 120; ++round) {
        PersistedSettings block = real;
        for (unsigned n = 1 + random() % 3; n > 0; --n)
            Damage(&block, random);
        const std::string why = "round " + std::to_string(round);

        // Half the rounds find the module set up already, as a second
        // Restart does.
        const bool fresh = round % 2 == 0;
        if (!fresh && !gController) {
            ASSERT_EQ(0, Call(kSelectorInitialise)) << why;
        }
        if (fresh)
            Call(kSelectorCleanup);
        if (record.settings)
            host.DisposeHandle(record.settings);
        record.settings = host.NewHandle(sizeof block + kSlack);
        std::memcpy(*record.settings, &block, sizeof block);
        std::memset(*record.settings + sizeof block, kGuard, kSlack);

        ASSERT_EQ(0, Call(kSelectorRestart)) << why;
        ASSERT_NE(nullptr, gController) << why;
        ASSERT_NE(nullptr, record.settings) << why;
        const int32_t size = host.HandleSize(record.settings);
        ASSERT_GE(size, int32_t(sizeof block)) << why;
        for (int32_t i = sizeof block; i < size; ++i)
            ASSERT_EQ(kGuard, uint8_t((*record.settings)[i])) << why << ": written past the block at " << i;

        EXPECT_EQ("", Untrusted(gController->persisted)) << why << ": the module's own copy";
        EXPECT_EQ("", PortsUntrusted()) << why;
        PersistedSettings handedBack;
        std::memcpy(&handedBack, *record.settings, sizeof handedBack);
        EXPECT_EQ("", Untrusted(handedBack)) << why << (fresh ? ", first Restart" : ", second Restart");
        ASSERT_GE(gController->currentPort, 0) << why;
        ASSERT_LT(gController->currentPort, kPorts) << why;

        // The deck is reported, in a rate the editor knows.
        record.command = 1;
        ASSERT_EQ(0, Call(kSelectorExecute)) << why;
        EXPECT_NE(kModeOffline, record.mode) << why;
        EXPECT_TRUE(record.frameRate == 24 || record.frameRate == 25 || record.frameRate == 30) << why;
        EXPECT_LE(record.dropFrame, 1) << why;
        EXPECT_GE(record.timecode, 0) << why;
        if (HasFailure())
            return;
    }
}

TEST_F(SettingsFuzz, ApplyPersistedSettingsLoadsExactlyTheTrustedSlots)
{
    const PersistedSettings real = RealBlock();
    ASSERT_EQ(0, Call(kSelectorInitialise));
    PortSettings defaults[kPorts];
    for (int slot = 0; slot < kPorts; ++slot) {
        std::memset(&defaults[slot], 0, sizeof defaults[slot]);
        gController->ports[slot]->ResetSettings(&defaults[slot]);
    }
    std::mt19937 random(20261208);
    for (int round = 0; round < 3000; ++round) {
        PersistedSettings block = real;
        for (unsigned n = 1 + random() % 3; n > 0; --n)
            Damage(&block, random);
        const PersistedSettings given = block;
        const std::string why = "round " + std::to_string(round);

        ASSERT_EQ(0, ApplyPersistedSettings(gController, &block)) << why;
        const PersistedSettings& kept = gController->persisted;
        ASSERT_EQ("", Untrusted(kept)) << why;
        ASSERT_EQ("", PortsUntrusted()) << why;
        // A slot is the editor's whole or the port's defaults, never a mix.
        PersistedSettings upgraded = given;
        if (upgraded.mark == kPreviousSettingsMark)
            UpgradePersistedSettings(&upgraded);
        for (int slot = 0; slot < kPorts; ++slot) {
            const bool trusted = upgraded.mark == kSettingsMark &&
                                 gController->ports[slot]->AcceptsSettings(upgraded.ports[slot]);
            const PortSettings& want = trusted ? upgraded.ports[slot] : defaults[slot];
            ASSERT_EQ(0, std::memcmp(&want, &kept.ports[slot], sizeof want)) << why << " slot " << slot;
        }
    }
}

} // namespace
