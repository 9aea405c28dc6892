// A fuzz driver for a compiler without a coverage-guided fuzzer: it runs the
// target on its seeds, then on mutations of them and on random bytes, for a
// bounded wall time. Every input follows from the seed it prints, so a run
// repeats; and the input under test is on disk while it runs, so a
// crash, a sanitizer's report, a hang or a kill from outside leaves it
// behind for --replay.
#include "FuzzTarget.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

using Input = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

struct Options {
    double seconds = 5;
    uint64_t seed = 20261206;
    std::string replay;
};
constexpr size_t kMaxLength = 4096;
constexpr unsigned kHangSeconds = 10;

[[noreturn]] void Usage(const char* program)
{
    std::fprintf(stderr, "usage: %s [--seconds N] [--seed N] | --replay FILE\n"
        "QUOR_FUZZ_SECONDS overrides --seconds.\n", program);
    std::exit(2);
}

bool ParseSeconds(const char* text, double* value)
{
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0' && *value >= 0 && *value <= 1e7;
}

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 == argc)
            Usage(argv[0]);
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        char* end = nullptr;
        if (name == "--seconds" && ParseSeconds(value, &options.seconds))
            continue;
        if (name == "--seed" && value[0] != '-' && (options.seed = std::strtoull(value, &end, 0), *end == '\0'))
            continue;
        if (name == "--replay") {
            options.replay = value;
            continue;
        }
        Usage(argv[0]);
    }
    const char* env = std::getenv("QUOR_FUZZ_SECONDS");
    if (env && !ParseSeconds(env, &options.seconds)) {
        std::fprintf(stderr, "fuzz: QUOR_FUZZ_SECONDS is not a number of seconds: %s\n", env);
        std::exit(2);
    }
    return options;
}

// What to say when the process dies, however it dies: written beforehand,
// since a signal handler may not allocate.
char gDeathNote[2048];

void SayDeathNote()
{
    const ssize_t written = write(STDERR_FILENO, gDeathNote, std::strlen(gDeathNote));
    (void)written;
}

extern "C" void OnAbort(int)
{
    SayDeathNote();
    std::signal(SIGABRT, SIG_DFL);
    std::raise(SIGABRT);
}

void SetDeathNote(const std::string& note)
{
    std::snprintf(gDeathNote, sizeof gDeathNote, "%s\n", note.c_str());
}

// The mutations are plain arithmetic on one generator, so a seed gives the
// same inputs with any standard library.
class Mutator {
public:
    Mutator(uint64_t seed, const std::vector<Input>& seeds, size_t maxLength)
        : state_(seed), seeds_(seeds), maxLength_(maxLength) {}

    Input Next()
    {
        Input input;
        if (seeds_.empty() || Below(8) == 0) {
            input.resize(Below(4) ? Below(256) : Below(maxLength_ + 1));
            for (uint8_t& b : input)
                b = Byte();
        } else {
            input = seeds_[Below(seeds_.size())];
            const size_t count = Below(8) == 0 ? 1 + Below(16) : 1 + Below(4);
            for (size_t i = 0; i < count; ++i)
                Mutate(&input);
        }
        if (input.size() > maxLength_)
            input.resize(maxLength_);
        return input;
    }

private:
    uint64_t Random()
    {
        // splitmix64
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t Below(size_t n) { return n ? static_cast<size_t>(Random() % n) : 0; }
    uint8_t Byte() { return static_cast<uint8_t>(Random()); }

    void Mutate(Input* input)
    {
        static const uint8_t kEdges[] = {0x00, 0x01, 0x0F, 0x10, 0x7F, 0x80, 0x99, 0x9A, 0xFF};
        Input& in = *input;
        const Input& other = seeds_[Below(seeds_.size())];
        const size_t at = Below(in.size() + 1);
        switch (Below(8)) {
        case 0:
            if (!in.empty())
                in[Below(in.size())] ^= static_cast<uint8_t>(1u << Below(8));
            break;
        case 1:
            if (!in.empty())
                in[Below(in.size())] = Below(2) ? Byte() : kEdges[Below(sizeof kEdges)];
            break;
        case 2:
            if (!in.empty())
                in[Below(in.size())] += static_cast<uint8_t>(Below(2) ? 1 + Below(16) : 256 - 1 - Below(16));
            break;
        case 3:
            for (size_t n = 1 + Below(4); n > 0; --n)
                in.insert(in.begin() + at, Byte());
            break;
        case 4:
            in.erase(in.begin() + at, in.begin() + std::min(in.size(), at + 1 + Below(4)));
            break;
        case 5: {   // repeat a stretch, as a controller repeats a command
            const size_t from = Below(in.size() + 1);
            const size_t length = Below(in.size() - from + 1);
            const Input stretch(in.begin() + from, in.begin() + from + length);
            in.insert(in.begin() + at, stretch.begin(), stretch.end());
            break;
        }
        case 6:     // splice: our head, another seed's tail
            in.resize(at);
            in.insert(in.end(), other.begin() + Below(other.size() + 1), other.end());
            break;
        default:
            in.insert(in.end(), other.begin(), other.end());
            break;
        }
    }

    uint64_t state_;
    const std::vector<Input>& seeds_;
    size_t maxLength_;
};

// One input running past the limit aborts the run: the input is already on
// disk, and the abort keeps a hang from outliving the run.
extern "C" void OnHang(int)
{
    const char note[] = "fuzz: one input has run for more than the hang limit\n";
    const ssize_t written = write(STDERR_FILENO, note, sizeof note - 1);
    (void)written;
    std::abort();
}

int RunOne(const Input& input)
{
    static const uint8_t kEmpty = 0;
    return LLVMFuzzerTestOneInput(input.empty() ? &kEmpty : input.data(), input.size());
}

int Replay(const Options& options)
{
    std::ifstream file(options.replay, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "fuzz: cannot read %s\n", options.replay.c_str());
        return 2;
    }
    const Input input((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    SetDeathNote("fuzz: failed on " + options.replay);
    alarm(kHangSeconds);
    RunOne(input);
    alarm(0);
    std::printf("fuzz: replayed %s (%zu bytes), no failure\n", options.replay.c_str(), input.size());
    return 0;
}

// The input under test, rewritten in place before each run.
void Keep(int fd, const Input& input)
{
    const ssize_t size = static_cast<ssize_t>(input.size());
    if (ftruncate(fd, 0) != 0 || (size > 0 && pwrite(fd, input.data(), input.size(), 0) != size)) {
        std::fprintf(stderr, "fuzz: cannot keep the input: %s\n", std::strerror(errno));
        std::exit(2);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const Options options = ParseOptions(argc, argv);
    std::signal(SIGABRT, OnAbort);
    std::signal(SIGALRM, OnHang);
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(SayDeathNote);
#endif
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!options.replay.empty())
        return Replay(options);

    const std::vector<Input> seeds = FuzzSeeds();
    const std::string kept = std::string(argv[0]) + ".last-input";
    std::printf("fuzz: seed %llu, %g s, %zu seed inputs\n", static_cast<unsigned long long>(options.seed),
        options.seconds, seeds.size());
    SetDeathNote("fuzz: the failing input is in " + kept + "; replay it with: " + argv[0] + " --replay " + kept);
    const int fd = open(kept.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::fprintf(stderr, "fuzz: cannot write %s: %s\n", kept.c_str(), std::strerror(errno));
        return 2;
    }
    Mutator mutator(options.seed, seeds, kMaxLength);
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.seconds));
    uint64_t runs = 0;
    auto run = [&](const Input& input) {
        Keep(fd, input);
        alarm(kHangSeconds);
        RunOne(input);
        alarm(0);
        ++runs;
    };
    for (const Input& input : seeds)
        run(input);
    while (Clock::now() < end)
        run(mutator.Next());
    close(fd);
    unlink(kept.c_str());

    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    // A leak is only found at exit, when no single input is to blame.
    SetDeathNote("fuzz: found at exit, so no single input is kept; --seed " + std::to_string(options.seed) +
        " gives the same inputs again");
    std::printf("fuzz: %llu runs in %.1f s, no failure\n", static_cast<unsigned long long>(runs), took);
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
