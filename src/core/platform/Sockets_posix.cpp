#include "core/platform/Sockets.h"

#include <sys/socket.h>
#include <unistd.h>

namespace platform {

void ShutdownSocket(std::intptr_t socket) { ::shutdown(static_cast<int>(socket), SHUT_RDWR); }

void CloseSocket(std::intptr_t socket) { ::close(static_cast<int>(socket)); }

}  // namespace platform
