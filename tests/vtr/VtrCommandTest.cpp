// The bytes each deck command puts on the wire, and results that follow the
// deck's answer.
#include "support/VtrFixture.h"

#include <cmath>
#include <functional>
#include <limits>

namespace {

class VtrCommands : public VtrTest {
protected:
    // Runs the command and checks the one block it sent; its result must
    // be true exactly when the deck acknowledged.
    void ExpectCommand(const char* name, const std::function<bool()>& command, const std::string& bytes)
    {
        Drain();
        const bool result = command();
        const Wire wire = Drain();
        EXPECT_EQ(std::vector<std::string>{bytes}, wire.sent) << name;
        ASSERT_EQ(1u, wire.received.size()) << name;
        EXPECT_EQ(wire.received[0] == "10 01 11", result) << name << " answered " << wire.received[0];
    }

    // A frame step from a deck parked on the label given: the cue block
    // it sent.
    std::string StepCue(sim::TapeFormatId format, sim::TimeLabel start, uint32_t formatIndex, bool forward)
    {
        sim::DeckSettings deck;
        deck.format = format;
        deck.start = start;
        Start(deck);
        EXPECT_TRUE(control->SetTimecodeFormat(formatIndex));
        EXPECT_TRUE(forward ? control->StepForward() : control->StepBackward()) << control->LastError();
        const std::vector<std::string> sent = Sent();
        return sent.empty() ? "" : sent.back();
    }

    // The same, and where the deck then parks.
    std::string StepFrom(sim::TapeFormatId format, sim::TimeLabel start, uint32_t formatIndex, bool forward)
    {
        StepCue(format, start, formatIndex, forward);
        WaitUntilParked();
        return Timecode();
    }
};

TEST_F(VtrCommands, TransportCommandsSendTheirBytesAndRecordTheirSpeed)
{
    using C = CSerialVtrControl;
    const struct {
        const char* name;
        bool (C::*command)();
        const char* bytes;
        double speed;
    } table[] = {
        {"Play", &C::Play, "20 01 21", 1.0},
        {"Stop", &C::Stop, "20 00 20", 0.0},
        {"Record", &C::Record, "20 02 22", 1.0},
        {"FastForward", &C::FastForward, "20 10 30", 50.0},
        {"Rewind", &C::Rewind, "20 20 40", -50.0},
        {"JogReversePlay", &C::JogReversePlay, "21 21 40 82", -1.0},
        {"JogForwardFast", &C::JogForwardFast, "21 11 5D 8F", 8.0},
        {"JogReverseFast", &C::JogReverseFast, "21 21 5D 9F", -8.0},
        {"ShuttleStill", &C::ShuttleStill, "21 13 00 34", 0.0},
        {"Preview", &C::Preview, "20 40 60", 1.0},
        {"AutoEdit", &C::AutoEdit, "20 42 62", 1.0},
        {"Eject", &C::Eject, "20 0F 2F", 0.0},
    };
    for (const auto& row : table) {
        ExpectCommand(
            row.name, [&] { return ((*control).*row.command)(); }, row.bytes);
        EXPECT_EQ(row.speed, control->CommandSpeed()) << row.name;
    }
    // The tape is out now: the deck refuses, and the result says so.
    ExpectCommand(
        "Play without tape", [&] { return control->Play(); }, "20 01 21");
}

TEST_F(VtrCommands, ShuttleCodesTheSpeedAndItsDirection)
{
    const struct {
        double speed;
        const char* bytes;
        double recorded;
    } table[] = {
        {1.0, "21 13 40 74", 1.0},
        {-8.0, "21 23 5D A1", -8.0},
        {0.5, "21 13 36 6A", 0.5},
        {-32.0, "21 23 70 B4", -32.0},
        {0.0, "21 13 00 34", 0.0},
        {-0.001, "21 23 00 44", -0.001},
        {std::numeric_limits<double>::quiet_NaN(), "21 13 00 34", 0.0},
        {1e12, "21 13 A0 D4", 1000.0},
        {-std::numeric_limits<double>::infinity(), "21 23 A0 E4", -1000.0},
    };
    for (const auto& row : table) {
        ExpectCommand(
            "Shuttle", [&] { return control->Shuttle(row.speed); }, row.bytes);
        EXPECT_EQ(row.recorded, control->CommandSpeed()) << row.speed;
    }
}

TEST_F(VtrCommands, CuesSendBcdTimeAndLeaveTheSpeedAlone)
{
    ASSERT_TRUE(control->Play());
    ExpectCommand(
        "CueToTime", [&] { return control->CueToTime(1, 2, 3, 4); }, "24 31 04 03 02 01 5F");
    ExpectCommand(
        "CueToTimecode", [&] { return control->CueToTimecode("00:59:58:15"); }, "24 31 15 58 59 00 1B");
    EXPECT_EQ(1.0, control->CommandSpeed());
    WaitUntilParked();
    EXPECT_EQ("00;59;58;15", Timecode());

    // Whatever the text, only its fields are read, and never past its end.
    ExpectCommand(
        "short text", [&] { return control->CueToTimecode("10:2"); }, "24 31 00 00 02 10 67");
    ExpectCommand(
        "null text", [&] { return control->CueToTimecode(nullptr); }, "24 31 00 00 00 00 55");
}

TEST_F(VtrCommands, EditSetupAndResetSendTheirSequences)
{
    ASSERT_TRUE(control->SetPreroll(5));
    ASSERT_TRUE(control->EditSetup("00:00:10:00", "00:00:20:00", "00:00:11:00", "00:00:19:00", 0x007));
    const std::vector<std::string> setup = {
        "40 41 81",
        "44 31 00 05 00 00 7A",
        "44 14 00 10 00 00 68",
        "44 16 00 11 00 00 6B",
        "44 15 00 20 00 00 79",
        "44 17 00 19 00 00 74",
        "41 30 53 C4",
    };
    EXPECT_EQ(setup, Sent());
    ASSERT_TRUE(control->EditSetup("00:00:10:00", "00:00:20:00", "00:00:10:00", "00:00:20:00", 0x009));
    EXPECT_EQ("42 30 50 04 C6", Sent().back());
    ASSERT_TRUE(control->EditSetup("", "", "", "", 0x1FE));
    EXPECT_EQ("42 30 40 FF B1", Sent().back());

    ASSERT_TRUE(control->Play());
    Drain();
    ASSERT_TRUE(control->EditReset());
    EXPECT_EQ(0.0, control->CommandSpeed());
    const std::vector<std::string> reset = {
        "20 00 20", "40 40 80", "41 30 00 71", "40 20 60", "40 21 61", "40 22 62", "40 23 63",
    };
    EXPECT_EQ(reset, Sent());

    // A preset the deck does not take fails the whole setup, though every
    // packet still goes out.
    sim::DeckFaults nak;
    nak.nakAll = true;
    SetFaults(nak);
    EXPECT_FALSE(control->EditSetup("00:00:10:00", "00:00:20:00", "00:00:10:00", "00:00:20:00", 1));
    EXPECT_EQ(7u, Sent().size());
    EXPECT_FALSE(control->EditReset());
}

TEST_F(VtrCommands, TimeIsReadFromTheChosenSourceInTheFormatsSeparators)
{
    for (uint32_t source : {0u, 1u, 2u}) {
        ASSERT_TRUE(control->SetTimecodeSource(source));
        EXPECT_EQ("01;00;00;00", Timecode());
        const char* sense[] = {"61 0C 01 6E", "61 0C 02 6F", "61 0C 03 70"};
        EXPECT_EQ(std::vector<std::string>{sense[source]}, Sent());
    }
    ASSERT_TRUE(control->SetTimecodeFormat(4));
    EXPECT_EQ("01:00:00:00", Timecode()) << "separators follow the format set here";
}

TEST_F(VtrCommands, FrameStepsCrossEveryBoundary)
{
    using sim::TapeFormatId;
    const struct {
        TapeFormatId format;
        uint32_t index;
        sim::TimeLabel from;
        const char* forward;
        const char* backwardFromThere;
    } table[] = {
        {TapeFormatId::Ndf30, 4, {0, 0, 10, 29}, "00:00:11:00", "00:00:10:29"},
        {TapeFormatId::Ndf30, 4, {0, 0, 59, 29}, "00:01:00:00", "00:00:59:29"},
        {TapeFormatId::Ndf30, 4, {0, 9, 59, 29}, "00:10:00:00", "00:09:59:29"},
        {TapeFormatId::Ndf30, 4, {0, 59, 59, 29}, "01:00:00:00", "00:59:59:29"},
        {TapeFormatId::Df30, 3, {0, 0, 10, 29}, "00;00;11;00", "00;00;10;29"},
        {TapeFormatId::Df30, 3, {0, 0, 59, 29}, "00;01;00;02", "00;00;59;29"},
        {TapeFormatId::Df30, 3, {0, 9, 59, 29}, "00;10;00;00", "00;09;59;29"},
        {TapeFormatId::Df30, 3, {1, 59, 59, 29}, "02;00;00;00", "01;59;59;29"},
        {TapeFormatId::Fps25, 1, {10, 59, 59, 24}, "11:00:00:00", "10:59:59:24"},
        {TapeFormatId::Fps24, 0, {0, 0, 0, 23}, "00:00:01:00", "00:00:00:23"},
    };
    for (const auto& row : table) {
        const std::string there = StepFrom(row.format, row.from, row.index, true);
        EXPECT_EQ(row.forward, there);
        sim::TimeLabel reached;
        ASSERT_TRUE(sim::ParseLabelText(sim::FormatOf(row.format), there, &reached)) << there;
        EXPECT_EQ(row.backwardFromThere, StepFrom(row.format, reached, row.index, false));
    }
    // Back one frame from the second label of a drop-frame minute.
    EXPECT_EQ("00;00;59;29", StepFrom(TapeFormatId::Df30, {0, 1, 0, 2}, 3, false));
    EXPECT_EQ("00:01:00:01", StepFrom(TapeFormatId::Ndf30, {0, 1, 0, 2}, 4, false));

    // Timecode is a 24-hour clock: steps over midnight wrap, in the cue.
    EXPECT_EQ("24 31 00 00 00 00 55", StepCue(TapeFormatId::Fps25, {23, 59, 59, 24}, 1, true));
    EXPECT_EQ("24 31 24 59 59 23 4E", StepCue(TapeFormatId::Fps25, {0, 0, 0, 0}, 1, false));
}

TEST_F(VtrCommands, AStepStillsTheDeckFirstAndNeedsItsTime)
{
    ASSERT_TRUE(control->Play());
    Drain();
    ASSERT_TRUE(control->StepForward());
    const std::vector<std::string> sent = Sent();
    ASSERT_EQ(4u, sent.size());
    EXPECT_EQ("61 20 0A 8B", sent[0]);
    EXPECT_EQ("21 13 00 34", sent[1]);
    EXPECT_EQ("61 0C 01 6E", sent[2]);
    EXPECT_EQ("24 31", sent[3].substr(0, 5));

    // No time, no cue: a step never starts from a stale answer.
    sim::DeckFaults garble;
    garble.garbleEvery = 1;
    SetFaults(garble);
    EXPECT_FALSE(control->StepBackward());
    for (const std::string& block : Sent())
        EXPECT_NE("24 31", block.substr(0, 5));
}

} // namespace
