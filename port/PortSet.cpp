#include "port/PortSet.h"

#include "platform/ResultCodes.h"
#include "port/DeviceControlPort.h"

#include <cstring>

namespace {

// The ports take the defaults too, so that they never disagree with what
// the editor is given to keep.
void BuildDefaults(PortSet* set)
{
    DefaultPersistedSettings(set, &set->persisted);
    for (int slot = 0; slot < kMaxPorts; ++slot)
        if (set->ports[slot])
            set->ports[slot]->CopySettingsIn(&set->persisted.ports[slot]);
    set->currentPort = set->persisted.selectedPort;
}

} // namespace

int32_t PortSet::CopyPersistedOut(PersistedSettings* block) const
{
    if (!setUp || !block)
        return kResultRefused;
    std::memcpy(block, &persisted, sizeof persisted);
    return kResultSuccess;
}

int32_t PortSet::GetEmbeddedTcCapture(uint8_t* value) const
{
    if (value)
        *value = persisted.embeddedTcCapture;
    return kResultSuccess;
}

int32_t PortSet::SetEmbeddedTcCapture(uint8_t value)
{
    if (!setUp)
        return kResultRefused;
    persisted.embeddedTcCapture = value;
    return kResultSuccess;
}

DeviceControlPort* PortSet::CurrentPort() const
{
    if (currentPort < 0 || currentPort >= kMaxPorts)
        return nullptr;
    return ports[currentPort];
}

int32_t DefaultPersistedSettings(PortSet* set, PersistedSettings* out)
{
    if (!set->setUp || !out)
        return kResultRefused;
    out->mark = kSettingsMark;
    out->selectedPort = 0;
    out->embeddedTcCapture = 0;
    for (int slot = 0; slot < kMaxPorts; ++slot) {
        std::memset(&out->ports[slot], 0, sizeof out->ports[slot]);
        if (set->ports[slot])
            set->ports[slot]->ResetSettings(&out->ports[slot]);
    }
    return 0;
}

void UpgradePersistedSettings(PersistedSettings* block)
{
    block->mark = kSettingsMark;
    for (PortSettings& port : block->ports) {
        if (port.mark == 0)
            continue;
        port.mark = kSettingsMark;
        port.board.tag = kDeckRecordTag;
        port.timecode.tag = kDeckRecordTag;
    }
}

int32_t ApplyPersistedSettings(PortSet* set, PersistedSettings* stored)
{
    if (!set->setUp)
        return kResultRefused;
    if (stored && stored->mark == kPreviousSettingsMark)
        UpgradePersistedSettings(stored);
    if (!stored || stored->mark != kSettingsMark) {
        BuildDefaults(set);
        return 0;
    }

    PersistedSettings& mirror = set->persisted;
    mirror.mark = stored->mark;
    mirror.selectedPort = stored->selectedPort;
    mirror.embeddedTcCapture = stored->embeddedTcCapture ? 1 : 0;
    if (mirror.selectedPort < 0 || mirror.selectedPort >= set->portCount)
        mirror.selectedPort = 0;

    for (int slot = 0; slot < kMaxPorts; ++slot) {
        DeviceControlPort* port = set->ports[slot];
        PortSettings& chosen = mirror.ports[slot];
        if (!port) {
            std::memset(&chosen, 0, sizeof chosen);
            continue;
        }
        if (port->AcceptsSettings(stored->ports[slot])) {
            chosen = stored->ports[slot];
        } else {
            // Nothing of a block that is not trusted stays behind.
            std::memset(&chosen, 0, sizeof chosen);
            port->ResetSettings(&chosen);
        }
        port->CopySettingsIn(&chosen);
    }
    set->currentPort = mirror.selectedPort;
    return 0;
}
