#include "core/platform/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CodePage : public ::testing::Test {
 protected:
  void TearDown() override { codepage::SetSystemCodePage("GBK"); }
};

// "游戏" (game) in each encoding.
const std::string kGbk = "\xD3\xCE\xCF\xB7";
const std::string kUtf8 = "\xE6\xB8\xB8\xE6\x88\x8F";
const std::u16string kUtf16 = u"\u6E38\u620F";

TEST_F(CodePage, DefaultIsGbk) { EXPECT_EQ(codepage::SystemCodePage(), "GBK"); }

TEST_F(CodePage, RoundTrips) {
  EXPECT_EQ(codepage::SystemToUtf8(kGbk), kUtf8);
  EXPECT_EQ(codepage::Utf8ToSystem(kUtf8), kGbk);
  EXPECT_EQ(codepage::SystemToUtf16(kGbk), kUtf16);
  EXPECT_EQ(codepage::Utf16ToSystem(kUtf16), kGbk);
  EXPECT_EQ(codepage::Utf8ToUtf16(kUtf8), kUtf16);
  EXPECT_EQ(codepage::Utf16ToUtf8(kUtf16), kUtf8);
  const std::string mixed = "Server 12 " + kGbk + " [S1]";
  EXPECT_EQ(codepage::Utf8ToSystem(codepage::SystemToUtf8(mixed)), mixed);
  EXPECT_EQ(codepage::Utf16ToSystem(codepage::SystemToUtf16(mixed)), mixed);
  EXPECT_EQ(codepage::SystemToUtf8(""), "");
  EXPECT_EQ(codepage::Utf16ToUtf8(u""), "");
}

TEST_F(CodePage, LongTextCrossesTheInternalBuffer) {
  std::string gbk;
  for (int i = 0; i < 5000; ++i) gbk += kGbk;
  std::string utf8;
  for (int i = 0; i < 5000; ++i) utf8 += kUtf8;
  EXPECT_EQ(codepage::SystemToUtf8(gbk), utf8);
  EXPECT_EQ(codepage::Utf8ToSystem(utf8), gbk);
}

TEST_F(CodePage, InvalidInputBecomesReplacement) {
  struct Case {
    const char* label;
    std::string got;
    std::string want;
  } cases[] = {
      {"gbk lead byte alone at the end", codepage::SystemToUtf8("a\xD3"), "a\xEF\xBF\xBD"},
      {"gbk invalid pair", codepage::SystemToUtf8("a\xFF\xFF" "b"),
       "a\xEF\xBF\xBD\xEF\xBF\xBD" "b"},
      {"utf8 stray continuation", codepage::Utf8ToUtf16 ("x\x80y") == u"x\uFFFDy" ? "ok" : "bad",
       "ok"},
      {"utf8 truncated", codepage::Utf8ToSystem("a\xE6\xB8"), "a??"},
      {"unmappable in gbk", codepage::Utf8ToSystem("\xF0\x9F\x98\x80!\xE0\xB8\x81"), "?!?"},
      {"unmappable pair in gbk", codepage::Utf16ToSystem(u"\U0001F600!"), "?!"},
      {"lone surrogate", codepage::Utf16ToUtf8(std::u16string(1, u'\xD800') + u"z"),
       "\xEF\xBF\xBDz"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.label;
}

TEST_F(CodePage, OperatorMayChooseAnother) {
  EXPECT_FALSE(codepage::SetSystemCodePage("NO-SUCH-CODE-PAGE"));
  EXPECT_FALSE(codepage::SetSystemCodePage(""));
  EXPECT_EQ(codepage::SystemCodePage(), "GBK");
  ASSERT_TRUE(codepage::SetSystemCodePage("BIG5"));
  EXPECT_EQ(codepage::SystemToUtf8("\xB9\x43\xC0\xB8"), "\xE9\x81\x8A\xE6\x88\xB2");  // 遊戲
  ASSERT_TRUE(codepage::SetSystemCodePage("UTF-8"));
  EXPECT_EQ(codepage::SystemToUtf16(kUtf8), kUtf16);
}

TEST_F(CodePage, CutsEndOnACharacterBoundary) {
  // GBK: "\xD6\xD0" and "\xCE\xC4" are double-byte, "\x81\x40" has a trail byte in ASCII range.
  const struct {
    const char* page;
    std::string text;
    std::size_t limit;
    std::string expected;
  } cases[] = {
      {"GBK", "ab", 5, "ab"},                                   // short text unchanged
      {"GBK", "a\xD6\xD0" "b", 3, "a\xD6\xD0"},                 // limit after a whole pair
      {"GBK", "a\xD6\xD0" "b", 2, "a"},                         // limit inside the pair
      {"GBK", "\xD6\xD0\xCE\xC4", 3, "\xD6\xD0"},               // second pair cut
      {"GBK", "\x81\x40\x81\x40", 3, "\x81\x40"},               // trail 0x40 is no character
      {"GBK", "\x81\x40\x81\x40", 1, ""},                       // nothing whole fits
      {"GBK", "a\x80" "bc", 3, "a\x80" "b"},                    // a malformed byte is one unit
      {"GBK", std::string(254, 'a') + "\xD6\xD0", 255, std::string(254, 'a')},
      {"UTF-8", "a\xE5\x8F\x8C" "b", 3, "a"},                   // UTF-8: 3-byte character cut
      {"UTF-8", "a\xE5\x8F\x8C" "b", 4, "a\xE5\x8F\x8C"},
      {"BIG5", "\xA4\xA4\xA4\xE5", 3, "\xA4\xA4"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(codepage::SetSystemCodePage(c.page));
    EXPECT_EQ(std::string(codepage::CutAtCharacter(c.text, c.limit)), c.expected)
        << c.page << " limit " << c.limit;
  }
}

}  // namespace
