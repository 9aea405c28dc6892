#include "editor/SettingsHandle.h"

#include <cstring>

namespace {

HostMemoryFuncs* HostMemory(const DeviceRecord* record)
{
    return record->tables ? record->tables->memory : nullptr;
}

} // namespace

PersistedSettings* SettingsBlock(HostHandle handle)
{
    return handle && *handle ? reinterpret_cast<PersistedSettings*>(*handle) : nullptr;
}

void DisposeSettingsHandle(DeviceRecord* record)
{
    HostMemoryFuncs* memory = HostMemory(record);
    if (record->settings && memory && memory->DisposeHandle)
        memory->DisposeHandle(record->settings);
    record->settings = nullptr;
}

// A new block starts zeroed, its mark included: it holds no settings, so a
// set-up from it starts from defaults, and the editor never keeps whatever
// its allocator left there.
PersistedSettings* NewSettingsHandle(DeviceRecord* record)
{
    HostMemoryFuncs* memory = HostMemory(record);
    HostHandle handle = nullptr;
    if (memory && memory->NewHandle)
        handle = memory->NewHandle(static_cast<int32_t>(sizeof(PersistedSettings)));
    record->settings = handle;
    PersistedSettings* block = SettingsBlock(handle);
    if (handle && !block)
        DisposeSettingsHandle(record);
    if (block)
        std::memset(block, 0, sizeof *block);
    return block;
}

PersistedSettings* RenewSettingsHandle(DeviceRecord* record)
{
    if (SettingsBlock(record->settings))
        DisposeSettingsHandle(record);
    PersistedSettings* block = NewSettingsHandle(record);
    if (!block) {
        record->timecode = 0;
        record->mode = 0;
    }
    return block;
}

HWND OwnerWindow(const DeviceRecord* record)
{
    if (record->parentWindow)
        return record->parentWindow;
    HostWindowFuncs* window = record->tables ? record->tables->window : nullptr;
    return window && window->MainWindow ? window->MainWindow() : nullptr;
}
