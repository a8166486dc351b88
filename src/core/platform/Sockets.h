#pragma once
// Sockets of the system's network stack.
#include <cstdint>

namespace platform {

// Ends both directions of an open socket, so that a thread blocked on it wakes at once.
void ShutdownSocket(std::intptr_t socket);
void CloseSocket(std::intptr_t socket);

}  // namespace platform
