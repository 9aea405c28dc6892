#include "tools/quorhost/DeckInspection.h"

#include "tools/quorhost/Commands.h"

#include <windows.h>

namespace quorhost {

namespace {

// Rack positions are probed up to here for the first deck.
constexpr int kBoardsProbed = 64;

std::string Frames(long long count)
{
    return std::to_string(count) + (count == 1 || count == -1 ? " frame" : " frames");
}

} // namespace

DeckInspection::DeckInspection(XDeviceFn entry)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(reinterpret_cast<void*>(entry)), &module))
        return;
    deckTime_ = reinterpret_cast<DeckTimeFn>(reinterpret_cast<void*>(GetProcAddress(module, "QuorSimDeckTime")));
    tapeLog_ = reinterpret_cast<TapeLogFn>(reinterpret_cast<void*>(GetProcAddress(module, "QuorSimTapeLog")));
    if (!deckTime_ || !tapeLog_)
        return;
    for (int board = 0; board < kBoardsProbed && board_ < 0; ++board)
        if (deckTime_(board, nullptr, 0, nullptr) >= 0)
            board_ = board;
}

bool DeckInspection::Read(DeckReading& reading) const
{
    if (board_ < 0)
        return false;
    char text[32] = {};
    long long frame = 0;
    const int state = deckTime_(board_, text, sizeof text, &frame);
    if (state < 0)
        return false;
    reading.label = text;
    reading.frame = frame;
    reading.recording = state == 1;
    return true;
}

bool DeckInspection::TapeLog(std::vector<TapeSegment>& segments) const
{
    segments.clear();
    if (board_ < 0)
        return false;
    // The log may grow between the two calls: ask until it fits.
    std::string text(256, '\0');
    for (;;) {
        const int length = tapeLog_(board_, &text[0], int(text.size()));
        if (length < 0)
            return false;
        if (size_t(length) < text.size()) {
            text.resize(size_t(length));
            break;
        }
        text.assign(size_t(length) + 256, '\0');
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        TapeSegment segment;
        if (ParseTapeSegment(text.substr(start, end - start), segment))
            segments.push_back(segment);
        start = end + 1;
    }
    return true;
}

bool ParseTapeSegment(const std::string& line, TapeSegment& segment)
{
    const std::string marker = " (frames ";
    const size_t open = line.rfind(marker);
    if (open == std::string::npos || line.empty() || line.back() != ')')
        return false;
    const std::string range = line.substr(open + marker.size(), line.size() - 1 - open - marker.size());
    const size_t dash = range.find('-', 1);
    long long first = 0, last = 0;
    if (dash == std::string::npos || !ParseInteger(range.substr(0, dash), 0, 1LL << 40, first) ||
        !ParseInteger(range.substr(dash + 1), 0, 1LL << 40, last))
        return false;
    segment.text = line.substr(0, open);
    const size_t space = segment.text.find(' ');
    const size_t to = segment.text.find('-', space);
    if (space == std::string::npos || to == std::string::npos)
        return false;
    segment.firstLabel = segment.text.substr(space + 1, to - space - 1);
    segment.first = first;
    segment.last = last;
    return true;
}

std::string PrintVerdict(bool signalled, const DeckReading& atSignal, const std::vector<TapeSegment>& recorded)
{
    std::string tape = recorded.empty() ? "nothing recorded" : std::string();
    for (const TapeSegment& segment : recorded)
        tape += (tape.empty() ? "" : ", ") + segment.text;
    if (!signalled)
        return "no event; tape: " + tape;
    std::string where;
    if (recorded.empty()) {
        where = "event at " + atSignal.label;
    } else {
        const TapeSegment& take = recorded.front();
        const long long late = atSignal.frame - take.first;
        const std::string& point = take.firstLabel;
        if (late == 0)
            where = "event on the record point " + point;
        else
            where = "event " + Frames(late < 0 ? -late : late) + (late < 0 ? " before" : " after") +
                    " the record point " + point + " (deck at " + atSignal.label + ")";
    }
    return where + (atSignal.recording ? "" : ", deck not recording") + "; tape: " + tape;
}

} // namespace quorhost
