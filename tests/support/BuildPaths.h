#pragma once
// Where the build put its outputs and where tests may scribble, as Windows
// paths (CTest hands them over as Unix paths).
#include <string>

std::string BinFolder();        // QUOR_BIN
std::string PeerBinFolder();    // QUOR_PEER_BIN: the other target's outputs, "" when not built
std::string WorkFolder();       // QUOR_WORK
std::string TestDataFolder();   // QUOR_TEST_DATA: files kept with the tests
std::string ProductionModule(); // the module with the production binding
