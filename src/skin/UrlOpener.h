#pragma once
// Opens a web address in the user's browser. Tests replace the opener to record.
#include <functional>
#include <string>

namespace skin {

using UrlOpener = std::function<bool(const std::string& address)>;

// Installs the opener and returns the previous one; null restores the desktop's browser.
UrlOpener SetUrlOpener(UrlOpener opener);
// Only http and https addresses are opened; anything else is refused (false).
bool OpenUrl(const std::string& address);

}  // namespace skin
