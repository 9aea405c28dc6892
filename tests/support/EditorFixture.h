#pragma once
// The editor's side of xDevice against virtual decks: a fresh record for
// each test, the selectors and Execute filled as the editor fills them, and
// a teardown that cleans up and finds the editor's handle memory given back.
#include "port/ModuleGlobals.h"
#include "tools/hostkit/HostEnvironment.h"
#include "support/DeckRackFixture.h"

class EditorTest : public DeckRackTest {
protected:
    HostEnvironment& host = HostEnvironment::Instance();
    DeviceRecord& record = host.record;

    void SetUp() override
    {
        host.ResetRecord();
        InterlockedExchange(&host.abortRequested, 0);
        ConfigureDecks(sim::DeckSettings{});
    }

    void TearDown() override
    {
        Call(kSelectorCleanup);
        InterlockedExchange(&host.abortRequested, 0);
        EXPECT_EQ(0u, host.LiveHandleCount());
        host.DisposeAllHandles();
        EXPECT_EQ(0, host.writesPastHandles) << "the module wrote past a handle the editor gave it";
        host.writesPastHandles = 0;
        DeckRackTest::TearDown();
    }

    int16_t Call(int16_t selector) { return xDevice(selector, host.Handle()); }

    int16_t Execute(int16_t command, int16_t mode = 0, int32_t frames = 0, int16_t preroll = 0)
    {
        record.command = command;
        record.mode = mode;
        record.timecode = frames;
        record.preroll = preroll;
        return Call(kSelectorExecute);
    }
};
