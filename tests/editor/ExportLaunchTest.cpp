// Export to Tape as the editor runs it through xDevice: the command, the
// callback's phases, the end messages and a cancelled settings dialog.
#include "editor/ExportLaunch.h"
#include "port/DeviceControlPort.h"
#include "port/ModuleGlobals.h"
#include "editor/PluginController.h"
#include "resources/DialogIds.h"
#include "tools/hostkit/MessageBoxWatcher.h"
#include "tools/hostkit/HostEnvironment.h"
#include "ui/DrawingObjects.h"
#include "support/DialogDriving.h"
#include "support/DeckRackFixture.h"

namespace {

constexpr int16_t kExportToTape = 10;

class ExportLaunch : public DeckRackTest {
protected:
    HostEnvironment& host = HostEnvironment::Instance();
    DeviceRecord& record = host.record;

    void SetUp() override
    {
        UseTestTemplates();
        host.ResetRecord();
        ConfigureDecks(sim::DeckSettings{});
        ASSERT_EQ(0, xDevice(kSelectorInitialise, host.Handle()));
        event = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, "PPro Quor Print");
        ASSERT_NE(nullptr, event);
        ResetEvent(event);
    }

    void TearDown() override
    {
        xDevice(kSelectorCleanup, host.Handle());
        CloseHandle(event);
        EXPECT_EQ(0u, host.LiveHandleCount());
        host.DisposeAllHandles();
        DeckRackTest::TearDown();
    }

    // Command 10, with `steps` run inside the settings dialog.
    int16_t ExportCommand(std::vector<ModalScript::Step> steps = {})
    {
        ModalScript script(std::move(steps));
        record.command = kExportToTape;
        record.exportEnd = 30;
        return xDevice(kSelectorExecute, host.Handle());
    }

    int16_t Phase(int32_t phase) { return record.printCallback(host.Handle(), phase); }

    PluginController& Controller() { return *gController; }
    HWND Dialog() { return Controller().exportDialog; }
    bool EventSet() const { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

    std::vector<std::string> Messages(const MessageBoxWatcher& watcher)
    {
        std::vector<std::string> texts;
        for (const MessageBoxWatcher::Box& box : watcher.Boxes()) {
            if (box.caption == "Veltrix Device Control")
                texts.push_back(box.text);
        }
        return texts;
    }

    // The settings dialog ended by its record button: the edit starts.
    std::vector<ModalScript::Step> StartTheEdit()
    {
        return {[this] { Click(CurrentDialog(), IDC_EXPORT_RECORD); }};
    }

    HANDLE event = nullptr;
};

TEST_F(ExportLaunch, CancelledSettingsReturnFiveAndReleaseThePlayout)
{
    EXPECT_EQ(5, ExportCommand({[] { PostMessageA(CurrentDialog(), WM_CLOSE, 0, 0); }}));
    EXPECT_TRUE(EventSet()) << "the playout side must not wait for an export that will not come";
    EXPECT_EQ(nullptr, record.printCallback);
    EXPECT_EQ(0, Controller().exportState);
    EXPECT_EQ(nullptr, Dialog());
    EXPECT_NE(nullptr, record.settings) << "the settings the dialog ended with go to the editor";
}

TEST_F(ExportLaunch, WholeRunEndsWithTheSuccessMessageOnce)
{
    ASSERT_EQ(0, ExportCommand(StartTheEdit()));
    ASSERT_NE(nullptr, record.printCallback);
    ASSERT_NE(nullptr, Dialog()) << "the status dialog stays open while the edit runs";
    EXPECT_EQ(2, Controller().exportState);
    EXPECT_TRUE(Controller().ports[0]->IsEditArmed());
    EXPECT_EQ(0, Phase(2)) << "the edit still runs";
    EXPECT_EQ(-2, RunExportDialog(&Controller(), nullptr, nullptr, false));
    // Escape is no way to end a recording.
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_NE(nullptr, Dialog());
    EXPECT_TRUE(Controller().ports[0]->IsEditArmed());

    MessageBoxWatcher watcher;
    EXPECT_EQ(7, Phase(3));
    EXPECT_EQ(nullptr, Dialog());
    EXPECT_FALSE(Controller().ports[0]->IsEditArmed());
    EXPECT_TRUE(EventSet());
    EXPECT_EQ(0, Phase(3)) << "the end is handled once";
    EXPECT_EQ(std::vector<std::string>{"Export To Tape Successful."}, Messages(watcher));

    EXPECT_EQ(7, ExportCommand()) << "the editor's closing command";
    EXPECT_EQ(0, Controller().exportState);
    EXPECT_EQ(nullptr, record.printCallback);
    EXPECT_EQ(std::vector<std::string>{"Export To Tape Successful."}, Messages(watcher));
}

TEST_F(ExportLaunch, AStatusDialogNotMadeOrDestroyedByItsOwnerEndsTheExportCancelled)
{
    const long objects = LiveDrawingObjects();
    // The owner is gone by the time the status dialog is to be made.
    HWND gone = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(5, ExportCommand({[&] {
        record.parentWindow = gone;
        Click(CurrentDialog(), IDC_EXPORT_RECORD);
    }}));
    record.parentWindow = nullptr;
    EXPECT_FALSE(Controller().ports[0]->IsEditArmed());
    EXPECT_TRUE(EventSet());
    EXPECT_EQ(0, Controller().exportState);
    EXPECT_EQ(objects, LiveDrawingObjects()) << "the colour scheme released";

    ResetEvent(event);
    ASSERT_EQ(0, ExportCommand(StartTheEdit()));
    ASSERT_NE(nullptr, Dialog());
    DestroyWindow(Dialog());
    EXPECT_FALSE(Controller().ports[0]->IsEditArmed());
    EXPECT_TRUE(EventSet());
    EXPECT_EQ(objects, LiveDrawingObjects()) << "the colour scheme released";
    MessageBoxWatcher watcher;
    EXPECT_EQ(7, Phase(2)) << "the edit is over";
    EXPECT_EQ(5, ExportCommand()) << "the editor's closing command";
    EXPECT_EQ(std::vector<std::string>{"Export To Tape Cancelled."}, Messages(watcher));
}

TEST_F(ExportLaunch, ADeckThatStopsRecordingBeforeTheEndFailsTheExport)
{
    const struct {
        const char* what;
        void (*fault)(sim::VirtualVtr& deck, double now);
        const char* message;
    } cases[] = {
        {"stopped at its panel", [](sim::VirtualVtr& deck, double now) { deck.Transport(now).Stop(now); },
         "VTR Not Ready. Please check VTR status and try again."},
        {"gone", [](sim::VirtualVtr& deck, double) { deck.SetUnplugged(true); },
         "VTR is offline. Please check VTR status and try again."},
    };
    for (const auto& c : cases) {
        ResetEvent(event);
        ASSERT_EQ(0, ExportCommand(StartTheEdit())) << c.what;
        ASSERT_TRUE(PumpUntil([&] { return EventSet(); }, 6000)) << c.what << ": the print to video records";
        WithDeck([&](sim::VirtualVtr& deck, double now) { c.fault(deck, now); });
        EXPECT_TRUE(PumpUntil([&] { return Controller().exportFault != 0; }, 3000)) << c.what;
        MessageBoxWatcher watcher;
        EXPECT_EQ(5, Phase(3)) << c.what;
        EXPECT_EQ(std::vector<std::string>{c.message}, Messages(watcher)) << c.what;
        ExportCommand();
        WithDeck([](sim::VirtualVtr& deck, double) { deck.SetUnplugged(false); });
    }
}

TEST_F(ExportLaunch, CommandBeforeTheEndCancelsTheRun)
{
    ASSERT_EQ(0, ExportCommand(StartTheEdit()));
    MessageBoxWatcher watcher;
    EXPECT_EQ(5, ExportCommand());
    EXPECT_EQ(nullptr, Dialog());
    EXPECT_FALSE(Controller().ports[0]->IsEditArmed());
    EXPECT_EQ(0, Controller().exportState);
    EXPECT_EQ(std::vector<std::string>{"Export To Tape Cancelled."}, Messages(watcher));
    EXPECT_EQ(0, Controller().ports[0]->SetLastFrame(10)) << "the port is free for the next export";
}

} // namespace
