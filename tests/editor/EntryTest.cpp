// xDevice's selectors as the editor sees them, on a machine with no board:
// results, what lands in the record, the settings handle and the port
// semaphores.
#include "editor/DeviceRecord.h"
#include "editor/PluginController.h"
#include "port/ModuleGlobals.h"
#include "port/PersistedSettings.h"
#include "platform/NxPlatform.h"
#include "sim/SimRack.h"
#include "tools/hostkit/HostEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

class EntryTest : public ::testing::Test {
protected:
    HostEnvironment& host = HostEnvironment::Instance();
    DeviceRecord& record = host.record;

    void SetUp() override
    {
        sim::SimRack::Instance().Configure(sim::RackConfig{});
        host.ResetRecord();
        host.FailNextAllocations(0);
    }

    void TearDown() override
    {
        xDevice(kSelectorCleanup, host.Handle());
        EXPECT_EQ(0u, host.LiveHandleCount()) << "host handles left allocated";
        EXPECT_EQ(0, host.disposeOfUnknownHandle);
        EXPECT_TRUE(host.acquiredSuites.empty());
        host.DisposeAllHandles();
        host.disposeOfUnknownHandle = 0;
    }

    int16_t Call(int16_t selector) { return xDevice(selector, host.Handle()); }

    // Hands the module a settings block, as the editor does before Restart.
    PersistedSettings* GiveSettings(const PersistedSettings& content)
    {
        record.settings = host.NewHandle(sizeof(PersistedSettings));
        std::memcpy(*record.settings, &content, sizeof content);
        return reinterpret_cast<PersistedSettings*>(*record.settings);
    }

    static void ExpectOffline(const DeviceRecord& r)
    {
        EXPECT_EQ(15, r.mode);
        EXPECT_EQ(30, r.frameRate);
        EXPECT_EQ(0, r.dropFrame);
        EXPECT_EQ(0, r.timecode);
    }
};

bool SemaphoreExists(int index)
{
    std::string name = "QuorControl" + std::to_string(index);
    HANDLE h = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, name.c_str());
    if (!h)
        return false;
    CloseHandle(h);
    return true;
}

PersistedSettings UsedSettings(uint32_t mark)
{
    PersistedSettings s;
    std::memset(&s, 0, sizeof s);
    s.mark = mark;
    s.selectedPort = 1;
    s.embeddedTcCapture = 1;
    for (int slot : {0, 2}) {
        PortSettings& p = s.ports[slot];
        p.mark = 0x77;
        p.board.tag = 0x61;
        std::strcpy(p.board.description, "Board: 1 Type: somewhere");
        p.timecode.tag = 0x62;
        p.timecode.formatIndex = 4;
        p.delay = 12;
        p.audio[3] = 1;
    }
    return s;
}

TEST_F(EntryTest, SelectorsOutOfRangeTouchNothing)
{
    std::memset(&record.hostReserved48, 0x5A, sizeof record.hostReserved48);
    record.mode = 3;
    record.timecode = 1234;
    const DeviceRecord before = record;
    for (int16_t selector : {6, 7, -1, -32768, 32767}) {
        EXPECT_EQ(-100, Call(selector)) << "selector " << selector;
        EXPECT_EQ(0, std::memcmp(&before, &record, sizeof record)) << "selector " << selector;
    }
    EXPECT_EQ(0u, host.LiveHandleCount());
    EXPECT_FALSE(SemaphoreExists(0));
    EXPECT_EQ(-100, xDevice(kSelectorInitialise, nullptr));
    DeviceRecord* none = nullptr;
    EXPECT_EQ(-100, xDevice(kSelectorInitialise, &none));
}

TEST_F(EntryTest, InitialiseWithoutBoardReportsOfflineAndKeepsNothing)
{
    record.mode = 7;
    record.timecode = 99;
    EXPECT_EQ(0, Call(kSelectorInitialise));
    ExpectOffline(record);
    EXPECT_EQ(nullptr, record.settings) << "a failed set-up disposes the settings";
    EXPECT_EQ(0u, host.LiveHandleCount());
    EXPECT_EQ(nullptr, gController);
    EXPECT_TRUE(host.acquiredSuites.empty()) << "no suite without a controller";
    for (int i = 0; i < kMaxPorts; ++i)
        EXPECT_TRUE(SemaphoreExists(i)) << "QuorControl" << i;
    EXPECT_FALSE(SemaphoreExists(8));

    // A second Initialise makes no second set of semaphores.
    HANDLE first = gPortSemaphores[5];
    EXPECT_EQ(0, Call(kSelectorInitialise));
    EXPECT_EQ(first, gPortSemaphores[5]);

    EXPECT_EQ(1, Call(kSelectorCleanup)) << "no controller to clean up";
    for (int i = 0; i < kMaxPorts; ++i) {
        EXPECT_FALSE(SemaphoreExists(i)) << "QuorControl" << i;
        EXPECT_EQ(nullptr, gPortSemaphores[i]);
    }
}

TEST_F(EntryTest, AllocationFailuresGiveMinusOneAndAClearedRecord)
{
    record.mode = 5;
    record.timecode = 77;
    host.FailNextAllocations(1);
    EXPECT_EQ(-1, Call(kSelectorInitialise));
    EXPECT_EQ(0, record.mode);
    EXPECT_EQ(0, record.timecode);
    EXPECT_EQ(nullptr, record.settings);

    // Restart must replace a foreign block, and cannot.
    PersistedSettings foreign;
    std::memset(&foreign, 0xEE, sizeof foreign);
    GiveSettings(foreign);
    record.mode = 5;
    host.FailNextAllocations(1);
    EXPECT_EQ(-1, Call(kSelectorRestart));
    EXPECT_EQ(nullptr, record.settings);
    EXPECT_EQ(0, record.mode);
    EXPECT_EQ(0u, host.LiveHandleCount()) << "the foreign block is disposed";

    // A host whose allocator hands back a handle without a block.
    record.tables->memory->NewHandle = [](int32_t) -> HostHandle {
        static char* nothing = nullptr;
        return &nothing;
    };
    EXPECT_EQ(-1, Call(kSelectorInitialise));
    EXPECT_EQ(nullptr, record.settings);
    EXPECT_EQ(1, host.disposeOfUnknownHandle) << "the empty handle goes back to the host";
    host.disposeOfUnknownHandle = 0;
    host.ResetRecord();
}

// Whatever block the editor hands over, Restart writes nothing past it, and
// what it hands back a second Restart takes exactly as it is.
TEST_F(EntryTest, RestartKeepsUpgradesOrReplacesTheBlock)
{
    EXPECT_EQ(-1, Call(kSelectorRestart)) << "no handle";
    char* empty = nullptr;
    record.settings = &empty;
    EXPECT_EQ(-1, Call(kSelectorRestart)) << "a handle without a block";
    EXPECT_EQ(&empty, record.settings) << "a handle not ours stays";
    EXPECT_FALSE(SemaphoreExists(0)) << "nothing is set up on refusal";

    PersistedSettings upgraded = UsedSettings(kPreviousSettingsMark), random;
    upgraded.mark = kSettingsMark;
    for (int slot : {0, 2}) {
        upgraded.ports[slot].mark = kSettingsMark;
        upgraded.ports[slot].board.tag = upgraded.ports[slot].timecode.tag = 0x73;
    }
    std::mt19937 bytes(20260314);
    for (size_t i = 0; i < sizeof random; ++i)
        reinterpret_cast<unsigned char*>(&random)[i] = static_cast<unsigned char>(bytes());
    PersistedSettings damaged = random;
    damaged.mark = kSettingsMark;
    const PersistedSettings fresh = {};
    const struct {
        const char* what;
        PersistedSettings given;
        bool kept;
        const PersistedSettings& expected;
    } cases[] = {
        {"current layout, untouched", UsedSettings(kSettingsMark), true, UsedSettings(kSettingsMark)},
        {"previous layout, only used slots marked", UsedSettings(kPreviousSettingsMark), true, upgraded},
        {"foreign", UsedSettings(0x12345736), false, fresh},
        {"random bytes", random, false, fresh},
        {"damaged under the current mark", damaged, true, damaged},
    };
    constexpr size_t kGuard = 16;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        record.settings = host.NewHandle(sizeof(PersistedSettings) + kGuard);
        const HostHandle handle = record.settings;
        char* given = *handle;
        std::memcpy(given, &c.given, sizeof c.given);
        std::memset(given + sizeof c.given, 0xA5, kGuard);
        EXPECT_EQ(0, Call(kSelectorRestart));
        ExpectOffline(record);
        ASSERT_NE(nullptr, record.settings);
        // A replacement may land where the old one was; its size tells them apart.
        EXPECT_EQ(int32_t(sizeof(PersistedSettings) + (c.kept ? kGuard : 0)), host.HandleSize(record.settings));
        EXPECT_EQ(1u, host.LiveHandleCount()) << "a replaced handle is disposed";
        if (c.kept) {
            EXPECT_EQ(handle, record.settings);
            EXPECT_EQ(std::string(kGuard, char(0xA5)), std::string(given + sizeof c.given, kGuard))
                << "written past the block";
        }
        PersistedSettings handedBack;
        std::memcpy(&handedBack, *record.settings, sizeof handedBack);
        EXPECT_EQ(0, std::memcmp(&c.expected, &handedBack, sizeof handedBack));
        EXPECT_EQ(0, Call(kSelectorRestart));
        EXPECT_EQ(0, std::memcmp(&handedBack, *record.settings, sizeof handedBack)) << "handed back, taken as it is";
        EXPECT_EQ(1, Call(kSelectorCleanup));
        EXPECT_EQ(nullptr, record.settings);
    }
}

TEST_F(EntryTest, SetupWithNothingSetUpAndReleaseLeaveTheBlockAlone)
{
    const PersistedSettings stored = UsedSettings(kSettingsMark);
    const PersistedSettings* block = GiveSettings(stored);
    HostHandle kept = record.settings;
    EXPECT_EQ(0, Call(kSelectorSetup));
    EXPECT_EQ(kept, record.settings);
    EXPECT_EQ(0, std::memcmp(&stored, block, sizeof stored)) << "the user's settings are all there is";

    EXPECT_EQ(0, Call(kSelectorReleasePorts));
    EXPECT_EQ(kept, record.settings);
    EXPECT_EQ(1, Call(kSelectorCleanup));
    EXPECT_EQ(nullptr, record.settings);
    EXPECT_EQ(0u, host.LiveHandleCount());
}

TEST_F(EntryTest, ExecuteWithoutDeck)
{
    EXPECT_EQ(0, Call(kSelectorInitialise));

    record.command = 0;
    EXPECT_EQ(0, Call(kSelectorExecute));
    EXPECT_EQ(0x011FFFECu, record.features);

    record.command = 1;
    record.mode = 1;
    record.timecode = 500;
    record.frameRate = 25;
    record.dropFrame = 1;
    EXPECT_EQ(0, Call(kSelectorExecute));
    ExpectOffline(record);

    char name[32];
    std::memset(name, 0x7E, sizeof name);
    record.nameBuffer = name;
    record.command = 12;
    EXPECT_EQ(0, Call(kSelectorExecute));
    EXPECT_STREQ("Standard VTR", name);
    EXPECT_EQ(0x7E, name[13]) << "exactly 13 bytes are written";
    record.nameBuffer = nullptr;
    EXPECT_EQ(0, Call(kSelectorExecute)) << "no buffer, nothing written";

    // Codes that do nothing, and deck commands with no deck.
    for (int16_t command : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, -1, 32767}) {
        record.command = command;
        const DeviceRecord before = record;
        EXPECT_EQ(0, Call(kSelectorExecute)) << "command " << command;
        EXPECT_EQ(0, std::memcmp(&before, &record, sizeof record)) << "command " << command;
    }
}

} // namespace
