#pragma once
#include <windows.h>
#include <string>

// A folder under QUOR_WORK (or the temporary folder); whatever an earlier run left under
// the name is removed first.
inline std::string ScratchFile(const char* name)
{
    char base[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA("QUOR_WORK", base, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        GetTempPathA(MAX_PATH, base);
    CreateDirectoryA(base, nullptr);
    const std::string dir = std::string(base) + "\\platform";
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = dir + "\\" + name;
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.c_str());
    return path;
}
