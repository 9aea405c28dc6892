#include "tools/quorbench/BenchSession.h"

#include "port/DeviceControlPort.h"
#include "port/ModuleGlobals.h"
#include "editor/PluginController.h"
#include "sim/SimRack.h"
#include "sim/deck/WireTiming.h"
#include "vtr/CSerialVtrControl.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace bench {

double NowMs()
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

Spread SpreadOf(std::vector<double> samples)
{
    Spread spread;
    if (samples.empty())
        return spread;
    std::sort(samples.begin(), samples.end());
    spread.median = samples[samples.size() / 2];
    spread.worst = samples.back();
    return spread;
}

void ConfigureDecks(const sim::DeckSettings& deck, int boards)
{
    sim::RackConfig config;
    for (int i = 0; i < boards; ++i) {
        sim::BoardConfig board;
        board.type = 4;
        board.boardId = 0x10440;
        board.deck = deck;
        config.boards.push_back(board);
    }
    sim::SimRack::Instance().Configure(config);
    sim::SimRack::Instance().ClearFaults();
    sim::SimRack::Instance().ClearLog();
}

bool InitialiseInFormat(sim::TapeFormatId id)
{
    sim::DeckSettings deck;
    deck.format = id;
    deck.start = {0, 10, 56, 0, false};
    Stage(std::string("initialise, ") + sim::FormatOf(id).name);
    ConfigureDecks(deck);
    if (Call(kSelectorInitialise) == 0 && Port() && Port()->SetTimecodeFormat(static_cast<int32_t>(id)) == 0)
        return true;
    std::printf("    %s: no port in this format\n", sim::FormatOf(id).name);
    Call(kSelectorCleanup);
    return false;
}

DeviceRecord& Record()
{
    return HostEnvironment::Instance().record;
}

int16_t Call(int16_t selector)
{
    return xDevice(selector, HostEnvironment::Instance().Handle());
}

int16_t Execute(int16_t command, int16_t mode, int32_t frames, int16_t preroll)
{
    DeviceRecord& record = Record();
    record.command = command;
    record.mode = mode;
    record.timecode = frames;
    record.preroll = preroll;
    return Call(kSelectorExecute);
}

DeviceControlPort* Port()
{
    return gController ? gController->ports[0] : nullptr;
}

void WithDeck(const std::function<void(sim::VirtualVtr& deck, double nowMs)>& fn)
{
    sim::SimRack::Instance().WithDeck(0, fn);
}

int64_t DeckFrame()
{
    int64_t frame = -1;
    WithDeck([&](sim::VirtualVtr& deck, double now) { frame = deck.Transport(now).Frame(now); });
    return frame;
}

sim::TransportMode DeckMode()
{
    sim::TransportMode mode = sim::TransportMode::Stopped;
    WithDeck([&](sim::VirtualVtr& deck, double now) { mode = deck.Transport(now).Mode(); });
    return mode;
}

WireUse DrainWire(int boards)
{
    WireUse use;
    for (int board = 0; board < boards; ++board) {
        sim::SimRack::Instance().WithDeck(board, [&](sim::VirtualVtr& deck, double) {
            for (const sim::LoggedPacket& packet : deck.Packets()) {
                use.bytes += static_cast<double>(packet.bytes.size());
                if (packet.direction != sim::LoggedPacket::Direction::FromController || packet.bytes.size() < 2)
                    continue;
                ++use.exchanges;
                const uint8_t cmd1 = packet.bytes[0], cmd2 = packet.bytes[1];
                if (cmd1 == 0x61 && cmd2 == 0x0C)
                    use.timeSenseMs.push_back(packet.ms);
                if (cmd1 == 0x20 && (cmd2 == 0x42 || cmd2 == 0x40))
                    use.autoEditMs.push_back(packet.ms);
            }
            deck.ClearPackets();
        });
    }
    return use;
}

double WireFloorMs(const WireUse& use, double latencyMs)
{
    return PhysicalFloorMs(use, latencyMs) + use.exchanges * CSerialVtrControl::kReceiveWaitMs;
}

double PhysicalFloorMs(const WireUse& use, double latencyMs)
{
    return use.bytes * sim::kWireByteMs + use.exchanges * latencyMs;
}

namespace {
TimedSteps* gSteps = nullptr;
}

TimedSteps::TimedSteps(std::vector<Step> steps) : steps_(std::move(steps)), lastMs_(NowMs())
{
    gSteps = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

TimedSteps::~TimedSteps()
{
    KillTimer(nullptr, timer_);
    gSteps = nullptr;
}

void __stdcall TimedSteps::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    TimedSteps* steps = gSteps;
    if (!steps || steps->Finished() || NowMs() - steps->lastMs_ < steps->steps_[steps->next_].afterMs)
        return;
    // Counted before it runs: a step may enter a nested loop that ticks on.
    Step& step = steps->steps_[steps->next_++];
    steps->lastMs_ = NowMs();
    step.run();
}

double ThreadCpuMs(HANDLE thread)
{
    FILETIME created, exited, kernel, user;
    if (!thread || !GetThreadTimes(thread, &created, &exited, &kernel, &user))
        return 0;
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

namespace {
std::mutex gStageLock;
std::string gStage = "starting";
double gStageMs = 0;
} // namespace

void Stage(const std::string& what)
{
    std::lock_guard<std::mutex> hold(gStageLock);
    gStage = what;
    gStageMs = NowMs();
}

void StartWatchdog(double stuckMs)
{
    Stage("starting");
    std::thread([stuckMs] {
        for (;;) {
            Sleep(1000);
            std::lock_guard<std::mutex> hold(gStageLock);
            if (NowMs() - gStageMs > stuckMs) {
                std::printf("benchmark stuck for %.0f s in: %s\n", stuckMs / 1000.0, gStage.c_str());
                std::fflush(stdout);
                ExitProcess(3);
            }
        }
    }).detach();
}

} // namespace bench
