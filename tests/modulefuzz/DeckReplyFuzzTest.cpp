// Decks that answer with random bytes or damaged replies, driven through the
// deck controller and through the editor's calls for a bounded time: every
// call comes back soon with a failure or a value that means something, the
// port's lock is free afterwards, and a deck that answers properly again is
// understood again.
#include "editor/DeckReport.h"
#include "port/DeviceControlPort.h"
#include "support/EditorFixture.h"
#include "editor/PluginController.h"
#include "support/VtrFixture.h"

#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <string>

namespace {

constexpr DWORD kCallBoundMs = 3000;
constexpr DWORD kLocateBoundMs = 15000;
// Frames in a day of 30 drop frame, the decks' and the ports' default.
constexpr int32_t kDayFrames = 2589408;
constexpr uint8_t kGuard = 0xA5;

struct Fault {
    const char* name;
    sim::DeckFaults faults;
};

sim::DeckFaults Random(uint32_t seed)
{
    sim::DeckFaults f;
    f.randomSeed = seed;
    return f;
}

sim::DeckFaults Damaged(uint32_t garble, uint32_t truncate, uint32_t overlong)
{
    sim::DeckFaults f;
    f.garbleEvery = garble;
    f.truncateEvery = truncate;
    f.overlongEvery = overlong;
    return f;
}

// Seeds 4290 and 27338 give, as their first reply, a time block with a
// good checksum and no time of day in it (hours 25 and 26).
const Fault kFaults[] = {
    {"random 4290", Random(4290)},
    {"random 27338", Random(27338)},
    {"random 1", Random(1)},
    {"random 20261206", Random(20261206)},
    {"random 0xBADC0DE", Random(0xBADC0DE)},
    {"garble 2", Damaged(2, 0, 0)},
    {"truncate 3", Damaged(0, 3, 0)},
    {"overlong 2", Damaged(0, 0, 2)},
    {"garble 3 truncate 5 overlong 7", Damaged(3, 5, 7)},
};

// "HH?MM?SS?FF" with one separator, naming a label some tape can have.
bool IsTimecodeLabel(const char* text, char separator)
{
    if (std::strlen(text) != 11)
        return false;
    for (int i = 0; i < 11; ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (i % 3 == 2 ? text[i] != separator : !digit)
            return false;
    }
    auto field = [&](int at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); };
    return field(0) <= 23 && field(3) <= 59 && field(6) <= 59 && field(9) <= 29;
}

const std::set<std::string>& ModeTexts()
{
    static const std::set<std::string> texts = [] {
        std::set<std::string> s = {"Offline", "Tape Out", "Local",   "Stop",   "Record", "Play",
                                   "Fast Forward", "Rewind", "Seeking", "Eject", "Variable", "Still",
                                   "Cue Up", "StandBy", "Unknown", "Jog", "Shuttle"};
        for (const char* play : {"Play", "Reverse Play"})
            for (const char* suffix : {" 1/4x", " 1/2x", " 2x", " 3x", " 4x"})
                s.insert(std::string(play) + suffix);
        for (const char* wind : {"Fast Forward", "Rewind"})
            for (const char* suffix : {" 8x", " 16x", " 32x"})
                s.insert(std::string(wind) + suffix);
        s.insert("Reverse Play");
        return s;
    }();
    return texts;
}

// A text buffer of exactly the size the controller documents, with guard
// bytes after it.
template <size_t N>
struct Guarded {
    char text[N];
    uint8_t guard[8];
    Guarded()
    {
        std::memset(text, 'x', sizeof text);
        std::memset(guard, kGuard, sizeof guard);
    }
    bool Intact() const
    {
        for (uint8_t g : guard)
            if (g != kGuard)
                return false;
        return std::memchr(text, '\0', N) != nullptr;
    }
};

class ControllerReplyFuzz : public VtrTest {
protected:
    // One operation, chosen at random unless given; "" when what it gave
    // is defined, else why not.
    std::string Operate(std::mt19937& random, int choice = -1)
    {
        CSerialVtrControl& c = *control;
        const char separator = ';';  // the default format is drop frame
        switch (choice >= 0 ? choice : int(random() % 12)) {
        case 0:
        case 1: {
            Guarded<CSerialVtrControl::kTimecodeTextBytes> out;
            const bool ok = c.GetTimecode(out.text);
            if (!out.Intact())
                return "GetTimecode wrote past its 12 bytes";
            if (ok ? !IsTimecodeLabel(out.text, separator) : std::strcmp(out.text, "00;00;00;00") != 0)
                return std::string("GetTimecode gave ") + (ok ? "true" : "false") + " with " + out.text;
            return "";
        }
        case 2:
        case 3: {
            Guarded<CSerialVtrControl::kModeTextBytes> out;
            const bool ok = c.GetMode(out.text);
            if (!out.Intact())
                return "GetMode wrote past its 18 bytes";
            if (!ModeTexts().count(out.text) || ok == (std::strcmp(out.text, "Offline") == 0))
                return std::string("GetMode gave ") + (ok ? "true" : "false") + " with \"" + out.text + "\"";
            return "";
        }
        case 4: {
            uint8_t flags[CSerialVtrControl::kStatusFlagCount + 4];
            std::memset(flags, kGuard, sizeof flags);
            const bool ok = c.GetStatusFlags(flags);
            for (size_t i = CSerialVtrControl::kStatusFlagCount; i < sizeof flags; ++i)
                if (flags[i] != kGuard)
                    return "GetStatusFlags wrote past its 60 flags";
            for (size_t i = 0; i < CSerialVtrControl::kStatusFlagCount; ++i)
                if (flags[i] > 1 || (!ok && flags[i] != (i == 0)))
                    return "GetStatusFlags flag " + std::to_string(i) + " is " + std::to_string(flags[i]);
            return "";
        }
        case 5: {
            const double speed = c.GetSpeed();
            if (!std::isfinite(speed) || std::fabs(speed) > CSerialVtrControl::kMaxShuttleSpeed)
                return "GetSpeed gave " + std::to_string(speed);
            return "";
        }
        case 6: {
            const double speeds[] = {0.0, 0.25, -1.0, 2.0, -32.0, 1e9};
            c.Shuttle(speeds[random() % 6]);
            return "";
        }
        case 7: {
            switch (random() % 4) {
            case 0: c.Stop(); break;
            case 1: c.Play(); break;
            case 2: c.ShuttleStill(); break;
            default: c.FastForward(); break;
            }
            return "";
        }
        case 8:
            c.CueToTime(uint8_t(random() % 24), uint8_t(random() % 60), uint8_t(random() % 60),
                        uint8_t(random() % 30));
            return "";
        case 9:
            random() % 2 ? c.StepForward() : c.StepBackward();
            return "";
        case 10:
            random() % 2 ? c.EditSetup("01:00:10:00", "01:00:20:00", "01:00:10:00", "01:00:20:00", 0x7)
                         : c.EditReset();
            return "";
        default:
            c.GetTimecode(nullptr);
            c.GetMode(nullptr);
            return "";
        }
    }
};

TEST_F(ControllerReplyFuzz, EveryCallIsBoundedAndDefinedAndTheDeckIsUnderstoodAgain)
{
    for (const Fault& fault : kFaults) {
        sim::DeckSettings deck;
        deck.faults = fault.faults;
        Start(deck);
        std::mt19937 random(fault.faults.randomSeed + 17 * fault.faults.garbleEvery);
        const DWORD start = GetTickCount();
        for (int op = 0; op < 400 && GetTickCount() - start < 1200; ++op) {
            // The first call reads the time, so that the seeds' first replies meet it.
            const DWORD before = GetTickCount();
            const std::string wrong = Operate(random, op == 0 ? 0 : -1);
            const DWORD took = GetTickCount() - before;
            ASSERT_EQ("", wrong) << fault.name << ", operation " << op;
            ASSERT_LT(took, kCallBoundMs) << fault.name << ", operation " << op;
            ASSERT_LE(control->ReplyCount(), CSerialVtrControl::kReplyCapacity) << fault.name;
        }

        SetFaults(sim::DeckFaults{});
        Sleep(50);  // whatever the faulty deck still had on the line
        bool understood = false;
        for (int attempt = 0; attempt < 3 && !understood; ++attempt) {
            char text[CSerialVtrControl::kTimecodeTextBytes] = {};
            char mode[CSerialVtrControl::kModeTextBytes] = {};
            understood = control->GetTimecode(text) && IsTimecodeLabel(text, ';') && control->GetMode(mode) &&
                         control->Stop();
        }
        EXPECT_TRUE(understood) << fault.name << ": " << control->LastError();
        control.reset();
    }
}

class EditorReplyFuzz : public EditorTest {
protected:
    void TearDown() override
    {
        EditorTest::TearDown();
        host.positionListener = nullptr;
    }

    // What the editor reads after a status poll; "" when it can use it.
    std::string Reported() const
    {
        if (record.mode < 0 || record.mode > 19)
            return "mode " + std::to_string(record.mode);
        if (record.frameRate != 30 || record.dropFrame != 1)
            return "rate " + std::to_string(record.frameRate) + " drop " + std::to_string(record.dropFrame);
        if (record.timecode < 0 || record.timecode >= kDayFrames)
            return "timecode " + std::to_string(record.timecode);
        return "";
    }

    // The port's private lock is free when a setting behind it can be made.
    static bool PortLockFree()
    {
        DeviceControlPort* port = gController->CurrentPort();
        int32_t mode = 0;
        port->GetEditMode(&mode);
        return port->SetEditMode(mode) == 0;
    }

    // One editor call as the editor fills the record for it.
    void Operate(std::mt19937& random, int* locates)
    {
        static const int16_t kModes[] = {0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 17, 18};
        switch (random() % 8) {
        case 0:
            Execute(2, kModes[random() % (sizeof kModes / sizeof kModes[0])]);
            break;
        case 1:
            Execute(3, 0, int32_t(random() % kDayFrames));
            break;
        case 2:
            Execute(5, int16_t(int(random() % 201) - 100));
            break;
        case 3: {
            // Ended from the position display, since a deck that never
            // reads its time would otherwise hold the cue for its stall time.
            if (++*locates > 2)
                break;
            const int32_t target = int32_t(random() % kDayFrames);
            Execute(4, 0, target, int16_t(random() % 300));
            break;
        }
        case 4:
            Call(kSelectorReleasePorts);
            break;
        default:
            break;
        }
    }
};

DWORD gLocateStart = 0;

extern "C" void AbortLocateSoon(int32_t, int32_t)
{
    if (GetTickCount() - gLocateStart > 300)
        InterlockedExchange(&HostEnvironment::Instance().abortRequested, 1);
}

TEST_F(EditorReplyFuzz, EditorCallsStayBoundedAndDefinedAndTheDeckIsReportedAgain)
{
    host.positionListener = AbortLocateSoon;
    for (const Fault& fault : kFaults) {
        sim::DeckSettings deck;
        deck.faults = fault.faults;
        ConfigureDecks(deck);
        std::mt19937 random(fault.faults.randomSeed + 31 * fault.faults.truncateEvery);

        // Initialise reads the deck's time first.
        ASSERT_EQ(0, Call(kSelectorInitialise)) << fault.name;
        ASSERT_NE(nullptr, gController) << fault.name;
        EXPECT_EQ("", Reported()) << fault.name << ", Initialise";
        int locates = 0;
        const DWORD start = GetTickCount();
        for (int op = 0; op < 300 && GetTickCount() - start < 1500; ++op) {
            InterlockedExchange(&host.abortRequested, 0);
            gLocateStart = GetTickCount();
            Operate(random, &locates);
            const DWORD tookCommand = GetTickCount() - gLocateStart;
            ASSERT_LT(tookCommand, record.command == 4 ? kLocateBoundMs : kCallBoundMs)
                << fault.name << ", op " << op << " command " << record.command;
            ASSERT_TRUE(PortLockFree()) << fault.name << ", op " << op << " command " << record.command;

            const DWORD before = GetTickCount();
            ASSERT_EQ(0, Execute(1)) << fault.name;
            ASSERT_LT(GetTickCount() - before, kCallBoundMs) << fault.name << ", status after op " << op;
            ASSERT_EQ("", Reported()) << fault.name << ", status after op " << op;
            ASSERT_TRUE(PortLockFree()) << fault.name << ", status after op " << op;
        }

        // A deck that answers properly again is reported again. It is
        // stopped first: a deck still seeking a cue the fuzzing sent reports
        // no mode of its own, and the last one reported is echoed.
        SetFaults(sim::DeckFaults{});
        InterlockedExchange(&host.abortRequested, 0);
        Sleep(50);
        gController->CurrentPort()->Stop();
        bool reported = false;
        for (int attempt = 0; attempt < 3 && !reported; ++attempt) {
            Call(kSelectorReleasePorts);  // the next status reads the deck
            record.mode = 0;
            Execute(1);
            reported = record.mode != kModeOffline && Reported().empty();
        }
        EXPECT_TRUE(reported) << fault.name << ": " << Reported() << ", mode " << record.mode;
        char text[CSerialVtrControl::kTimecodeTextBytes] = {};
        gController->CurrentPort()->GetTimecodeText(text);
        EXPECT_TRUE(IsTimecodeLabel(text, ';')) << fault.name << ": " << text;
        ASSERT_EQ(0, Call(kSelectorCleanup)) << fault.name;
    }
}

} // namespace
