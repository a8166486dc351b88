#include "core/net/WebAddress.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace net {

bool IsWebAddress(std::string_view address) {
  const std::size_t colon = address.find(':');
  if (colon == std::string_view::npos) return false;
  std::string scheme;
  for (std::size_t i = 0; i < colon; ++i)
    scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(address[i])));
  if (scheme != "http" && scheme != "https") return false;
  // A host must follow; control characters and blanks have no place in an address.
  if (address.substr(colon + 1, 2) != "//" || address.size() <= colon + 3) return false;
  return std::none_of(address.begin(), address.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7F;
  });
}

}  // namespace net
