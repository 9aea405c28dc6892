#pragma once
// The export dialog's deck controls: transport buttons that show a symbol
// instead of their text, and the shuttle bar.
#include "ui/ColourScheme.h"

#include <windows.h>
#include <cstdint>

// The shuttle bar's knob positions; the middle one holds the deck still.
constexpr int32_t kShuttleFirst = 1;
constexpr int32_t kShuttleCentre = 8;
constexpr int32_t kShuttleLast = 15;

// A transport button: the push button's face with the symbol its window text
// names ("Rewind", "RPlay", "Still", "Play", "FF", "Go To In", "RAdv",
// "Stop", "FAdv", "Go To Out"); any other text is drawn as a push button.
void DrawTransportButton(const ColourScheme& scheme, const DRAWITEMSTRUCT& item);

// The knob position for client `x` of a bar `width` pixels wide: the width
// split into equal bands, clamped to the ends; the centre for no width.
int32_t ShuttlePositionAt(int32_t width, int32_t x);
// The shuttle bar with its thumb at `position` (clamped to the knob
// positions); drawn off-screen and copied in one block.
void DrawShuttleBar(const ColourScheme& scheme, HDC target, const RECT& rect, bool enabled, int32_t position);
