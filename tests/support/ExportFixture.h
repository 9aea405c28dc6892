#pragma once
// Export to Tape on a simulated board with its virtual deck: device control
// opened as Initialise opens it, the module's own dialog templates, and
// waits bounded so that a fault fails a test instead of hanging the run.
#include "editor/ExportLaunch.h"
#include "export/ExportWorker.h"
#include "port/DeviceControlPort.h"
#include "editor/DeviceControlSetup.h"
#include "editor/PluginController.h"
#include "port/TimecodeText.h"
#include "support/PortSemaphores.h"
#include "support/DialogDriving.h"
#include "ui/DrawingObjects.h"
#include "support/DeckRackFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

class ExportTest : public DeckRackTest {
protected:
    void SetUp() override { Start(sim::DeckSettings{}); }

    void TearDown() override
    {
        CloseDeviceControl(&controller);
        EXPECT_EQ(before_, LiveDrawingObjects()) << "drawing objects left behind";
        DeckRackTest::TearDown();
    }

    void Start(const sim::DeckSettings& deck)
    {
        UseTestTemplates();
        ConfigureDecks(deck);
        ASSERT_EQ(0, OpenDeviceControl(&controller, &record, nullptr));
        ASSERT_EQ(0, Port().Activate());
        NxResetEvent(controller.exportEvent);
        before_ = LiveDrawingObjects();
    }

    DeviceControlPort& Port() { return *controller.ports[0]; }
    HWND Dialog() const { return controller.exportDialog; }

    static bool WaitFor(const std::function<bool()>& done, DWORD ms) { return PumpUntil(done, ms); }

    bool EventSet() const { return WaitForSingleObject(controller.exportEvent, 0) == WAIT_OBJECT_0; }

    std::vector<sim::RecordedSegment> Segments()
    {
        std::vector<sim::RecordedSegment> segments;
        WithDeck([&](sim::VirtualVtr& deck, double now) { segments = deck.Transport(now).Segments(); });
        return segments;
    }

    // The modal settings dialog, driven by `steps` inside its loop.
    int32_t RunSettings(std::vector<ModalScript::Step> steps)
    {
        ModalScript script(std::move(steps));
        const int32_t result = RunExportDialog(&controller, nullptr, &block, false);
        EXPECT_TRUE(script.Finished());
        return result;
    }

    PortSemaphores semaphores;
    PluginController controller;
    DeviceRecord record = {};
    PersistedSettings block = {};
    long before_ = 0;
};
