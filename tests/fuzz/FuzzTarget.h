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

// An input read front to back; bytes past its end read as 0.
struct FuzzInput {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;

    uint8_t Byte() { return pos < size ? data[pos++] : uint8_t(0); }
    // Four bytes, the most significant first.
    int32_t Word()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | Byte();
        return int32_t(v);
    }
};

// A text for a message: quoted, its other bytes escaped, or "null".
std::string Quoted(const char* text);
