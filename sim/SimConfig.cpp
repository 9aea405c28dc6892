#include "sim/SimConfig.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace sim {

namespace {

constexpr uint32_t kMaxRepeat = 8;
constexpr double kMaxLatencyMs = 1000.0;
constexpr double kMaxUnplugMs = 86400000.0;  // a day

bool IsSeparator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\r' || c == '\n'; }

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsSeparator(s[b]))
        ++b;
    while (e > b && IsSeparator(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// Decimal or 0x hex, the whole text, within 32 bits.
bool ParseNumber(const std::string& text, uint32_t* value)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const size_t start = hex ? 2 : 0;
    if (text.size() == start)
        return false;
    uint64_t v = 0;
    for (size_t i = start; i < text.size(); ++i) {
        const char c = static_cast<char>(text[i] | 0x20);
        int digit;
        if (text[i] >= '0' && text[i] <= '9')
            digit = text[i] - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        v = v * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (v > 0xFFFFFFFFull)
            return false;
    }
    *value = static_cast<uint32_t>(v);
    return true;
}

// Milliseconds: decimal digits with an optional fraction, no sign or
// exponent, at most 'limit'.
bool ParseMs(const std::string& text, double limit, double* value)
{
    double v = 0;
    double scale = 1;
    bool digits = false;
    bool point = false;
    for (const char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (point) {
                scale /= 10;
                v += (c - '0') * scale;
            } else {
                v = v * 10 + (c - '0');
            }
        } else {
            return false;
        }
    }
    if (!digits || !(v <= limit))
        return false;
    *value = v;
    return true;
}

bool ParseYesNo(const std::string& text, bool* value)
{
    const std::string t = Lower(text);
    if (t == "yes" || t == "1") {
        *value = true;
        return true;
    }
    if (t == "no" || t == "0") {
        *value = false;
        return true;
    }
    return false;
}

// The keys that take yes or no, and what they set.
bool* SwitchOf(BoardConfig& board, const std::string& key)
{
    if (key == "rs422")
        return &board.rs422;
    if (key == "aes")
        return &board.aesInput;
    if (key == "tape")
        return &board.deck.tapeIn;
    if (key == "remote")
        return &board.deck.remote;
    if (key == "inhibit")
        return &board.deck.recordInhibit;
    if (key == "silent")
        return &board.deck.faults.silent;
    if (key == "nak")
        return &board.deck.faults.nakAll;
    return nullptr;
}

// One board entry; 'where' names it in messages ("board 2").
bool ParseBoard(const std::string& entry, const std::string& where, std::vector<BoardConfig>* out,
                std::string* error)
{
    BoardConfig board;
    uint32_t count = 1;
    // The start timecode is read against the tape format, which may come later.
    std::string tcItem, tcText;
    std::vector<std::string> seen;
    size_t i = 0;
    while (i < entry.size()) {
        while (i < entry.size() && IsSeparator(entry[i]))
            ++i;
        size_t end = i;
        while (end < entry.size() && !IsSeparator(entry[end]))
            ++end;
        if (end == i)
            break;
        const std::string item = entry.substr(i, end - i);
        i = end;

        const size_t eq = item.find('=');
        if (eq == std::string::npos || eq == 0) {
            *error = where + ": \"" + item + "\" is not key=value";
            return false;
        }
        const std::string key = Lower(item.substr(0, eq));
        const std::string value = item.substr(eq + 1);
        for (const std::string& k : seen)
            if (k == key) {
                *error = where + ": \"" + key + "\" given twice";
                return false;
            }
        seen.push_back(key);

        const auto bad = [&](const std::string& expected) {
            *error = where + ": \"" + item + "\": " + expected;
            return false;
        };
        uint32_t number = 0;
        if (bool* flag = SwitchOf(board, key)) {
            if (!ParseYesNo(value, flag))
                return bad(key + " is yes, no, 1 or 0");
        } else if (key == "type") {
            if (!ParseNumber(value, &number) || (number != 2 && number != 4 && number != 8))
                return bad("type is 2, 4 or 8");
            board.type = number;
        } else if (key == "id") {
            if (!ParseNumber(value, &board.boardId))
                return bad("id is a decimal or 0x hex number");
        } else if (key == "fb") {
            if (!ParseNumber(value, &number) || number > 15)
                return bad("fb is 0 to 15");
            board.frameBufferFormat = number;
        } else if (key == "flags") {
            if (!ParseNumber(value, &board.driverFlags))
                return bad("flags is a decimal or 0x hex number");
        } else if (key == "line") {
            const std::string v = Lower(value);
            if (v == "none")
                board.line = LineKind::None;
            else if (v == "loop")
                board.line = LineKind::Loopback;
            else if (v == "vtr")
                board.line = LineKind::Deck;
            else
                return bad("line is none, loop or vtr");
        } else if (key == "tcfmt") {
            if (!TapeFormatByName(Lower(value), &board.deck.format))
                return bad("tcfmt is 24, 25, 50, 30df, 30ndf, 60df or 60ndf");
        } else if (key == "tc") {
            tcItem = item;
            tcText = value;
        } else if (key == "latency") {
            if (!ParseMs(value, kMaxLatencyMs, &board.deck.latencyMs))
                return bad("latency is 0 to 1000 ms");
        } else if (key == "garble") {
            if (!ParseNumber(value, &board.deck.faults.garbleEvery))
                return bad("garble is a count of replies, 0 for never");
        } else if (key == "truncate") {
            if (!ParseNumber(value, &board.deck.faults.truncateEvery))
                return bad("truncate is a count of replies, 0 for never");
        } else if (key == "overlong") {
            if (!ParseNumber(value, &board.deck.faults.overlongEvery))
                return bad("overlong is a count of replies, 0 for never");
        } else if (key == "random") {
            if (!ParseNumber(value, &board.deck.faults.randomSeed))
                return bad("random is a seed, 0 for real replies");
        } else if (key == "unplug") {
            if (!ParseMs(value, kMaxUnplugMs, &board.deck.faults.unplugAfterMs))
                return bad("unplug is 0 to 86400000 ms");
        } else if (key == "count") {
            if (!ParseNumber(value, &count) || count < 1 || count > kMaxRepeat)
                return bad("count is 1 to 8");
        } else {
            *error = where + ": unknown key \"" + key + "\"";
            return false;
        }
    }
    if (!tcItem.empty() && !ParseLabelText(FormatOf(board.deck.format), tcText, &board.deck.start)) {
        *error = where + ": \"" + tcItem + "\": not a timecode HH:MM:SS:FF of tape format " +
                 FormatOf(board.deck.format).name;
        return false;
    }
    out->insert(out->end(), count, board);
    return true;
}

}  // namespace

RackConfig DefaultRackConfig()
{
    RackConfig config;
    config.boards.push_back(BoardConfig{});
    return config;
}

bool ParseRackConfig(const std::string& text, RackConfig* config, std::string* error)
{
    const std::string whole = Trim(text);
    if (whole.empty() || Lower(whole) == "none") {
        config->boards.clear();
        return true;
    }
    std::vector<BoardConfig> boards;
    size_t start = 0;
    int entryNumber = 0;
    while (start <= whole.size()) {
        size_t end = whole.find(';', start);
        if (end == std::string::npos)
            end = whole.size();
        const std::string entry = Trim(whole.substr(start, end - start));
        ++entryNumber;
        // An empty entry (a stray or trailing ';') adds nothing.
        if (!entry.empty() && !ParseBoard(entry, "board " + std::to_string(entryNumber), &boards, error))
            return false;
        start = end + 1;
    }
    config->boards = std::move(boards);
    return true;
}

RackConfig RackConfigFromEnvironment()
{
    // Unset and set-but-empty differ: empty means an empty rack.
    SetLastError(ERROR_SUCCESS);
    const DWORD needed = GetEnvironmentVariableA("QUOR_SIM", nullptr, 0);
    if (needed == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
        return DefaultRackConfig();
    std::string text;
    if (needed > 0) {
        std::vector<char> buffer(needed);
        const DWORD got = GetEnvironmentVariableA("QUOR_SIM", buffer.data(), needed);
        if (got < needed)
            text.assign(buffer.data(), got);
    }
    RackConfig config;
    std::string error;
    if (ParseRackConfig(text, &config, &error))
        return config;
    static bool reported = false;
    if (!reported) {
        reported = true;
        std::fprintf(stderr, "QUOR_SIM ignored, %s; using the default rack\n", error.c_str());
    }
    return DefaultRackConfig();
}

}  // namespace sim
