// Opening device control on the boards found, and loading the editor's
// settings block into the ports: what is trusted and what falls back.
#include "port/DeviceControlPort.h"
#include "editor/DeviceControlSetup.h"
#include "editor/PluginController.h"
#include "support/ChosenSettings.h"
#include "support/DeckRackFixture.h"

#include <cstring>
#include <random>

namespace {

class DeviceControlSetup : public DeckRackTest {
protected:
    void SetUp() override { ConfigureDecks(sim::DeckSettings{}, 2); }

    void TearDown() override
    {
        CloseDeviceControl(&controller);
        DeckRackTest::TearDown();
    }

    // What the set-up stores for a rack of two decks, with every value
    // moved away from its default.
    PersistedSettings Chosen()
    {
        PersistedSettings block = {};
        EXPECT_EQ(0, OpenDeviceControl(&controller, &record, nullptr));
        DefaultPersistedSettings(&controller, &block);
        CloseDeviceControl(&controller);
        block.selectedPort = 1;
        block.embeddedTcCapture = 1;
        for (int slot = 0; slot < 2; ++slot) {
            PortSettings& p = block.ports[slot];
            ChooseSettings(p, 2, 9, -4, 3);
            p.video = 0;
            p.audio[1] = 0;
        }
        return block;
    }

    bool Loaded(int slot, const PortSettings& want) const
    {
        PortSettings settings;
        controller.ports[slot]->CopySettingsOut(&settings);
        return std::memcmp(&settings, &want, sizeof settings) == 0;
    }

    PluginController controller;
    DeviceRecord record = {};
};

TEST_F(DeviceControlSetup, BoardThatFailsToOpenLeavesItsSlotToTheNext)
{
    sim::RackConfig config;
    config.boards = {Board(4, 0x10440), Board(4, 0x10440)};
    config.boards[0].rs422 = false;
    Configure(config);
    ASSERT_EQ(0, OpenDeviceControl(&controller, &record, nullptr));
    EXPECT_EQ(1, controller.portCount);
    ASSERT_NE(nullptr, controller.ports[0]);
    EXPECT_EQ(1, controller.ports[0]->PortIndex());
    EXPECT_EQ(nullptr, controller.ports[1]);
    EXPECT_NE(nullptr, controller.exportEvent);
    // Slot 0 holds the second board's defaults; the empty slot is zero.
    EXPECT_EQ(0, std::strncmp("Board: 2 Type: ", controller.persisted.ports[0].board.description, 15));
    EXPECT_EQ(0u, controller.persisted.ports[1].mark);
    CloseDeviceControl(&controller);

    // Ten boards, the first two without a port: only the first eight have
    // the semaphores a port needs.
    config.boards.assign(10, Board(4, 0x10440));
    config.boards[0].rs422 = config.boards[1].rs422 = false;
    Configure(config);
    ASSERT_EQ(0, OpenDeviceControl(&controller, &record, nullptr));
    EXPECT_EQ(6, controller.portCount);
    for (int slot = 0; slot < controller.portCount; ++slot)
        EXPECT_EQ(slot + 2, controller.ports[slot]->PortIndex());
}

TEST_F(DeviceControlSetup, NoBoardClosesEverythingAgain)
{
    Configure(sim::RackConfig{});
    EXPECT_EQ(-2, OpenDeviceControl(&controller, &record, nullptr));
    EXPECT_EQ(0, controller.setUp);
    EXPECT_EQ(nullptr, controller.exportEvent);
    EXPECT_EQ(-2, CloseDeviceControl(&controller));
}

TEST_F(DeviceControlSetup, StoredChoicesAreLoadedIntoMirrorAndPorts)
{
    PersistedSettings block = Chosen();
    ASSERT_EQ(0, OpenDeviceControl(&controller, &record, &block));
    EXPECT_EQ(1, controller.currentPort);
    EXPECT_EQ(0, std::memcmp(&block, &controller.persisted, sizeof block));
    for (int slot = 0; slot < 2; ++slot)
        EXPECT_TRUE(Loaded(slot, block.ports[slot])) << slot;

    // The previous layout is the same but for its version words.
    PersistedSettings old = block;
    old.mark = kPreviousSettingsMark;
    old.ports[0].board.tag = 0x61;
    old.ports[1].timecode.tag = 0x61;
    ASSERT_EQ(0, ApplyPersistedSettings(&controller, &old));
    EXPECT_EQ(0, std::memcmp(&block, &controller.persisted, sizeof block));
}

TEST_F(DeviceControlSetup, UntrustworthySlotsFallBackToTheirPortsDefaults)
{
    const PersistedSettings chosen = Chosen();
    ASSERT_EQ(0, OpenDeviceControl(&controller, &record, nullptr));
    PortSettings defaults[2] = {};
    controller.ports[0]->ResetSettings(&defaults[0]);
    controller.ports[1]->ResetSettings(&defaults[1]);

    const struct {
        const char* name;
        void (*damage)(PortSettings&);
    } cases[] = {
        {"another board", [](PortSettings& p) { p.board.description[15] ^= 1; }},
        {"stale version", [](PortSettings& p) { p.timecode.tag = 0x61; }},
        {"no mark", [](PortSettings& p) { p.mark = 0; }},
        {"format index", [](PortSettings& p) { p.timecode.formatIndex = 7; }},
        {"format rate", [](PortSettings& p) { p.timecode.format.rateNumerator = 0; }},
        {"preroll", [](PortSettings& p) { p.timecode.prerollSeconds = 16; }},
        {"offset", [](PortSettings& p) { p.timecodeOffset = 31; }},
        {"edit mode", [](PortSettings& p) { p.editMode = 2; }},
    };
    for (const auto& c : cases) {
        PersistedSettings block = chosen;
        c.damage(block.ports[0]);
        ASSERT_EQ(0, ApplyPersistedSettings(&controller, &block)) << c.name;
        EXPECT_TRUE(Loaded(0, defaults[0])) << c.name;
        EXPECT_TRUE(Loaded(1, chosen.ports[1])) << c.name;
    }

    PersistedSettings block = chosen;
    block.selectedPort = 5;
    ApplyPersistedSettings(&controller, &block);
    EXPECT_EQ(0, controller.currentPort);

    // Random bytes, with and without a valid mark, are never trusted.
    std::mt19937 random(6);
    for (int round = 0; round < 200; ++round) {
        PersistedSettings noise;
        uint8_t* bytes = reinterpret_cast<uint8_t*>(&noise);
        for (size_t i = 0; i < sizeof noise; ++i)
            bytes[i] = uint8_t(random());
        if (round % 2)
            noise.mark = kSettingsMark;
        ASSERT_EQ(0, ApplyPersistedSettings(&controller, &noise));
        ASSERT_GE(controller.currentPort, 0);
        ASSERT_LT(controller.currentPort, 2);
        for (int slot = 0; slot < 2; ++slot)
            ASSERT_TRUE(Loaded(slot, defaults[slot])) << round;
        ASSERT_EQ(0u, controller.persisted.ports[2].mark);
    }
}

} // namespace
