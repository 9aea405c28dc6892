#pragma once
// Stored port settings moved away from their defaults, as a user would
// leave them in the options dialog.
#include "port/PersistedSettings.h"

#include <cstring>

// 25 frames per second (format 1), preroll and the export values given.
inline void ChooseSettings(PortSettings& p, uint32_t source, uint32_t preroll, int32_t offset, int32_t delay)
{
    p.timecode.formatIndex = 1;
    std::memset(p.timecode.format.name, 0, sizeof p.timecode.format.name);
    std::strcpy(p.timecode.format.name, "Base 25");
    p.timecode.format.framesPerSecond = 25;
    p.timecode.format.dropFrame = 0;
    p.timecode.format.rateNumerator = 25000;
    p.timecode.format.rateDenominator = 1000;
    p.timecode.sourceIndex = source;
    p.timecode.prerollSeconds = preroll;
    p.timecodeOffset = offset;
    p.delay = delay;
    p.editMode = 1;
}
