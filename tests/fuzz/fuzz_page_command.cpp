// Fuzz target: window.external call arguments (JsCallClient's command and parameter, getGsName).
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/game/GameBridgeRules.h"
#include "core/game/GameTitleRules.h"
#include "core/web/ExternalDispatch.h"
#include "core/web/PageArg.h"

namespace {

// Each argument: a kind byte, then for strings a length byte and the bytes, for numbers 8 bytes.
std::vector<PageArg> Arguments(const std::uint8_t* data, std::size_t size) {
  std::vector<PageArg> args;
  std::size_t i = 0;
  while (i < size && args.size() < 16) {
    PageArg arg;
    const int kind = data[i++] % 6;
    switch (kind) {
      case 0: {
        arg.kind = PageArg::Kind::String;
        const std::size_t length = i < size ? data[i++] : 0;
        const std::size_t take = std::min(length, size - i);
        arg.text.assign(reinterpret_cast<const char*>(data + i), take);
        i += take;
        break;
      }
      case 1:
      case 2: {
        std::uint8_t raw[8] = {};
        const std::size_t take = std::min<std::size_t>(8, size - i);
        std::memcpy(raw, data + i, take);
        i += take;
        if (kind == 1) {
          arg.kind = PageArg::Kind::Integer;
          std::memcpy(&arg.integer, raw, sizeof arg.integer);
        } else {
          arg.kind = PageArg::Kind::Number;
          std::memcpy(&arg.number, raw, sizeof arg.number);
        }
        break;
      }
      case 3:
        arg.kind = PageArg::Kind::Boolean;
        arg.boolean = i < size && (data[i++] & 1);
        break;
      case 4:
        arg.kind = PageArg::Kind::Null;
        break;
      default:
        arg.kind = PageArg::Kind::Other;
        break;
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<PageArg> args = Arguments(data, size);
  if (!args.empty()) external::PageCommandNumber(args.front());
  const game::PageCommand command = game::ParsePageCommand(args);
  if (command.action == game::PageAction::ExtendTitle)
    game::PageCommandTitle("title", command.parameter);
  std::string name;
  external::GsNameArgument(args, &name);
  return 0;
}
