// The timecode formats and sources the controller offers, and its
// timecode settings record.
#include "vtr/CSerialVtrControl.h"

#include <cstdio>
#include <cstring>

namespace {

struct FormatRow {
    const char* name;
    uint32_t framesPerSecond;
    uint32_t dropFrame;
    uint32_t rateNumerator;
    uint32_t rateDenominator;
};

// The drop-frame rows keep a denominator of 1000: the settings record has
// always carried them that way.
const FormatRow kFormats[CSerialVtrControl::kTimecodeFormatCount] = {
    {"Base 24", 24, 0, 24000, 1000},
    {"Base 25", 25, 0, 25000, 1000},
    {"Base 25 (50 fps)", 25, 0, 50000, 1000},
    {"Base 30 DF", 30, 1, 30000, 1000},
    {"Base 30 NDF", 30, 0, 30000, 1000},
    {"Base 30 DF (60 fps)", 30, 1, 60000, 1000},
    {"Base 30 NDF (60 fps)", 30, 0, 60000, 1000},
};

const char* const kSources[CSerialVtrControl::kTimecodeSourceCount] = {"LTC", "VITC", "LTC + VITC"};

constexpr uint32_t kDefaultFormat = 3;
constexpr uint32_t kDefaultSource = 0;
constexpr uint32_t kDefaultPreroll = 2;

void FillFormat(uint32_t index, TimecodeFormat* out)
{
    const FormatRow& row = kFormats[index];
    std::memset(out->name, 0, sizeof out->name);
    std::snprintf(out->name, sizeof out->name, "%s", row.name);
    out->framesPerSecond = row.framesPerSecond;
    out->dropFrame = row.dropFrame;
    out->rateNumerator = row.rateNumerator;
    out->rateDenominator = row.rateDenominator;
}

void FillSourceName(uint32_t index, char* out)
{
    std::memset(out, 0, 32);
    std::snprintf(out, 32, "%s", kSources[index]);
}

} // namespace

bool CSerialVtrControl::SetDefaultSettings(ControlSettings* settings) const
{
    if (settings == nullptr)
        return false;
    std::memset(settings, 0, sizeof *settings);
    settings->tag = kDeckRecordTag;
    FillFormat(kDefaultFormat, &settings->format);
    settings->formatIndex = kDefaultFormat;
    FillSourceName(kDefaultSource, settings->sourceName);
    settings->sourceIndex = kDefaultSource;
    settings->prerollSeconds = kDefaultPreroll;
    return true;
}

bool CSerialVtrControl::GetTimecodeFormatInfo(uint32_t index, TimecodeFormat* out)
{
    const bool open = BoardOpenOrFail();
    const bool known = index < kTimecodeFormatCount;
    if (open && !known)
        SetLastError("TC Format Not Found");
    if (out)
        FillFormat(open && known ? index : 0, out);
    return open && known;
}

bool CSerialVtrControl::SetTimecodeFormat(uint32_t index)
{
    if (!BoardOpenOrFail())
        return false;
    if (index >= kTimecodeFormatCount) {
        SetLastError("TC Format Not Found");
        return false;
    }
    FillFormat(index, &controlSettings_.format);
    controlSettings_.formatIndex = index;
    return true;
}

bool CSerialVtrControl::GetTimecodeFormat(uint32_t* index)
{
    const bool open = BoardOpenOrFail();
    if (index)
        *index = open ? controlSettings_.formatIndex : 0;
    return open;
}

bool CSerialVtrControl::GetTimecodeSourceName(uint32_t index, char* out)
{
    const bool open = BoardOpenOrFail();
    const bool known = index < kTimecodeSourceCount;
    if (open && !known)
        SetLastError("TC Source Not Found");
    if (out)
        FillSourceName(open && known ? index : 0, out);
    return open && known;
}

bool CSerialVtrControl::SetTimecodeSource(uint32_t index)
{
    if (!BoardOpenOrFail())
        return false;
    if (index >= kTimecodeSourceCount) {
        SetLastError("TC Source Not Found");
        return false;
    }
    FillSourceName(index, controlSettings_.sourceName);
    controlSettings_.sourceIndex = index;
    return true;
}

bool CSerialVtrControl::GetTimecodeSource(uint32_t* index)
{
    const bool open = BoardOpenOrFail();
    if (index)
        *index = open ? controlSettings_.sourceIndex : 0;
    return open;
}

bool CSerialVtrControl::SetPreroll(uint32_t seconds)
{
    if (!BoardOpenOrFail())
        return false;
    if (seconds > kMaxPrerollSeconds) {
        SetLastError("Preroll Time Invalid");
        return false;
    }
    controlSettings_.prerollSeconds = seconds;
    return true;
}

bool CSerialVtrControl::GetPreroll(uint32_t* seconds)
{
    const bool open = BoardOpenOrFail();
    if (seconds)
        *seconds = open ? controlSettings_.prerollSeconds : kDefaultPreroll;
    return open;
}

bool CSerialVtrControl::ApplyControlSettings(const ControlSettings* settings)
{
    if (settings == nullptr) {
        SetLastError("Control Not Opened");
        return false;
    }
    // Only the three indexes are read: names and rates come from the
    // tables, so a record with stale texts still gives consistent settings.
    return SetTimecodeFormat(settings->formatIndex) && SetTimecodeSource(settings->sourceIndex) &&
           SetPreroll(settings->prerollSeconds);
}

bool CSerialVtrControl::GetControlSettings(uint32_t* out)
{
    if (!BoardOpenOrFail())
        return false;
    if (out)
        std::memcpy(out, &controlSettings_, sizeof controlSettings_);
    return true;
}

bool CSerialVtrControl::IsDoubleRateFormat(uint32_t index) const
{
    return index == 2 || index == 5 || index == 6;
}
