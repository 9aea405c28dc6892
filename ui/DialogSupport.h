#pragma once
// What every module dialog does alike: where it opens, the colours of its
// standard controls, and the controller it serves.
#include "ui/ColourScheme.h"

#include <windows.h>

#include <cstdint>
#include <initializer_list>

struct DialogContext;

// Centres `dialog` over `over`, or on the screen when `over` is no window or
// the dialog would leave the screen there. Moves without repainting.
void CentreDialog(HWND dialog, HWND over);

// The answer to a control-colour message: edit fields and list boxes on the
// field colour, everything else on the face colour; null for other messages.
HBRUSH ControlColour(const ColourScheme& scheme, UINT message, HDC dc);

// The face, a two-pixel border along the left, right and bottom edges, and
// an etched line along the bottom of each of the (hidden) marker controls.
void PaintDialogBackground(HWND dialog, HDC dc, const ColourScheme& scheme, std::initializer_list<int> rules);

// What every module dialog procedure does first: keep the controller its
// opener handed over (WM_INITDIALOG's parameter) with the dialog, and answer
// the control-colour messages. `controller` is null before initialisation;
// when `answered` is set the procedure returns `answer` at once.
struct DialogMessageStart {
    DialogContext* controller;
    bool answered;
    INT_PTR answer;
};
DialogMessageStart StartDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Opens the controller's drop-down list, already filled, under button `id`
// with `rows` rows, and marks it open and its button held; a list with no
// rows is closed instead.
void OpenFilledSelector(DialogContext* controller, HWND dialog, int id, int32_t rows);
// After the list's choice was handled: the list closed, the dialog active
// again and the button that opened the list redrawn released.
void FinishSelectorChoice(DialogContext* controller, HWND dialog, int id);
