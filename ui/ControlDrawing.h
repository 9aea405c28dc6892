#pragma once
// How each owner-drawn control of the module's dialogs looks in its normal,
// pressed and disabled states. Everything is drawn with the colour scheme's
// ready-made pens and brushes; nothing here uses a system colour.
#include "ui/ColourScheme.h"

#include <windows.h>
#include <cstdint>

class DeviceControlPort;

// Disabled, else pressed (the item is selected, or `held`), else normal.
ControlLook LookOf(const DRAWITEMSTRUCT& item, bool held = false);

// Ok, Cancel and command buttons: the control's text centred, in
// `disabledText` when disabled.
void DrawPushButton(const ColourScheme& scheme, const DRAWITEMSTRUCT& item, COLORREF disabledText);
// A selector button: the control's text left-aligned and an arrow; `held`
// draws it pressed while its list is open.
void DrawDropDownButton(const ColourScheme& scheme, const DRAWITEMSTRUCT& item, bool held);
// The check box in `rect` of `dc`.
void DrawCheckBox(const ColourScheme& scheme, HDC dc, const RECT& rect, bool checked, ControlLook look);
// Repaints a check box control at once through its own device context.
void RepaintCheckBox(const ColourScheme& scheme, HWND control, bool checked, ControlLook look);
// The band across the top of a dialog with its labels, the selected one on a
// raised tab; drawn off-screen and copied in one block.
void DrawTitleStrip(const ColourScheme& scheme, HFONT font, HDC target, const RECT& rect, int labelCount, int selected,
                    const char* const* labels);
// A horizontal slider; gives the scale it used.
int32_t DrawSlider(const ColourScheme& scheme, HDC target, const RECT& rect, bool enabled, int32_t scale,
                   int32_t position, const int32_t* count);
// The record button's face: look 0 disabled, 1 normal, 2 running. A circle
// while `port` is not exporting (null counts as not), a pause sign while it is.
void DrawRecordIndicator(const ColourScheme& scheme, HDC target, const RECT& rect, int look,
                         const DeviceControlPort* port);
// A value text, centred or left-aligned with a leading ellipsis when too wide,
// drawn off-screen and copied in one block. May overwrite three characters of
// `text`.
void DrawValueBox(HFONT font, HBRUSH background, COLORREF textColour, COLORREF backgroundColour, HDC target,
                  const RECT& rect, char* text, bool leftAlign);
