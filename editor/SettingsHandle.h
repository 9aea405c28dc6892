#pragma once
// The editor's memory handle in the device record that carries the
// module's settings block, and the window the module's dialogs belong to.
#include "editor/DeviceRecord.h"
#include "port/PersistedSettings.h"

// The block a handle holds; null for no handle or an empty one.
PersistedSettings* SettingsBlock(HostHandle handle);
// Gives the record's settings handle back to the editor and clears it.
void DisposeSettingsHandle(DeviceRecord* record);
// A new, zeroed block in a new handle stored in the record; null (and no
// handle) when the editor has no memory for it.
PersistedSettings* NewSettingsHandle(DeviceRecord* record);
// A fresh block in place of whatever the record held; when the editor has
// no memory for it, null with the record's position and mode cleared.
PersistedSettings* RenewSettingsHandle(DeviceRecord* record);
// The record's parent window, else the editor's main window; may be null.
HWND OwnerWindow(const DeviceRecord* record);
