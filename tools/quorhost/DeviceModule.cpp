#include "tools/quorhost/DeviceModule.h"

#include "tools/quorhost/PiplReader.h"
#include "tools/quorhost/Win32Error.h"

#include <vector>

namespace quorhost {

namespace {

constexpr WORD kPiplId = 16000;

} // namespace

bool DeviceModule::Load(const std::string& path, std::string& error)
{
    Unload();
    // A full path, so that a bare file name means the current folder and not
    // a library found on the system's search path.
    std::vector<char> full(MAX_PATH * 4);
    DWORD length = GetFullPathNameA(path.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (path.empty() || length == 0 || length >= full.size()) {
        error = "invalid module path '" + path + "'";
        return false;
    }
    fullPath_.assign(full.data(), length);

    const DWORD attributes = GetFileAttributesA(fullPath_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = "module not found: " + fullPath_;
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = "module path is a folder: " + fullPath_;
        return false;
    }
    // The module's own folder is searched for what it imports, as for any plug-in.
    library_ = LoadLibraryExA(fullPath_.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library_) {
        error = "cannot load module " + fullPath_ + ": " + Win32ErrorText(GetLastError());
        return false;
    }
    if (!Check(error)) {
        Unload();
        return false;
    }
    return true;
}

bool DeviceModule::Check(std::string& error)
{
    HRSRC resource = FindResourceA(library_, MAKEINTRESOURCEA(kPiplId), "PIPL");
    if (!resource) {
        error = "not a plug-in: " + fullPath_ + " has no PIPL resource 16000";
        return false;
    }
    const DWORD size = SizeofResource(library_, resource);
    HGLOBAL loaded = LoadResource(library_, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
        error = "cannot read the PIPL resource of " + fullPath_ + ": " + Win32ErrorText(GetLastError());
        return false;
    }
    PiplInfo pipl;
    std::string problem, entryName;
    if (!ParsePipl(bytes, size, pipl, problem) ||
        !CheckDevicePipl(pipl, kHostCodeKey, displayName_, entryName, problem)) {
        error = "refused " + fullPath_ + ": " + problem;
        return false;
    }
    entry_ = reinterpret_cast<XDeviceFn>(reinterpret_cast<void*>(GetProcAddress(library_, entryName.c_str())));
    if (!entry_) {
        error = "refused " + fullPath_ + ": it exports no " + entryName;
        return false;
    }
    return true;
}

void DeviceModule::Unload()
{
    if (library_)
        FreeLibrary(library_);
    library_ = nullptr;
    entry_ = nullptr;
    displayName_.clear();
}

} // namespace quorhost
