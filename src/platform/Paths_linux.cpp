#include "platform/Paths.h"

#include <unistd.h>

#include <climits>
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

}  // namespace platform
