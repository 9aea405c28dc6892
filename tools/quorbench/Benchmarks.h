#pragma once
// The benchmark's parts, each adding its rows to the table.
#include "tools/quorbench/BenchTable.h"
#include "sim/deck/DeckTimecode.h"

#include <string>

namespace bench {

struct Scale {
    int exchanges; // samples of each deck exchange
    int editsPerFormat;
    int locatesPerFormat;
    double idleMs; // the export dialog left alone
    int initialisations;
    std::string onlyFormat; // the per-format parts run this format alone

    bool Includes(sim::TapeFormatId id) const { return onlyFormat.empty() || onlyFormat == sim::FormatOf(id).name; }
};

void MeasureDeckLink(const Scale& scale, BenchTable* table);
void MeasureInitialiseWithEightBoards(const Scale& scale, BenchTable* table);
void MeasureIdleExportDialog(const Scale& scale, BenchTable* table);
void MeasureInsertEdits(const Scale& scale, BenchTable* table);
void MeasureLocates(const Scale& scale, BenchTable* table);

} // namespace bench
