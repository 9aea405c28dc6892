#pragma once
// The deck controller's timecode settings: format, source and preroll.
// Stored whole in every port's settings, so its layout is fixed.
#include <cstddef>
#include <cstdint>

struct TimecodeFormat {
    char name[32];
    uint32_t framesPerSecond; // 24, 25 or 30
    uint32_t dropFrame;       // 1 = drop frame
    uint32_t rateNumerator;   // the video rate is numerator / denominator
    uint32_t rateDenominator;
};

struct ControlSettings {
    uint32_t tag; // 115, as the board record's
    TimecodeFormat format;
    uint32_t formatIndex;
    char sourceName[32];
    uint32_t sourceIndex;
    uint32_t prerollSeconds; // 0 to 15
};

static_assert(sizeof(TimecodeFormat) == 12 * 4, "12 words");
static_assert(sizeof(ControlSettings) == 24 * 4, "24 words");
static_assert(offsetof(ControlSettings, format) == 4, "settings layout");
static_assert(offsetof(ControlSettings, format.framesPerSecond) == 36, "settings layout");
static_assert(offsetof(ControlSettings, format.dropFrame) == 40, "settings layout");
static_assert(offsetof(ControlSettings, format.rateNumerator) == 44, "settings layout");
static_assert(offsetof(ControlSettings, format.rateDenominator) == 48, "settings layout");
static_assert(offsetof(ControlSettings, formatIndex) == 52, "settings layout");
static_assert(offsetof(ControlSettings, sourceName) == 56, "settings layout");
static_assert(offsetof(ControlSettings, sourceIndex) == 88, "settings layout");
static_assert(offsetof(ControlSettings, prerollSeconds) == 92, "settings layout");
