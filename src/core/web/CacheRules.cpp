#include "core/web/CacheRules.h"

namespace cacherules {

bool IsCacheEntryFile(std::string_view fileName) {
  constexpr std::size_t kHashDigits = 16;
  if (fileName.size() != kHashDigits + 2) return false;
  for (std::size_t i = 0; i < kHashDigits; ++i) {
    const char c = fileName[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  if (fileName[kHashDigits] != '_') return false;
  const char stream = fileName[kHashDigits + 1];
  return stream == '0' || stream == '1' || stream == 's';
}

}  // namespace cacherules
