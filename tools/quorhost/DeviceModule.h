#pragma once
// A device-control module loaded by path and checked the way the editor
// checks a plug-in before it calls it.
#include "editor/DeviceRecord.h"

#include <string>

namespace quorhost {

typedef int16_t (*XDeviceFn)(int16_t selector, DeviceHandle handle);

class DeviceModule {
public:
    DeviceModule() = default;
    ~DeviceModule() { Unload(); }
    DeviceModule(const DeviceModule&) = delete;
    DeviceModule& operator=(const DeviceModule&) = delete;

    // Loads the file, reads its property list (PIPL 16000), checks the kind
    // and finds xDevice. On failure the module is unloaded again and `error`
    // says why in one line.
    bool Load(const std::string& path, std::string& error);
    void Unload();

    const std::string& FullPath() const { return fullPath_; }
    const std::string& DisplayName() const { return displayName_; }
    XDeviceFn Entry() const { return entry_; }

private:
    bool Check(std::string& error);

    HMODULE library_ = nullptr;
    XDeviceFn entry_ = nullptr;
    std::string fullPath_;
    std::string displayName_;
};

} // namespace quorhost
