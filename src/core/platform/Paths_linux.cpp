#include "core/platform/Paths.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace platform {

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX);
  if (!getcwd(buffer.data(), buffer.size())) return std::string();
  return std::string(buffer.data());
}

std::string ProgramPath() {
  std::vector<char> buffer(PATH_MAX);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return std::string();
  return std::string(buffer.data(), static_cast<std::size_t>(n));
}

char PathSeparator() { return '/'; }

std::string ProgramBaseName(const std::string& programPath) {
  const std::size_t slash = programPath.find_last_of(PathSeparator());
  std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

bool IsWritableFolder(const std::string& folder) {
  return !folder.empty() && access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string UserStateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return state;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/state";
  return std::string();
}

}  // namespace platform
