#include "e2e/QuorhostRun.h"

#include "support/BuildPaths.h"

#include <windows.h>

#include <cstdlib>

std::string FixtureModule()
{
    return BinFolder() + "\\fixtures\\FixtureDevice.prm";
}

std::string ScratchFolder(const std::string& name)
{
    const std::string work = WorkFolder();
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string folder = work + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return folder;
}

ProcessResult RunQuorhost(const std::vector<std::string>& args, const std::string& folder)
{
    return RunProcess(BinFolder() + "\\quorhost.exe", args, folder);
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
