// Fuzz target: the server identifier taken from a game address and the title made with it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "core/game/GameTitleRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> parts = SplitFuzzInput(data, size, 3);
  const std::string& address = parts[0];
  if (const std::optional<std::string> identifier = game::FindServerIdentifier(address))
    game::ServerSuffix(*identifier);
  game::ClassifyCompletedPage(address, parts[2]);
  if (const std::optional<std::string> title = game::ComposeServerTitle(address, parts[1]))
    if (game::TitleText(*title).size() > static_cast<std::size_t>(game::kTitleTextLimit))
      __builtin_trap();
  if (game::TitleWithServerName(parts[1], parts[2]).size() >
      static_cast<std::size_t>(game::kTitleTextLimit))
    __builtin_trap();
  return 0;
}
