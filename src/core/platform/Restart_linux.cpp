#include "core/platform/Restart.h"
#include "core/platform/TerminationSignal.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "core/platform/Paths.h"

namespace platform {

namespace {

ProgramStarter& InstalledStarter() {
  static ProgramStarter starter;
  return starter;
}

// Closes every descriptor from `first` on (no handles are inherited by the copy).
void CloseFrom(unsigned first) {
#ifdef SYS_close_range
  if (syscall(SYS_close_range, first, ~0u, 0u) == 0) return;
#endif
  const long limit = sysconf(_SC_OPEN_MAX);
  for (long fd = first; fd < (limit > 0 ? limit : 1024); ++fd) close(static_cast<int>(fd));
}

// Double fork: the copy is adopted by init, so it never becomes this process's zombie and
// outlives it. The outcome of exec travels back through a close-on-exec pipe.
bool StartDetached(const std::string& path) {
  if (path.empty()) return false;
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;
  char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};

  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (child == 0) {
    setsid();
    const pid_t grandchild = fork();
    if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
    const int writeEnd = report[1];
    close(report[0]);
    if (writeEnd != 3) {
      dup2(writeEnd, 3);
      close(writeEnd);
    }
    fcntl(3, F_SETFD, FD_CLOEXEC);
    // Only the report pipe (now 3) survives until exec, which closes it.
    CloseFrom(4);
    execv(argv[0], argv);
    const char failed = 1;
    (void)!write(3, &failed, 1);
    _exit(127);
  }
  close(report[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  char failed = 0;
  ssize_t got;
  do {
    got = read(report[0], &failed, 1);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

}  // namespace

ProgramStarter SetProgramStarter(ProgramStarter starter) {
  return std::exchange(InstalledStarter(), std::move(starter));
}

bool StartProgramCopy() {
  // A run ended by the system is not started anew.
  if (TerminationRequested()) return false;
  if (InstalledStarter()) return InstalledStarter()();
  return StartDetached(ProgramPath());
}

bool StartDetachedProgram(const std::string& path) { return StartDetached(path); }

}  // namespace platform
