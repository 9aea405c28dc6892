#pragma once
// The ends a controller reaches the deck by: a pseudo-terminal it opens as
// a serial port, or a TCP port.
#include <string>

namespace vtrdeck {

// Opens a pseudo-terminal in raw mode and keeps its terminal side open, so
// that controllers may come and go. Returns the side the deck serves and
// sets *path to the one a controller opens; -1 and *error on failure.
int OpenPty(std::string* path, std::string* error);

// Listens on HOST:PORT or PORT (the loopback address); port 0 takes any
// free one. Returns the socket and sets *address to "HOST:PORT".
int Listen(const std::string& where, std::string* address, std::string* error);

// The next controller on a listening socket, non-blocking, with Nagle off
// so that a reply leaves at once; -1 when none.
int AcceptClient(int listener);

// After each read from a TCP controller: acknowledges at once, so that a
// controller that writes a block in two pieces is not held by its own
// delayed-send rule past the deck's 10 ms between bytes. Nothing on a pty.
void AckAtOnce(int fd);

} // namespace vtrdeck
