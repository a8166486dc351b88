#pragma once
// Starting a new copy of the running program (the close-and-restart of the game window).
#include <functional>
#include <string>

namespace platform {

// Starts the program's own executable, detached, in the current working directory, without
// arguments; false when it could not be started. Tests replace the starter to record.
using ProgramStarter = std::function<bool()>;
// Installs the starter and returns the previous one; null restores the real one.
ProgramStarter SetProgramStarter(ProgramStarter starter);
bool StartProgramCopy();
// The real starter's work for any executable `path`: detached, no arguments, same directory.
bool StartDetachedProgram(const std::string& path);

}  // namespace platform
