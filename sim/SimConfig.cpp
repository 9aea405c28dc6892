#include "sim/SimConfig.h"

#include "sim/deck/DeckKeys.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace sim {

namespace {

constexpr uint32_t kMaxRepeat = 8;

bool IsSeparator(char c)
{
    return c == ' ' || c == ',' || c == '\t' || c == '\r' || c == '\n';
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

// The keys of a board itself; the deck on its line takes the rest.
KeyOutcome TakeBoardKey(BoardConfig& board, uint32_t& count, const std::string& key, const std::string& value,
                        std::string* expected)
{
    const auto bad = [expected](const std::string& text) {
        *expected = text;
        return KeyOutcome::Bad;
    };
    uint32_t number = 0;
    if (key == "rs422" || key == "aes") {
        if (!ParseYesNo(value, key == "rs422" ? &board.rs422 : &board.aesInput))
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
    } else if (key == "count") {
        if (!ParseNumber(value, &count) || count < 1 || count > kMaxRepeat)
            return bad("count is 1 to 8");
    } else {
        return KeyOutcome::Unknown;
    }
    return KeyOutcome::Taken;
}

// One board entry; 'where' names it in messages ("board 2").
bool ParseBoard(const std::string& entry, const std::string& where, std::vector<BoardConfig>* out, std::string* error)
{
    std::vector<std::string> items;
    size_t i = 0;
    while (i < entry.size()) {
        while (i < entry.size() && IsSeparator(entry[i]))
            ++i;
        size_t end = i;
        while (end < entry.size() && !IsSeparator(entry[end]))
            ++end;
        if (end > i)
            items.push_back(entry.substr(i, end - i));
        i = end;
    }
    BoardConfig board;
    uint32_t count = 1;
    const ExtraKeys boardKeys = [&](const std::string& key, const std::string& value, std::string* expected) {
        return TakeBoardKey(board, count, key, value, expected);
    };
    if (!ParseDeckItems(items, where, &board.deck, boardKeys, error))
        return false;
    out->insert(out->end(), count, board);
    return true;
}

} // namespace

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

} // namespace sim
