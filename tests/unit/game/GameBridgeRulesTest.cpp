#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/game/GameBridgeRules.h"

#include "GameRulesTestSupport.h"

using namespace game;
using namespace gamerules_test;

// ---------------------------------------------------------------------------------------------
// Page commands

TEST(PageCommands, Parsing) {
  PageArg scriptNumber;
  scriptNumber.kind = PageArg::Kind::Number;
  scriptNumber.number = 1;
  PageArg platformInt;
  platformInt.kind = PageArg::Kind::Integer;
  platformInt.integer = 1;

  const struct {
    std::vector<PageArg> args;
    int number;
    PageAction action;
    const char* parameter;
  } cases[] = {
      {{}, 0, PageAction::None, ""},
      {{Str("1")}, 1, PageAction::Close, ""},
      {{Str("2"), Str("x")}, 2, PageAction::RestartAndClose, ""},
      {{Str("3")}, 3, PageAction::Accepted, ""},
      {{Str("5")}, 5, PageAction::Accepted, ""},
      {{Str("6"), Str("S2"), Str("")}, 6, PageAction::ExtendTitle, "S2"},
      {{Str("6"), Str("S2")}, 6, PageAction::ExtendTitle, "6"},  // the next-to-last is "6"
      {{Str("6")}, 6, PageAction::None, ""},
      {{Str("4"), Str("http://x/?a=1;b=2"), Str("")}, 4, PageAction::SetPageLink,
       "http://x/?a=1;b=2"},
      {{Str("4"), scriptNumber, Str("")}, 4, PageAction::None, ""},  // not a text
      {{Str("12")}, 12, PageAction::None, ""},
      {{Str("6abc"), Str("p"), Str("")}, 6, PageAction::ExtendTitle, "p"},
      {{Str("x")}, 0, PageAction::None, ""},
      {{scriptNumber}, 0, PageAction::None, ""},  // a script number is no command
      {{platformInt}, 1, PageAction::Close, ""},
  };
  for (const auto& c : cases) {
    const PageCommand command = ParsePageCommand(c.args);
    EXPECT_EQ(command.number, c.number) << c.args.size();
    EXPECT_EQ(command.action, c.action) << c.number;
    EXPECT_EQ(command.parameter, c.parameter) << c.number;
  }
}

TEST(PageCommands, ParameterMustFitTheTextField) {
  const std::string fits(255, 'p');
  EXPECT_EQ(ParsePageCommand({Str("6"), Str(fits), Str("")}).parameter, fits);
  EXPECT_EQ(ParsePageCommand({Str("6"), Str(fits + "p"), Str("")}).action, PageAction::None);
  // The limit counts bytes after conversion: 100 CJK characters are 300 UTF-8 but 200 GBK bytes.
  std::string cjk;
  for (int i = 0; i < 100; ++i) cjk += "服";
  const PageCommand command = ParsePageCommand({Str("6"), Str(cjk), Str("")});
  EXPECT_EQ(command.action, PageAction::ExtendTitle);
  EXPECT_EQ(Utf8(command.parameter), cjk);
}

// ---------------------------------------------------------------------------------------------
// Reports to the page

TEST(PageReports, BrowserPoint) {
  const FrameSizes s = Sizes({0, 0, 0, 5, 0, 0, 0, 0}, {0, 40, 0, 0, 0, 0, 0, 0});
  const Rect placement{100, 50, 1380, 850};
  auto at = [&](Point p, bool maximized, bool fullScreen) {
    return BrowserPointForReport(p, placement, s, maximized, fullScreen);
  };
  EXPECT_EQ(at({300, 250}, false, false), (Point{195, 160}));
  EXPECT_EQ(at({300, 250}, true, false), (Point{200, 160}));
  EXPECT_EQ(at({300, 250}, false, true), (Point{300, 250}));  // unchanged in full screen
  EXPECT_EQ(at({300, 90}, false, false), (Point{195, 0}));
  EXPECT_FALSE(at({300, 89}, false, false).has_value());  // in the title band
  EXPECT_FALSE(at({300, -1}, false, true).has_value());
  EXPECT_EQ(at({50, 100}, false, false), (Point{-55, 10}));  // x is not checked
}

TEST(PageReports, ClientCallJsText) {
  EXPECT_EQ(ClientCallJsText(kMouseRightDown, MouseReportValues(Point{100, 200}, false)),
            "2,100,200,0");
  EXPECT_EQ(ClientCallJsText(kMouseRightUp, MouseReportValues(Point{-3, 0}, true)), "3,-3,0,1");
  EXPECT_EQ(ClientCallJsText(7), "7");
  EXPECT_EQ(ClientCallJsText(7, std::string_view("")), "7,");
  EXPECT_EQ(ClientCallJsText(-1, std::string(100, 'v')), "-1," + std::string(63, 'v'));
}

// ---------------------------------------------------------------------------------------------
// GM chat button's blink

TEST(Chat, BlinkAlternatesFromTheThirdImage) {
  EXPECT_EQ(BlinkImageOrder(true), (std::array<int, 3>{2, 1, 0}));
  EXPECT_EQ(BlinkImageOrder(false), (std::array<int, 3>{0, 1, 2}));
}
