#include "tools/vtrdeck/DeckLine.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace vtrdeck {

namespace {

std::string Why(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

bool SetNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

} // namespace

void AckAtOnce(int fd)
{
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

int OpenPty(std::string* path, std::string* error)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        *error = Why("posix_openpt");
        return -1;
    }
    const char* name = nullptr;
    if (grantpt(master) != 0 || unlockpt(master) != 0 || (name = ptsname(master)) == nullptr) {
        *error = Why("pseudo-terminal");
        close(master);
        return -1;
    }
    *path = name;
    // Raw, so that no byte is translated or taken as a control character
    // before a controller sets its own line settings. The deck holds this
    // side open for as long as it runs: a controller closing its end then
    // leaves the line usable for the next.
    const int terminal = open(name, O_RDWR | O_NOCTTY);
    termios tio{};
    if (terminal < 0 || tcgetattr(terminal, &tio) != 0) {
        *error = Why(name);
        close(master);
        return -1;
    }
    cfmakeraw(&tio);
    cfsetispeed(&tio, B38400);
    cfsetospeed(&tio, B38400);
    tio.c_cflag |= PARENB | PARODD | CLOCAL | CREAD;
    tcsetattr(terminal, TCSANOW, &tio);
    // Deliberately kept open (never closed): see above.
    if (!SetNonBlocking(master)) {
        *error = Why("pseudo-terminal");
        close(master);
        return -1;
    }
    return master;
}

int Listen(const std::string& where, std::string* address, std::string* error)
{
    std::string host = "127.0.0.1";
    std::string port = where;
    const size_t colon = where.rfind(':');
    if (colon != std::string::npos) {
        host = where.substr(0, colon);
        port = where.substr(colon + 1);
    }
    char* end = nullptr;
    const long number = port.empty() ? -1 : std::strtol(port.c_str(), &end, 10);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    if (number < 0 || number > 65535 || *end != '\0' || inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) {
        *error = "\"" + where + "\" is not PORT or HOST:PORT (an IPv4 address and a port 0 to 65535)";
        return -1;
    }
    addr.sin_port = htons(static_cast<uint16_t>(number));
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (listener < 0 || setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 4) != 0) {
        *error = Why(("listening on " + host + ":" + port).c_str());
        if (listener >= 0)
            close(listener);
        return -1;
    }
    socklen_t length = sizeof addr;
    getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &length);
    *address = host + ":" + std::to_string(ntohs(addr.sin_port));
    return listener;
}

int AcceptClient(int listener)
{
    const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client < 0)
        return -1;
    const int on = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return client;
}

} // namespace vtrdeck
