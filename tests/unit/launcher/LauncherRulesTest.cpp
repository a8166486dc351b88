#include <gtest/gtest.h>

#include "core/launcher/LauncherRules.h"

using namespace launcher;

TEST(GameAddress, Recognition) {
  const struct {
    const char* url;
    const char* header;
    bool game;
  } cases[] = {
      {"http://s1.game.example/play?sid=1", "game.example/play", true},
      {"http://www.example/login", "game.example/play", false},
      {"http://S1.GAME.EXAMPLE/PLAY", "game.example/play", false},  // case-sensitive
      {"about:blank", "", true},                                    // empty header: everything
      {"http://x/", "", true},
      // QQ login pages carrying the header are not taken.
      {"https://graph.qq.com/oauth/login_jump?r=game.example/play", "game.example/play", false},
      {"https://xui.ptlogin2.qq.com/cgi-bin/xlogin?u=game.example/play", "game.example/play",
       false},
      {"https://graph.qq.com/oauth/login_jump", "", false},
      {"https://xui.ptlogin2.qq.com/cgi-bin/xlogin", "", false},
      // Look-alikes of the QQ pages that are not them.
      {"https://graph.qq.com/oauth/other?game.example/play", "game.example/play", true},
      {"https://xui.ptlogin2.qq.com/cgi-bin/login?game.example/play", "game.example/play", true},
      {"https://evil.example/oauth/login_jump?game.example/play", "game.example/play", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsGameAddress(c.url, c.header), c.game) << c.url << " / " << c.header;
}

TEST(GameAddress, OnlyWebAddressesAreHandedOver) {
  const struct {
    const char* url;
    const char* header;
    LoginNavigation decision;
  } cases[] = {
      {"http://s1.game.example/play?sid=1", "play", LoginNavigation::Take},
      {"HTTPS://s1.game.example/play", "play", LoginNavigation::Take},
      {"http://www.example/login", "play", LoginNavigation::Pass},
      {"file:///tmp/play.html", "play", LoginNavigation::Refuse},
      {"javascript:location='play'", "play", LoginNavigation::Refuse},
      {"data:text/html,play", "play", LoginNavigation::Refuse},
      {"ftp://s1.game.example/play", "play", LoginNavigation::Refuse},
      {"about:blank", "", LoginNavigation::Refuse},  // empty header: the first web address counts
      {"http://127.0.0.1/login", "", LoginNavigation::Take},
      {"https://graph.qq.com/oauth/login_jump?play", "play", LoginNavigation::Pass},
      {"file:///graph.qq.com/oauth/login_jump?play", "play", LoginNavigation::Pass},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecideLoginNavigation(c.url, c.header), c.decision) << c.url << " / " << c.header;
}

TEST(GameAddress, FramesHandOverOnlyOnTheTopSiteOrThePlayersAction) {
  const std::string top = "http://www.op.com/login";
  const struct {
    const char* url;
    bool topFrame;
    bool playerActed;
    LoginNavigation decision;
  } cases[] = {
      {"http://s1.op.com/game/enter?sid=1", true, false, LoginNavigation::Take},
      {"http://s1.op.com/game/enter?sid=1", false, false, LoginNavigation::Take},  // same site
      {"http://ads.net/x?to=/game/enter", false, false, LoginNavigation::Pass},   // an ad by itself
      {"http://ads.net/x?to=/game/enter", false, true, LoginNavigation::Take},    // the player clicked
      {"http://ads.net/x?to=/game/enter", true, false, LoginNavigation::Take},    // the top itself
      {"file:///game/enter", false, true, LoginNavigation::Refuse},
      {"http://ads.net/x", false, false, LoginNavigation::Pass},
  };
  for (const auto& c : cases) {
    NavigationFacts facts;
    facts.topFrame = c.topFrame;
    facts.topAddress = top;
    facts.playerActed = c.playerActed;
    EXPECT_EQ(DecideLoginNavigation(c.url, "/game/enter", facts), c.decision)
        << c.url << " top " << c.topFrame << " acted " << c.playerActed;
  }
}

TEST(Unhide, BlankAndJavacriptStayHidden) {
  EXPECT_FALSE(ShouldUnhideBrowsers("about:blank"));
  EXPECT_FALSE(ShouldUnhideBrowsers("http://x/?about:blank"));
  EXPECT_FALSE(ShouldUnhideBrowsers("http://x/javacript.html"));
  EXPECT_TRUE(ShouldUnhideBrowsers("javascript:void(0)"));  // the letters differ
  EXPECT_TRUE(ShouldUnhideBrowsers("http://127.0.0.1:8080/login"));
  EXPECT_TRUE(ShouldUnhideBrowsers(""));
}

TEST(KeyFilters, Frame) {
  const struct {
    int key;
    bool ctrl, shift;
    KeyDecision decision;
    bool typesText = false;
    bool composing = false;
  } cases[] = {
      {kKeyReturn, false, false, KeyDecision::NotConsumed},
      {kKeyEscape, false, false, KeyDecision::NotConsumed},
      {kKeyReturn, true, false, KeyDecision::NotConsumed},
      {kKeyEscape, false, true, KeyDecision::NotConsumed},
      {kKeyF1, false, false, KeyDecision::Consumed},
      {0x75, false, false, KeyDecision::Consumed},  // F6
      {kKeyF12, false, false, KeyDecision::Consumed},
      {0x7C, false, false, KeyDecision::Base},      // F13
      {'A', false, false, KeyDecision::Base},
      {'A', true, false, KeyDecision::Consumed},
      {'A', false, true, KeyDecision::Consumed},
      {'A', false, true, KeyDecision::Base, true},      // a capital typed into a field
      {'A', true, true, KeyDecision::Consumed, true},   // Ctrl+Shift shortcuts stay blocked
      {0x2D, false, true, KeyDecision::Consumed},       // Shift+Insert: no text
      {kKeyF1, false, true, KeyDecision::Consumed, true},
      {0x09, false, false, KeyDecision::Base},      // Tab
      // While an input method composes, its keys (Ctrl or Shift with a letter, function keys,
      // Return to commit, Escape to cancel) reach it untouched.
      {'A', true, false, KeyDecision::NotConsumed, false, true},
      {'A', false, true, KeyDecision::NotConsumed, false, true},
      {0x20, true, false, KeyDecision::NotConsumed, false, true},
      {kKeyF1, false, false, KeyDecision::NotConsumed, false, true},
      {kKeyReturn, false, false, KeyDecision::NotConsumed, false, true},
      {kKeyEscape, false, true, KeyDecision::NotConsumed, false, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FrameKeyFilter(c.key, c.ctrl, c.shift, c.typesText, c.composing), c.decision)
        << c.key << " ctrl=" << c.ctrl << " shift=" << c.shift;
}

TEST(KeyFilters, Inner) {
  EXPECT_EQ(InnerKeyFilter(kKeyReturn), KeyDecision::NotConsumed);
  EXPECT_EQ(InnerKeyFilter(kKeyEscape), KeyDecision::NotConsumed);
  EXPECT_EQ(InnerKeyFilter(kKeyF1), KeyDecision::Base);
  EXPECT_EQ(InnerKeyFilter('A'), KeyDecision::Base);
}

TEST(Links, ControlsAndIds) {
  EXPECT_EQ(ControlForLinkType(1), LinkControl::Button);
  EXPECT_EQ(ControlForLinkType(2), LinkControl::Button);
  EXPECT_EQ(ControlForLinkType(3), LinkControl::Button);
  EXPECT_EQ(ControlForLinkType(4), LinkControl::Browser);
  EXPECT_EQ(ControlForLinkType(0), LinkControl::None);
  EXPECT_EQ(ControlForLinkType(5), LinkControl::None);
  EXPECT_EQ(ControlForLinkType(-1), LinkControl::None);
  EXPECT_EQ(ButtonIdForLinkType(1), 201);
  EXPECT_EQ(ButtonIdForLinkType(3), 203);
  EXPECT_EQ(ButtonImageMember(1, 'n'), "config/1_n.png");
  EXPECT_EQ(ButtonImageMember(12, 'o'), "config/12_o.png");
}

TEST(Links, StartParameterReplacesTheAddress) {
  EXPECT_EQ(FirstBrowserAddress("", "http://site/login"), "http://site/login");
  EXPECT_EQ(FirstBrowserAddress("http://other/", "http://site/login"), "http://other/");
}

TEST(Caption, ProgramNameWithoutFolderOrExtension) {
  EXPECT_EQ(ProgramCaption("C:\\Games\\Launcher.exe"), "Launcher");
  EXPECT_EQ(ProgramCaption("/opt/game/Launcher"), "Launcher");
  EXPECT_EQ(ProgramCaption("/opt/game/my.launcher.bin"), "my.launcher");
  EXPECT_EQ(ProgramCaption("Launcher"), "Launcher");
}
