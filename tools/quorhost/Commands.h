#pragma once
// The commands quorhost runs, parsed from the command line or a script.
// Everything is parsed before the module is loaded, so that a typo in the
// last line does not leave a half-driven deck behind.
#include "tools/quorhost/HostTimecode.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorhost {

enum class CommandKind {
    Init,     // selector 0
    Setup,    // selector 1
    Execute,  // selector 2 with a command code
    Cleanup,  // selector 3
    Restart,  // selector 4 with the stored settings
    Release,  // selector 5
    Selector, // any selector value
    Status,   // execute 1
    Features, // execute 0
    Name,     // execute 12
    Handles,  // host handles still allocated
    Sleep,    // milliseconds
    // Deck commands, each followed by a status that shows where the deck is.
    Deck,   // execute `number`, with `mode` when setMode: play, stop, shuttle, eject ...
    Goto,   // execute 3 to `target`
    Locate, // execute 4 to `target` with `preroll`
    Watch,  // status once a frame, `number` times (0: until Ctrl-C)
    // Export to Tape: execute 10 with the export's end `frames`, then the
    // editor's part of the print until it ends (ExportRun.h).
    Export,
};

// What quorhost does, as a user would, in the dialogs a module opens while
// one of its calls runs.
enum class DialogActionKind {
    Press,  // click control `control`
    Choose, // open drop-down button `control`, then click row `row` of its list
    Type,   // put `text` into the focused (else the first) edit field
    Wait,   // `milliseconds` more before the next action
    Close,  // close the current dialog, as its title bar's close box does
};

struct DialogAction {
    DialogActionKind kind = DialogActionKind::Press;
    int32_t control = 0;
    int32_t row = 0;
    int32_t milliseconds = 0;
    std::string text;
};

struct HostCommand {
    CommandKind kind = CommandKind::Init;
    int32_t number = 0; // execute command code, selector value or milliseconds
    bool setMode = false;
    bool setFrames = false;
    bool setPreroll = false;
    int16_t mode = 0;
    int32_t frames = 0;
    int16_t preroll = 0;
    int32_t signalTimeoutSeconds = 60; // export: how long the deck may take to start recording
    // Turned into frames when the command runs: only then is the deck's rate known.
    TimecodeLabel target;
    std::string text; // as it is echoed in the output
    // For commands that make one xDevice call: run while that call runs.
    std::vector<DialogAction> dialog;
};

// Whitespace-separated words of a text.
std::vector<std::string> SplitWords(const std::string& text);

// Decimal with an optional sign, or hexadecimal with 0x; the whole text must
// be the number and it must lie within [min, max].
bool ParseInteger(const std::string& text, long long min, long long max, long long& value);

// One action word: press=ID, choose=ID:ROW, type=TEXT, wait=MS or close.
bool ParseDialogAction(const std::string& word, DialogAction& action, std::string& error);

// The word an action is written as, as ParseDialogAction reads it.
std::string DialogActionText(const DialogAction& action);

// A sequence of words holding any number of commands, each followed by its
// arguments: "init execute 2 mode=1 status".
bool ParseCommandWords(const std::vector<std::string>& words, std::vector<HostCommand>& out, std::string& error);

// A script: one command a line; blank lines and lines whose first non-blank
// character is '#' are skipped. Errors name the line.
bool ParseScript(const std::string& content, std::vector<HostCommand>& out, std::string& error);

} // namespace quorhost
