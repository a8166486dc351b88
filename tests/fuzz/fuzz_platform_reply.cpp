// Fuzz target: acceptance of the platform API's JSON replies and the text conversion of values.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/net/PlatformApi.h"
#include "core/net/WebAddress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  std::string value;
  if (platformapi::ParseUserNameReply(body, value))
    platformapi::ToSystemText(value, platformapi::kUserNameMaxBytes);
  if (platformapi::ParseServerNameReply(body, value))
    platformapi::ToSystemText(value, platformapi::kServerNameMaxBytes);
  if (platformapi::ParseChatAddressReply(body, value))
    net::IsWebAddress(platformapi::ToSystemText(value, platformapi::kChatAddressMaxBytes));
  return 0;
}
