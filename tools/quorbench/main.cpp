// The benchmark: the module in this process on the simulated rack, with
// its virtual decks in wire time. Prints each figure as it is measured,
// then the table, and writes the table as CSV.
//   quorbench [--short] [--format NAME] [--out FILE]
#include "tools/quorbench/BenchSession.h"
#include "tools/quorbench/Benchmarks.h"
#include "port/ModuleGlobals.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    bool quick = false;
    std::string out = "bench.csv";
    std::string onlyFormat;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--short") == 0) {
            quick = true;
        } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            out = argv[++i];
        } else if (std::strcmp(argv[i], "--format") == 0 && i + 1 < argc) {
            onlyFormat = argv[++i];
        } else {
            std::fprintf(stderr, "usage: quorbench [--short] [--format NAME] [--out FILE]\n");
            return 2;
        }
    }
    // The dialogs come from the templates linked into this program.
    gModuleInstance = GetModuleHandleA(nullptr);
    HostEnvironment::Instance().ResetRecord();

    bench::Scale scale = quick ? bench::Scale{50, 2, 3, 3000, 5, ""} : bench::Scale{200, 20, 20, 10000, 20, ""};
    scale.onlyFormat = onlyFormat;
    std::printf("benchmark (%s run)\n", quick ? "short" : "full");
    bench::StartWatchdog(180000);
    BenchTable table;
    bench::MeasureDeckLink(scale, &table);
    bench::MeasureInitialiseWithEightBoards(scale, &table);
    bench::MeasureIdleExportDialog(scale, &table);
    bench::MeasureLocates(scale, &table);
    bench::MeasureInsertEdits(scale, &table);
    table.Print();
    if (!table.WriteCsv(out)) {
        std::fprintf(stderr, "cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("\nwritten to %s\n", out.c_str());
    return 0;
}
