#pragma once
// Decisions about what pages may do: which frames may drive window.external, which addresses a
// page may navigate to, when a page's script dialogs may be stopped, when a dead renderer's page
// is loaded again. Plain data in, plain answers out.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace pagerules {

// The lower-cased host of an absolute address ("http://User@Host:80/x" -> "host"); IPv6 hosts keep
// their brackets. Empty when the address has no "//" authority.
std::string HostOf(std::string_view address);

// The site of a host: its registrable domain under the public-suffix list ("a.game.com.cn" ->
// "game.com.cn"); an IP address, a single-label host (localhost) or a public suffix itself is
// its own site.
std::string SiteOf(std::string_view host);

// What a browser trusts with window.external: the site of the address the program loaded in it
// (the game or chat page), the operator's address markers (game and server-list) and the hosts
// the operator names (`trustedHosts`).
struct TrustRule {
  std::string homeAddress;
  std::vector<std::string> markers;       // empty ones trust nothing
  std::vector<std::string> trustedHosts;  // "game.example.net" or "*.example.net", any case
};

// The place an address names, without what a document may change about itself or what names no
// place: "scheme://host[:port]/path", scheme and host lower-cased, userinfo, query and fragment
// dropped. Empty for an address without an authority.
std::string PlaceOf(std::string_view address);

// The hosts of a `trustedHosts` value: separated by commas or blanks, lower-cased; entries that
// are not host names or "*." patterns are dropped.
std::vector<std::string> ParseHostList(std::string_view text);
// Whether a host is named by an entry: exactly, or as a sub-host of a "*.suffix" entry.
bool HostMatches(std::string_view host, std::string_view entry);

// Whether the top document, at the address the engine reports, may drive window.external: an
// http(s) document on the home address's site or on a trusted host, or whose place holds a marker.
bool IsTrustedTop(const TrustRule& rule, std::string_view topAddress);
// Whether a sub-frame whose document was loaded from `frameAddress` may: its place holds a marker,
// its host is trusted, or it is of the same site as a trusted top document.
bool IsTrustedFrame(const TrustRule& rule, std::string_view topAddress, std::string_view frameAddress);

// What the engine says of the top document: the address it shows and its history's current entry.
// While a load is pending one of them may already name the next document, not the one that runs:
// the shown address for a load the program asked for, the entry for a back or forward load.
struct TopDocument {
  std::string shown;
  std::string entry;
};
// The addresses the running top document is judged by: both, the entry only when it is a web
// address (before the first web document it is empty or about:blank and names nothing to judge).
std::vector<std::string_view> JudgedAddresses(const TopDocument& top);
// IsTrustedTop and IsTrustedFrame for every judged address of the top document.
bool IsTrustedTop(const TrustRule& rule, const TopDocument& top);
bool IsTrustedFrame(const TrustRule& rule, const TopDocument& top, std::string_view frameAddress);

// Whether two http(s) addresses are of the same site (registrable domain).
bool IsSameSite(std::string_view a, std::string_view b);

// The lower-cased scheme of an address ("HTTP://x" -> "http"); empty when it has none.
std::string SchemeOf(std::string_view address);

// Whether a page's own navigation (any frame, by script or by click) may go to the address:
// http, https, and the engine's inner documents (about:, data:, blob:). Everything else, file:
// and every scheme the desktop would hand to another program included, is refused.
bool IsPageNavigationAllowed(std::string_view address);

// Counts a page's script dialogs. More than `limit` within `windowMs` offers the player to stop
// them; a player who declines gets another `limit` before being asked again.
class DialogFlood {
 public:
  static constexpr int kLimit = 3;
  static constexpr std::int64_t kWindowMs = 10000;

  // Records a dialog shown at `nowMs`; true when this one should first offer to stop dialogs.
  bool Record(std::int64_t nowMs);
  // The player declined: counting starts again from the dialog that asked.
  void Declined();
  void Stop() { stopped = true; }
  bool Stopped() const { return stopped; }
  // A new top document: its dialogs are counted afresh and allowed again.
  void Reset();

 private:
  std::deque<std::int64_t> shown;
  bool stopped = false;
};

// Renderer deaths of one page: the page is loaded again after each death, except when this death
// is the (kLimit+1)-th within kWindowMs; then reloading stops for good.
class CrashReload {
 public:
  static constexpr int kLimit = 3;
  static constexpr std::int64_t kWindowMs = 60000;

  // Records a death at `nowMs`; true when the page should be loaded again.
  bool Record(std::int64_t nowMs);
  bool GaveUp() const { return gaveUp; }

 private:
  std::deque<std::int64_t> deaths;
  bool gaveUp = false;
};

// How many windows pages may have opened at the same time.
constexpr std::size_t kMaxPopupWindows = 5;

}  // namespace pagerules
