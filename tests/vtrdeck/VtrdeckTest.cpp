// vtrdeck as a controller meets it: the program started with its
// arguments, driven by bytes over TCP and over its pseudo-terminal.
#include "support/DeckClient.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace decktest;

namespace {

using Clock = std::chrono::steady_clock;

// Reads what fd has within ms; false on end or failure.
bool ReadSome(int fd, std::string* into, int ms)
{
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0)
        return false;
    char buffer[4096];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0)
        return false;
    into->append(buffer, size_t(got));
    return true;
}

// The program with its stdout and stderr on one pipe.
class Program {
public:
    explicit Program(const std::vector<std::string>& args)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            dup2(out[1], 2);
            std::vector<char*> argv{const_cast<char*>(VTRDECK_PATH)};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(VTRDECK_PATH, argv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
    }
    ~Program()
    {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
    }

    std::string FirstLine()
    {
        const auto until = Clock::now() + std::chrono::seconds(10);
        while (output.find('\n') == std::string::npos && Clock::now() < until)
            ReadSome(out_, &output, 100);
        return output.substr(0, output.find('\n'));
    }
    // Signals the end, waits for it and collects the output; the exit
    // status, or -1.
    int Stop()
    {
        kill(pid_, SIGTERM);
        const auto until = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < until && (ReadSome(out_, &output, 100) || waitpid(pid_, &status_, WNOHANG) == 0))
            status_ = -1;
        while (ReadSome(out_, &output, 0)) {
        }
        return status_ >= 0 && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

    std::string output;

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = -1;
};

// A controller's end of the line.
class Line {
public:
    explicit Line(int fd) : fd(fd) {}
    ~Line() { close(fd); }
    void Write(const Bytes& bytes) { ASSERT_EQ(write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // One whole reply block, by the count in its first byte; what came
    // within 500 ms otherwise.
    Bytes Reply()
    {
        std::string got;
        const auto until = Clock::now() + std::chrono::milliseconds(500);
        while (Clock::now() < until && (got.empty() || got.size() < 3u + (uint8_t(got[0]) & 0x0Fu)))
            ReadSome(fd, &got, 20);
        return Bytes(got.begin(), got.end());
    }
    Bytes Send(const Bytes& block)
    {
        Write(WithChecksum(block));
        return Reply();
    }
    void Command(const Bytes& block) { EXPECT_EQ(Hex(Send(block)), "10 01 11") << "for " << Hex(block); }
    // The time-data bytes of a time sense, FF SS MM HH, as a hex text.
    std::string Time()
    {
        const Bytes r = Send({0x61, 0x0C, 0x01});
        return r.size() == 7 ? Hex(Bytes(r.begin() + 2, r.end() - 1)) : "no time: " + Hex(r);
    }
    // Polls status until the mask reads as wanted; false after `ms`.
    bool AwaitStatus(size_t byte, uint8_t mask, uint8_t bits, int ms)
    {
        for (const auto until = Clock::now() + std::chrono::milliseconds(ms);;) {
            const Bytes r = Send({0x61, 0x20, 0x0A});
            if (r.size() == 13 && (r[2 + byte] & mask) == bits)
                return true;
            if (Clock::now() >= until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    const int fd;
};

int ConnectTcp(const std::string& address)
{
    const size_t colon = address.rfind(':');
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(std::stoi(address.substr(colon + 1))));
    inet_pton(AF_INET, address.substr(0, colon).c_str(), &addr.sin_addr);
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// As a controller opens a serial port: raw, 38400 8O1, input flushed.
int OpenPty(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    if (fd < 0 || tcgetattr(fd, &tio) != 0)
        return fd;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B38400);
    cfsetospeed(&tio, B38400);
    tio.c_cflag |= PARENB | PARODD;
    tcsetattr(fd, TCSANOW, &tio);
    tcflush(fd, TCIFLUSH);
    return fd;
}

// The frames of a time-data text "FF SS MM HH" at 30 frames a second,
// without the flags; enough for a few seconds' difference.
int FramesOf(const std::string& hex)
{
    unsigned f, s, m, h;
    if (std::sscanf(hex.c_str(), "%x %x %x %x", &f, &s, &m, &h) != 4)
        return -1;
    const auto dec = [](unsigned bcd) { return int(bcd >> 4) * 10 + int(bcd & 15); };
    return ((dec(h & 0x3F) * 60 + dec(m)) * 60 + dec(s & 0x7F)) * 30 + dec(f & 0x3F);
}

class VtrdeckSession : public testing::TestWithParam<const char*> {
protected:
    bool Tcp() const { return std::strcmp(GetParam(), "tcp") == 0; }
    int Connect(const std::string& where) { return Tcp() ? ConnectTcp(where) : OpenPty(where); }
};

TEST_P(VtrdeckSession, ServesAControllerAsADeckWould)
{
    Program deck(Tcp() ? std::vector<std::string>{"--tcp", "0", "tc=01:00:00:00"} : std::vector<std::string>{"--pty"});
    const std::string first = deck.FirstLine();
    const std::string prefix = std::string(GetParam()) + ": ";
    ASSERT_EQ(first.rfind(prefix, 0), 0u) << first;
    const std::string where = first.substr(prefix.size());

    Line(Connect(where)).Write({0x61, 0x0C}); // a controller gone in the middle of a block
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Line line(Connect(where));
    ASSERT_GE(line.fd, 0);
    EXPECT_EQ(Hex(line.Send({0x00, 0x11})), "12 11 20 25 68") << "device type";
    EXPECT_TRUE(line.AwaitStatus(1, 0xFF, 0xA0, 0)) << "standby, stopped";
    // A block in two writes: over TCP the second waits for the deck's
    // acknowledgement of the first, which must not take the deck's 10 ms.
    line.Write({0x61, 0x20});
    line.Write({0x0A, 0x8B});
    EXPECT_EQ(line.Reply().size(), 13u) << "status in two pieces";
    line.Write({0x20, 0x01, 0x22});
    EXPECT_EQ(Hex(line.Reply()), "11 12 04 27") << "checksum wrong";

    // Play: the deck's time moves at its frame rate.
    line.Command({0x20, 0x01});
    const auto t0 = Clock::now();
    const int f0 = FramesOf(line.Time());
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const int f1 = FramesOf(line.Time());
    const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    EXPECT_NEAR(f1 - f0, elapsed * 30000.0 / 1001.0, 2.0);
    line.Command({0x20, 0x00});
    EXPECT_TRUE(line.AwaitStatus(1, 0x20, 0x20, 500)) << "stopped";

    // Cue up with data: cue-up complete, parked on the frame.
    line.Command(Cat({0x24, 0x31}, TimeData(1, 0, 10, 0)));
    EXPECT_TRUE(line.AwaitStatus(2, 0x01, 0x01, 5000)) << "cue-up complete";
    EXPECT_EQ(line.Time(), "40 10 00 01");

    // A preset insert edit of ten frames, a second's preroll.
    line.Command({0x40, 0x41});
    line.Command({0x44, 0x31, 0x00, 0x01, 0x00, 0x00});
    line.Command(Cat({0x44, 0x14}, TimeData(1, 0, 12, 0)));
    line.Command(Cat({0x44, 0x15}, TimeData(1, 0, 12, 10)));
    line.Command({0x41, 0x30, 0x53});
    line.Command({0x20, 0x42});
    EXPECT_TRUE(line.AwaitStatus(1, 0x02, 0x02, 5000)) << "recording";
    EXPECT_TRUE(line.AwaitStatus(1, 0x20, 0x20, 8000)) << "stopped after the postroll";

    EXPECT_EQ(deck.Stop(), 0) << deck.output;
    EXPECT_NE(deck.output.find("  insert 01;00;12;00-01;00;12;09 V A1 A2 (frames"), std::string::npos)
        << "the tape log at the end:\n"
        << deck.output;
}

INSTANTIATE_TEST_SUITE_P(Lines, VtrdeckSession, testing::Values("tcp", "pty"));

} // namespace
