#pragma once
// Pure rules of the launcher windows: game-address recognition, unhiding, keys, links, captions.
#include <string>
#include <string_view>

#include "core/platform/VirtualKeys.h"

namespace launcher {

// An address the login page navigates to that marks a game server: it contains `gameHeader`
// (plain, case-sensitive; an empty header is in every address) and is none of the QQ login pages.
bool IsGameAddress(std::string_view url, std::string_view gameHeader);

enum class LoginNavigation {
  Pass,  // not a game address: the login page goes on
  Take,  // the game address: handed over, the launcher closes
  Refuse,  // a game address that is no web address: cancelled and never handed over
};
// Who navigates, as the engine and the program's own input saw it.
struct NavigationFacts {
  bool topFrame = true;          // the login page's top document, not one of its frames
  std::string_view topAddress;   // the top document's address
  bool playerActed = false;      // the player pressed a key or a button in the page just before
};

// What the launcher does with a navigation of its login page. A frame's navigation is taken only
// when it goes to the top document's site or follows the player's own action: a frame of another
// site (an advertisement) that moves by itself never hands over a game.
LoginNavigation DecideLoginNavigation(std::string_view url, std::string_view gameHeader,
                                      const NavigationFacts& facts = {});

// A completed page that shows the launcher's browsers: neither "about:blank" nor "javacript".
bool ShouldUnhideBrowsers(std::string_view url);

using platform::kKeyEscape;
using platform::kKeyF1;
using platform::kKeyF12;
using platform::kKeyReturn;

enum class KeyDecision {
  Consumed,     // the key goes no further
  NotConsumed,  // the key goes on to its target, skipping the dialog's own handling
  Base,         // the dialog's ordinary handling decides
};

// The launcher frame's filter of a key press. `typesText`: the press produces a printable
// character (a capital letter, a symbol), which Shift alone must not block in the login page.
// `composing`: an input method is composing text in the page; every key is then its own.
KeyDecision FrameKeyFilter(int virtualKey, bool ctrl, bool shift, bool typesText = false,
                           bool composing = false);
// The launcher inner dialog's filter of a key press.
KeyDecision InnerKeyFilter(int virtualKey);

// Control ids.
constexpr int kFirstBrowserId = 150;
constexpr int kButtonIdBase = 200;
constexpr int kLinkOpen = 1;
constexpr int kLinkMinimise = 2;
constexpr int kLinkClose = 3;
constexpr int kLinkBrowser = 4;

enum class LinkControl { None, Button, Browser };
LinkControl ControlForLinkType(int type);
int ButtonIdForLinkType(int type);  // 200 + type

// Package members of link number n's button images: suffix 'n' normal, 'd' pressed, 'o' over.
std::string ButtonImageMember(int linkNumber, char suffix);

// The address a launcher browser opens first: the start parameter when given, else the link's.
std::string FirstBrowserAddress(std::string_view startText, std::string_view linkUrl);

// The caption of the launcher's questions: the program file's name without folder or extension.
std::string ProgramCaption(std::string_view modulePath);

}  // namespace launcher
