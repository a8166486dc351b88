#include "web/PageRules.h"

#include <libpsl.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace pagerules {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsIpAddress(const std::string& host) {
  if (!host.empty() && host.front() == '[') return true;
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == '.';
  });
}

// A syntactically valid scheme: a letter, then letters, digits, '+', '-' or '.'.
bool IsSchemeName(std::string_view scheme) {
  if (scheme.empty() || !std::isalpha(static_cast<unsigned char>(scheme.front()))) return false;
  return std::all_of(scheme.begin(), scheme.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
  });
}

}  // namespace

std::string SchemeOf(std::string_view address) {
  const std::size_t colon = address.find(':');
  if (colon == std::string_view::npos) return {};
  const std::string_view scheme = address.substr(0, colon);
  return IsSchemeName(scheme) ? Lower(scheme) : std::string();
}

std::string HostOf(std::string_view address) {
  const std::size_t slashes = address.find("//");
  if (slashes == std::string_view::npos) return {};
  std::string_view rest = address.substr(slashes + 2);
  rest = rest.substr(0, rest.find_first_of("/?#\\"));
  const std::size_t at = rest.rfind('@');
  if (at != std::string_view::npos) rest.remove_prefix(at + 1);
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    return Lower(rest.substr(0, close == std::string_view::npos ? rest.size() : close + 1));
  }
  return Lower(rest.substr(0, rest.find(':')));
}

std::string SiteOf(std::string_view hostText) {
  std::string host = Lower(hostText);
  while (!host.empty() && host.back() == '.') host.pop_back();
  if (host.empty() || IsIpAddress(host) || host.find('.') == std::string::npos) return host;
  const char* domain = psl_registrable_domain(psl_builtin(), host.c_str());
  return domain != nullptr ? std::string(domain) : host;
}

bool IsTrustedCaller(std::string_view topAddress, std::string_view frameAddress, bool fromTop,
                     const std::vector<std::string>& markers,
                     const std::vector<std::string>& trustedHosts) {
  if (fromTop) return true;
  for (const std::string& marker : markers) {
    // An empty marker would be found in every address: it trusts nothing.
    if (!marker.empty() && frameAddress.find(marker) != std::string_view::npos) return true;
  }
  const std::string frameHost = HostOf(frameAddress);
  if (frameHost.empty()) return false;
  const std::string frameScheme = SchemeOf(frameAddress);
  if (frameScheme != "http" && frameScheme != "https") return false;
  const std::string topHost = HostOf(topAddress);
  if (!topHost.empty() && SiteOf(topHost) == SiteOf(frameHost)) return true;
  return std::any_of(trustedHosts.begin(), trustedHosts.end(),
                     [&](const std::string& host) { return !host.empty() && Lower(host) == frameHost; });
}

bool IsPageNavigationAllowed(std::string_view address) {
  static const std::array<const char*, 5> kAllowed = {"http", "https", "about", "data", "blob"};
  const std::string scheme = SchemeOf(address);
  return std::find(kAllowed.begin(), kAllowed.end(), scheme) != kAllowed.end();
}

bool DialogFlood::Record(std::int64_t nowMs) {
  while (!shown.empty() && nowMs - shown.front() >= kWindowMs) shown.pop_front();
  shown.push_back(nowMs);
  return static_cast<int>(shown.size()) > kLimit;
}

void DialogFlood::Declined() {
  if (shown.empty()) return;
  const std::int64_t last = shown.back();
  shown.clear();
  shown.push_back(last);
}

void DialogFlood::Reset() {
  shown.clear();
  stopped = false;
}

bool CrashReload::Record(std::int64_t nowMs) {
  if (gaveUp) return false;
  while (!deaths.empty() && nowMs - deaths.front() >= kWindowMs) deaths.pop_front();
  deaths.push_back(nowMs);
  if (static_cast<int>(deaths.size()) > kLimit) gaveUp = true;
  return !gaveUp;
}

}  // namespace pagerules
