#include "tools/quorhost/Commands.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace quorhost {

namespace {

constexpr long long kInt16Min = -32768;
constexpr long long kInt16Max = 32767;
constexpr long long kInt32Min = -2147483647LL - 1;
constexpr long long kInt32Max = 2147483647LL;
constexpr long long kLongestSleepMs = 24LL * 3600 * 1000;

constexpr int16_t kExecuteNewMode = 2;
constexpr int16_t kExecuteShuttle = 5;
constexpr int16_t kExecuteEject = 8;
constexpr int16_t kModeStepForward = 9;
constexpr int16_t kModeStepBack = 10;

struct CommandWord {
    const char* word;
    CommandKind kind;
};

const CommandWord kCommandWords[] = {
    {"init", CommandKind::Init},         {"setup", CommandKind::Setup},     {"execute", CommandKind::Execute},
    {"cleanup", CommandKind::Cleanup},   {"restart", CommandKind::Restart}, {"release", CommandKind::Release},
    {"selector", CommandKind::Selector}, {"status", CommandKind::Status},   {"features", CommandKind::Features},
    {"name", CommandKind::Name},         {"handles", CommandKind::Handles}, {"sleep", CommandKind::Sleep},
    {"goto", CommandKind::Goto},         {"locate", CommandKind::Locate},   {"watch", CommandKind::Watch},
    {"export", CommandKind::Export},
};

// What follows a deck word.
enum class DeckArgument { None, Step, Mode, Speed };

struct DeckWord {
    const char* word;
    int16_t code; // the execute command code
    DeckArgument argument;
    int16_t mode; // with DeckArgument::None and code 2: the mode the word stands for
};

const DeckWord kDeckWords[] = {
    {"play", kExecuteNewMode, DeckArgument::None, 1},  {"stop", kExecuteNewMode, DeckArgument::None, 0},
    {"still", kExecuteNewMode, DeckArgument::None, 4}, {"ff", kExecuteNewMode, DeckArgument::None, 5},
    {"rew", kExecuteNewMode, DeckArgument::None, 6},   {"step", kExecuteNewMode, DeckArgument::Step, 0},
    {"mode", kExecuteNewMode, DeckArgument::Mode, 0},  {"shuttle", kExecuteShuttle, DeckArgument::Speed, 0},
    {"eject", kExecuteEject, DeckArgument::None, 0},
};

bool FindCommandWord(const std::string& word, CommandKind& kind)
{
    for (const CommandWord& c : kCommandWords) {
        if (word == c.word) {
            kind = c.kind;
            return true;
        }
    }
    return false;
}

const DeckWord* FindDeckWord(const std::string& word)
{
    for (const DeckWord& d : kDeckWords) {
        if (word == d.word)
            return &d;
    }
    return nullptr;
}

bool TakeNumber(const std::vector<std::string>& words, size_t& next, const std::string& command, const char* what,
                long long min, long long max, long long& value, std::string& error)
{
    if (next >= words.size()) {
        error = "'" + command + "' needs " + what;
        return false;
    }
    if (!ParseInteger(words[next], min, max, value)) {
        error = "'" + command + "': '" + words[next] + "' is not " + what + " (" + std::to_string(min) + " to " +
                std::to_string(max) + ")";
        return false;
    }
    ++next;
    return true;
}

constexpr long long kLargestControlId = 0xFFFF; // a dialog control's ID is a WORD
constexpr long long kLargestRow = 32767;

// The characters a person types into the module's number and timecode fields;
// anything else would only test the edit control, not the module.
constexpr char kTypeableCharacters[] = "0123456789+-:;";

bool IsDialogActionKey(const std::string& key)
{
    return key == "press" || key == "choose" || key == "type" || key == "wait";
}

// The key=value words after a command that makes one xDevice call: its
// dialog actions and, after "execute N", the record values.
bool TakeCommandValues(const std::vector<std::string>& words, size_t& next, HostCommand& command,
                       const std::string& name, std::string& error)
{
    const bool execute = command.kind == CommandKind::Execute;
    while (next < words.size()) {
        const std::string& word = words[next];
        const size_t equals = word.find('=');
        // The one action without a value.
        if (equals == std::string::npos && word != "close")
            return true;
        const std::string key = word.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : word.substr(equals + 1);
        if (word == "close" || IsDialogActionKey(key)) {
            DialogAction action;
            if (!ParseDialogAction(word, action, error)) {
                error = "'" + name + "': " + error;
                return false;
            }
            command.dialog.push_back(action);
            ++next;
            continue;
        }
        bool* given = nullptr;
        long long min = kInt16Min, max = kInt16Max;
        if (execute && key == "mode") {
            given = &command.setMode;
        } else if (execute && key == "frames") {
            given = &command.setFrames;
            min = kInt32Min;
            max = kInt32Max;
        } else if (execute && key == "preroll") {
            given = &command.setPreroll;
        } else {
            error = "'" + name + "': unknown " + (execute ? "value" : "action") + " '" + key + "' (" +
                    (execute ? "mode, frames, preroll, " : "") + "press, choose, type, wait or close)";
            return false;
        }
        if (*given) {
            error = "'" + name + "': " + key + " given twice";
            return false;
        }
        long long number = 0;
        if (!ParseInteger(value, min, max, number)) {
            error = "'" + name + "': " + key + " '" + value + "' is not a number from " + std::to_string(min) + " to " +
                    std::to_string(max);
            return false;
        }
        *given = true;
        if (key == "mode")
            command.mode = int16_t(number);
        else if (key == "frames")
            command.frames = int32_t(number);
        else
            command.preroll = int16_t(number);
        ++next;
    }
    return true;
}

void AppendCommandValues(HostCommand& command)
{
    if (command.setMode)
        command.text += " mode=" + std::to_string(command.mode);
    if (command.setFrames)
        command.text += " frames=" + std::to_string(command.frames);
    if (command.setPreroll)
        command.text += " preroll=" + std::to_string(command.preroll);
    for (const DialogAction& action : command.dialog)
        command.text += " " + DialogActionText(action);
}

bool TakeStep(const std::vector<std::string>& words, size_t& next, HostCommand& command, std::string& error)
{
    if (next >= words.size()) {
        error = "'step' needs +1 or -1";
        return false;
    }
    const std::string& word = words[next];
    if (word != "+1" && word != "1" && word != "-1") {
        error = "'step': '" + word + "' is not +1 or -1";
        return false;
    }
    ++next;
    const bool back = word == "-1";
    command.setMode = true;
    command.mode = back ? kModeStepBack : kModeStepForward;
    command.text += back ? " -1" : " +1";
    return true;
}

// The arguments of play, stop, step, mode, shuttle, eject ...
bool TakeDeckArguments(const DeckWord& deck, const std::vector<std::string>& words, size_t& next, HostCommand& command,
                       std::string& error)
{
    command.number = deck.code;
    long long number = 0;
    switch (deck.argument) {
    case DeckArgument::None:
        command.setMode = deck.code == kExecuteNewMode;
        command.mode = deck.mode;
        return true;
    case DeckArgument::Step:
        return TakeStep(words, next, command, error);
    case DeckArgument::Mode:
    case DeckArgument::Speed:
        if (!TakeNumber(words, next, command.text, deck.argument == DeckArgument::Speed ? "a speed" : "a mode",
                        kInt16Min, kInt16Max, number, error))
            return false;
        command.setMode = true;
        command.mode = int16_t(number);
        command.text += " " + std::to_string(number);
        return true;
    }
    return false;
}

bool TakeTimecode(const std::vector<std::string>& words, size_t& next, HostCommand& command, std::string& error)
{
    if (next >= words.size()) {
        error = "'" + command.text + "' needs a timecode HH:MM:SS:FF";
        return false;
    }
    std::string problem;
    if (!ParseTimecodeLabel(words[next], command.target, problem)) {
        error = "'" + command.text + "': " + problem;
        return false;
    }
    command.text += " " + words[next++];
    return true;
}

bool TakeLocateArguments(const std::vector<std::string>& words, size_t& next, HostCommand& command, std::string& error)
{
    if (!TakeTimecode(words, next, command, error))
        return false;
    // Without --preroll, 0 is sent: a preroll left by an earlier call must not be reused unseen.
    command.preroll = 0;
    if (next >= words.size() || words[next] != "--preroll")
        return true;
    ++next;
    long long number = 0;
    if (!TakeNumber(words, next, "locate --preroll", "a frame count", 0, kInt16Max, number, error))
        return false;
    command.preroll = int16_t(number);
    command.text += " --preroll " + std::to_string(number);
    return true;
}

// A day of frames at 30: the program is played in real time.
constexpr long long kLongestExport = 24LL * 3600 * 30;
constexpr long long kLongestSignalWait = 3600;

// export --end FRAMES [--timeout SECONDS], in either order, then actions.
bool TakeExportArguments(const std::vector<std::string>& words, size_t& next, HostCommand& command, std::string& error)
{
    bool haveEnd = false, haveTimeout = false;
    long long number = 0;
    while (next < words.size() && (words[next] == "--end" || words[next] == "--timeout")) {
        const std::string option = words[next++];
        const bool end = option == "--end";
        if ((end && haveEnd) || (!end && haveTimeout)) {
            error = "'export': " + option + " given twice";
            return false;
        }
        if (end) {
            if (!TakeNumber(words, next, "export --end", "a frame count", 1, kLongestExport, number, error))
                return false;
            command.frames = int32_t(number);
            haveEnd = true;
        } else {
            if (!TakeNumber(words, next, "export --timeout", "seconds", 1, kLongestSignalWait, number, error))
                return false;
            command.signalTimeoutSeconds = int32_t(number);
            haveTimeout = true;
        }
    }
    if (!haveEnd) {
        error = "'export' needs --end FRAMES, the program's length";
        return false;
    }
    command.text += " --end " + std::to_string(command.frames);
    if (haveTimeout)
        command.text += " --timeout " + std::to_string(command.signalTimeoutSeconds);
    if (!TakeCommandValues(words, next, command, "export", error))
        return false;
    AppendCommandValues(command);
    return true;
}

bool LooksLikeNumber(const std::string& word)
{
    return !word.empty() && (std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-' || word[0] == '+');
}

} // namespace

std::vector<std::string> SplitWords(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

bool ParseInteger(const std::string& text, long long min, long long max, long long& value)
{
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        negative = text[pos++] == '-';
    int base = 10;
    if (text.size() - pos > 2 && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    // strtoll alone would accept blanks, a second sign and trailing junk.
    if (pos >= text.size())
        return false;
    for (size_t i = pos; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (base == 10 ? !std::isdigit(c) : !std::isxdigit(c))
            return false;
    }
    errno = 0;
    const unsigned long long magnitude = std::strtoull(text.c_str() + pos, nullptr, base);
    if (errno == ERANGE || magnitude > 9223372036854775807ULL)
        return false;
    const long long number = negative ? -(long long)magnitude : (long long)magnitude;
    if (number < min || number > max)
        return false;
    value = number;
    return true;
}

bool ParseDialogAction(const std::string& word, DialogAction& action, std::string& error)
{
    const size_t equals = word.find('=');
    const std::string key = word.substr(0, equals);
    const std::string value = equals == std::string::npos ? std::string() : word.substr(equals + 1);
    long long number = 0;
    if (word == "close") {
        action.kind = DialogActionKind::Close;
        return true;
    }
    if (equals == std::string::npos || !IsDialogActionKey(key)) {
        error = "unknown action '" + key + "' (press, choose, type, wait or close)";
        return false;
    }
    const std::string idRange = " (0 to " + std::to_string(kLargestControlId) + ")";
    if (key == "press") {
        if (!ParseInteger(value, 0, kLargestControlId, number)) {
            error = "'" + word + "': '" + value + "' is not a control ID" + idRange;
            return false;
        }
        action.kind = DialogActionKind::Press;
        action.control = int32_t(number);
    } else if (key == "choose") {
        const size_t colon = value.find(':');
        if (colon == std::string::npos) {
            error = "'" + word + "': needs ID:ROW, the drop-down button's control ID and the row from 0";
            return false;
        }
        const std::string id = value.substr(0, colon), row = value.substr(colon + 1);
        if (!ParseInteger(id, 0, kLargestControlId, number)) {
            error = "'" + word + "': '" + id + "' is not a control ID" + idRange;
            return false;
        }
        action.control = int32_t(number);
        if (!ParseInteger(row, 0, kLargestRow, number)) {
            error = "'" + word + "': '" + row + "' is not a row (0 to " + std::to_string(kLargestRow) + ")";
            return false;
        }
        action.kind = DialogActionKind::Choose;
        action.row = int32_t(number);
    } else if (key == "type") {
        if (value.find_first_not_of(kTypeableCharacters) != std::string::npos) {
            error = "'" + word + "': only digits, '+', '-', ':' and ';' can be typed";
            return false;
        }
        action.kind = DialogActionKind::Type;
        action.text = value;
    } else {
        if (!ParseInteger(value, 0, kLongestSleepMs, number)) {
            error =
                "'" + word + "': '" + value + "' is not milliseconds (0 to " + std::to_string(kLongestSleepMs) + ")";
            return false;
        }
        action.kind = DialogActionKind::Wait;
        action.milliseconds = int32_t(number);
    }
    return true;
}

std::string DialogActionText(const DialogAction& action)
{
    switch (action.kind) {
    case DialogActionKind::Press:
        return "press=" + std::to_string(action.control);
    case DialogActionKind::Choose:
        return "choose=" + std::to_string(action.control) + ":" + std::to_string(action.row);
    case DialogActionKind::Type:
        return "type=" + action.text;
    case DialogActionKind::Wait:
        return "wait=" + std::to_string(action.milliseconds);
    case DialogActionKind::Close:
        return "close";
    }
    return std::string();
}

bool ParseCommandWords(const std::vector<std::string>& words, std::vector<HostCommand>& out, std::string& error)
{
    size_t next = 0;
    while (next < words.size()) {
        const std::string& word = words[next++];
        HostCommand command;
        const DeckWord* deck = FindDeckWord(word);
        if (deck) {
            command.kind = CommandKind::Deck;
        } else if (!FindCommandWord(word, command.kind)) {
            error = "unknown command '" + word + "'";
            if (word == "close" ||
                (IsDialogActionKey(word.substr(0, word.find('='))) && word.find('=') != std::string::npos))
                error +=
                    ": dialog actions follow init, setup, cleanup, restart, release, selector N, execute N or export";
            return false;
        }
        command.text = word;
        long long number = 0;
        switch (command.kind) {
        case CommandKind::Execute:
        case CommandKind::Selector: {
            const char* what = command.kind == CommandKind::Execute ? "a command code" : "a selector";
            if (!TakeNumber(words, next, word, what, kInt16Min, kInt16Max, number, error) ||
                !TakeCommandValues(words, next, command, word, error))
                return false;
            command.number = int32_t(number);
            command.text += " " + std::to_string(number);
            AppendCommandValues(command);
            break;
        }
        case CommandKind::Init:
        case CommandKind::Setup:
        case CommandKind::Cleanup:
        case CommandKind::Restart:
        case CommandKind::Release:
            if (!TakeCommandValues(words, next, command, word, error))
                return false;
            AppendCommandValues(command);
            break;
        case CommandKind::Sleep:
            if (!TakeNumber(words, next, word, "milliseconds", 0, kLongestSleepMs, number, error))
                return false;
            command.number = int32_t(number);
            command.text += " " + std::to_string(number);
            break;
        case CommandKind::Deck:
            if (!TakeDeckArguments(*deck, words, next, command, error))
                return false;
            break;
        case CommandKind::Goto:
            if (!TakeTimecode(words, next, command, error))
                return false;
            break;
        case CommandKind::Locate:
            if (!TakeLocateArguments(words, next, command, error))
                return false;
            break;
        case CommandKind::Export:
            if (!TakeExportArguments(words, next, command, error))
                return false;
            break;
        case CommandKind::Watch:
            // The count is optional; a following command is not a number.
            if (next < words.size() && LooksLikeNumber(words[next])) {
                if (!TakeNumber(words, next, word, "a number of polls", 1, kInt32Max, number, error))
                    return false;
                command.number = int32_t(number);
                command.text += " " + std::to_string(number);
            }
            break;
        default:
            break;
        }
        out.push_back(command);
    }
    return true;
}

bool ParseScript(const std::string& content, std::vector<HostCommand>& out, std::string& error)
{
    size_t start = 0;
    int lineNumber = 0;
    while (start <= content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        const std::string line = content.substr(start, end - start);
        start = end + 1;
        ++lineNumber;

        const std::vector<std::string> words = SplitWords(line);
        if (words.empty() || words[0][0] == '#')
            continue;
        std::vector<HostCommand> commands;
        std::string problem;
        if (!ParseCommandWords(words, commands, problem)) {
            error = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
        if (commands.size() != 1) {
            error =
                "line " + std::to_string(lineNumber) + ": one command a line, found " + std::to_string(commands.size());
            return false;
        }
        out.push_back(commands[0]);
    }
    return true;
}

} // namespace quorhost
