#include "e2e/QuorhostRun.h"

#include <windows.h>

#include <algorithm>
#include <thread>

namespace {

// No argument of these tests holds a quote.
std::string Quote(const std::string& arg)
{
    return !arg.empty() && arg.find_first_of(" \t") == std::string::npos ? arg : "\"" + arg + "\"";
}

// Both pipes are drained on their own threads: a child that fills one pipe
// while we wait on the other would otherwise block for good.
void Drain(HANDLE pipe, std::string* into)
{
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &count, nullptr) && count > 0)
        into->append(buffer, count);
    into->erase(std::remove(into->begin(), into->end(), '\r'), into->end());
}

} // namespace

ProcessResult RunQuorhost(const std::vector<std::string>& args, const std::string& folder, unsigned long timeoutMs)
{
    ProcessResult result;
    const std::string program = BinFolder() + "\\quorhost.exe";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0) || !CreatePipe(&errRead, &errWrite, &inherit, 0))
        return result;
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    HANDLE input =
        CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    std::string commandLine = Quote(program);
    for (const std::string& arg : args)
        commandLine += " " + Quote(arg);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process = {};
    result.started = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                    folder.c_str(), &startup, &process) != 0;
    // Our copies of the write ends must go, or the reads never see the end.
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (input != INVALID_HANDLE_VALUE)
        CloseHandle(input);
    if (result.started) {
        std::thread outReader(Drain, outRead, &result.out), errReader(Drain, errRead, &result.err);
        if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
            result.timedOut = true;
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
        }
        GetExitCodeProcess(process.hProcess, &result.exitCode);
        outReader.join();
        errReader.join();
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
}

std::string ScratchFolder(const std::string& name)
{
    const std::string work = WorkFolder(), folder = work + "\\" + name;
    CreateDirectoryA(work.c_str(), nullptr);
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

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

std::string LineStarting(const std::string& text, const std::string& start)
{
    for (const std::string& line : Lines(text))
        if (line.compare(0, start.size(), start) == 0)
            return line;
    return "";
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool HaveDisplay()
{
    HWND probe = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (probe)
        DestroyWindow(probe);
    return probe != nullptr;
}
