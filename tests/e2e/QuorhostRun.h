#pragma once
// quorhost run to its end as the editor's stand-in, its output captured.
#include "support/BuildPaths.h"
#include "support/FileBytes.h"

#include <string>
#include <vector>

struct ProcessResult {
    bool started = false;
    bool timedOut = false; // killed after the time limit
    unsigned long exitCode = 0;
    std::string out; // stdout, line ends as "\n"
    std::string err; // stderr, likewise
};

// quorhost.exe with these arguments, run in `folder`.
ProcessResult RunQuorhost(const std::vector<std::string>& args, const std::string& folder,
                          unsigned long timeoutMs = 60000);

// An empty folder QUOR_WORK\name for one test.
std::string ScratchFolder(const std::string& name);

// The lines of a captured output, without their line ends.
std::vector<std::string> Lines(const std::string& text);
// The first line starting with `start`, or "".
std::string LineStarting(const std::string& text, const std::string& start);

bool FileExists(const std::string& path);
// Whether windows can be made here, so that dialogs can be worked.
bool HaveDisplay();
