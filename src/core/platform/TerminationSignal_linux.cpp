#include "core/platform/TerminationSignal.h"

#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace platform {
namespace {

int pipeEnds[2] = {-1, -1};
int deadlineEnds[2] = {-1, -1};
volatile sig_atomic_t requested = 0;

void OnTerminationSignal(int /*signal*/) {
  const int saved = errno;
  requested = 1;
  const char byte = 1;
  // A full pipe already holds a pending request.
  [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
  if (deadlineEnds[1] >= 0) {
    [[maybe_unused]] const ssize_t armed = write(deadlineEnds[1], &byte, 1);
  }
  errno = saved;
}

}  // namespace

int TerminationRequestHandle() {
  if (pipeEnds[0] >= 0) return pipeEnds[0];
  if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
    pipeEnds[0] = pipeEnds[1] = -1;
    return -1;
  }
  struct sigaction action = {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  return pipeEnds[0];
}

void TakeTerminationRequests() {
  if (pipeEnds[0] < 0) return;
  char buffer[64];
  while (read(pipeEnds[0], buffer, sizeof buffer) > 0) {
  }
}

bool TerminationRequested() { return requested != 0; }

void EnforceTerminationDeadline(int graceMs, int exitCode) {
  if (deadlineEnds[0] >= 0) return;
  // The write end is non-blocking (the signal handler must never block); the read end blocks.
  if (pipe2(deadlineEnds, O_CLOEXEC) != 0) {
    deadlineEnds[0] = deadlineEnds[1] = -1;
    return;
  }
  fcntl(deadlineEnds[1], F_SETFL, O_NONBLOCK);
  const int readEnd = deadlineEnds[0];
  std::thread([readEnd, graceMs, exitCode] {
    char byte = 0;
    while (read(readEnd, &byte, 1) < 0 && errno == EINTR) {
    }
    timespec grace{graceMs / 1000, (graceMs % 1000) * 1000000L};
    while (nanosleep(&grace, &grace) != 0 && errno == EINTR) {
    }
    _exit(exitCode);
  }).detach();
  // A request that came before the watch began still counts.
  if (requested) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t armed = write(deadlineEnds[1], &byte, 1);
  }
}

}  // namespace platform
