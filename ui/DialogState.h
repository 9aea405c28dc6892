#pragma once
// What the dialogs keep between messages: their look, the options dialog's
// window and drop-down, and the texts they show. The dialogs work on the
// ports through the same context.
#include "port/PortSet.h"
#include "ui/ColourScheme.h"
#include "ui/DropDownSelector.h"
#include "ui/TimeEntryParams.h"

#include <windows.h>

struct DialogState {
    ColourScheme colourScheme = {};
    // The options dialog: its window (also what marks it open), the editor's
    // window it centres over, its font, the status text it last showed, and
    // the drop-down's state: list open (status refreshes wait) and the
    // button that opened it held down (drawn pressed).
    HWND optionsDialog = nullptr;
    HWND hostWindow = nullptr;
    HFONT dialogFont = nullptr;
    char optionsStatusText[64];
    uint8_t dropDownOpen = 0;
    uint8_t dropDownHeld = 0;
    DropDownSelector dropDown;

    char timecodeDisplayText[32];
    char deviceStateTexts[2][64];
    char deckStatusText[64];
    char deviceStateText[64];
    char timecodeTexts[2][64];
    char timecodeText[32];
    char gotoLabel[64];
    TimeEntryParams timeEntry;

    DialogState();
    void ResetDisplayTexts();
};

// What a dialog may touch: the ports and the dialogs' own state.
struct DialogContext : PortSet, DialogState {};
