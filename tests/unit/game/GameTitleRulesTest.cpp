#include <gtest/gtest.h>

#include <string>

#include "core/game/GameTitleRules.h"

#include "GameRulesTestSupport.h"

using namespace game;
using namespace gamerules_test;

// ---------------------------------------------------------------------------------------------
// Title band

TEST(TitleBand, RectanglesFromSettings) {
  LauncherSettings s;
  s.titlex = 40;
  s.titley = 6;
  s.titleWidth = 300;
  s.titleHeight = 20;
  const Rect title = TitleBandRect(s);
  EXPECT_EQ(title, (Rect{40, 6, 340, 26}));
  EXPECT_EQ(UserNameBox(300, title), (Rect{200, 6, 300, 26}));
  EXPECT_EQ(UserNameBox(0, title), (Rect{-100, 6, 0, 26}));  // no type-13 button: off-window
}

// ---------------------------------------------------------------------------------------------
// Completed pages and the title

TEST(CompletedPages, Classify) {
  EXPECT_EQ(ClassifyCompletedPage("http://g.example/game/x", "/game/"), CompletedPage::Game);
  EXPECT_EQ(ClassifyCompletedPage("about:blank", ""), CompletedPage::Game);  // empty: every page
  EXPECT_EQ(ClassifyCompletedPage("http://192.168.1.5/x", "/game/"), CompletedPage::LocalDevice);
  EXPECT_EQ(ClassifyCompletedPage("http://g.example/GAME/x", "/game/"), CompletedPage::Ignored);
  EXPECT_EQ(ClassifyCompletedPage("http://192.168.2.5/", "/game/"), CompletedPage::Ignored);
}

TEST(ServerTitle, MarkerTableAndSuffixes) {
  const struct {
    const char* address;
    const char* suffix;  // UTF-8; null: no marker matches, nothing changes
  } cases[] = {
      {"http://g/play?serverid=s12&x=1", " [双线12服]"},
      {"http://g/play?serverid=12&x=1", " [双线12服]"},
      {"http://g/play?a=1&serverid=12", nullptr},  // no "&" after it
      {"http://g/play/467/s88", " [双线88服]"},      // up to the end
      {"http://g/play/467/s88&x=1", " [双线88&x=1服]"},
      {"http://g/?sid=8000&", " [双线8000服]"},
      {"http://g/?sid=8001&", " [不删档1服]"},
      {"http://g/?sid=80015&", " [不删档15服]"},
      {"http://g/?sid=80105&", " [不删档105服]"},
      {"http://g/?sid=80005&", " [不删档5服]"},
      {"http://g/?sid=80000&", " [不删档服]"},
      {"http://g/?sid=80500&", " [不删档500服]"},
      {"http://g/?sid=800123&", " [不删档12服]"},  // only the third to fifth characters
      {"http://g/?sid=S9&", " [双线9服]"},
      {"http://g/?skey=sAB1&sid=5&", " [双线AB1服]"},  // marker 4 before marker 13
      {"http://g/?serverid=&", " [双线服]"},            // empty identifier
      {"http://g/?server_id=S7&", " [双线7服]"},
      {"http://g/?serveridx=3&", " [双线3服]"},
      {"http://g/?SID=3&", nullptr},  // case-sensitive
      {"http://g/?sid=-9000&", " [双线-9000服]"},
      {"http://g/?sid= 9001&", " [不删档1服]"},  // the blank is read past but counts as a character
      {"http://g/?sid=99999999999&", " [不删档999服]"},
      {"http://g/play", nullptr},
  };
  for (const auto& c : cases) {
    const auto title = ComposeServerTitle(c.address, "T");
    if (!c.suffix) {
      EXPECT_FALSE(title.has_value()) << c.address;
      continue;
    }
    ASSERT_TRUE(title.has_value()) << c.address;
    EXPECT_EQ(Utf8(*title), std::string("T") + c.suffix) << c.address;
  }
}

TEST(ServerTitle, RepeatedPagesAddTheSuffixAgain) {
  const std::string once = *ComposeServerTitle("http://g/?serverid=s12&", "T");
  const std::string twice = *ComposeServerTitle("http://g/?serverid=s12&", once);
  EXPECT_EQ(Utf8(twice), "T [双线12服] [双线12服]");
}

TEST(ServerTitle, TitleTextIsCutAtACharacterBoundary) {
  EXPECT_EQ(TitleText(std::string(300, 'a')), std::string(255, 'a'));
  EXPECT_EQ(TitleText("short"), "short");
  // A double-byte character at bytes 254-255 does not fit into 255 bytes.
  const std::string wide = codepage::Utf8ToSystem("双");
  ASSERT_EQ(wide.size(), 2u);
  std::string text = std::string(254, 'a') + wide + "bc";
  EXPECT_EQ(TitleText(text), std::string(254, 'a'));
  text = std::string(253, 'a') + wide + "bc";
  EXPECT_EQ(TitleText(text), std::string(253, 'a') + wide);
  // Trail bytes in the ASCII range are not taken for leads.
  std::string pairs;
  while (pairs.size() < 300) pairs += "\x81\x40";
  EXPECT_EQ(TitleText(pairs).size(), 254u);

  EXPECT_EQ(PageCommandTitle("Game", "S2"), "Game-S2");
  // Title and server name: nothing between them.
  const std::string title = codepage::Utf8ToSystem("游戏");
  const std::string server = codepage::Utf8ToSystem("一服");
  EXPECT_EQ(Utf8(TitleWithServerName(title, server)), "游戏一服");
  EXPECT_EQ(TitleWithServerName(std::string(200, 't'), std::string(100, 's')).size(), 255u);
  EXPECT_EQ(PageCommandTitle(std::string(250, 't'), "123456789"), std::string(250, 't') + "-1234");
}

TEST(ServerTitle, EveryCutEndsOnAGbkCharacter) {
  // "\xD6\xD0" (中) is one GBK character; each limit falls on its first or second byte.
  const std::string pair = "\xD6\xD0";
  const struct {
    std::string text;
    std::string title;   // TitleText, 255 bytes
    std::string stored;  // StoredTitle, 127 bytes
  } cases[] = {
      {std::string(126, 'a') + pair, std::string(126, 'a') + pair, std::string(126, 'a')},
      {std::string(125, 'a') + pair, std::string(125, 'a') + pair, std::string(125, 'a') + pair},
      {std::string(254, 'a') + pair, std::string(254, 'a'), std::string(127, 'a')},
      {std::string(253, 'a') + pair + "b", std::string(253, 'a') + pair, std::string(127, 'a')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TitleText(c.text), c.title) << c.text.size();
    EXPECT_EQ(StoredTitle(c.text), c.stored) << c.text.size();
  }
  // The composed title keeps the stored setting whole-charactered after the server suffix.
  const std::string composed = *ComposeServerTitle("http://g/?sid=12&", std::string(120, 't'));
  const std::string stored = StoredTitle(composed);
  EXPECT_LE(stored.size(), 127u);
  EXPECT_EQ(codepage::Utf8ToSystem(codepage::SystemToUtf8(stored)), stored);
}
