// Which frames may drive window.external, where pages may navigate, which operator links open,
// and the counting behind stopping script dialogs and reloading dead pages.
#include <gtest/gtest.h>

#include "core/skin/SkinRules.h"
#include "core/web/PageRules.h"

namespace {

using namespace pagerules;

// A sub-frame's document: `frame` is the address it was loaded from, `top` the top document's.
struct TrustCase {
  const char* top;
  const char* frame;
  bool trusted;
};

TrustRule Rule() {
  TrustRule rule;
  rule.homeAddress = "http://portal.game.cn/enter?sid=1";
  rule.markers = {"/game/s", "", "login.game.cn/servers"};
  rule.trustedHosts = ParseHostList("Pay.Partner.com, *.gm-widgets.org");
  return rule;
}

class FrameTrustTest : public ::testing::TestWithParam<TrustCase> {};

TEST_P(FrameTrustTest, Decides) {
  const TrustCase& c = GetParam();
  EXPECT_EQ(IsTrustedFrame(Rule(), c.top, c.frame), c.trusted) << c.top << " / " << c.frame;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FrameTrustTest,
    ::testing::Values(
        TrustCase{"http://portal.game.cn/", "http://10.0.0.5:8080/game/s12?u=1", true},  // marker in path
        TrustCase{"http://portal.game.cn/", "https://login.game.cn/servers", true},  // marker in host+path
        TrustCase{"http://portal.game.cn/", "http://cdn.game.cn/frame", true},  // same site as the top
        TrustCase{"http://www.game.com.cn/", "http://pay.game.com.cn/", false},  // top is not home
        TrustCase{"http://portal.game.cn/", "http://ads.example.com/x", false},
        TrustCase{"http://portal.game.cn/", "http://game.cn.evil.com/x", false},
        TrustCase{"http://portal.game.cn/", "http://evil.com/?r=portal.game.cn", false},
        // Markers count only in the place: never in the query, the fragment or the userinfo.
        TrustCase{"http://portal.game.cn/", "http://ads.example.com/ad.html?next=/game/s12", false},
        TrustCase{"http://portal.game.cn/", "http://ads.example.com/ad.html#/game/s12", false},
        TrustCase{"http://portal.game.cn/", "http://ads.example.com/ad2.html#/hiddengame/?sid=9999", false},
        TrustCase{"http://portal.game.cn/", "http://login.game.cn%2Fservers@ads.example.com/", false},
        TrustCase{"http://portal.game.cn/", "https://pay.partner.com/order", true},  // trusted host
        TrustCase{"http://portal.game.cn/", "https://PAY.partner.com:8443/order", true},
        TrustCase{"http://portal.game.cn/", "https://shop.pay.partner.com/", false},  // exact only
        TrustCase{"http://portal.game.cn/", "https://chat.gm-widgets.org/w", true},  // "*." pattern
        TrustCase{"http://portal.game.cn/", "https://gm-widgets.org/w", false},
        TrustCase{"http://portal.game.cn/", "https://evilgm-widgets.org/w", false},
        TrustCase{"http://portal.game.cn/", "http://user@ads.example.com@portal.game.cn/", true},
        TrustCase{"http://portal.game.cn/", "http://portal.game.cn@ads.example.com/", false},
        TrustCase{"http://portal.game.cn/", "about:blank", false},
        TrustCase{"http://portal.game.cn/", "file:///portal.game.cn/x", false},
        // A top document taken to another site trusts no frame of its own site.
        TrustCase{"http://ads.example.com/landing", "http://ads.example.com/x", false},
        TrustCase{"http://127.0.0.1:8000/", "http://localhost:8000/x", false}));

TEST(TopTrust, FollowsTheHomeSiteTrustedHostsAndMarkers) {
  const TrustRule rule = Rule();
  EXPECT_TRUE(IsTrustedTop(rule, "http://portal.game.cn/play"));
  EXPECT_TRUE(IsTrustedTop(rule, "https://www.game.cn/other"));  // same site, other host
  EXPECT_TRUE(IsTrustedTop(rule, "http://10.0.0.5/game/s12"));   // marker in the path
  EXPECT_TRUE(IsTrustedTop(rule, "https://pay.partner.com/"));
  EXPECT_FALSE(IsTrustedTop(rule, "http://ads.example.com/landing"));
  EXPECT_FALSE(IsTrustedTop(rule, "http://ads.example.com/landing?to=/game/s12"));
  EXPECT_FALSE(IsTrustedTop(rule, "file:///portal.game.cn/"));
  EXPECT_FALSE(IsTrustedTop(rule, "about:blank"));
  TrustRule local;
  local.homeAddress = "http://127.0.0.1:8000/game";
  EXPECT_TRUE(IsTrustedTop(local, "http://127.0.0.1:9000/x"));
  EXPECT_FALSE(IsTrustedTop(local, "http://localhost:8000/x"));
  EXPECT_FALSE(IsTrustedTop(TrustRule{}, "http://127.0.0.1:8000/"));  // nothing handed over
}

// While a load is pending the engine's two addresses of the top document differ, and only one
// of them is the document that runs: it must be trusted whichever one it is.
TEST(TopTrust, APendingLoadIsJudgedByBothAddresses) {
  const TrustRule rule = Rule();
  const struct {
    const char* shown;
    const char* entry;
    bool trusted;
  } cases[] = {
      {"http://portal.game.cn/play", "http://portal.game.cn/play", true},
      {"http://portal.game.cn/play", "http://portal.game.cn/other", true},  // game to game
      // The program loads the game while an advertisement that took the top still runs.
      {"http://portal.game.cn/play", "http://ads.example.com/landing", false},
      // Back from the game towards the advertisement: the entry is already the advertisement.
      {"http://ads.example.com/landing", "http://portal.game.cn/play", false},
      // Before the first web document the entry names nothing.
      {"http://portal.game.cn/play", "", true},
      {"http://portal.game.cn/play", "about:blank", true},
      {"http://ads.example.com/landing", "", false},
      {"about:blank", "http://portal.game.cn/play", false},
  };
  for (const auto& c : cases) {
    const TopDocument top{c.shown, c.entry};
    EXPECT_EQ(IsTrustedTop(rule, top), c.trusted) << c.shown << " / " << c.entry;
    // A frame of the top's site is trusted exactly when that top is.
    EXPECT_EQ(IsTrustedFrame(rule, top, "http://cdn.game.cn/frame"), c.trusted) << c.shown << " / " << c.entry;
    // A frame trusted by its own place needs no trusted top.
    EXPECT_TRUE(IsTrustedFrame(rule, top, "http://10.0.0.5/game/s12")) << c.shown << " / " << c.entry;
  }
}

TEST(Place, KeepsSchemeHostPortAndPathOnly) {
  EXPECT_EQ(PlaceOf("HTTP://User:pw@Game.CN:8080/a/B?q=1#f"), "http://game.cn:8080/a/B");
  EXPECT_EQ(PlaceOf("https://a.b/"), "https://a.b/");
  EXPECT_EQ(PlaceOf("https://a.b?x#y"), "https://a.b");
  EXPECT_EQ(PlaceOf("http://[::1]:81/p#x"), "http://[::1]:81/p");
  EXPECT_EQ(PlaceOf("about:blank"), "");
  EXPECT_EQ(ParseHostList(" a.com,*.B.net;;bad/host, *., c_d.com x.org"),
            (std::vector<std::string>{"a.com", "*.b.net", "x.org"}));
}


TEST(SiteTest, HostsAndSites) {
  EXPECT_EQ(HostOf("HTTP://User:pw@Game.CN:80/path?q#f"), "game.cn");
  EXPECT_EQ(HostOf("http://[::1]:8080/x"), "[::1]");
  EXPECT_EQ(HostOf("mailto:a@b.c"), "");
  EXPECT_EQ(SiteOf("s1.game.com"), "game.com");
  EXPECT_EQ(SiteOf("a.b.example.co.uk"), "example.co.uk");
  EXPECT_EQ(SiteOf("localhost"), "localhost");
  EXPECT_EQ(SiteOf("127.0.0.1"), "127.0.0.1");
  EXPECT_EQ(SiteOf("com.cn"), "com.cn");
}

struct LinkCase {
  const char* address;
  bool pageMayNavigate;
  bool operatorMayOpen;
};

class SchemeTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(SchemeTest, Decides) {
  const LinkCase& c = GetParam();
  EXPECT_EQ(IsPageNavigationAllowed(c.address), c.pageMayNavigate) << c.address;
  EXPECT_EQ(skin::IsOperatorLink(c.address), c.operatorMayOpen) << c.address;
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, SchemeTest,
    ::testing::Values(LinkCase{"http://game.cn/pay", true, true},
                      LinkCase{"HTTPS://game.cn/", true, true},
                      LinkCase{"https://", true, false},
                      LinkCase{"about:blank", true, false},
                      LinkCase{"data:text/html,hi", true, false},
                      LinkCase{"blob:http://game.cn/1234", true, false},
                      LinkCase{"mailto:service@game.cn", false, true},
                      LinkCase{"yychat://room/123", false, true},
                      LinkCase{"tencent://message/?uin=1", false, true},
                      LinkCase{"yychat:room", false, false},
                      LinkCase{"file:///etc/passwd", false, false},
                      LinkCase{"FILE://host/share", false, false},
                      LinkCase{"javascript:alert(1)", false, false},
                      LinkCase{"javascript://%0aalert(1)", false, false},
                      LinkCase{"data://text/html,x", true, false},
                      LinkCase{"smb://server/share", false, false},
                      LinkCase{"ssh://host", false, true},
                      LinkCase{"C:\\Games\\run.exe", false, false},
                      LinkCase{"/usr/bin/xterm", false, false},
                      LinkCase{"run.exe", false, false},
                      LinkCase{"http://game.cn/a b", true, false},
                      LinkCase{"yychat://room\n/x", false, false}));

TEST(DialogFloodTest, FourthWithinTenSecondsOffersToStop) {
  DialogFlood flood;
  EXPECT_FALSE(flood.Record(0));
  EXPECT_FALSE(flood.Record(1000));
  EXPECT_FALSE(flood.Record(2000));
  EXPECT_TRUE(flood.Record(9999));
  flood.Declined();  // the dialog that asked is shown and counts
  EXPECT_FALSE(flood.Record(10000));
  EXPECT_FALSE(flood.Record(10001));
  EXPECT_TRUE(flood.Record(10002));
  flood.Stop();
  EXPECT_TRUE(flood.Stopped());
  flood.Reset();
  EXPECT_FALSE(flood.Stopped());
  EXPECT_FALSE(flood.Record(10004));
  EXPECT_FALSE(flood.Record(10005));
  EXPECT_FALSE(flood.Record(10006));
  EXPECT_TRUE(flood.Record(10007));
}

TEST(DialogFloodTest, SlowDialogsNeverAsk) {
  DialogFlood flood;
  for (int i = 0; i < 20; ++i) EXPECT_FALSE(flood.Record(i * 3400)) << i;
}

TEST(CrashReloadTest, FourthDeathWithinAMinuteStops) {
  CrashReload crashes;
  EXPECT_TRUE(crashes.Record(0));
  EXPECT_TRUE(crashes.Record(20000));
  EXPECT_TRUE(crashes.Record(40000));
  EXPECT_FALSE(crashes.Record(59999));
  EXPECT_TRUE(crashes.GaveUp());
  EXPECT_FALSE(crashes.Record(600000));  // given up for good
}

TEST(CrashReloadTest, DeathsSpreadOverMinutesKeepReloading) {
  CrashReload crashes;
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(crashes.Record(i * 25000)) << i;
  EXPECT_FALSE(crashes.GaveUp());
}

}  // namespace
