#include <gtest/gtest.h>

#include <string>

#include "core/game/GameButtonRules.h"
#include "core/game/GameStateRules.h"

#include "GameRulesTestSupport.h"

using namespace game;
using namespace gamerules_test;

// ---------------------------------------------------------------------------------------------
// Window states and sizes

TEST(WindowStates, MinimumAndFirstNormalRect) {
  EXPECT_EQ(MinimumExtent(1280, 1024), 1024);
  EXPECT_EQ(MinimumExtent(600, 700), 600);

  EXPECT_EQ(FirstNormalRect(Rect{0, 0, 1920, 1040}, 1280, 800), (Rect{320, 120, 1600, 920}));
  // Narrower than the minimum: x is 0 and the window is wider than the work area.
  EXPECT_EQ(FirstNormalRect(Rect{0, 0, 1024, 1040}, 1280, 800), (Rect{0, 120, 1280, 920}));
  // Only the work area's size counts, not its origin; odd remainders truncate.
  EXPECT_EQ(FirstNormalRect(Rect{200, 30, 1481, 831}, 1000, 600), (Rect{140, 100, 1140, 700}));
}

TEST(WindowStates, FullScreenRectangle) {
  // Frameless: the window rectangle is the client rectangle.
  EXPECT_EQ(FullScreenRect(Rect{320, 120, 1600, 920}, Rect{320, 120, 1600, 920}, 1920, 1080),
            (Rect{0, 0, 1920, 1080}));
  EXPECT_EQ(FullScreenRect(Rect{10, 10, 110, 110}, Rect{14, 40, 106, 106}, 800, 600),
            (Rect{-4, -30, 804, 604}));
}

TEST(WindowStates, TitleBandDoubleClickAndTray) {
  EXPECT_FALSE(IsTitleBandDoubleClick(0, 0, 30));
  EXPECT_TRUE(IsTitleBandDoubleClick(1, 0, 30));
  EXPECT_TRUE(IsTitleBandDoubleClick(29, 0, 30));
  EXPECT_FALSE(IsTitleBandDoubleClick(30, 0, 30));
  EXPECT_TRUE(IsTitleBandDoubleClick(45, 40, 30));

  EXPECT_TRUE(TrayClickShowsWindow(TrayClick::LeftUp));
  EXPECT_TRUE(TrayClickShowsWindow(TrayClick::LeftDoubleClick));
  EXPECT_TRUE(TrayClickShowsWindow(TrayClick::RightUp));
  EXPECT_FALSE(TrayClickShowsWindow(TrayClick::Other));
  EXPECT_EQ(TrayTip("game"), "game");
  EXPECT_EQ(TrayTip(std::string(80, 'x')).size(), 63u);
  // A double-byte character across the tip's last byte is left out whole.
  EXPECT_EQ(TrayTip(std::string(62, 'x') + "\xD6\xD0"), std::string(62, 'x'));
}

TEST(WindowStates, ButtonVisibility) {
  EXPECT_EQ(StateButtonShow(kTypeRestore, true), ButtonShow::Show);
  EXPECT_EQ(StateButtonShow(kTypeFill, true), ButtonShow::Hide);
  EXPECT_EQ(StateButtonShow(kTypeRestore, false), ButtonShow::Hide);
  EXPECT_EQ(StateButtonShow(kTypeFill, false), ButtonShow::Show);
  EXPECT_EQ(StateButtonShow(kTypeFullScreen, true), ButtonShow::Keep);

  EXPECT_FALSE(ShownOnLeavingFullScreen(kTypeUserName, false));
  EXPECT_FALSE(ShownOnLeavingFullScreen(kTypeGmChat, true));
  EXPECT_TRUE(ShownOnLeavingFullScreen(kTypeGmChat, false));
  EXPECT_TRUE(ShownOnLeavingFullScreen(kTypeFill, true));
}
