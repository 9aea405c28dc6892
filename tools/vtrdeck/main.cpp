// vtrdeck: one virtual tape deck, served in real time to any 9-pin
// controller over a pseudo-terminal or TCP.
#include "sim/deck/DeckKeys.h"
#include "tools/vtrdeck/DeckLine.h"
#include "tools/vtrdeck/DeckServer.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

// Built under the sanitizers: run by hand on a machine where leak checks
// cannot run, it must not fail at its end (the environment still decides).
extern "C" const char* __asan_default_options()
{
    return QUOR_DETECT_LEAKS ? "" : "detect_leaks=0";
}

namespace {

void PrintHelp()
{
    std::printf("usage: vtrdeck --pty | --tcp [HOST:]PORT  [--log FILE] [key=value ...]\n"
                "\n"
                "Serves one virtual tape deck in real time to a 9-pin (RS-422) controller.\n"
                "\n"
                "  --pty             makes a pseudo-terminal and serves the deck on it; its\n"
                "                    path comes on the first line (\"pty: /dev/pts/N\"). Open it\n"
                "                    as a serial port: 38400 8O1 settings are taken and ignored.\n"
                "  --tcp PORT        serves raw 9-pin bytes to one TCP client at a time on\n"
                "                    127.0.0.1:PORT; HOST:PORT chooses the address, port 0 any\n"
                "                    free port. The first line says where (\"tcp: 127.0.0.1:9001\").\n"
                "  --log FILE        writes the packet log: each block in and out with its time\n"
                "                    in seconds, its bytes and what it means.\n"
                "  --help            this text.\n"
                "\n"
                "The deck, as key=value arguments (default in brackets):\n"
                "%s"
                "\n"
                "The deck answers a command after its latency; a block left unfinished for\n"
                "10 ms is answered with a time-out NAK. The tape log (the segments recorded)\n"
                "is printed on SIGUSR1 and when the deck ends, on Ctrl-C or SIGTERM.\n",
                sim::DeckKeysHelp());
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "vtrdeck: %s\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    bool pty = false;
    std::string tcp, logPath;
    std::vector<std::string> items;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintHelp();
            return 0;
        }
        if (arg == "--pty") {
            pty = true;
        } else if ((arg == "--tcp" || arg == "--log") && i + 1 < argc) {
            (arg == "--tcp" ? tcp : logPath) = argv[++i];
        } else if (arg.rfind("--", 0) == 0) {
            return Fail("\"" + arg + "\" is not an option or lacks its value; see vtrdeck --help");
        } else {
            items.push_back(arg);
        }
    }
    if (pty == !tcp.empty())
        return Fail("give one of --pty and --tcp PORT; see vtrdeck --help");
    sim::DeckSettings settings;
    std::string error;
    if (!sim::ParseDeckItems(items, "deck", &settings, nullptr, &error))
        return Fail(error);

    std::FILE* log = nullptr;
    if (!logPath.empty() && (log = std::fopen(logPath.c_str(), "w")) == nullptr)
        return Fail(logPath + ": " + std::strerror(errno));

    // The signals come as reads, between two turns of the loop.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0)
        return Fail(std::string("signalfd: ") + std::strerror(errno));

    int listener = -1;
    vtrdeck::DeckServer server(settings, log);
    if (pty) {
        std::string path;
        const int line = vtrdeck::OpenPty(&path, &error);
        if (line < 0)
            return Fail(error);
        std::printf("pty: %s\n", path.c_str());
        server.Connect(line);
    } else {
        std::string address;
        listener = vtrdeck::Listen(tcp, &address, &error);
        if (listener < 0)
            return Fail(error);
        std::printf("tcp: %s\n", address.c_str());
    }
    std::fflush(stdout);

    for (;;) {
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {-1, POLLIN, 0}};
        fds[1].fd = server.Client() >= 0 ? server.Client() : listener;
        const long long ns = server.NanosecondsToNext();
        timespec timeout{ns / 1000000000, ns % 1000000000};
        if (ppoll(fds, 2, ns < 0 ? nullptr : &timeout, nullptr) < 0 && errno != EINTR)
            return Fail(std::string("poll: ") + std::strerror(errno));
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (read(signalFd, &info, sizeof info) == sizeof info && info.ssi_signo != SIGUSR1)
                break;
            server.PrintTapeLog(stdout);
        }
        if (fds[1].revents != 0) {
            if (server.Client() < 0) {
                const int client = vtrdeck::AcceptClient(listener);
                if (client >= 0)
                    server.Connect(client);
            } else if (!server.ReadClient()) {
                // The pseudo-terminal's other side stays open here, so only
                // a TCP controller can go away.
                if (pty)
                    return Fail(std::string("pty: ") + std::strerror(errno));
                close(server.Client());
                server.Disconnect();
            }
        }
        if (!server.Service()) {
            if (pty)
                return Fail(std::string("pty: ") + std::strerror(errno));
            close(server.Client());
            server.Disconnect();
        }
    }
    server.PrintTapeLog(stdout);
    if (log)
        std::fclose(log);
    return 0;
}
