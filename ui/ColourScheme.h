#pragma once
// The greys the module's dialogs are drawn in, following the brightness the
// user set in the editor so that the dialogs look like part of it. Rebuilt
// before a dialog opens and released after it closes; user-interface thread
// only.
#include <windows.h>
#include <cstdint>

struct DialogContext;

// The looks of a drawn control; also the order of the per-look families.
enum ControlLook { kLookNormal = 0, kLookPressed = 1, kLookDisabled = 2, kLookCount = 3 };
// The order of the button corner tables.
enum ButtonCorner { kCornerTopLeft = 0, kCornerBottomLeft, kCornerTopRight, kCornerBottomRight, kCornerCount };

constexpr int kButtonFaceLines = 15;
constexpr int kButtonCornerPixels = 11;
constexpr int kTitleStripLines = 17;
constexpr int kCheckBoxFaceLines = 10;
constexpr int kCheckMarkPixels = 36;
constexpr int kChevronPixels = 14;
constexpr int kRaisedTabLines = 15;
constexpr int kRaisedTabEdges = 5;
constexpr int kRaisedTabCornerPixels = 6;

// The check mark's pixels from the check box's top-left corner, in the
// order of the scheme's check-mark colours.
extern const POINT kCheckMarkShape[kCheckMarkPixels];

struct ColourScheme {
    // The twelve colour slots, in their order.
    COLORREF faceColour;
    COLORREF textColour;
    COLORREF greyTextColour;
    COLORREF disabledTextColour;
    COLORREF shadowColour;
    COLORREF lightColour;
    COLORREF fieldColour;
    COLORREF frameColour;
    COLORREF selectColour;
    COLORREF deepShadeColour;
    COLORREF tintColour;
    COLORREF valueColour;

    HBRUSH faceBrush;
    HBRUSH fieldBrush;
    HBRUSH shadowBrush;
    HBRUSH lightBrush;
    HBRUSH textBrush;
    HBRUSH greyTextBrush;
    HPEN deepShadePen;
    HPEN tintPen;
    HPEN shadowPen;
    HPEN lightPen;
    HPEN textPen;
    HPEN greyTextPen;
    HPEN fieldPen;
    HPEN facePen;
    HPEN borderPen;
    HPEN disabledOutlinePen;

    // Push and drop-down buttons, by look.
    HPEN buttonFace[kLookCount][kButtonFaceLines];
    COLORREF buttonCorners[kCornerCount][kLookCount][kButtonCornerPixels];
    // Drop-down buttons' chevron, by look, and the arrow of a disabled one.
    HPEN chevronPen[kLookCount];
    COLORREF chevron[kLookCount][kChevronPixels];
    HPEN disabledGlyphPen;
    // Check boxes, by look.
    HPEN checkBoxFace[kLookCount][kCheckBoxFaceLines];
    HBRUSH checkBoxFrame[kLookCount];
    COLORREF checkMark[kLookCount][kCheckMarkPixels];
    // The title strip and the raised tab of its selected label.
    HPEN titleStrip[kTitleStripLines];
    HPEN raisedTab[kRaisedTabLines];
    HPEN raisedTabEdge[kRaisedTabEdges];
    COLORREF raisedTabCorners[kRaisedTabCornerPixels];
};

// The brightness from the editor's preference file at `path`: -100 (darkest)
// to 100 (lightest), 0 for the editor's middle setting; 50 when the file
// cannot be opened and 0 when it holds no brightness entry.
int32_t ReadBrightness(const char* path);
// The editor's preference file in the user's application-data folder; false
// when the folder is unknown.
bool PreferenceFilePath(char* path, size_t size);

// One grey of the scheme's rule: base + b × slope / 100, with the light slope
// above 0 and the dark slope otherwise, truncated, low 8 bits.
uint8_t GreyLevel(int32_t brightness, int32_t darkSlope, int32_t lightSlope, int32_t base);

// Computes every colour and makes every brush and pen for `brightness`,
// deleting what was made before.
void BuildColourSchemeFor(ColourScheme* scheme, int32_t brightness);
// Reads the brightness, rebuilds the controller's scheme and repaints the
// controller's open dialog (every window when none is open).
void BuildColourScheme(DialogContext* controller);
// Deletes every brush and pen and nulls its handle; the colours stay.
void ReleaseColourScheme(ColourScheme* scheme);
