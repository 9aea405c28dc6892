#pragma once
// What the benchmarks share: the editor's side of xDevice on the simulated
// rack, a look at the virtual deck and at what crossed its line, a clock,
// and timed steps inside the module's modal loops.
#include "editor/DeviceRecord.h"
#include "tools/hostkit/DialogWindows.h"
#include "sim/deck/VirtualVtr.h"
#include "tools/hostkit/HostEnvironment.h"

#include <functional>
#include <string>
#include <vector>

class DeviceControlPort;

namespace bench {

double NowMs();

struct Spread {
    double median = 0;
    double worst = 0;
};
Spread SpreadOf(std::vector<double> samples);

// A fresh rack of `boards` type-4 boards, each with a deck set up as given.
void ConfigureDecks(const sim::DeckSettings& deck, int boards = 1);

// Every tape format, in the order the port's timecode formats are listed.
constexpr sim::TapeFormatId kTapeFormats[] = {
    sim::TapeFormatId::Fps24, sim::TapeFormatId::Fps25, sim::TapeFormatId::Fps50, sim::TapeFormatId::Df30,
    sim::TapeFormatId::Ndf30, sim::TapeFormatId::Df60,  sim::TapeFormatId::Ndf60};
// Initialise with one deck of the format standing at 00:10:56:00, and the
// port counting time as its tape does; false (nothing left open) otherwise.
bool InitialiseInFormat(sim::TapeFormatId id);

int16_t Call(int16_t selector);
int16_t Execute(int16_t command, int16_t mode = 0, int32_t frames = 0, int16_t preroll = 0);
DeviceRecord& Record();
// The first port of the running module, or null.
DeviceControlPort* Port();

// Runs `fn` on board 0's deck at the rack's present time.
void WithDeck(const std::function<void(sim::VirtualVtr& deck, double nowMs)>& fn);
int64_t DeckFrame();
sim::TransportMode DeckMode();

// What crossed the deck's line since the last call; the log is emptied.
struct WireUse {
    int exchanges = 0;               // command blocks the deck heard
    double bytes = 0;                // both ways
    std::vector<double> timeSenseMs; // when each time sense arrived, deck time
    std::vector<double> autoEditMs;  // when each auto edit or preview arrived
};
WireUse DrainWire(int boards = 1);
// The shortest an exchange pattern can take on a link that closes every
// reply with a quiet window: every byte on the wire, and for every command
// the deck's latency and that window.
double WireFloorMs(const WireUse& use, double latencyMs);
// The physical floor: every byte on the wire and the deck's latency for
// every command, nothing else.
double PhysicalFloorMs(const WireUse& use, double latencyMs);

// Steps run from a thread timer, each `afterMs` after the one before; the
// next modal loop this thread enters dispatches them.
class TimedSteps {
public:
    struct Step {
        double afterMs;
        std::function<void()> run;
    };
    explicit TimedSteps(std::vector<Step> steps);
    ~TimedSteps();
    TimedSteps(const TimedSteps&) = delete;
    TimedSteps& operator=(const TimedSteps&) = delete;
    bool Finished() const { return next_ >= steps_.size(); }

private:
    static void __stdcall Tick(HWND, UINT, UINT_PTR, DWORD);
    std::vector<Step> steps_;
    size_t next_ = 0;
    double lastMs_ = 0;
    UINT_PTR timer_ = 0;
};

// CPU time of a thread so far, ms.
double ThreadCpuMs(HANDLE thread);

// Where the run stands. A watchdog ends a run that stays in one stage
// longer than stuckMs, naming the stage, so that a hang fails at once.
void Stage(const std::string& what);
void StartWatchdog(double stuckMs);

} // namespace bench
