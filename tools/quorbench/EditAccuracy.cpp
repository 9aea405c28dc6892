// Insert edits through the editor's Export to Tape, in every tape format:
// whether "PPro Quor Print" comes with the deck exactly on the record point
// (its timecode label: the editor counts labels, and a double-rate label
// spans two tape frames),
// whether the tape's recording starts there, and how often the worker reads
// the deck's time while it waits for that frame.
#include "tools/quorbench/BenchSession.h"
#include "tools/quorbench/Benchmarks.h"
#include "editor/ExportLaunch.h"
#include "editor/DeckReport.h"
#include "port/DeviceControlPort.h"
#include "port/ModuleGlobals.h"
#include "editor/PluginController.h"
#include "port/TimecodeText.h"
#include "resources/DialogIds.h"
#include "tools/hostkit/MessageBoxWatcher.h"

#include <windows.h>

#include <cstdio>
#include <map>

namespace bench {

namespace {

constexpr int32_t kProgramFrames = 15;

struct EditTally {
    int edits = 0;
    int signalled = 0;
    int onLabel = 0;               // the deck's timecode is the record point's
    int onFrame = 0;               // the deck's tape frame is the label's first
    int recordedFromIn = 0;        // the tape's insert starts on the in point
    std::map<int64_t, int> misses; // signal frame - in frame: count
    double huntReads = 0;          // time senses between the auto edit and the signal
    double huntMs = 0;
};

void ReportBoxes(const sim::TapeFormat& format, const MessageBoxWatcher& boxes)
{
    for (const MessageBoxWatcher::Box& box : boxes.Boxes())
        if (box.text != "Export To Tape Successful.")
            std::printf("    %s: the module said \"%s\"\n", format.name, box.text.c_str());
}

// One insert edit of kProgramFrames at `inHost` (the editor's frame count).
void RunEdit(const sim::TapeFormat& format, int32_t inHost, HANDLE event, EditTally* tally)
{
    DeviceControlPort* port = Port();
    const HostTimecodeRate rate = HostRateOf(port);
    char inText[16];
    FramesToTimecodeText(inHost, rate.rate, rate.divisor, rate.dropFrame, inText);
    sim::TimeLabel label;
    if (!sim::ParseLabelText(format, inText, &label) || port->SetInText(inText) != 0) {
        std::printf("    %s: no record point %s\n", format.name, inText);
        return;
    }
    const int64_t inFrame = sim::FrameOf(format, label);
    ++tally->edits;
    // A refusal the module reports in a box would otherwise wait for a
    // click that never comes.
    MessageBoxWatcher boxes;

    const std::string edit = std::string("insert edit, ") + format.name + ", in " + inText;
    Stage(edit + ": export dialog");
    ResetEvent(event);
    DrainWire();
    int16_t result = -1;
    {
        // A record button the module refused leaves the dialog open.
        TimedSteps steps({{300, [] { Click(CurrentDialog(), IDC_EXPORT_RECORD); }},
                          {10000, [] { PostMessageA(CurrentDialog(), WM_CLOSE, 0, 0); }}});
        Record().exportEnd = kProgramFrames;
        result = Execute(10);
    }
    if (result != 0) {
        std::printf("    %s: export command gave %d\n", format.name, result);
        ReportBoxes(format, boxes);
        return;
    }

    Stage(edit + ": waiting for the signal");
    int64_t signalFrame = -1;
    double signalDeckMs = 0;
    const double start = NowMs();
    while (NowMs() - start < 30000) {
        if (MsgWaitForMultipleObjects(1, &event, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) {
            WithDeck([&](sim::VirtualVtr& deck, double now) {
                signalFrame = deck.Transport(now).Frame(now);
                signalDeckMs = now;
            });
            break;
        }
        PumpMessages();
    }
    const WireUse use = DrainWire();
    if (signalFrame < 0) {
        std::printf("    %s: no signal for the record point %s within 30 s; the deck at %s, %s\n", format.name, inText,
                    sim::FrameText(format, DeckFrame()).c_str(),
                    port->IsEditIssued() ? "edit issued" : "no edit issued");
    } else if (signalFrame != inFrame) {
        std::printf("    %s: signal for the record point %s with the deck at %s\n", format.name, inText,
                    sim::FrameText(format, signalFrame).c_str());
    }
    if (signalFrame >= 0) {
        ++tally->signalled;
        tally->onFrame += signalFrame == inFrame;
        tally->onLabel += sim::LabelText(format, sim::LabelOf(format, signalFrame)).substr(0, 11) ==
                          sim::LabelText(format, label).substr(0, 11);
        if (signalFrame != inFrame)
            ++tally->misses[signalFrame - inFrame];
        if (!use.autoEditMs.empty()) {
            const double from = use.autoEditMs.back();
            for (double ms : use.timeSenseMs)
                tally->huntReads += ms > from && ms <= signalDeckMs;
            tally->huntMs += signalDeckMs - from;
        }
    }

    // The program plays out; then the editor ends the print as it would.
    Stage(edit + ": playing out and ending the print");
    const int64_t outFrame = inFrame + kProgramFrames * format.TapeFramesPerLabel();
    PumpUntil([&] { return DeckFrame() > outFrame + 2 || DeckMode() != sim::TransportMode::AutoEdit; }, 15000);
    if (Record().printCallback)
        Record().printCallback(HostEnvironment::Instance().Handle(), 3);
    Execute(10);
    ReportBoxes(format, boxes);

    WithDeck([&](sim::VirtualVtr& deck, double now) {
        const std::vector<sim::RecordedSegment>& segments = deck.Transport(now).Segments();
        tally->recordedFromIn +=
            !segments.empty() && segments.back().first == inFrame && segments.back().kind == sim::RecordKind::Insert;
    });
}

void AddFormatRows(const sim::TapeFormat& format, const EditTally& tally, BenchTable* table)
{
    std::string misses;
    for (const auto& [offset, count] : tally.misses)
        misses += " " + std::to_string(count) + "x" + (offset > 0 ? "+" : "") + std::to_string(offset);
    char note[192];
    std::snprintf(note, sizeof note,
                  "of %d edits: %d signalled, %d on the first tape frame, %d recorded from the in point%s%s",
                  tally.edits, tally.signalled, tally.onFrame, tally.recordedFromIn,
                  misses.empty() ? "" : "; tape frames late:", misses.c_str());
    table->Add({std::string("insert edits signalled on the record point, ") + format.name, double(tally.onLabel),
                "edits", double(tally.edits), note});
    const double frameRate = 1000.0 / format.FrameMs();
    std::snprintf(note, sizeof note, "from the auto edit to the signal, %.1f s in all; floor: tape frames/s",
                  tally.huntMs / 1000.0);
    table->Add({std::string("worker time reads during insert edits, ") + format.name,
                tally.huntMs > 0 ? tally.huntReads / (tally.huntMs / 1000.0) : 0, "/s", frameRate, note});
}

} // namespace

void MeasureInsertEdits(const Scale& scale, BenchTable* table)
{
    for (sim::TapeFormatId id : kTapeFormats) {
        const sim::TapeFormat& format = sim::FormatOf(id);
        if (!scale.Includes(id) || !InitialiseInFormat(id))
            continue;
        HANDLE event = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, "PPro Quor Print");
        DeviceControlPort* port = Port();
        port->SetEditMode(1);
        port->SetPreviewFlag(0);
        port->SetVideoFlag(1);
        for (int i = 0; i < 8; ++i)
            port->SetAudioFlag(i == 0, i);
        port->SetPreroll(1);
        port->SetLastFrame(kProgramFrames - 1);

        const HostTimecodeRate rate = HostRateOf(port);
        // From where the deck stands, across 00:11:00:00, whose first labels
        // drop frame skips.
        int32_t startHost = 0;
        TimecodeTextToFrames("00:10:56:00", rate.rate, rate.divisor, rate.dropFrame, &startHost);
        EditTally tally;
        int32_t in = startHost + 3 * rate.nominal;
        for (int k = 0; k < scale.editsPerFormat && event; ++k) {
            RunEdit(format, in, event, &tally);
            // Two seconds on, and a few frames more each time, so that the
            // record points fall on every frame of a second.
            in += 2 * rate.nominal + (k * 7) % rate.nominal;
        }
        if (event)
            CloseHandle(event);
        Stage(std::string("cleanup after the insert edits, ") + format.name);
        Call(kSelectorCleanup);
        AddFormatRows(format, tally, table);
    }
}

} // namespace bench
