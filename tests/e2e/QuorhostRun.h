#pragma once
// Where the build put quorhost and the modules, scratch folders, and running
// quorhost as the editor's stand-in.
#include "e2e/ChildProcess.h"
#include "support/BuildPaths.h"
#include "support/FileBytes.h"

#include <cstdint>
#include <string>
#include <vector>

std::string FixtureModule();

// An empty folder QUOR_WORK\name for one test.
std::string ScratchFolder(const std::string& name);

// quorhost.exe with these arguments, run in `folder`.
ProcessResult RunQuorhost(const std::vector<std::string>& args, const std::string& folder);

bool FileExists(const std::string& path);
