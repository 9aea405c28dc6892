#include "sim/deck/DeckKeys.h"

namespace sim {

namespace {

constexpr double kMaxLatencyMs = 1000.0;
constexpr double kMaxUnplugMs = 86400000.0; // a day

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

bool* SwitchOf(DeckSettings& deck, const std::string& key)
{
    if (key == "tape")
        return &deck.tapeIn;
    if (key == "remote")
        return &deck.remote;
    if (key == "inhibit")
        return &deck.recordInhibit;
    if (key == "silent")
        return &deck.faults.silent;
    if (key == "nak")
        return &deck.faults.nakAll;
    return nullptr;
}

uint32_t* CountOf(DeckSettings& deck, const std::string& key)
{
    if (key == "garble")
        return &deck.faults.garbleEvery;
    if (key == "truncate")
        return &deck.faults.truncateEvery;
    if (key == "overlong")
        return &deck.faults.overlongEvery;
    return nullptr;
}

// The start timecode is read by the caller, once the tape format is known.
KeyOutcome TakeDeckKey(const std::string& key, const std::string& value, DeckSettings* deck, std::string* expected)
{
    const auto bad = [expected](const std::string& text) {
        *expected = text;
        return KeyOutcome::Bad;
    };
    uint32_t number = 0;
    if (bool* flag = SwitchOf(*deck, key)) {
        if (!ParseYesNo(value, flag))
            return bad(key + " is yes, no, 1 or 0");
    } else if (uint32_t* count = CountOf(*deck, key)) {
        if (!ParseNumber(value, count))
            return bad(key + " is a count of replies, 0 for never");
    } else if (key == "tcfmt") {
        if (!TapeFormatByName(Lower(value), &deck->format))
            return bad("tcfmt is 24, 25, 50, 30df, 30ndf, 60df or 60ndf");
    } else if (key == "latency") {
        if (!ParseMs(value, kMaxLatencyMs, &deck->latencyMs))
            return bad("latency is 0 to 1000 ms");
    } else if (key == "bytegap") {
        if (!ParseMs(value, kMaxLatencyMs, &deck->interByteTimeoutMs) || deck->interByteTimeoutMs <= 0)
            return bad("bytegap is above 0 and at most 1000 ms");
    } else if (key == "random") {
        if (!ParseNumber(value, &deck->faults.randomSeed))
            return bad("random is a seed, 0 for real replies");
    } else if (key == "unplug") {
        if (!ParseMs(value, kMaxUnplugMs, &deck->faults.unplugAfterMs))
            return bad("unplug is 0 to 86400000 ms");
    } else if (key == "devtype") {
        if (!ParseNumber(value, &number) || number > 0xFFFF)
            return bad("devtype is a 16-bit number, 0x2025 say");
        deck->deviceType = static_cast<uint16_t>(number);
    } else {
        return KeyOutcome::Unknown;
    }
    return KeyOutcome::Taken;
}

} // namespace

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

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

bool ParseDeckItems(const std::vector<std::string>& items, const std::string& where, DeckSettings* out,
                    const ExtraKeys& extra, std::string* error)
{
    DeckSettings deck = *out;
    std::string tcItem, tcText;
    std::vector<std::string> seen;
    for (const std::string& item : items) {
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

        std::string expected;
        KeyOutcome outcome = KeyOutcome::Taken;
        if (key == "tc") {
            tcItem = item;
            tcText = value;
        } else {
            outcome = TakeDeckKey(key, value, &deck, &expected);
            if (outcome == KeyOutcome::Unknown && extra)
                outcome = extra(key, value, &expected);
        }
        if (outcome == KeyOutcome::Bad) {
            *error = where + ": \"" + item + "\": " + expected;
            return false;
        }
        if (outcome == KeyOutcome::Unknown) {
            *error = where + ": unknown key \"" + key + "\"";
            return false;
        }
    }
    if (!tcItem.empty() && !ParseLabelText(FormatOf(deck.format), tcText, &deck.start)) {
        *error =
            where + ": \"" + tcItem + "\": not a timecode HH:MM:SS:FF of tape format " + FormatOf(deck.format).name;
        return false;
    }
    *out = deck;
    return true;
}

const char* DeckKeysHelp()
{
    return "  tape=yes|no        a tape is in (yes)\n"
           "  remote=yes|no      the deck is in remote (yes); in local it refuses commands\n"
           "  inhibit=yes|no     the tape's record tab is out (no)\n"
           "  tcfmt=FORMAT       24, 25, 50, 30df, 30ndf, 60df or 60ndf (30df)\n"
           "  tc=HH:MM:SS:FF     where the tape stands (01:00:00:00)\n"
           "  latency=MS         from a command's last byte to the reply (1), 0 to 1000\n"
           "  devtype=N          the device type it announces (0x2025)\n"
           "  bytegap=MS         the gap between a command's bytes that drops it (10)\n"
           "  silent=yes|no      hears and obeys, never answers (no)\n"
           "  nak=yes|no         refuses every command (no)\n"
           "  garble=N           every Nth reply has a byte corrupted (0: never)\n"
           "  truncate=N         every Nth reply loses its second half (0: never)\n"
           "  overlong=N         every Nth reply runs on with 40 more bytes (0: never)\n"
           "  random=SEED        every reply is 1 to 40 random bytes (0: real replies)\n"
           "  unplug=MS          goes away this long after the first byte it hears\n";
}

} // namespace sim
