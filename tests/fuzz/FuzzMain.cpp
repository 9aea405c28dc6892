// A fuzz driver for a compiler without a coverage-guided fuzzer: it runs the
// target on its seeds, then on mutations of them and on random bytes, for a
// bounded wall time. Every input follows from the seed it prints, so a run
// repeats; and the input under test is on disk while it runs, so a crash, a
// sanitizer's report or a hang leaves it behind for --replay.
#include "FuzzTarget.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Input = std::vector<uint8_t>;
constexpr size_t kMaxLength = 4096;
// SIGALRM's default action ends a hung run, the input still on disk.
constexpr unsigned kHangSeconds = 10;

void RunOne(const Input& input)
{
    static const uint8_t kEmpty = 0;
    alarm(kHangSeconds);
    LLVMFuzzerTestOneInput(input.empty() ? &kEmpty : input.data(), input.size());
    alarm(0);
}

// splitmix64: plain arithmetic, so a seed gives the same inputs with any
// standard library.
uint64_t gState;
size_t Below(size_t n)
{
    uint64_t z = (gState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return n ? static_cast<size_t>((z ^ (z >> 31)) % n) : 0;
}

Input Next(const std::vector<Input>& seeds)
{
    if (seeds.empty() || Below(8) == 0) {
        Input input(Below(4) ? Below(256) : Below(kMaxLength + 1));
        for (uint8_t& b : input)
            b = uint8_t(Below(256));
        return input;
    }
    Input in = seeds[Below(seeds.size())];
    for (size_t count = 1 + Below(Below(8) ? 4 : 16); count > 0; --count) {
        const Input& other = seeds[Below(seeds.size())];
        const size_t at = Below(in.size() + 1);
        switch (Below(4)) {
        case 0: // a byte changed: a bit of it, or all
            if (!in.empty())
                in[Below(in.size())] ^= uint8_t(Below(2) ? 1u << Below(8) : Below(256));
            break;
        case 1:
            in.insert(in.begin() + at, 1 + Below(4), uint8_t(Below(256)));
            break;
        case 2:
            in.erase(in.begin() + at, in.begin() + std::min(in.size(), at + 1 + Below(4)));
            break;
        default: // our head, another seed's tail
            in.resize(at);
            in.insert(in.end(), other.begin() + Below(other.size() + 1), other.end());
            break;
        }
    }
    in.resize(std::min(in.size(), kMaxLength));
    return in;
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = 5;
    uint64_t seed = 20261206;
    const char* replay = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--seconds"))
            seconds = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seed"))
            seed = std::strtoull(argv[i + 1], nullptr, 0);
        else if (!std::strcmp(argv[i], "--replay"))
            replay = argv[i + 1];
    }
    if (argc % 2 == 0) {
        std::fprintf(stderr, "usage: %s [--seconds N] [--seed N] | --replay FILE\n", argv[0]);
        return 2;
    }
    if (const char* env = std::getenv("QUOR_FUZZ_SECONDS"))
        seconds = std::atof(env);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (replay) {
        std::ifstream file(replay, std::ios::binary);
        const Input input((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        RunOne(input);
        std::printf("fuzz: replayed %s (%zu bytes), no failure\n", replay, input.size());
        return file ? 0 : 2;
    }

    const std::vector<Input> seeds = FuzzSeeds();
    const std::string kept = std::string(argv[0]) + ".last-input";
    // Said before any run, since a crash or a hang leaves no chance after.
    std::printf("fuzz: seed %llu, %g s, %zu seed inputs; on a failure replay it with: %s --replay %s\n",
                (unsigned long long)seed, seconds, seeds.size(), argv[0], kept.c_str());
    const int fd = open(kept.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::perror(kept.c_str());
        return 2;
    }
    gState = seed;
    const auto start = std::chrono::steady_clock::now();
    const auto end =
        start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    uint64_t runs = 0;
    for (size_t i = 0; i < seeds.size() || std::chrono::steady_clock::now() < end; ++i, ++runs) {
        const Input input = i < seeds.size() ? seeds[i] : Next(seeds);
        if (ftruncate(fd, 0) != 0 || pwrite(fd, input.data(), input.size(), 0) != ssize_t(input.size())) {
            std::perror(kept.c_str());
            return 2;
        }
        RunOne(input);
    }
    close(fd);
    unlink(kept.c_str());
    std::printf("fuzz: %llu runs in %.1f s, no failure\n", (unsigned long long)runs,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return 0;
}

std::string Quoted(const char* text)
{
    if (text == nullptr)
        return "null";
    std::string s = "\"";
    for (const char* p = text; *p != '\0'; ++p) {
        char hex[8];
        const unsigned char c = static_cast<unsigned char>(*p);
        std::snprintf(hex, sizeof hex, c < 0x20 || c >= 0x7F || c == '"' || c == '\\' ? "\\x%02X" : "%c", c);
        s += hex;
    }
    return s + "\"";
}

void FuzzFailure(const char* prefix, const char* format, va_list args)
{
    std::fputs(prefix, stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    std::abort();
}
