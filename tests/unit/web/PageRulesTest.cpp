// Which frames may drive window.external, where pages may navigate, which operator links open,
// and the counting behind stopping script dialogs and reloading dead pages.
#include <gtest/gtest.h>

#include "skin/SkinRules.h"
#include "web/PageRules.h"

namespace {

using namespace pagerules;

struct TrustCase {
  const char* top;
  const char* frame;
  bool fromTop;
  bool trusted;
};

class TrustTest : public ::testing::TestWithParam<TrustCase> {};

TEST_P(TrustTest, Decides) {
  const TrustCase& c = GetParam();
  const std::vector<std::string> markers = {"/game/s", "", "login.game.cn/servers"};
  EXPECT_EQ(IsTrustedCaller(c.top, c.frame, c.fromTop, markers, {"Pay.Partner.com"}), c.trusted)
      << c.top << " / " << c.frame;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, TrustTest,
    ::testing::Values(
        TrustCase{"http://portal.game.cn/", "http://ads.example.com/x", true, true},  // the top itself
        TrustCase{"http://portal.game.cn/", "http://10.0.0.5:8080/game/s12?u=1", false, true},
        TrustCase{"http://portal.game.cn/", "https://login.game.cn/servers", false, true},
        TrustCase{"http://portal.game.cn/", "http://cdn.game.cn/frame", false, true},  // same site
        TrustCase{"http://www.game.com.cn/", "http://pay.game.com.cn/", false, true},
        TrustCase{"http://www.game.com.cn/", "http://other.com.cn/", false, false},  // public suffix
        TrustCase{"http://portal.game.cn/", "http://ads.example.com/x", false, false},
        TrustCase{"http://portal.game.cn/", "http://game.cn.evil.com/x", false, false},
        TrustCase{"http://portal.game.cn/", "http://evil.com/?r=portal.game.cn", false, false},
        TrustCase{"http://127.0.0.1:8000/", "http://127.0.0.1:9000/x", false, true},
        TrustCase{"http://127.0.0.1:8000/", "http://localhost:8000/x", false, false},
        TrustCase{"http://127.0.0.1:8000/", "http://127.0.0.2:8000/x", false, false},
        TrustCase{"http://portal.game.cn/", "https://pay.partner.com/order", false, true},
        TrustCase{"http://portal.game.cn/", "http://user@ads.example.com@portal.game.cn/", false, true},
        TrustCase{"http://portal.game.cn/", "http://portal.game.cn@ads.example.com/", false, false},
        TrustCase{"http://portal.game.cn/", "about:blank", false, false},
        TrustCase{"http://portal.game.cn/", "file:///portal.game.cn/x", false, false}));

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
