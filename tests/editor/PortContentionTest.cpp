// Three editors contend for one port for about half a minute: never two hold
// it with the deck online at once, and each gets it.
//
// The children write into one shared pipe, so its order is the order in
// which lines were written across processes. A child's deck stands at its
// own hour, which names the child of each online line; the last digit of
// its sleeps names it in the others (pauses below 200 ms end its cycles).
// A child certainly held the port from its first online line of a cycle to
// its last, so two such intervals that overlap are two holders at once.
#include "support/BuildPaths.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kChildren = 3;

TEST(PortContention, ThreeEditorsNeverHoldThePortAtOnceAndEachGetsIt)
{
    const std::string folder = WorkFolder() + "\\contention";
    CreateDirectoryA(WorkFolder().c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr;
    // Large enough that no child ever waits on a full pipe mid-line.
    ASSERT_TRUE(CreatePipe(&outRead, &outWrite, &inherit, 1 << 20));
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);

    int cycles[kChildren + 1] = {};
    HANDLE processes[kChildren] = {};
    const std::string quorhost = BinFolder() + "\\quorhost.exe";
    for (int child = 1; child <= kChildren; ++child) {
        // Cycles of taking the port, holding it 200-300 ms with the deck read
        // on both sides, giving it back and pausing 20-180 ms.
        std::mt19937 random(1000 + child);
        const std::string script = folder + "\\child" + std::to_string(child) + ".txt";
        std::FILE* file = std::fopen(script.c_str(), "w");
        ASSERT_NE(nullptr, file);
        for (int slept = 0; slept < 25000; ++cycles[child]) {
            const int hold = 10 * int(20 + random() % 11) + child, pause = 10 * int(2 + random() % 17) + child;
            std::fprintf(file, "init\nstatus\nsleep %d\nstatus\ncleanup\nsleep %d\n", hold, pause);
            slept += hold + pause;
        }
        std::fclose(file);
        // Our environment with the child's rack: one deck at the child's hour.
        std::vector<char> environment;
        char* strings = GetEnvironmentStringsA();
        for (const char* entry = strings; *entry; entry += std::strlen(entry) + 1)
            if (_strnicmp(entry, "QUOR_SIM=", 9) != 0)
                environment.insert(environment.end(), entry, entry + std::strlen(entry) + 1);
        FreeEnvironmentStringsA(strings);
        const std::string rack = "QUOR_SIM=tc=0" + std::to_string(child) + ":00:00:00";
        environment.insert(environment.end(), rack.c_str(), rack.c_str() + rack.size() + 1);
        environment.push_back('\0');

        std::string commandLine = "\"" + quorhost + "\" --sim --settings \"" + folder + "\\child" +
                                  std::to_string(child) + ".bin\" --script \"" + script + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = outWrite;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessA(quorhost.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, environment.data(),
                                   folder.c_str(), &startup, &process))
            << quorhost;
        CloseHandle(process.hThread);
        processes[child - 1] = process.hProcess;
    }
    CloseHandle(outWrite);

    std::string out;
    auto drain = [&] {
        DWORD available = 0, count = 0;
        char buffer[4096];
        while (PeekNamedPipe(outRead, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
               ReadFile(outRead, buffer, available < sizeof buffer ? available : sizeof buffer, &count, nullptr) &&
               count > 0)
            out.append(buffer, count);
    };
    const DWORD start = GetTickCount();
    while (WaitForMultipleObjects(kChildren, processes, TRUE, 20) == WAIT_TIMEOUT && GetTickCount() - start < 100000)
        drain();
    drain();
    for (int child = 1; child <= kChildren; ++child) {
        DWORD code = 1;
        if (WaitForSingleObject(processes[child - 1], 0) == WAIT_TIMEOUT)
            TerminateProcess(processes[child - 1], 1);
        GetExitCodeProcess(processes[child - 1], &code);
        EXPECT_EQ(0u, code) << "child " << child << " failed or hung";
        CloseHandle(processes[child - 1]);
    }
    CloseHandle(outRead);

    // Each cycle's online lines, first to last, per child.
    struct Hold {
        int child, first, last;
    };
    std::vector<Hold> holds;
    int open[kChildren + 1] = {}, offline = 0, held[kChildren + 1] = {}, ended[kChildren + 1] = {};
    std::vector<std::string> text;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        text.push_back(line);
        const int number = int(text.size());
        int value = 0, hour = 0;
        const size_t mode = line.find("mode "), timecode = line.find("timecode ");
        if (std::sscanf(line.c_str(), "sleep %d: slept", &value) == 1) {
            const int child = value % 10;
            if (value < 200 && child >= 1 && child <= kChildren) {
                ++ended[child];
                open[child] = 0;
            }
        } else if (mode != std::string::npos && std::sscanf(line.c_str() + mode, "mode %d", &value) == 1 &&
                   value == 15) {
            ++offline;
        } else if (timecode != std::string::npos &&
                   std::sscanf(line.c_str() + timecode, "timecode %d;", &hour) == 1 && hour >= 1 && hour <= kChildren) {
            if (!open[hour]) {
                holds.push_back({hour, number, number});
                open[hour] = int(holds.size());
                ++held[hour];
            }
            holds[open[hour] - 1].last = number;
        }
    }
    // Made in the order of their first lines: each must start after the last ends.
    for (size_t i = 1; i < holds.size(); ++i) {
        const Hold& before = holds[i - 1];
        ASSERT_GT(holds[i].first, before.last)
            << "child " << holds[i].child << " had the deck online at line " << holds[i].first << " ("
            << text[holds[i].first - 1] << ") while child " << before.child << " held the port from line "
            << before.first << " to " << before.last;
    }
    for (int child = 1; child <= kChildren; ++child) {
        EXPECT_EQ(cycles[child], ended[child]) << "child " << child << " did not run its script";
        EXPECT_GE(held[child], 1) << "child " << child << " never got the port";
    }
    EXPECT_GT(offline, 0) << "the editors never found the port taken: they did not contend";
}

} // namespace
