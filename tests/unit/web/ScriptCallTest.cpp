#include "core/web/ScriptCall.h"

#include <gtest/gtest.h>

namespace {

using Tokens = std::vector<std::string>;

TEST(ScriptCall, SplitsLikeStrtok) {
  const struct {
    const char* text;
    Tokens expected;
  } cases[] = {
      {nullptr, {}},
      {"", {}},
      {",", {}},
      {",,,", {}},
      {"2,10,20,1", {"2", "10", "20", "1"}},
      {",alpha,,beta,", {"alpha", "beta"}},
      {"one", {"one"}},
      {" a , b ", {" a ", " b "}},
      {"1,2,3,4,5,6,7,8", {"1", "2", "3", "4", "5", "6", "7", "8"}},
      {"1,2,3,4,5,6,7,8,9,10", {"1", "2", "3", "4", "5", "6", "7", "8"}},
      {",,1,,2,,3,,4,,5,,6,,7,,8,,9,,", {"1", "2", "3", "4", "5", "6", "7", "8"}},
      {"\xc4\xe3\xba\xc3,x", {"\xc4\xe3\xba\xc3", "x"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(scriptcall::SplitArguments(c.text), c.expected) << (c.text ? c.text : "(null)");
  }
}

TEST(ScriptCall, NoStateBetweenCalls) {
  EXPECT_EQ(scriptcall::SplitArguments("a,b").size(), 2u);
  EXPECT_TRUE(scriptcall::SplitArguments(nullptr).empty());
}

TEST(ScriptCall, StringLiteralEscapesEverythingThatCouldEscapeIt) {
  const struct {
    std::u16string text;
    std::string literal;
  } cases[] = {
      {u"", "\"\""},
      {u"plain 123", "\"plain 123\""},
      {u"a\"b", "\"a\\\"b\""},
      {u"back\\slash", "\"back\\\\slash\""},
      {u"</script>", "\"\\u003c/script\\u003e\""},
      {u"line\nbreak\r", "\"line\\nbreak\\r\""},
      {u"tab\t", "\"tab\\t\""},
      {u"\u2028\u2029", "\"\\u2028\\u2029\""},
      {u"\u4f60\u597d", "\"\\u4f60\\u597d\""},
      {std::u16string(1, u'\0'), "\"\\u0000\""},
      {u"'single'", "\"'single'\""},
      {u"\U0001F600", "\"\\ud83d\\ude00\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(scriptcall::StringLiteral(c.text), c.literal);
  }
}

TEST(ScriptCall, CallNamesTheFunctionByLiteralAndPassesStrings) {
  const std::string script = scriptcall::BuildCall(u"clientCallJs", {u"2", u"10"});
  EXPECT_NE(script.find("window[\"clientCallJs\"]"), std::string::npos);
  EXPECT_NE(script.find("f.call(window,\"2\",\"10\")"), std::string::npos);
  EXPECT_NE(script.find("typeof f!=='function'"), std::string::npos);

  const std::string noArgs = scriptcall::BuildCall(u"isReady", {});
  EXPECT_NE(noArgs.find("f.call(window)"), std::string::npos);

  const std::string hostile = scriptcall::BuildCall(u"x\"];alert(1);//", {u"\");alert(2);//"});
  EXPECT_NE(hostile.find("window[\"x\\\"];alert(1);//\"]"), std::string::npos);
}

}  // namespace
