// Edits carried out by the export worker on the virtual deck: an insert
// edit that signals on the record point, a missed record point, and a
// print to video.
#include "support/ExportFixture.h"
#include "resources/DialogIds.h"

#include <algorithm>

namespace {

class ExportEdit : public ExportTest {
protected:
    // Insert Edit on video and A2 only, in at `in` for `frames` frames.
    void PrepareInsert(const char* in, int32_t frames)
    {
        ASSERT_EQ(0, Port().SetEditMode(1));
        ASSERT_EQ(0, Port().SetVideoFlag(1));
        for (int i = 0; i < 8; ++i)
            ASSERT_EQ(0, Port().SetAudioFlag(i == 1 ? 1 : 0, i));
        ASSERT_EQ(0, Port().SetPreviewFlag(0));
        ASSERT_EQ(0, Port().SetPreroll(2));
        ASSERT_EQ(0, Port().SetInText(in));
        ASSERT_EQ(0, Port().SetLastFrame(frames - 1));
    }

    // The settings dialog ended with the record button, then the status
    // dialog with its worker, as the editor's export command runs them.
    void StartExport()
    {
        ASSERT_EQ(0, RunSettings({[&] { Click(Dialog(), IDC_EXPORT_RECORD); }}));
        ASSERT_TRUE(Port().IsEditArmed());
        ASSERT_EQ(0, RunExportDialog(&controller, nullptr, nullptr, true));
        ASSERT_NE(nullptr, Dialog());
    }

    void EndExport()
    {
        SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_EXPORT_RECORD, BN_CLICKED), 0);
        EXPECT_EQ(nullptr, Dialog());
        EXPECT_FALSE(Port().IsEditArmed());
    }

    // The deck's frame at the moment the event is seen set.
    int64_t FrameWhenSignalled(DWORD ms)
    {
        int64_t frame = -1;
        WaitFor(
            [&] {
                if (!EventSet())
                    return false;
                frame = DeckFrame();
                return true;
            },
            ms);
        return frame;
    }

    // Waits until the deck has ended its auto edit.
    void WaitForEditEnd()
    {
        EXPECT_TRUE(WaitFor([&] { return DeckMode() != sim::TransportMode::AutoEdit; }, 15000));
    }
};

TEST_F(ExportEdit, InsertEditSignalsOnTheRecordPointAndRecordsTheChosenChannels)
{
    PrepareInsert("01:00:05:00", 45);
    StartExport();
    const int64_t in = FrameOf("01:00:05:00");
    EXPECT_EQ(in, FrameWhenSignalled(20000)) << "the event fires with the deck on the record point";
    EXPECT_TRUE(Port().IsPlayoutSignalled());
    WaitForEditEnd();
    EndExport();

    const std::vector<sim::RecordedSegment> segments = Segments();
    ASSERT_EQ(1u, segments.size());
    EXPECT_EQ(sim::RecordKind::Insert, segments[0].kind);
    EXPECT_EQ(in, segments[0].first);
    EXPECT_EQ(in + 44, segments[0].last);
    EXPECT_EQ(0x005u, segments[0].channels) << "video and A2 only";
}

TEST_F(ExportEdit, MissedRecordPointIsRecuedAndRetried)
{
    PrepareInsert("01:00:05:00", 15);
    StartExport();
    // The deck goes quiet from just before the record point until past it:
    // no pass sees the record point, and the edit must start over.
    const int64_t in = FrameOf("01:00:05:00");
    ASSERT_TRUE(WaitFor([&] { return Port().IsEditIssued() && DeckFrame() >= in - 3; }, 20000));
    SetFaults({true});
    ASSERT_TRUE(WaitFor([&] { return DeckFrame() >= in + 5; }, 5000));
    SetFaults({});
    EXPECT_TRUE(WaitFor([&] { return !Port().IsEditIssued(); }, 2000)) << "the miss is seen";
    EXPECT_FALSE(EventSet());

    EXPECT_EQ(in, FrameWhenSignalled(20000)) << "the retried edit signals on the record point";
    WaitForEditEnd();
    EndExport();
}

TEST_F(ExportEdit, AnEditTheDeckDidNotTakeIsSetUpAgain)
{
    PrepareInsert("01:00:05:00", 15);
    StartExport();
    // The deck refuses everything from its arrival on the cue point until
    // it has refused the auto edit: it stays parked there.
    const int64_t cue = FrameOf("01:00:03:00");
    ASSERT_TRUE(WaitFor([&] { return DeckFrame() == cue && DeckMode() != sim::TransportMode::Seeking; }, 20000));
    sim::DeckFaults refusing;
    refusing.nakAll = true;
    SetFaults(refusing);
    Drain();
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::vector<std::string> sent = Sent();
            return std::any_of(sent.begin(), sent.end(), [](const std::string& s) { return s == "20 42 62"; });
        },
        5000));
    SetFaults({});
    EXPECT_FALSE(Port().IsEditIssued());
    EXPECT_EQ(FrameOf("01:00:05:00"), FrameWhenSignalled(20000)) << "the edit set up again signals on time";
    WaitForEditEnd();
    EndExport();
}

TEST_F(ExportEdit, PrintToVideoRecordsAboutTwoSecondsAfterTheCueAndSignalsAfterTheDelay)
{
    ASSERT_EQ(0, Port().SetEditMode(0));
    ASSERT_EQ(0, Port().SetDelay(3));
    EXPECT_EQ(100u, Port().DelayMs()) << "3 frames at 29.97";
    ASSERT_EQ(0, Port().SetInText("01:00:05:00"));
    ASSERT_EQ(0, Port().SetLastFrame(29));
    StartExport();
    const DWORD started = GetTickCount();
    ASSERT_TRUE(WaitFor([&] { return Port().IsEditRecording(); }, 5000));
    const DWORD recording = GetTickCount() - started;
    ASSERT_TRUE(WaitFor([&] { return EventSet(); }, 5000));
    const DWORD signalled = GetTickCount() - started;
    EXPECT_GE(recording, 1900u);
    EXPECT_GE(signalled, recording + 90) << "the delay follows the record command";
    bool recordingNow = false;
    WithDeck([&](sim::VirtualVtr& deck, double now) { recordingNow = deck.Transport(now).Recording(); });
    EXPECT_TRUE(recordingNow);
    EndExport();
    EXPECT_EQ(sim::TransportMode::Stopped, DeckMode());
}

} // namespace
