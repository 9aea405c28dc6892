#pragma once
// What every module dialog does alike: where it opens, the colours of its
// standard controls, and the controller it serves.
#include "ui/ColourScheme.h"

#include <windows.h>

class PluginController;

// Centres `dialog` over `over`, or on the screen when `over` is no window or
// the dialog would leave the screen there. Moves without repainting.
void CentreDialog(HWND dialog, HWND over);

// The answer to a control-colour message: edit fields and list boxes on the
// field colour, everything else on the face colour; null for other messages.
HBRUSH ControlColour(const ColourScheme& scheme, UINT message, HDC dc);

// The controller a dialog was opened for, kept with the dialog from its
// initialisation; null before it.
void AttachController(HWND dialog, PluginController* controller);
PluginController* AttachedController(HWND dialog);
