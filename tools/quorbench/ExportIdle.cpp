// The export dialog left alone: how often its worker reads the deck's time,
// and what the module costs a machine meanwhile.
#include "tools/quorbench/BenchSession.h"
#include "tools/quorbench/Benchmarks.h"
#include "port/ModuleGlobals.h"
#include "editor/PluginController.h"

#include <windows.h>

#include <cstdio>

namespace bench {

void MeasureIdleExportDialog(const Scale& scale, BenchTable* table)
{
    ConfigureDecks(sim::DeckSettings{});
    if (Call(kSelectorInitialise) != 0 || !gController) {
        std::printf("Initialise failed: no export dialog to measure\n");
        return;
    }
    HANDLE worker = nullptr;
    double startMs = 0, endMs = 0, cpuStart = 0, cpuEnd = 0;
    WireUse use;
    auto moduleCpu = [&] { return ThreadCpuMs(worker) + ThreadCpuMs(GetCurrentThread()); };
    {
        TimedSteps steps({{500,
                           [&] {
                               worker = OpenThread(THREAD_QUERY_INFORMATION, FALSE, gController->worker.threadId);
                               DrainWire();
                               cpuStart = moduleCpu();
                               startMs = NowMs();
                           }},
                          {scale.idleMs, [&] {
                               endMs = NowMs();
                               cpuEnd = moduleCpu();
                               use = DrainWire();
                               PostMessageA(CurrentDialog(), WM_CLOSE, 0, 0);
                           }}});
        Record().exportEnd = 30;
        Execute(10);
    }
    if (worker)
        CloseHandle(worker);
    Call(kSelectorCleanup);
    if (endMs <= startMs) {
        std::printf("the export dialog did not stay open to be measured\n");
        return;
    }
    const double seconds = (endMs - startMs) / 1000.0;
    char note[96];
    std::snprintf(note, sizeof note, "settings dialog, %.1f s; floor: the deck's 29.97 frames a second", seconds);
    table->Add({"worker time reads, export dialog idle", use.timeSenseMs.size() / seconds, "/s", 30000.0 / 1001, note});
    std::snprintf(note, sizeof note, "worker and dialog threads, %.0f ms CPU in %.1f s%s", cpuEnd - cpuStart, seconds,
                  worker ? "" : "; worker not found");
    table->Add({"module CPU, export dialog idle", (cpuEnd - cpuStart) / (endMs - startMs) * 100.0, "% core", 0, note});
}

} // namespace bench
