// Fuzz target: one line received on the game window's outside-command channel.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/game/GameButtonRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int id = game::OutsideCommandFromLine(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (id != 0 && game::OutsideCommandOperation(id) == game::Operation::None) __builtin_trap();
  return 0;
}
