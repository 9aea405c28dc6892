#include "tools/quorhost/SettingsFile.h"

#include "tools/quorhost/Win32Error.h"

#include <windows.h>

namespace quorhost {

SettingsRead ReadSettingsFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error)
{
    bytes.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return SettingsRead::Missing;
        error = "cannot open settings file " + path + ": " + Win32ErrorText(code);
        return SettingsRead::Failed;
    }
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        error = "cannot read the size of settings file " + path + ": " + Win32ErrorText(GetLastError());
        CloseHandle(file);
        return SettingsRead::Failed;
    }
    if (high != 0 || low != kSettingsBlockSize) {
        error = "settings file " + path + " holds " +
                (high ? std::string("more than 4 GiB") : std::to_string(low) + " bytes") + ", expected " +
                std::to_string(kSettingsBlockSize);
        CloseHandle(file);
        return SettingsRead::Failed;
    }
    bytes.resize(kSettingsBlockSize);
    DWORD read = 0;
    const BOOL ok = ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
    const DWORD code = GetLastError();
    CloseHandle(file);
    if (!ok || read != bytes.size()) {
        error =
            "cannot read settings file " + path + ": " +
            (ok ? std::to_string(read) + " of " + std::to_string(bytes.size()) + " bytes read" : Win32ErrorText(code));
        bytes.clear();
        return SettingsRead::Failed;
    }
    return SettingsRead::Loaded;
}

bool WriteSettingsFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot write settings file " + path + ": " + Win32ErrorText(GetLastError());
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    const DWORD code = GetLastError();
    const BOOL closed = CloseHandle(file);
    if (!ok || written != bytes.size() || !closed) {
        error = "cannot write settings file " + path + ": " +
                (ok ? std::to_string(written) + " of " + std::to_string(bytes.size()) + " bytes written"
                    : Win32ErrorText(code));
        return false;
    }
    return true;
}

} // namespace quorhost
