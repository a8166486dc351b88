#include "core/launcher/LauncherRules.h"

#include <cstdio>

#include "core/net/WebAddress.h"
#include "core/web/PageRules.h"

namespace launcher {
namespace {
constexpr std::string_view kQqOauthLoginJump = "graph.qq.com/oauth/login_jump";
constexpr std::string_view kQqLoginFrame = "xui.ptlogin2.qq.com/cgi-bin/xlogin";

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}
}  // namespace

bool IsGameAddress(std::string_view url, std::string_view gameHeader) {
  return Contains(url, gameHeader) && !Contains(url, kQqOauthLoginJump) &&
         !Contains(url, kQqLoginFrame);
}

LoginNavigation DecideLoginNavigation(std::string_view url, std::string_view gameHeader,
                                      const NavigationFacts& facts) {
  if (!IsGameAddress(url, gameHeader)) return LoginNavigation::Pass;
  if (!net::IsWebAddress(url)) return LoginNavigation::Refuse;
  if (facts.topFrame || facts.playerActed || pagerules::IsSameSite(url, facts.topAddress))
    return LoginNavigation::Take;
  return LoginNavigation::Pass;
}

bool ShouldUnhideBrowsers(std::string_view url) {
  return !Contains(url, "about:blank") && !Contains(url, "javacript");
}

KeyDecision FrameKeyFilter(int virtualKey, bool ctrl, bool shift, bool typesText, bool composing) {
  if (composing) return KeyDecision::NotConsumed;
  if (virtualKey == kKeyReturn || virtualKey == kKeyEscape) return KeyDecision::NotConsumed;
  if (virtualKey >= kKeyF1 && virtualKey <= kKeyF12) return KeyDecision::Consumed;
  if (ctrl) return KeyDecision::Consumed;
  // Shortcuts with Shift stay blocked; typing a capital or a symbol into a field does not.
  if (shift && !typesText) return KeyDecision::Consumed;
  return KeyDecision::Base;
}

KeyDecision InnerKeyFilter(int virtualKey) {
  if (virtualKey == kKeyReturn || virtualKey == kKeyEscape) return KeyDecision::NotConsumed;
  return KeyDecision::Base;
}

LinkControl ControlForLinkType(int type) {
  switch (type) {
    case kLinkOpen:
    case kLinkMinimise:
    case kLinkClose:
      return LinkControl::Button;
    case kLinkBrowser:
      return LinkControl::Browser;
    default:
      return LinkControl::None;
  }
}

int ButtonIdForLinkType(int type) { return kButtonIdBase + type; }

std::string ButtonImageMember(int linkNumber, char suffix) {
  char name[48];
  std::snprintf(name, sizeof name, "config/%d_%c.png", linkNumber, suffix);
  return name;
}

std::string FirstBrowserAddress(std::string_view startText, std::string_view linkUrl) {
  return std::string(startText.empty() ? linkUrl : startText);
}

std::string ProgramCaption(std::string_view modulePath) {
  const std::size_t slash = modulePath.find_last_of("\\/");
  std::string_view name = slash == std::string_view::npos ? modulePath : modulePath.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

}  // namespace launcher
