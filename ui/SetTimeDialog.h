#pragma once
// The small modal dialog in which the user types a timecode or a whole
// number. The caller fills the controller's time-entry parameters first and,
// on 1, reads the entered value back from them.
#include <windows.h>

struct DialogContext;

// 1 when the entry was accepted, 0 when cancelled (or the dialog could not
// be made); the parameters change only on 1.
INT_PTR RunSetTimeDialog(DialogContext* controller, HWND parent);

INT_PTR CALLBACK SetTimeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
