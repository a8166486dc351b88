#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "ConfigTestSupport.h"
#include "ZipFixtures.h"
#include "core/config/LauncherConfig.h"
#include "core/platform/CodePage.h"

namespace {

// Loads `text` as cg.txt and reads the settings; returns ReadSettings' result.
bool Read(CLauncherConfig& config, const std::string& text) {
  EXPECT_TRUE(config.LoadSettingsData(text.data(), text.size()));
  return config.ReadSettings();
}

TEST(Settings, EveryDefault) {
  CLauncherConfig config;
  ASSERT_TRUE(Read(config, "[global]\nlinkCount=1\n"));
  const LauncherSettings& s = config.GetSettings();
  for (int v : {s.top, s.left, s.right, s.bottom, s.topLeftImage, s.topRightImage,
                s.bottomLeftImage, s.bottomRight, s.topImage, s.leftImage, s.logx, s.logy,
                s.titlex, s.titley, s.titleWidth, s.titleHeight, s.htmlHeadHeight})
    EXPECT_EQ(v, 0);
  EXPECT_EQ(s.port, 80);
  EXPECT_EQ(s.titleColor, 16777215);
  EXPECT_EQ(s.loginCenterColor, 16777215);
  EXPECT_EQ(s.minGameWidth, 800);
  EXPECT_EQ(s.minGameHeight, 600);
  for (const char* text :
       {s.title.c_str(), s.firstUrl.c_str(), s.notityTitle.c_str(), s.notifyCloseTitle.c_str(),
        s.clearFlashTitle.c_str(), s.clearFlashMsg.c_str(), s.versionUrl.c_str(),
        s.exeUrl.c_str(), s.server.c_str(), s.version.c_str(), s.closeMsg.c_str(),
        s.urlplatform.c_str(), s.platform.c_str(), s.gkey.c_str(), s.skey.c_str(),
        s.sign.c_str(), s.maxheader.c_str(), s.serverindexheader.c_str(),
        s.macCountApiUrl.c_str(), config.GetGameHeader().c_str()})
    EXPECT_STREQ(text, "");
  EXPECT_EQ(config.GetEdgeImages(), std::vector<int>(8, 9));
  ASSERT_EQ(config.GetLinks().size(), 1u);
  const LinkItem& link = config.GetLinks()[0];
  EXPECT_EQ(link.url, "_blank");
  EXPECT_EQ(link.x + link.y + link.width + link.height + link.type, 0);
  EXPECT_TRUE(config.GetMenus().empty());
  EXPECT_TRUE(config.GetPictures().empty());
  EXPECT_TRUE(config.GetGameButtons().empty());
}

TEST(Settings, EveryKeyIsRead) {
  const std::string text =
      "[global]\nlinkCount=1\ntop=1\nleft=2\nright=3\nbottom=4\ntopLeftImage=5\n"
      "topRightImage=6\nbottomLeftImage=7\nbottomRight=8\ntopImage=9\nleftImage=10\nlogx=11\n"
      "logy=12\ntitlex=13\ntitley=14\ntitleWidth=15\ntitleHeight=16\nhtmlHeadHeight=17\n"
      "title=T\nfirstUrl=http://127.0.0.1/g\nnotityTitle=N\nnotifyCloseTitle=NC\n"
      "clearFlashTitle=CF\nclearFlashMsg=CM\nversionUrl=VU\nexeUrl=EU\nport=8080\nserver=S\n"
      "version=V\ncloseMsg=Bye\ntitleColor=255\nloginCenterColor=65280\nminGameWidth=1024\n"
      "minGameHeight=700\nurlplatform=UP\nplatform=P\ngkey=GK\nskey=SK\nsign=SG\nmaxheader=MH\n"
      "serverindexheader=SI\nmacCountApiUrl=MC\ngameheader=/game/\n";
  CLauncherConfig config;
  ASSERT_TRUE(Read(config, text));
  const LauncherSettings& s = config.GetSettings();
  EXPECT_EQ(std::vector<int>({s.top, s.left, s.right, s.bottom, s.topLeftImage, s.topRightImage,
                              s.bottomLeftImage, s.bottomRight, s.topImage, s.leftImage, s.logx,
                              s.logy, s.titlex, s.titley, s.titleWidth, s.titleHeight,
                              s.htmlHeadHeight}),
            std::vector<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}));
  EXPECT_EQ(s.title, "T");
  EXPECT_EQ(s.firstUrl, "http://127.0.0.1/g");
  EXPECT_EQ(s.notityTitle, "N");
  EXPECT_EQ(s.notifyCloseTitle, "NC");
  EXPECT_EQ(s.clearFlashTitle, "CF");
  EXPECT_EQ(s.clearFlashMsg, "CM");
  EXPECT_EQ(s.versionUrl, "VU");
  EXPECT_EQ(s.exeUrl, "EU");
  EXPECT_EQ(s.port, 8080);
  EXPECT_EQ(s.server, "S");
  EXPECT_EQ(s.version, "V");
  EXPECT_EQ(s.closeMsg, "Bye");
  EXPECT_EQ(s.titleColor, 255);
  EXPECT_EQ(s.loginCenterColor, 65280);
  EXPECT_EQ(s.minGameWidth, 1024);
  EXPECT_EQ(s.minGameHeight, 700);
  EXPECT_EQ(s.urlplatform, "UP");
  EXPECT_EQ(s.platform, "P");
  EXPECT_EQ(s.gkey, "GK");
  EXPECT_EQ(s.skey, "SK");
  EXPECT_EQ(s.sign, "SG");
  EXPECT_EQ(s.maxheader, "MH");
  EXPECT_EQ(s.serverindexheader, "SI");
  EXPECT_EQ(s.macCountApiUrl, "MC");
  EXPECT_EQ(config.GetGameHeader(), "/game/");
}

TEST(Settings, Lists) {
  const std::string text =
      "[global]\nlinkCount=2\nmenuCount=1\npicCount=2\ngameButtonCount=4\n"
      "[link1]\nurl=http://127.0.0.1/a\nx=1\ny=2\nwidth=3\nheight=4\ntype=5\n"
      "[link2]\nx=7\n"
      "[menu1]\ntitle=Full\ntype=3\nshortCut=122\n"
      "[gamePic1]\nx=1\ny=2\nwidth=30\nheight=40\ninterval=5\ncount=3\n"
      "[gamePic2]\nwidth=50\nheight=60\n"
      "[gamebutton1]\nx=10\ny=20\ntype=2\nimage=2\ncolor=255\nshortCut=113\ntitle=Pay\n"
      "url=http://127.0.0.1/pay\ntips=Top up\n"
      "[gamebutton2]\nimage=0\n[gamebutton3]\nimage=3\n[gamebutton4]\nimage=-1\n";
  CLauncherConfig config;
  ASSERT_TRUE(Read(config, text));
  const auto& links = config.GetLinks();
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links[0].url, "http://127.0.0.1/a");
  EXPECT_EQ(std::vector<int>({links[0].x, links[0].y, links[0].width, links[0].height,
                              links[0].type}),
            std::vector<int>({1, 2, 3, 4, 5}));
  EXPECT_EQ(links[1].url, "_blank");
  EXPECT_EQ(links[1].x, 7);
  ASSERT_EQ(config.GetMenus().size(), 1u);
  EXPECT_EQ(config.GetMenus()[0].title, "Full");
  EXPECT_EQ(config.GetMenus()[0].type, 3);
  EXPECT_EQ(config.GetMenus()[0].shortCut, 122);
  const auto& pics = config.GetPictures();
  ASSERT_EQ(pics.size(), 2u);
  EXPECT_EQ(std::vector<int>({pics[0].x, pics[0].y, pics[0].width, pics[0].height,
                              pics[0].interval, pics[0].count}),
            std::vector<int>({1, 2, 30, 40, 5, 3}));
  const auto& buttons = config.GetGameButtons();
  ASSERT_EQ(buttons.size(), 4u);
  const GameButtonItem& b = buttons[0];
  EXPECT_EQ(std::vector<int>({b.x, b.y, b.type, b.image, b.color, b.shortCut, b.width, b.height}),
            std::vector<int>({10, 20, 2, 2, 255, 113, 50, 60}));
  EXPECT_EQ(b.title, "Pay");
  EXPECT_EQ(b.url, "http://127.0.0.1/pay");
  EXPECT_EQ(b.tips, "Top up");
  for (std::size_t i = 1; i < 4; ++i) {  // image 0, beyond picCount, negative: no picture
    EXPECT_EQ(buttons[i].width, 0) << i;
    EXPECT_EQ(buttons[i].height, 0) << i;
    EXPECT_EQ(buttons[i].color, 16777215) << i;
  }
}

struct EdgeCase {
  const char* label;
  std::string text;
  bool result;
  std::function<void(CLauncherConfig&)> check;
};

class SettingsEdge : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(SettingsEdge, Reads) {
  RecordingMessages box;
  CLauncherConfig config;
  EXPECT_EQ(Read(config, GetParam().text), GetParam().result);
  GetParam().check(config);
  EXPECT_TRUE(box.messages.empty());  // settings never speak, not even when linkCount fails
}

const std::string kOneLink = "[global]\nlinkCount=1\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsEdge,
    ::testing::Values(
        EdgeCase{"EmptyValueReadsZero", kOneLink + "minGameWidth=\n", true,
                 [](CLauncherConfig& c) { EXPECT_EQ(c.GetSettings().minGameWidth, 0); }},
        EdgeCase{"HexColourReadsZero", kOneLink + "titleColor=0xffffff\n", true,
                 [](CLauncherConfig& c) { EXPECT_EQ(c.GetSettings().titleColor, 0); }},
        EdgeCase{"DecimalColour", kOneLink + "titleColor=16777215\n", true,
                 [](CLauncherConfig& c) { EXPECT_EQ(c.GetSettings().titleColor, 0xFFFFFF); }},
        EdgeCase{"NamesIgnoreAsciiCase",
                 "[GLOBAL]\nLINKCOUNT=1\n[LINK1]\nURL=http://127.0.0.1/x\nWidth=5\n", true,
                 [](CLauncherConfig& c) {
                   EXPECT_EQ(c.GetLinks()[0].url, "http://127.0.0.1/x");
                   EXPECT_EQ(c.GetLinks()[0].width, 5);
                 }},
        EdgeCase{"LinkWithoutUrlIsBlank", kOneLink + "[link1]\nx=3\n", true,
                 [](CLauncherConfig& c) { EXPECT_EQ(c.GetLinks()[0].url, "_blank"); }},
        EdgeCase{"LinkSectionMissing", kOneLink, true,
                 [](CLauncherConfig& c) {
                   ASSERT_EQ(c.GetLinks().size(), 1u);
                   EXPECT_EQ(c.GetLinks()[0].url, "_blank");
                   EXPECT_EQ(c.GetLinks()[0].height, 0);
                 }},
        EdgeCase{"OnlyEdgeImage3", kOneLink + "edgeImage3=2\n", true,
                 [](CLauncherConfig& c) {
                   EXPECT_EQ(c.GetEdgeImages(), std::vector<int>({9, 9, 2, 9, 9, 9, 9, 9}));
                 }},
        EdgeCase{"LinkCountMissing", "[global]\ntitle=x\n", false,
                 [](CLauncherConfig& c) {
                   EXPECT_TRUE(c.GetLinks().empty());
                   EXPECT_EQ(c.GetSettings().title, "x");  // the global keys are still read
                 }},
        EdgeCase{"LinkCountZero", "[global]\nlinkCount=0\n", false,
                 [](CLauncherConfig& c) { EXPECT_TRUE(c.GetLinks().empty()); }},
        EdgeCase{"LinkCountNegative", "[global]\nlinkCount=-3\nmenuCount=2\n", false,
                 [](CLauncherConfig& c) { EXPECT_TRUE(c.GetMenus().empty()); }},
        EdgeCase{"NegativeCountsGiveEmptyLists", kOneLink + "menuCount=-1\npicCount=-5\n",
                 true, [](CLauncherConfig& c) { EXPECT_TRUE(c.GetMenus().empty()); }},
        EdgeCase{"Utf8SignatureHidesTheFirstSection", "\xEF\xBB\xBF[global]\nlinkCount=1\n",
                 false, [](CLauncherConfig& c) { EXPECT_TRUE(c.GetLinks().empty()); }},
        EdgeCase{"Utf8SignatureThenBlankLine", "\xEF\xBB\xBF\n[global]\nlinkCount=1\n", true,
                 [](CLauncherConfig& c) { EXPECT_EQ(c.GetLinks().size(), 1u); }},
        EdgeCase{"Utf8SignatureThenComment", "\xEF\xBB\xBF; settings\n[global]\nlinkCount=1\n",
                 true, [](CLauncherConfig& c) { EXPECT_EQ(c.GetLinks().size(), 1u); }},
        EdgeCase{"DuplicateKeyLastWins", kOneLink + "title=first\ntitle=second\n", true,
                 [](CLauncherConfig& c) { EXPECT_EQ(c.GetSettings().title, "second"); }},
        EdgeCase{"RepeatedSectionsMerge", kOneLink + "[global]\ntitle=later\n", true,
                 [](CLauncherConfig& c) {
                   EXPECT_EQ(c.GetLinks().size(), 1u);
                   EXPECT_EQ(c.GetSettings().title, "later");
                 }},
        EdgeCase{"ValuesAreRawBytes", kOneLink + "title=\xD3\xCE\xCF\xB7 =x\n", true,
                 [](CLauncherConfig& c) {
                   EXPECT_EQ(c.GetSettings().title, "\xD3\xCE\xCF\xB7 =x");
                 }},
        EdgeCase{"CrLfLines", "[global]\r\nlinkCount=2\r\ntitle=win\r\n", true,
                 [](CLauncherConfig& c) {
                   EXPECT_EQ(c.GetLinks().size(), 2u);
                   EXPECT_EQ(c.GetSettings().title, "win");
                 }},
        EdgeCase{"NoMultiLineValues", kOneLink + "title=<<<END\nline\nEND\n", true,
                 [](CLauncherConfig& c) { EXPECT_EQ(c.GetSettings().title, "<<<END"); }},
        EdgeCase{"HugeCountsAreCut",
                 "[global]\nlinkCount=2000000000\nmenuCount=99999999\npicCount=2147483647\n"
                 "gameButtonCount=100000\n",
                 true,
                 [](CLauncherConfig& c) {
                   EXPECT_EQ(c.GetLinks().size(), 64u);
                   EXPECT_EQ(c.GetMenus().size(), 256u);
                   EXPECT_EQ(c.GetPictures().size(), 1024u);
                   EXPECT_EQ(c.GetGameButtons().size(), 256u);
                 }},
        EdgeCase{"CountsUpToTheBoundsAreKept",
                 "[global]\nlinkCount=64\nmenuCount=256\npicCount=1024\ngameButtonCount=256\n"
                 "[link64]\nurl=http://last/\n[link65]\nurl=http://beyond/\n",
                 true,
                 [](CLauncherConfig& c) {
                   ASSERT_EQ(c.GetLinks().size(), 64u);
                   EXPECT_EQ(c.GetLinks().back().url, "http://last/");
                   EXPECT_EQ(c.GetMenus().size(), 256u);
                   EXPECT_EQ(c.GetPictures().size(), 1024u);
                   EXPECT_EQ(c.GetGameButtons().size(), 256u);
                 }}),
    [](const ::testing::TestParamInfo<EdgeCase>& p) { return std::string(p.param.label); });

TEST(Settings, LongValuesAreCutToCapacity) {
  const std::string v(10000, 'v');
  std::string text = "[global]\nlinkCount=1\npicCount=1\ngameButtonCount=1\nmenuCount=1\n";
  for (const char* key : {"title", "firstUrl", "notityTitle", "clearFlashMsg", "closeMsg",
                          "urlplatform", "sign", "macCountApiUrl", "gameheader"})
    text += std::string(key) + "=" + v + "\n";
  text += "[link1]\nurl=" + v + "\n[menu1]\ntitle=" + v + "\n[gamebutton1]\ntitle=" + v +
          "\nurl=" + v + "\ntips=" + v + "\n";
  CLauncherConfig config;
  ASSERT_TRUE(Read(config, text));
  const LauncherSettings& s = config.GetSettings();
  EXPECT_EQ(s.title.size(), 127u);
  EXPECT_EQ(s.firstUrl.size(), 127u);
  EXPECT_EQ(s.notityTitle.size(), 63u);
  EXPECT_EQ(s.clearFlashMsg.size(), 127u);
  EXPECT_EQ(s.closeMsg.size(), 63u);
  EXPECT_EQ(s.urlplatform.size(), 254u);
  EXPECT_EQ(s.sign.size(), 254u);
  EXPECT_EQ(s.macCountApiUrl.size(), 254u);
  EXPECT_EQ(config.GetGameHeader().size(), 63u);
  EXPECT_EQ(config.GetLinks()[0].url.size(), 255u);
  EXPECT_EQ(config.GetMenus()[0].title.size(), 31u);
  const GameButtonItem& b = config.GetGameButtons()[0];
  EXPECT_EQ(b.title.size(), 31u);
  EXPECT_EQ(b.url.size(), 255u);
  EXPECT_EQ(b.tips.size(), 31u);
  EXPECT_EQ(s.port, 80);  // the neighbours are intact
  EXPECT_EQ(s.titleColor, 0xFFFFFF);
}

TEST(Settings, RereadingClearsThePlatformKeys) {
  CLauncherConfig config;
  ASSERT_TRUE(Read(config, kOneLink + "skey=abc\nsign=s\n"));
  ASSERT_TRUE(Read(config, kOneLink));
  EXPECT_EQ(config.GetSettings().skey, "");
  EXPECT_EQ(config.GetSettings().sign, "");
  EXPECT_EQ(config.GetLinks().size(), 1u);
}

TEST(Settings, BinaryJunkNeverCrashes) {
  RecordingMessages box;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::string junk = zipfix::Payload(2000 + seed * 37, seed);
    if (seed % 2) junk = "[global]\nlinkCount=3\n" + junk;
    CLauncherConfig config;
    if (config.LoadSettingsData(junk.data(), junk.size())) config.ReadSettings();
    EXPECT_LE(config.GetLinks().size(), 3u);
  }
}

TEST(ParseDecimal, Table) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {
      {"42", 42},          {"  42", 42},        {"\t-7", -7},         {"+5", 5},
      {"12abc", 12},       {"abc", 0},          {"", 0},              {"0x10", 0},
      {"- 5", 0},          {"--5", 0},          {"007", 7},           {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN}, {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
      {"16777215", 16777215},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDecimal(c.text), c.value) << '"' << c.text << '"';
  EXPECT_EQ(ParseDecimal(nullptr), 0);
}

class CodePageChoice : public ::testing::Test {
 protected:
  void SetUp() override { unsetenv("LAUNCHER_CODEPAGE"); }
  void TearDown() override {
    unsetenv("LAUNCHER_CODEPAGE");
    codepage::SetSystemCodePage("GBK");
  }
};

TEST_F(CodePageChoice, DefaultStaysGbk) {
  CLauncherConfig config;
  ASSERT_TRUE(Read(config, kOneLink));
  EXPECT_EQ(codepage::SystemCodePage(), "GBK");
}

TEST_F(CodePageChoice, SettingsChooseTheCodePage) {
  CLauncherConfig config;
  ASSERT_TRUE(Read(config, kOneLink + "codePage=BIG5\n"));
  EXPECT_EQ(codepage::SystemCodePage(), "BIG5");
}

TEST_F(CodePageChoice, UnknownNameKeepsTheCurrentOne) {
  CLauncherConfig config;
  ASSERT_TRUE(Read(config, kOneLink + "codePage=NO-SUCH-CODE-PAGE\n"));
  EXPECT_EQ(codepage::SystemCodePage(), "GBK");
}

TEST_F(CodePageChoice, EnvironmentOverridesTheSettings) {
  setenv("LAUNCHER_CODEPAGE", "UTF-8", 1);
  CLauncherConfig config;
  ASSERT_TRUE(Read(config, kOneLink + "codePage=BIG5\n"));
  EXPECT_EQ(codepage::SystemCodePage(), "UTF-8");
}

}  // namespace
