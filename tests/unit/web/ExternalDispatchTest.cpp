#include "core/web/ExternalDispatch.h"

#include <gtest/gtest.h>

namespace {

PageArg Str(const char* text) {
  PageArg arg;
  arg.kind = PageArg::Kind::String;
  arg.text = text;
  return arg;
}

PageArg Int(long long value) {
  PageArg arg;
  arg.kind = PageArg::Kind::Integer;
  arg.integer = value;
  return arg;
}

PageArg Num(double value) {
  PageArg arg;
  arg.kind = PageArg::Kind::Number;
  arg.number = value;
  return arg;
}

PageArg OfKind(PageArg::Kind kind) {
  PageArg arg;
  arg.kind = kind;
  return arg;
}

TEST(ExternalDispatch, NameTableIsCaseSensitive) {
  const struct {
    const char* name;
    int dispId;
  } cases[] = {
      {"JsCallClient", 100}, {"getGsName", 101}, {"getNewMsg", 102}, {"Is360Game", 103},
      {"jscallclient", 0},   {"JSCALLCLIENT", 0}, {"getgsname", 0},  {"is360game", 0},
      {"", 0},               {"JsCallClient ", 0}, {"toString", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(external::DispIdOf(c.name), c.dispId) << c.name;
  }
}

TEST(ExternalDispatch, NamesOfIds) {
  EXPECT_STREQ(external::NameOf(100), "JsCallClient");
  EXPECT_STREQ(external::NameOf(103), "Is360Game");
  EXPECT_STREQ(external::NameOf(104), "");
  EXPECT_STREQ(external::NameOf(0), "");
}

TEST(ExternalDispatch, CommandNumberKeepsTheScriptType) {
  const struct {
    PageArg arg;
    int expected;
    const char* what;
  } cases[] = {
      {Str("1"), 1, "string digit selects the command"},
      {Str("12"), 12, "string read as decimal"},
      {Str("  3"), 3, "leading blanks skipped"},
      {Str("4abc"), 4, "digits up to the first other character"},
      {Str("abc"), 0, "no digits"},
      {Str(""), 0, "empty string"},
      {Str("-2"), -2, "signed"},
      {Int(5), 5, "platform integer taken as is"},
      {Int(-7), -7, "negative platform integer"},
      {Num(1), 0, "script number selects nothing"},
      {Num(3.0), 0, "script number selects nothing"},
      {OfKind(PageArg::Kind::Boolean), 0, "boolean"},
      {OfKind(PageArg::Kind::Null), 0, "null"},
      {OfKind(PageArg::Kind::Other), 0, "object or undefined"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(external::PageCommandNumber(c.arg), c.expected) << c.what;
  }
}

TEST(ExternalDispatch, GsNameOnlyFromAStringFirstArgument) {
  std::string name = "unchanged";
  EXPECT_FALSE(external::GsNameArgument({}, &name));
  EXPECT_FALSE(external::GsNameArgument({Num(1)}, &name));
  EXPECT_FALSE(external::GsNameArgument({OfKind(PageArg::Kind::Null), Str("x")}, &name));
  EXPECT_EQ(name, "unchanged");
  EXPECT_TRUE(external::GsNameArgument({Str("GM Lily"), Num(2)}, &name));
  EXPECT_EQ(name, "GM Lily");
  EXPECT_TRUE(external::GsNameArgument({Str("")}, nullptr));
}

}  // namespace
