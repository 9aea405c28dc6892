// Setting up a port per board found, and loading the editor's settings block
// into the ports: every check a stored slot must pass, each at its bound.
#include "port/DeviceControlPort.h"
#include "editor/DeviceControlSetup.h"
#include "editor/PluginController.h"
#include "board/BoardTypes.h"
#include "support/ChosenSettings.h"
#include "support/DeckRackFixture.h"

#include <cstring>
#include <functional>

namespace {

class PortSettingsTest : public DeckRackTest {
protected:
    void SetUp() override { ConfigureDecks(sim::DeckSettings{}, 2); }

    void TearDown() override
    {
        CloseDeviceControl(&controller);
        EXPECT_EQ(0, Rack().LiveDeviceHandles());
        DeckRackTest::TearDown();
    }

    // What the set-up stores for two decks, every value off its default.
    PersistedSettings Chosen()
    {
        PersistedSettings block = {};
        EXPECT_EQ(0, OpenDeviceControl(&controller, &record, nullptr));
        DefaultPersistedSettings(&controller, &block);
        CloseDeviceControl(&controller);
        block.selectedPort = 1;
        block.embeddedTcCapture = 1;
        for (PortSettings& p : {std::ref(block.ports[0]), std::ref(block.ports[1])}) {
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

    static sim::Fault BoardFault(sim::Call call, int32_t reg = -1, int32_t skip = 0)
    {
        sim::Fault fault;
        fault.call = call;
        fault.skip = skip;
        if (reg >= 0) {
            fault.propertyId = kPropertyRegister;
            fault.registerNumber = reg;
        }
        return fault;
    }

    PluginController controller;
    DeviceRecord record = {};
};

TEST_F(PortSettingsTest, BoardsThatFailLeaveTheirSlotsToTheNextAndHoldNothing)
{
    using sim::Call;
    const struct {
        const char* name;
        sim::Fault fault;
        bool onFirstBoardOnly;
        int ports; // 0: set-up fails
    } cases[] = {
        {"device set", BoardFault(Call::GetClassDevs), false, 0},
        {"enumeration", BoardFault(Call::EnumInterfaces), false, 0},
        {"detail size", BoardFault(Call::GetInterfaceDetail), false, 0},
        {"detail", BoardFault(Call::GetInterfaceDetail, -1, 1), false, 0},
        {"device open", BoardFault(Call::CreateFile), true, 1},
        {"UART control unreadable", BoardFault(Call::IoControl, kRegisterUartControl), true, 1},
    };
    for (const auto& c : cases) {
        ConfigureDecks(sim::DeckSettings{}, 2);
        sim::Fault fault = c.fault;
        if (c.onFirstBoardOnly)
            fault.board = 0;
        Rack().AddFault(fault);
        EXPECT_EQ(c.ports ? 0 : -2, OpenDeviceControl(&controller, &record, nullptr)) << c.name;
        EXPECT_EQ(c.ports, controller.portCount) << c.name;
        EXPECT_EQ(c.ports, Rack().LiveDeviceHandles()) << c.name;
        if (c.ports) {
            EXPECT_EQ(1, controller.ports[0]->PortIndex()) << c.name;
            EXPECT_EQ(nullptr, controller.ports[1]) << c.name;
            // Slot 0 holds the second board's defaults; the empty slot is zero.
            EXPECT_EQ(0, std::strncmp("Board: 2 Type: ", controller.persisted.ports[0].board.description, 15));
            EXPECT_EQ(0u, controller.persisted.ports[1].mark) << c.name;
            EXPECT_NE(nullptr, controller.exportEvent) << c.name;
        } else {
            EXPECT_EQ(0, controller.setUp) << c.name;
            EXPECT_EQ(nullptr, controller.exportEvent) << c.name;
            EXPECT_EQ(0, Rack().LiveInfoSets()) << c.name;
            EXPECT_EQ(-2, CloseDeviceControl(&controller)) << c.name;
        }
        CloseDeviceControl(&controller);
        // A driver that works again is found again.
        Rack().ClearFaults();
        ASSERT_EQ(0, OpenDeviceControl(&controller, &record, nullptr)) << c.name;
        EXPECT_EQ(2, controller.portCount) << c.name;
        CloseDeviceControl(&controller);
    }

    // Ten boards, the first two without a port: only the first eight have
    // the semaphores a port needs.
    sim::RackConfig config;
    config.boards.assign(10, Board(4, 0x10440));
    config.boards[0].rs422 = config.boards[1].rs422 = false;
    Configure(config);
    ASSERT_EQ(0, OpenDeviceControl(&controller, &record, nullptr));
    EXPECT_EQ(6, controller.portCount);
    for (int slot = 0; slot < controller.portCount; ++slot)
        EXPECT_EQ(slot + 2, controller.ports[slot]->PortIndex());
}

TEST_F(PortSettingsTest, StoredChoicesAreLoadedIntoMirrorAndPorts)
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

// A slot is the editor's whole or its port's defaults, never a mix, and the
// other slot is not disturbed either way.
TEST_F(PortSettingsTest, EachCheckOfAStoredSlotHoldsAtItsBound)
{
    const PersistedSettings chosen = Chosen();
    ASSERT_EQ(0, OpenDeviceControl(&controller, &record, nullptr));
    PortSettings defaults[2] = {};
    controller.ports[0]->ResetSettings(&defaults[0]);
    controller.ports[1]->ResetSettings(&defaults[1]);

    using P = PortSettings;
    const struct {
        const char* name;
        void (*change)(P&);
        bool trusted;
    } cases[] = {
        {"as chosen", [](P&) {}, true},
        {"no mark", [](P& p) { p.mark = 0; }, false},
        {"board record version", [](P& p) { p.board.tag = 0x61; }, false},
        {"timecode record version", [](P& p) { p.timecode.tag = 0x61; }, false},
        {"another board", [](P& p) { p.board.description[15] ^= 1; }, false},
        {"longer description", [](P& p) { std::strcat(p.board.description, "X"); }, false},
        {"unterminated description", [](P& p) { std::memset(p.board.description, 'B', sizeof p.board.description); },
         false},
        {"last format",
         [](P& p) {
             p.timecode.formatIndex = 6;
             p.timecode.format = {"x", 30, 0, 60000, 1000};
         },
         true},
        {"format index", [](P& p) { p.timecode.formatIndex = 7; }, false},
        {"frames per second", [](P& p) { p.timecode.format.framesPerSecond = 24; }, false},
        {"drop frame", [](P& p) { p.timecode.format.dropFrame = 1; }, false},
        {"rate", [](P& p) { p.timecode.format.rateNumerator = 0; }, false},
        {"rate divisor", [](P& p) { p.timecode.format.rateDenominator = 1001; }, false},
        {"source", [](P& p) { p.timecode.sourceIndex = 3; }, false},
        {"preroll 15", [](P& p) { p.timecode.prerollSeconds = 15; }, true},
        {"preroll 16", [](P& p) { p.timecode.prerollSeconds = 16; }, false},
        {"offset 30", [](P& p) { p.timecodeOffset = 30; }, true},
        {"offset 31", [](P& p) { p.timecodeOffset = 31; }, false},
        {"offset -30", [](P& p) { p.timecodeOffset = -30; }, true},
        {"offset -31", [](P& p) { p.timecodeOffset = -31; }, false},
        {"delay 0", [](P& p) { p.delay = 0; }, true},
        {"delay -1", [](P& p) { p.delay = -1; }, false},
        {"delay 120", [](P& p) { p.delay = 120; }, true},
        {"delay 121", [](P& p) { p.delay = 121; }, false},
        {"edit mode 0", [](P& p) { p.editMode = 0; }, true},
        {"edit mode -1", [](P& p) { p.editMode = -1; }, false},
        {"edit mode 2", [](P& p) { p.editMode = 2; }, false},
    };
    for (const auto& c : cases) {
        PersistedSettings block = chosen;
        c.change(block.ports[0]);
        const PortSettings given = block.ports[0];
        ASSERT_EQ(0, ApplyPersistedSettings(&controller, &block)) << c.name;
        EXPECT_TRUE(Loaded(0, c.trusted ? given : defaults[0])) << c.name;
        EXPECT_EQ(0, std::memcmp(c.trusted ? &given : &defaults[0], &controller.persisted.ports[0], sizeof given))
            << c.name << ": the mirror";
        EXPECT_TRUE(Loaded(1, chosen.ports[1])) << c.name;
    }

    // The block's own words: its mark, the port chosen and the capture flag.
    const struct {
        const char* name;
        uint32_t mark;
        int32_t selected;
        int32_t capture;
        int wantPort, wantCapture;
        bool trusted;
    } blocks[] = {
        {"last port", kSettingsMark, 1, 1, 1, 1, true},      {"port past the last", kSettingsMark, 2, 1, 0, 1, true},
        {"negative port", kSettingsMark, -1, 1, 0, 1, true}, {"capture flag", kSettingsMark, 1, 7, 1, 1, true},
        {"foreign mark", 0x12345736, 1, 1, 0, 0, false},
    };
    for (const auto& b : blocks) {
        PersistedSettings block = chosen;
        block.mark = b.mark;
        block.selectedPort = b.selected;
        block.embeddedTcCapture = b.capture;
        ASSERT_EQ(0, ApplyPersistedSettings(&controller, &block)) << b.name;
        EXPECT_EQ(b.wantPort, controller.currentPort) << b.name;
        EXPECT_EQ(b.wantPort, controller.persisted.selectedPort) << b.name;
        EXPECT_EQ(b.wantCapture, controller.persisted.embeddedTcCapture) << b.name;
        for (int slot = 0; slot < 2; ++slot)
            EXPECT_TRUE(Loaded(slot, b.trusted ? chosen.ports[slot] : defaults[slot])) << b.name << slot;
        EXPECT_EQ(0u, controller.persisted.ports[2].mark) << b.name << ": a slot without a port";
    }
}

} // namespace
