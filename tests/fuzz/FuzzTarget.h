#pragma once
// What a fuzz target defines. The entry is the coverage-guided fuzzers' own,
// so a target also links with one of them unchanged; the seeds stand in for
// the coverage our driver lacks: well-formed inputs for it to mutate.
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

std::vector<std::vector<uint8_t>> FuzzSeeds();

// Reports a broken invariant after the target's prefix and aborts, so that
// the driver's abort handler names the input.
[[noreturn]] void FuzzFailure(const char* prefix, const char* format, va_list args);

// A text for a message: quoted, its other bytes escaped, or "null".
std::string Quoted(const char* text);
