// The worker's handshakes with the interface thread: pause, resume and stop,
// also against a deck that never answers, and a port that is not active.
#include "support/ExportFixture.h"
#include "resources/DialogIds.h"

namespace {

class ExportWorker : public ExportTest {
protected:
    // The status dialog of an idle port: the worker keeps its read-outs.
    void OpenStatusDialog()
    {
        ASSERT_EQ(0, RunExportDialog(&controller, nullptr, nullptr, true));
        ASSERT_NE(nullptr, Dialog());
        ASSERT_TRUE(controller.worker.running);
    }

    std::string Copy(DisplayCopy which)
    {
        char text[64] = {};
        ReadDisplayCopy(&controller, which, text, sizeof text);
        return text;
    }

    void CloseStatusDialog()
    {
        SendMessageA(Dialog(), WM_CLOSE, 0, 0);
        EXPECT_EQ(nullptr, Dialog());
        EXPECT_EQ(nullptr, controller.worker.thread);
    }
};

TEST_F(ExportWorker, PausesWithinAPassAndShowsTheDeckWhileRunning)
{
    OpenStatusDialog();
    ASSERT_TRUE(WaitFor([&] { return Copy(kDeckModeCopy) == "Stop"; }, 3000)) << Copy(kDeckModeCopy);
    EXPECT_EQ("01;00;00;00", Copy(kTimecodeCopy));
    EXPECT_EQ("Active", Copy(kControlStateCopy));
    EXPECT_TRUE(WaitFor([&] { return Text(Dialog(), IDC_EXPORT_DECK_MODE) == "Stop"; }, 1000))
        << "the control takes the text the worker drew";

    DWORD start = GetTickCount();
    PauseWorker(&controller);
    EXPECT_TRUE(controller.worker.paused);
    EXPECT_LT(GetTickCount() - start, 1000u) << "acknowledged at the top of the next pass";
    Drain();
    Sleep(200);
    EXPECT_TRUE(Sent().empty()) << "a paused worker leaves the deck alone";
    start = GetTickCount();
    PauseWorker(&controller);
    EXPECT_LT(GetTickCount() - start, 50u) << "already paused: no wait";

    ASSERT_EQ(0, Port().Play()) << "the deck is the interface thread's while the worker is paused";
    ResumeWorker(&controller);
    EXPECT_FALSE(controller.worker.paused);
    EXPECT_TRUE(WaitFor([&] { return Copy(kDeckModeCopy) == "Play"; }, 3000)) << Copy(kDeckModeCopy);
    CloseStatusDialog();
}

TEST_F(ExportWorker, UnansweredPauseIsTakenAsGrantedAfterAboutFiveSeconds)
{
    // A worker that is said to run but never answers.
    controller.worker.running = 1;
    const DWORD start = GetTickCount();
    PauseWorker(&controller);
    EXPECT_TRUE(controller.worker.paused);
    EXPECT_GE(GetTickCount() - start, 5000u);
    controller.worker.running = 0;
    StopWorker(&controller);
}

TEST_F(ExportWorker, SilentDeckStillLetsTheWorkerStopAndTheLockGo)
{
    OpenStatusDialog();
    SetFaults({true});
    Sleep(300);
    const DWORD start = GetTickCount();
    StopWorker(&controller);
    EXPECT_LT(GetTickCount() - start, 5500u);
    EXPECT_EQ(nullptr, controller.worker.thread);
    EXPECT_FALSE(controller.worker.running);
    EXPECT_EQ(0, Port().SetLastFrame(10)) << "the port's lock is free";
    CloseStatusDialog();
}

TEST_F(ExportWorker, InactivePortGivesPassesThatDrawNothing)
{
    OpenStatusDialog();
    PauseWorker(&controller);
    ASSERT_EQ(0, Port().Deactivate());
    WriteDisplayCopy(&controller, kDeckModeCopy, "untouched");
    WriteDisplayCopy(&controller, kTimecodeCopy, "untouched");
    ResumeWorker(&controller);
    Drain();
    Sleep(300);
    EXPECT_EQ("untouched", Copy(kDeckModeCopy));
    EXPECT_EQ("untouched", Copy(kTimecodeCopy));
    EXPECT_TRUE(Sent().empty());
    CloseStatusDialog();
}

} // namespace
