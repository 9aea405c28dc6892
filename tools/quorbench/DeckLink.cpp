// An acknowledged command and a time sense through the whole stack, against
// what the wire allows; and Initialise over a rack of eight boards.
#include "tools/quorbench/BenchSession.h"
#include "tools/quorbench/Benchmarks.h"
#include "port/DeviceControlPort.h"

#include <algorithm>
#include <cstdio>

namespace bench {

namespace {

struct Timed {
    std::vector<double> ms;
    std::vector<double> floorMs;
    std::vector<double> physicalMs;
};

template <typename Fn> Timed TimeEach(int samples, double latencyMs, Fn fn, int boards = 1)
{
    Timed timed;
    for (int i = 0; i < samples; ++i) {
        DrainWire(boards);
        const double start = NowMs();
        fn();
        timed.ms.push_back(NowMs() - start);
        const WireUse use = DrainWire(boards);
        timed.floorMs.push_back(WireFloorMs(use, latencyMs));
        timed.physicalMs.push_back(PhysicalFloorMs(use, latencyMs));
    }
    return timed;
}

// The worst sample is set against its own floor: a status poll that also
// reads the deck's status makes two exchanges. The first floor closes every
// reply with the link's byte wait, as the link once did; the physical floor
// is the wire and the deck alone.
void AddSpread(const std::string& figure, const Timed& timed, BenchTable* table)
{
    if (timed.ms.empty())
        return;
    const Spread spread = SpreadOf(timed.ms);
    const size_t worst = std::max_element(timed.ms.begin(), timed.ms.end()) - timed.ms.begin();
    char note[64];
    std::snprintf(note, sizeof note, "%zu samples", timed.ms.size());
    table->Add({figure + ", median", spread.median, "ms", SpreadOf(timed.floorMs).median, note});
    table->Add({figure + ", worst", spread.worst, "ms", timed.floorMs[worst], "against its own exchanges"});
    table->Add({figure + ", median against the physical floor", spread.median, "ms", SpreadOf(timed.physicalMs).median,
                "floor: its bytes on the wire and the deck's latency"});
    table->Add({figure + ", worst against the physical floor", spread.worst, "ms", timed.physicalMs[worst],
                "against its own exchanges"});
}

} // namespace

void MeasureDeckLink(const Scale& scale, BenchTable* table)
{
    const sim::DeckSettings deck;
    ConfigureDecks(deck);
    if (Call(kSelectorInitialise) != 0 || !Port()) {
        std::printf("Initialise failed: no deck link to measure\n");
        return;
    }
    AddSpread("Play (acknowledged)", TimeEach(scale.exchanges, deck.latencyMs, [] { Port()->Play(); }), table);
    Port()->Stop();
    // Status polls read the deck's time; every 61st also its status.
    AddSpread("xDevice Execute status (time sense)", TimeEach(scale.exchanges, deck.latencyMs, [] { Execute(1); }),
              table);
    Call(kSelectorCleanup);
}

void MeasureInitialiseWithEightBoards(const Scale& scale, BenchTable* table)
{
    const sim::DeckSettings deck;
    ConfigureDecks(deck, 8);
    Timed timed = TimeEach(
        scale.initialisations, deck.latencyMs,
        [] {
            Call(kSelectorInitialise);
            Call(kSelectorCleanup);
        },
        8);
    // Cleanup is in the sample; it only closes what Initialise opened.
    const Spread spread = SpreadOf(timed.ms);
    char note[96];
    std::snprintf(note, sizeof note, "median of %zu, with its Cleanup; worst %.1f ms", timed.ms.size(), spread.worst);
    table->Add({"Initialise with 8 boards (wall)", spread.median, "ms", SpreadOf(timed.floorMs).median, note});
}

} // namespace bench
