#pragma once
// The module's single long-lived object. It holds the state each layer owns
// (the ports and settings mirror, the dialogs', the export's) and adds what
// only the editor's calls use: the deck state carried between them and the
// editor's suites. It lives from Initialise or Restart to Cleanup and has no
// lock: the editor's thread owns it.
#include "editor/DeviceRecord.h"
#include "export/ExportState.h"

#include <cstdint>

// The status poll counter at this value makes the next status command read
// the deck instead of echoing the last reported mode.
constexpr int32_t kStatusPollNow = 60;

class PluginController : public ExportContext {
public:
    PluginController();
    ~PluginController();
    PluginController(const PluginController&) = delete;
    PluginController& operator=(const PluginController&) = delete;

    // The dialogs' texts, and the goto target the editor's commands show.
    void ResetDisplayTexts();

    // The editor's export: 0 idle, 1 settings accepted, 2 status dialog open,
    // 3 the editor has ended it; and whether its end was shown.
    int32_t exportState = 0;
    uint8_t exportDoneShown = 0;
    uint32_t processorCount = 0;
    char gotoTargetText[32]; // what a goto or locate cues to
    // Offline until the first report says otherwise.
    int16_t lastReportedMode = 15;
    int32_t statusPollCounter = 0;
    const void* errorSuite = nullptr;
    HostBasicSuite* basicSuite = nullptr;
    uint8_t recordCopy[sizeof(DeviceRecord)];
};

extern PluginController* gController;
