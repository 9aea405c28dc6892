// Locates through xDevice in every tape format: whether the deck plays on
// the target when the call returns, and how long that takes against the
// deck's own cue and preroll.
#include "tools/quorbench/BenchSession.h"
#include "tools/quorbench/Benchmarks.h"
#include "editor/DeckReport.h"
#include "port/DeviceControlPort.h"
#include "port/TimecodeText.h"
#include "sim/deck/DeckTransport.h"

#include <cstdio>
#include <map>

namespace bench {

namespace {

constexpr int16_t kPrerollSeconds = 1;

int64_t TapeFrameOf(const sim::TapeFormat& format, const HostTimecodeRate& rate, int32_t host)
{
    char text[16];
    FramesToTimecodeText(host, rate.rate, rate.divisor, rate.dropFrame, text);
    sim::TimeLabel label;
    return sim::ParseLabelText(format, text, &label) ? sim::FrameOf(format, label) : -1;
}

} // namespace

void MeasureLocates(const Scale& scale, BenchTable* table)
{
    std::vector<double> times, floors, ratios;
    for (sim::TapeFormatId id : kTapeFormats) {
        const sim::TapeFormat& format = sim::FormatOf(id);
        if (!scale.Includes(id) || !InitialiseInFormat(id))
            continue;
        const HostTimecodeRate rate = HostRateOf(Port());
        const int16_t preroll = static_cast<int16_t>(kPrerollSeconds * rate.nominal);
        int landed = 0, playing = 0;
        std::map<int64_t, int> misses;
        for (int k = 0; k < scale.locatesPerFormat; ++k) {
            Execute(1);
            // Ahead of the deck by a little more than the preroll, or back
            // behind it every third time.
            const int32_t target = Record().timecode + (k % 3 == 2 ? -3 : 1) * (preroll + 13 + (k * 7) % rate.nominal);
            const int64_t targetFrame = TapeFrameOf(format, rate, target);
            const int64_t cueFrame = TapeFrameOf(format, rate, target - preroll);
            const int64_t fromFrame = DeckFrame();

            const double start = NowMs();
            Execute(4, 0, target, preroll);
            const double ms = NowMs() - start;
            const int64_t frame = DeckFrame();

            playing += Record().mode == 1 && DeckMode() == sim::TransportMode::Playing;
            const bool onTarget = frame - targetFrame >= 0 && frame - targetFrame < format.TapeFramesPerLabel();
            landed += onTarget;
            if (!onTarget)
                ++misses[frame - targetFrame];
            const double floorMs =
                sim::CueMs(format, cueFrame - fromFrame) + (targetFrame - cueFrame) * format.FrameMs();
            times.push_back(ms);
            floors.push_back(floorMs);
            ratios.push_back(ms / floorMs);
            Execute(2, 0); // stopped, as the editor leaves a deck between locates
        }
        Call(kSelectorCleanup);

        std::string off;
        for (const auto& [offset, count] : misses)
            off += " " + std::to_string(count) + "x" + (offset > 0 ? "+" : "") + std::to_string(offset);
        char note[160];
        std::snprintf(note, sizeof note, "%d playing when the call returned%s%s", playing,
                      off.empty() ? "" : "; off by tape frames:", off.c_str());
        table->Add({std::string("locates landing on the target, ") + format.name, double(landed), "locates",
                    double(scale.locatesPerFormat), note});
    }
    char note[128];
    std::snprintf(note, sizeof note, "median of %zu; floor: the deck's cue, then %d s of preroll", times.size(),
                  kPrerollSeconds);
    table->Add({"locate to playing on the target", SpreadOf(times).median, "ms", SpreadOf(floors).median, note});
    const Spread ratio = SpreadOf(ratios);
    std::snprintf(note, sizeof note, "each locate against its own floor; median %.2f", ratio.median);
    table->Add({"locate to playing on the target, worst", ratio.worst, "x floor", 1.0, note});
}

} // namespace bench
