// Three editors contending for one port for about a minute: never two hold
// it with the deck online at once, and each gets it.
//
// The children write their lines into one shared pipe, so the pipe's order
// is the order in which the lines were written, across processes; timestamps
// taken by readers of separate pipes could not order lines that close. A
// child's deck sits at its own hour (QUOR_SIM tc), which names the child of
// each online line; the hour digit of its sleeps names it in the others.
// A child's port is taken before its first online line of a cycle and given
// back only by the cleanup after its last one, so these lines bound an
// interval in which it certainly held the port: two such intervals that
// overlap in the pipe's order are two holders at one moment.
#include "support/BuildPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kChildren = 3;
// Sleeps of the hold are 200 ms and more, the pauses between cycles less;
// the last digit of either is the child's number.
constexpr int kHoldSleepFloor = 200;
// What the scripts sleep in all; the calls add about a sixth.
constexpr int kScriptSleepMs = 50000;
constexpr DWORD kHangLimitMs = 150000;

// A script of cycles, each taking the port, holding it a moment with the
// deck's status read on both sides, and giving it back.
std::string WriteScript(const std::string& folder, int child, int* cycles)
{
    std::mt19937 random(1000 + child);
    std::ostringstream script;
    int slept = 0;
    *cycles = 0;
    while (slept < kScriptSleepMs) {
        const int hold = 10 * int(20 + random() % 11) + child;
        const int pause = 10 * int(2 + random() % 17) + child;
        script << "init\nstatus\nsleep " << hold << "\nstatus\ncleanup\nsleep " << pause << "\n";
        slept += hold + pause;
        ++*cycles;
    }
    const std::string path = folder + "\\child" + std::to_string(child) + ".txt";
    if (std::FILE* file = std::fopen(path.c_str(), "w")) {
        std::fputs(script.str().c_str(), file);
        std::fclose(file);
    }
    return path;
}

// Our environment with the child's rack: one board whose deck stands at the
// child's hour.
std::vector<char> ChildEnvironment(int child)
{
    std::vector<char> block;
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; *entry; entry += std::strlen(entry) + 1) {
        if (_strnicmp(entry, "QUOR_SIM=", 9) != 0)
            block.insert(block.end(), entry, entry + std::strlen(entry) + 1);
    }
    FreeEnvironmentStringsA(strings);
    const std::string rack = "QUOR_SIM=tc=0" + std::to_string(child) + ":00:00:00";
    block.insert(block.end(), rack.c_str(), rack.c_str() + rack.size() + 1);
    block.push_back('\0');
    return block;
}

void Drain(HANDLE pipe, std::string& into)
{
    DWORD available = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        char buffer[4096];
        DWORD count = 0;
        if (!ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &count, nullptr) || count == 0)
            return;
        into.append(buffer, count);
    }
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        lines.push_back(line);
    }
    return lines;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// An interval of lines in which a child held the port with its deck online.
struct Hold {
    int child;
    size_t first;
    size_t last;
};

struct Observed {
    std::vector<Hold> holds;
    int cyclesEnded[kChildren + 1] = {};
    int offlineLines = 0;
    std::vector<std::string> strange;
};

Observed Analyse(const std::vector<std::string>& lines)
{
    Observed seen;
    std::vector<Hold> open(kChildren + 1, Hold{0, 0, 0});
    auto close = [&](int child) {
        if (open[child].child)
            seen.holds.push_back(open[child]);
        open[child] = Hold{0, 0, 0};
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        int value = 0;
        int hour = 0;
        if (std::sscanf(line.c_str(), "sleep %d: slept", &value) == 1 && value % 10 >= 1 &&
            value % 10 <= kChildren) {
            if (value < kHoldSleepFloor) {
                ++seen.cyclesEnded[value % 10];
                close(value % 10);
            }
        } else if (StartsWith(line, "init: ") || StartsWith(line, "status: ")) {
            const size_t mode = line.find("mode ");
            if (mode == std::string::npos || std::sscanf(line.c_str() + mode, "mode %d", &value) != 1) {
                seen.strange.push_back(line);
            } else if (value == 15) {
                ++seen.offlineLines;
            } else {
                const size_t timecode = line.find("timecode ");
                if (timecode == std::string::npos ||
                    std::sscanf(line.c_str() + timecode, "timecode %d;", &hour) != 1 || hour < 1 ||
                    hour > kChildren) {
                    seen.strange.push_back(line);
                    continue;
                }
                if (!open[hour].child)
                    open[hour] = Hold{hour, i, i};
                open[hour].last = i;
            }
        } else if (!StartsWith(line, "cleanup: ") && !StartsWith(line, "sleep ") && !StartsWith(line, "module: ") &&
                   !StartsWith(line, "display name: ") && !StartsWith(line, "host handles still allocated: 0")) {
            seen.strange.push_back(line);
        }
    }
    for (int child = 1; child <= kChildren; ++child)
        close(child);
    return seen;
}

} // namespace

TEST(PortContention, ThreeEditorsNeverHoldThePortAtOnceAndEachGetsIt)
{
    const std::string folder = WorkFolder() + "\\endurance-contention";
    CreateDirectoryA(WorkFolder().c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    // Large enough that no child ever waits on a full pipe mid-line.
    ASSERT_TRUE(CreatePipe(&outRead, &outWrite, &inherit, 1 << 20));
    ASSERT_TRUE(CreatePipe(&errRead, &errWrite, &inherit, 1 << 16));
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                               nullptr);

    int cycles[kChildren + 1] = {};
    HANDLE processes[kChildren] = {};
    const std::string quorhost = BinFolder() + "\\quorhost.exe";
    for (int child = 1; child <= kChildren; ++child) {
        const std::string script = WriteScript(folder, child, &cycles[child]);
        std::string commandLine = "\"" + quorhost + "\" --sim --settings \"" + folder + "\\child" +
                                  std::to_string(child) + ".bin\" --script \"" + script + "\"";
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        std::vector<char> environment = ChildEnvironment(child);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = outWrite;
        startup.hStdError = errWrite;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessA(quorhost.c_str(), line.data(), nullptr, nullptr, TRUE, 0, environment.data(),
                                   folder.c_str(), &startup, &process))
            << quorhost;
        CloseHandle(process.hThread);
        processes[child - 1] = process.hProcess;
    }
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    CloseHandle(input);

    std::string out, err;
    const DWORD start = GetTickCount();
    bool hung = false;
    while (WaitForMultipleObjects(kChildren, processes, TRUE, 20) == WAIT_TIMEOUT) {
        Drain(outRead, out);
        Drain(errRead, err);
        if (GetTickCount() - start > kHangLimitMs) {
            hung = true;
            for (HANDLE process : processes)
                TerminateProcess(process, 1);
            WaitForMultipleObjects(kChildren, processes, TRUE, 10000);
            break;
        }
    }
    Drain(outRead, out);
    Drain(errRead, err);
    const DWORD elapsed = GetTickCount() - start;
    std::printf("three editors contended for %lu ms\n", static_cast<unsigned long>(elapsed));
    for (int child = 1; child <= kChildren; ++child) {
        DWORD code = 0;
        GetExitCodeProcess(processes[child - 1], &code);
        EXPECT_EQ(0u, code) << "child " << child;
        CloseHandle(processes[child - 1]);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    ASSERT_FALSE(hung) << "the editors were still running after " << kHangLimitMs << " ms";
    EXPECT_EQ("", err);

    const std::vector<std::string> lines = LinesOf(out);
    const Observed seen = Analyse(lines);
    EXPECT_TRUE(seen.strange.empty()) << "unexpected line: " << seen.strange.front();
    int held[kChildren + 1] = {};
    for (const Hold& hold : seen.holds)
        ++held[hold.child];
    for (int child = 1; child <= kChildren; ++child) {
        EXPECT_EQ(cycles[child], seen.cyclesEnded[child]) << "child " << child << " did not run its script";
        EXPECT_GE(held[child], 1) << "child " << child << " never got the port";
    }
    EXPECT_GT(seen.offlineLines, 0) << "the editors never found the port taken: they did not contend";

    std::vector<Hold> holds = seen.holds;
    std::sort(holds.begin(), holds.end(), [](const Hold& a, const Hold& b) { return a.first < b.first; });
    for (size_t i = 1; i < holds.size(); ++i) {
        const Hold& before = holds[i - 1];
        const Hold& now = holds[i];
        ASSERT_GT(now.first, before.last)
            << "child " << now.child << " had the deck online at line " << now.first + 1 << " (" << lines[now.first]
            << ") while child " << before.child << " held the port from line " << before.first + 1 << " to "
            << before.last + 1;
    }
    std::printf("holds: %d, %d and %d; offline answers: %d\n", held[1], held[2], held[3], seen.offlineLines);
}
