#include "ui/ColourScheme.h"

#include "ui/DialogState.h"
#include "ui/DrawingObjects.h"

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

const POINT kCheckMarkShape[kCheckMarkPixels] = {
    {1, 6}, {1, 7}, {2, 5}, {2, 6}, {2, 7}, {2, 8}, {3, 6}, {3, 7}, {3, 8}, {4, 7}, {4, 8}, {4, 9},
    {5, 6}, {5, 7}, {5, 8}, {5, 9}, {6, 4}, {6, 5}, {6, 6}, {6, 7}, {6, 8}, {6, 9}, {7, 2}, {7, 3},
    {7, 4}, {7, 5}, {7, 6}, {7, 7}, {8, 2}, {8, 3}, {8, 4}, {8, 5}, {9, 2}, {9, 3}, {9, 4}, {10, 2}};

namespace {

const char kPreferenceFile[] = "\\Adobe\\Premiere Pro\\2.0\\Adobe Premiere Pro Prefs";
const char kBrightnessTag[] = "<fe.color.brightness>";
constexpr int32_t kNoFileBrightness = 50;
constexpr int kLongestLine = 4095;
constexpr int kMostLines = 15000;

// A row of the grey rule.
struct GreyRow {
    int32_t darkSlope;
    int32_t lightSlope;
    int32_t base;
};

// Row `i` of `count` on the straight way from `first` to `last`.
GreyRow Between(const GreyRow& first, const GreyRow& last, int i, int count)
{
    if (count < 2)
        return first;
    auto step = [&](int32_t a, int32_t b) { return a + (b - a) * i / (count - 1); };
    return {step(first.darkSlope, last.darkSlope), step(first.lightSlope, last.lightSlope),
            step(first.base, last.base)};
}

uint8_t Level(int32_t b, const GreyRow& row)
{
    return GreyLevel(b, row.darkSlope, row.lightSlope, row.base);
}
COLORREF Grey(uint8_t level)
{
    return RGB(level, level, level);
}
COLORREF Grey(int32_t b, const GreyRow& row)
{
    return Grey(Level(b, row));
}

void RemakePen(HPEN& pen, COLORREF colour)
{
    DeleteDrawingObject(pen);
    pen = MakeSolidPen(colour);
}

void RemakeBrush(HBRUSH& brush, COLORREF colour)
{
    DeleteDrawingObject(brush);
    brush = MakeSolidBrush(colour);
}

template <int N> void RemakeGradient(HPEN (&pens)[N], int32_t b, const GreyRow& first, const GreyRow& last)
{
    for (int i = 0; i < N; ++i)
        RemakePen(pens[i], Grey(b, Between(first, last, i, N)));
}

uint8_t DisabledTextLevel(int32_t b)
{
    if (b >= -76) {
        int32_t m = (b - 12) * 100 / 88;
        int32_t k = b < 12 ? 70 : 24;
        return static_cast<uint8_t>(145 + m * k / 100);
    }
    int32_t m = (b + 88) * 100 / 12;
    int32_t k = b >= -88 ? 5 : 6;
    return static_cast<uint8_t>(130 + m * k / 100);
}

const GreyRow kButtonFirst[kLookCount] = {{97, 41, 193}, {95, 35, 216}, {124, 26, 193}};
const GreyRow kButtonLast[kLookCount] = {{76, 49, 146}, {76, 49, 146}, {98, 37, 167}};
const GreyRow kCheckFirst[kLookCount] = {{97, 41, 193}, {69, -69, 214}, {124, 26, 193}};
const GreyRow kCheckLast[kLookCount] = {{76, 49, 146}, {69, -64, 235}, {98, 37, 167}};
const GreyRow kCheckFrame[kLookCount] = {{61, 24, 97}, {61, 28, 97}, {94, 46, 145}};
const GreyRow kCornerFirst = {93, 51, 162};
const GreyRow kCornerLast = {98, 37, 167};
const GreyRow kTitleFirst = {59, 24, 97};
const GreyRow kTitleLast = {49, 55, 144};
// The raised tab is close to the dialog face, so that the selected label
// reads as the page in front; its edges start at the border's grey.
const GreyRow kTabFirst = {95, 53, 184};
const GreyRow kTabLast = {95, 53, 166};
const GreyRow kTabEdgeFirst = {61, 23, 97};
const GreyRow kTabEdgeLast = {70, 40, 140};
const GreyRow kChevronPen[kLookCount] = {{40, 20, 60}, {40, 20, 70}, {80, 40, 130}};
const GreyRow kDisabledGlyph = {80, 40, 130};

// The first pixel of each column and the two end columns are the mark's
// anti-aliased edge.
bool IsCheckMarkEdge(int i)
{
    const POINT& p = kCheckMarkShape[i];
    return p.x == 1 || p.x == 10 || i == 0 || kCheckMarkShape[i - 1].x != p.x;
}

// Ink on a box of the look; on the darkest schemes (below -76) the mark turns
// light so that it stays readable on the dark box.
void MakeCheckMark(ColourScheme* s, int32_t b)
{
    const uint8_t lightInk = 230;
    for (int look = 0; look < kLookCount; ++look) {
        uint8_t ink = look == kLookDisabled ? DisabledTextLevel(b) : (b < -76 ? lightInk : 0);
        for (int i = 0; i < kCheckMarkPixels; ++i) {
            uint8_t level = ink;
            if (IsCheckMarkEdge(i)) {
                int row = kCheckMarkShape[i].y - 1;
                uint8_t box = Level(b, Between(kCheckFirst[look], kCheckLast[look], row, kCheckBoxFaceLines));
                level = static_cast<uint8_t>((ink + box) / 2);
            }
            s->checkMark[look][i] = Grey(level);
        }
    }
}

// The chevron's pixels sit on the arrow's slanted edges: the odd ones
// nearer the face are lighter.
void MakeChevron(ColourScheme* s, int32_t b)
{
    const GreyRow inner[kLookCount] = {{40, 20, 80}, {40, 20, 90}, {80, 40, 140}};
    const GreyRow outer[kLookCount] = {{60, 30, 130}, {60, 30, 140}, {90, 40, 160}};
    for (int look = 0; look < kLookCount; ++look) {
        RemakePen(s->chevronPen[look], Grey(b, kChevronPen[look]));
        for (int i = 0; i < kChevronPixels; ++i)
            s->chevron[look][i] = Grey(b, i % 2 ? outer[look] : inner[look]);
    }
}

} // namespace

uint8_t GreyLevel(int32_t brightness, int32_t darkSlope, int32_t lightSlope, int32_t base)
{
    int32_t slope = brightness > 0 ? lightSlope : darkSlope;
    return static_cast<uint8_t>(base + brightness * slope / 100);
}

int32_t ReadBrightness(const char* path)
{
    FILE* file = path ? std::fopen(path, "r") : nullptr;
    if (!file)
        return kNoFileBrightness;

    int32_t brightness = 0;
    char line[kLongestLine + 1];
    for (int n = 0; n < kMostLines && std::fgets(line, sizeof line, file); ++n) {
        if (!std::strstr(line, kBrightnessTag))
            continue;
        const char* after = std::strchr(line, '>') + 1;
        char digits[4] = {};
        std::strncpy(digits, after, 2);
        if (digits[1] && after[2] == '0')
            digits[2] = '0';
        long v = std::strtol(digits, nullptr, 10);
        brightness = v < 0 ? -100 : v > 100 ? 100 : static_cast<int32_t>(2 * v - 100);
        break;
    }
    std::fclose(file);
    return brightness;
}

bool PreferenceFilePath(char* path, size_t size)
{
    char folder[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, folder)))
        return false;
    int written = std::snprintf(path, size, "%s%s", folder, kPreferenceFile);
    return written > 0 && static_cast<size_t>(written) < size;
}

void BuildColourSchemeFor(ColourScheme* s, int32_t b)
{
    const GreyRow face = {95, 53, 166};
    const GreyRow shadow = {61, 24, 97};
    uint8_t faceLevel = Level(b, face);
    uint8_t shadowLevel = Level(b, shadow);
    int32_t light = 214 + b * 95 / 100;

    s->faceColour = Grey(faceLevel);
    s->shadowColour = Grey(shadowLevel);
    s->frameColour = s->shadowColour;
    s->selectColour = s->shadowColour;
    s->lightColour = Grey(static_cast<uint8_t>(light > 255 ? 255 : light));
    s->deepShadeColour = RGB(static_cast<uint8_t>(shadowLevel - 59), static_cast<uint8_t>(shadowLevel - 57),
                             static_cast<uint8_t>(shadowLevel - 53));
    s->tintColour = RGB(static_cast<uint8_t>(faceLevel + 5), static_cast<uint8_t>(faceLevel + 6),
                        static_cast<uint8_t>(faceLevel + 10));
    s->textColour = RGB(0, 0, 0);
    s->greyTextColour = RGB(0x8F, 0x8F, 0x8F);
    s->fieldColour = RGB(0x9B, 0x9B, 0x9B);
    s->valueColour = RGB(0, 0, 0xFF);

    RemakeBrush(s->faceBrush, s->faceColour);
    RemakeBrush(s->fieldBrush, s->fieldColour);
    RemakeBrush(s->shadowBrush, s->shadowColour);
    RemakeBrush(s->lightBrush, s->lightColour);
    RemakeBrush(s->textBrush, s->textColour);
    RemakeBrush(s->greyTextBrush, s->greyTextColour);
    RemakePen(s->deepShadePen, s->deepShadeColour);
    RemakePen(s->tintPen, s->tintColour);
    RemakePen(s->shadowPen, s->shadowColour);
    RemakePen(s->lightPen, s->lightColour);
    RemakePen(s->textPen, s->textColour);
    RemakePen(s->greyTextPen, s->greyTextColour);
    RemakePen(s->fieldPen, s->fieldColour);
    RemakePen(s->facePen, s->faceColour);

    for (int look = 0; look < kLookCount; ++look)
        RemakeGradient(s->buttonFace[look], b, kButtonFirst[look], kButtonLast[look]);
    RemakeGradient(s->titleStrip, b, kTitleFirst, kTitleLast);
    const int cornerColours = kCornerCount * kLookCount * kButtonCornerPixels;
    COLORREF* corner = &s->buttonCorners[0][0][0];
    for (int i = 0; i < cornerColours; ++i)
        corner[i] = Grey(b, Between(kCornerFirst, kCornerLast, i, cornerColours));
    for (int look = 0; look < kLookCount; ++look) {
        RemakeGradient(s->checkBoxFace[look], b, kCheckFirst[look], kCheckLast[look]);
        RemakeBrush(s->checkBoxFrame[look], Grey(b, kCheckFrame[look]));
    }
    RemakePen(s->borderPen, Grey(b, {61, 23, 97}));
    RemakePen(s->disabledOutlinePen, Grey(b, {94, 46, 145}));
    s->disabledTextColour = Grey(DisabledTextLevel(b));

    MakeCheckMark(s, b);
    MakeChevron(s, b);
    RemakePen(s->disabledGlyphPen, Grey(b, kDisabledGlyph));
    RemakeGradient(s->raisedTab, b, kTabFirst, kTabLast);
    RemakeGradient(s->raisedTabEdge, b, kTabEdgeFirst, kTabEdgeLast);
    for (int i = 0; i < kRaisedTabCornerPixels; ++i)
        s->raisedTabCorners[i] = Grey(b, Between(kTabEdgeFirst, kTabFirst, i, kRaisedTabCornerPixels));
}

void BuildColourScheme(DialogContext* controller)
{
    char path[MAX_PATH + 64];
    int32_t brightness = 0;
    if (PreferenceFilePath(path, sizeof path))
        brightness = ReadBrightness(path);
    else
        brightness = kNoFileBrightness;
    BuildColourSchemeFor(&controller->colourScheme, brightness);
    InvalidateRect(controller->optionsDialog, nullptr, TRUE);
}

void ReleaseColourScheme(ColourScheme* s)
{
    HBRUSH* brushes[] = {&s->faceBrush,  &s->fieldBrush, &s->shadowBrush,
                         &s->lightBrush, &s->textBrush,  &s->greyTextBrush};
    for (HBRUSH* brush : brushes)
        DeleteDrawingObject(*brush);
    HPEN* pens[] = {&s->deepShadePen,    &s->tintPen,  &s->shadowPen, &s->lightPen,  &s->textPen,
                    &s->greyTextPen,     &s->fieldPen, &s->facePen,   &s->borderPen, &s->disabledOutlinePen,
                    &s->disabledGlyphPen};
    for (HPEN* pen : pens)
        DeleteDrawingObject(*pen);
    for (int look = 0; look < kLookCount; ++look) {
        for (HPEN& pen : s->buttonFace[look])
            DeleteDrawingObject(pen);
        for (HPEN& pen : s->checkBoxFace[look])
            DeleteDrawingObject(pen);
        DeleteDrawingObject(s->checkBoxFrame[look]);
        DeleteDrawingObject(s->chevronPen[look]);
    }
    for (HPEN& pen : s->titleStrip)
        DeleteDrawingObject(pen);
    for (HPEN& pen : s->raisedTab)
        DeleteDrawingObject(pen);
    for (HPEN& pen : s->raisedTabEdge)
        DeleteDrawingObject(pen);
}
