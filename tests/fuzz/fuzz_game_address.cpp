// Fuzz target: recognising the game address in the login page's navigations, the web-address
// rule and the server key taken from the address.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "core/config/LauncherConfig.h"
#include "core/launcher/LauncherRules.h"
#include "core/net/PlatformApi.h"
#include "core/net/WebAddress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> parts = SplitFuzzInput(data, size, 2);
  const std::string& url = parts[0];
  const std::string& header = parts[1];
  const launcher::LoginNavigation decision = launcher::DecideLoginNavigation(url, header);
  // Nothing but a web address is ever handed over.
  if (decision == launcher::LoginNavigation::Take && !net::IsWebAddress(url)) __builtin_trap();
  if ((decision != launcher::LoginNavigation::Pass) != launcher::IsGameAddress(url, header))
    __builtin_trap();
  LauncherSettings settings;
  settings.skey = header;
  ApplyServerKey(settings, url);
  launcher::ShouldUnhideBrowsers(url);
  return 0;
}
