#pragma once
// Opens a web address in the user's browser. Tests replace the opener to record.
#include <functional>
#include <string>

namespace skin {

using UrlOpener = std::function<bool(const std::string& address)>;

// Installs the opener and returns the previous one; null restores the desktop's browser.
UrlOpener SetUrlOpener(UrlOpener opener);
// Where a link came from: the operator's package, or a page at run time.
enum class LinkOrigin { Package, Page };

// A page's link opens only when it is http or https; a package link opens as PackageLinkTarget
// says. Anything else is refused (false).
bool OpenUrl(const std::string& address, LinkOrigin origin = LinkOrigin::Page);

}  // namespace skin
