#pragma once
// Runs a program to its end and captures what it writes.
#include <string>
#include <vector>

struct ProcessResult {
    bool started = false;
    bool timedOut = false;  // killed after the time limit
    unsigned long exitCode = 0;
    std::string out;        // stdout, line ends as "\n"
    std::string err;        // stderr, likewise
};

// `args` are quoted as needed; `folder` is the working folder (empty: ours).
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& folder, unsigned long timeoutMs = 60000);

// The lines of a captured output, without their line ends.
std::vector<std::string> Lines(const std::string& text);
