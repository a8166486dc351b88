#pragma once
// Addresses the program follows on someone else's word: only http and https.
#include <string_view>

namespace net {

// An http:// or https:// address with something after the "//" and no blanks or control
// characters; the scheme's letters in any case. Everything else (file:, data:, javascript:,
// about:, other schemes, relative text) is not a web address.
bool IsWebAddress(std::string_view address);

}  // namespace net
