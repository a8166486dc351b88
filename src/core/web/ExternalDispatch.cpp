#include "core/web/ExternalDispatch.h"

#include <climits>

#include "core/config/LauncherConfig.h"

namespace external {

namespace {
struct NameEntry {
  const char* name;
  int dispId;
};
constexpr NameEntry kNames[] = {
    {"JsCallClient", kJsCallClient},
    {"getGsName", kGetGsName},
    {"getNewMsg", kGetNewMsg},
    {"Is360Game", kIs360Game},
};
}  // namespace

int DispIdOf(const std::string& name) {
  for (const NameEntry& entry : kNames) {
    if (name == entry.name) return entry.dispId;
  }
  return 0;
}

const char* NameOf(int dispId) {
  for (const NameEntry& entry : kNames) {
    if (entry.dispId == dispId) return entry.name;
  }
  return "";
}

int PageCommandNumber(const PageArg& command) {
  switch (command.kind) {
    case PageArg::Kind::String:
      return ParseDecimal(command.text.c_str());
    case PageArg::Kind::Integer:
      // A platform integer wider than int is cut the way a 32-bit value would be read.
      if (command.integer > INT_MAX || command.integer < INT_MIN) {
        return static_cast<int>(static_cast<unsigned int>(command.integer));
      }
      return static_cast<int>(command.integer);
    default:
      return 0;
  }
}

bool GsNameArgument(const std::vector<PageArg>& args, std::string* name) {
  if (args.empty() || args.front().kind != PageArg::Kind::String) return false;
  if (name != nullptr) *name = args.front().text;
  return true;
}

}  // namespace external
