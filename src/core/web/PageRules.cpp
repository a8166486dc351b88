#include "core/web/PageRules.h"

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

std::string PlaceOf(std::string_view address) {
  const std::string scheme = SchemeOf(address);
  const std::string host = HostOf(address);
  if (scheme.empty() || host.empty()) return {};
  std::string_view rest = address.substr(address.find("//") + 2);
  const std::size_t pathStart = rest.find_first_of("/?#\\");
  std::string_view authority = rest.substr(0, pathStart);
  const std::size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority.remove_prefix(at + 1);
  std::string port;
  const std::size_t closeBracket = authority.find(']');
  const std::size_t colon =
      authority.find(':', closeBracket == std::string_view::npos ? 0 : closeBracket);
  if (colon != std::string_view::npos) port = std::string(authority.substr(colon));
  std::string_view path;
  if (pathStart != std::string_view::npos) {
    path = rest.substr(pathStart);
    path = path.substr(0, path.find_first_of("?#"));
  }
  return scheme + "://" + host + port + std::string(path);
}

std::vector<std::string> ParseHostList(std::string_view text) {
  std::vector<std::string> hosts;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t end = text.find_first_of(", \t;", i);
    const std::string entry = Lower(text.substr(i, end == std::string_view::npos ? text.size() - i : end - i));
    i = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view name = entry;
    if (name.substr(0, 2) == "*.") name.remove_prefix(2);
    const bool valid = !name.empty() && name.front() != '.' && name.back() != '.' &&
                       std::all_of(name.begin(), name.end(), [](char c) {
                         return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
                       });
    if (valid) hosts.push_back(entry);
  }
  return hosts;
}

bool HostMatches(std::string_view host, std::string_view entry) {
  if (host.empty() || entry.empty()) return false;
  const std::string lowerHost = Lower(host);
  const std::string lowerEntry = Lower(entry);
  if (lowerEntry.size() > 2 && lowerEntry.compare(0, 2, "*.") == 0) {
    const std::string_view suffix = std::string_view(lowerEntry).substr(1);  // ".example.net"
    return lowerHost.size() > suffix.size() &&
           lowerHost.compare(lowerHost.size() - suffix.size(), suffix.size(), suffix) == 0;
  }
  return lowerHost == lowerEntry;
}

namespace {

bool IsWebAddress(std::string_view address) {
  const std::string scheme = SchemeOf(address);
  return (scheme == "http" || scheme == "https") && !HostOf(address).empty();
}

bool PlaceHoldsMarker(const TrustRule& rule, std::string_view address) {
  const std::string place = PlaceOf(address);
  if (place.empty()) return false;
  return std::any_of(rule.markers.begin(), rule.markers.end(), [&](const std::string& marker) {
    // An empty marker would be found in every address: it trusts nothing.
    return !marker.empty() && place.find(marker) != std::string::npos;
  });
}

bool OnTrustedHost(const TrustRule& rule, std::string_view address) {
  const std::string host = HostOf(address);
  return std::any_of(rule.trustedHosts.begin(), rule.trustedHosts.end(),
                     [&](const std::string& entry) { return HostMatches(host, entry); });
}

}  // namespace

bool IsSameSite(std::string_view a, std::string_view b) {
  if (!IsWebAddress(a) || !IsWebAddress(b)) return false;
  return SiteOf(HostOf(a)) == SiteOf(HostOf(b));
}

bool IsTrustedTop(const TrustRule& rule, std::string_view topAddress) {
  if (!IsWebAddress(topAddress)) return false;
  return IsSameSite(rule.homeAddress, topAddress) || OnTrustedHost(rule, topAddress) ||
         PlaceHoldsMarker(rule, topAddress);
}

bool IsTrustedFrame(const TrustRule& rule, std::string_view topAddress, std::string_view frameAddress) {
  if (!IsWebAddress(frameAddress)) return false;
  if (PlaceHoldsMarker(rule, frameAddress) || OnTrustedHost(rule, frameAddress)) return true;
  return IsTrustedTop(rule, topAddress) && IsSameSite(topAddress, frameAddress);
}

std::vector<std::string_view> JudgedAddresses(const TopDocument& top) {
  std::vector<std::string_view> judged{top.shown};
  if (IsWebAddress(top.entry) && top.entry != top.shown) judged.push_back(top.entry);
  return judged;
}

bool IsTrustedTop(const TrustRule& rule, const TopDocument& top) {
  const std::vector<std::string_view> judged = JudgedAddresses(top);
  return std::all_of(judged.begin(), judged.end(),
                     [&](std::string_view address) { return IsTrustedTop(rule, address); });
}

bool IsTrustedFrame(const TrustRule& rule, const TopDocument& top, std::string_view frameAddress) {
  const std::vector<std::string_view> judged = JudgedAddresses(top);
  return std::all_of(judged.begin(), judged.end(),
                     [&](std::string_view address) { return IsTrustedFrame(rule, address, frameAddress); });
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
