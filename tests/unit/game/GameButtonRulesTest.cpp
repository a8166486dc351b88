#include <gtest/gtest.h>

#include <vector>

#include "core/game/GameButtonRules.h"

#include "GameRulesTestSupport.h"

using namespace game;
using namespace gamerules_test;

// ---------------------------------------------------------------------------------------------
// Game buttons

TEST(ButtonTypes, Table) {
  const struct {
    int type;
    Operation click, shortcut;
    int drawMode;
    bool hidden, link;
  } cases[] = {
      {1, Operation::OpenLink, Operation::None, 0, false, true},
      {2, Operation::None, Operation::None, 0, false, false},
      {5, Operation::CloseChatAndConfirmRestart, Operation::CloseChatAndConfirmRestart, 0, false, false},
      {6, Operation::FillWorkArea, Operation::FillWorkArea, 0, false, false},
      {7, Operation::Minimize, Operation::Minimize, 0, false, false},
      {8, Operation::MinimizeToTray, Operation::MinimizeToTray, 0, false, false},
      {9, Operation::None, Operation::None, 0, false, false},
      {10, Operation::RestoreNormal, Operation::RestoreNormal, 0, false, false},
      {11, Operation::ToggleFullScreen, Operation::ToggleFullScreen, 0, false, false},
      {12, Operation::OpenLink, Operation::None, 0, false, true},
      {13, Operation::None, Operation::None, 1, true, false},
      {14, Operation::OpenChatWindow, Operation::None, 1, true, false},
      {15, Operation::ReloadGamePage, Operation::None, 0, false, false},
      {16, Operation::ConfirmClearCache, Operation::None, 0, false, false},
      {17, Operation::None, Operation::None, 0, false, false},
      {18, Operation::None, Operation::None, 0, false, false},
      {0, Operation::None, Operation::None, 0, false, false},
      {-3, Operation::None, Operation::None, 0, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ButtonIdForType(c.type), 180 + c.type);
    EXPECT_EQ(ButtonClickOperation(c.type), c.click) << c.type;
    EXPECT_EQ(ButtonShortcutOperation(c.type), c.shortcut) << c.type;
    EXPECT_EQ(ButtonDrawMode(c.type), c.drawMode) << c.type;
    EXPECT_EQ(ButtonStartsHidden(c.type), c.hidden) << c.type;
    EXPECT_EQ(ButtonHasLink(c.type), c.link) << c.type;
  }
}

TEST(ButtonTypes, MenusAndOutsideCommands) {
  EXPECT_EQ(MenuShortcutOperation(1), Operation::ConfirmRestart);
  EXPECT_EQ(MenuShortcutOperation(2), Operation::ConfirmClearCache);
  EXPECT_EQ(MenuShortcutOperation(3), Operation::ToggleFullScreen);
  EXPECT_EQ(MenuShortcutOperation(0), Operation::None);
  EXPECT_EQ(MenuShortcutOperation(4), Operation::None);

  EXPECT_EQ(OutsideCommandOperation(1526), Operation::ConfirmRestart);
  EXPECT_EQ(OutsideCommandOperation(1527), Operation::ConfirmClearCache);
  EXPECT_EQ(OutsideCommandOperation(1528), Operation::ToggleFullScreen);
  EXPECT_EQ(OutsideCommandOperation(1529), Operation::None);
  EXPECT_EQ(OutsideCommandOperation(1530), Operation::MinimizeToTray);
  EXPECT_EQ(OutsideCommandOperation(1526 | (1 << 16)), Operation::None);  // a notification code
  EXPECT_EQ(OutsideCommandOperation(186), Operation::None);
}

TEST(Buttons, PictureAndImages) {
  const std::vector<GamePicItem> pictures = {Pic(0, 0, 1, 1), Pic(10, 20, 30, 16, 2)};
  GameButtonItem b = Button(6, -60);
  for (int image : {0, -1, 3, 100}) {
    b.image = image;
    EXPECT_EQ(ButtonPicture(b, pictures), nullptr) << image;
  }
  b.image = 2;
  ASSERT_EQ(ButtonPicture(b, pictures), &pictures[1]);
  const auto images = ButtonImageSources(pictures[1]);
  EXPECT_EQ(images[0], (Rect{10, 20, 40, 36}));  // normal
  EXPECT_EQ(images[1], (Rect{10, 38, 40, 54}));  // pressed, `interval` below
  EXPECT_EQ(images[2], (Rect{10, 56, 40, 72}));  // hovered
}

TEST(Buttons, CreatedAndPlacedRectangles) {
  const GamePicItem p = Pic(0, 0, 24, 18);
  const Rect work{0, 40, 1920, 1080};
  EXPECT_EQ(InitialButtonRect(Button(6, -60, 5), p, work), (Rect{1860, 45, 1884, 63}));
  // Type 13 takes its own x, not an offset from the right.
  EXPECT_EQ(InitialButtonRect(Button(13, 300, 5), p, work), (Rect{300, 45, 324, 63}));
  EXPECT_EQ(InitialCheckBoxRect(Rect{1860, 45, 1884, 63}), (Rect{1840, 45, 1855, 63}));

  const FrameSizes s = Sizes({0, 0, 0, 5, 8, 0, 0, 0}, {0, 30, 0, 0, 0, 0, 0, 0});
  const GameButtonItem fill = Button(6, -60, 4, 0, 24, 18);
  EXPECT_EQ(PlacedButtonRect(fill, 1000, s, false), (Rect{932, 4, 956, 22}));
  EXPECT_EQ(PlacedButtonRect(fill, 1000, s, true), (Rect{940, 4, 964, 22}));
  const GameButtonItem name = Button(13, 300, 4, 0, 24, 18);
  EXPECT_EQ(PlacedButtonRect(name, 1000, s, false), (Rect{305, 4, 329, 22}));
  EXPECT_EQ(PlacedButtonRect(name, 1000, s, true), (Rect{300, 4, 324, 22}));
  EXPECT_EQ(PlacedCheckBoxRect(Rect{932, 4, 956, 22}), (Rect{912, 7, 926, 21}));
}

// ---------------------------------------------------------------------------------------------
// Shortcuts

TEST(Shortcuts, LaterTypesAndMenusWin) {
  // Types 5 and 10 on F3: type 10 comes later in the order.
  const std::vector<GameButtonItem> buttons = {Button(10, 0, 0, 3), Button(5, 0, 0, 3),
                                               Button(8, 0, 0, 9),  Button(1, 0, 0, 4),
                                               Button(6, 0, 0, 0),  Button(7, 0, 0, 13),
                                               Button(11, 0, 0, 12)};
  ShortcutTable t = BuildShortcutTable(buttons, {});
  EXPECT_EQ(t[3], Operation::RestoreNormal);
  EXPECT_EQ(t[9], Operation::MinimizeToTray);
  EXPECT_EQ(t[4], Operation::None);  // link buttons bind nothing
  EXPECT_EQ(t[12], Operation::ToggleFullScreen);
  EXPECT_EQ(t[0], Operation::None);  // shortCut 0 and 13 bind nothing

  t = BuildShortcutTable(buttons, {Menu(2, 3), Menu(4, 12), Menu(3, 5)});
  EXPECT_EQ(t[3], Operation::ConfirmClearCache);
  EXPECT_EQ(t[5], Operation::ToggleFullScreen);
  EXPECT_EQ(t[12], Operation::ToggleFullScreen);  // menu type 4 binds nothing, keeps the slot

  // Menu order 2, 1, 3: type 3 wins a shared slot, whatever the record order.
  t = BuildShortcutTable({}, {Menu(3, 1), Menu(1, 1), Menu(2, 1)});
  EXPECT_EQ(t[1], Operation::ToggleFullScreen);
  // Among records of one type the later record wins.
  t = BuildShortcutTable({Button(6, 0, 0, 2), Button(6, 0, 0, 2)}, {Menu(1, 2), Menu(1, 7)});
  EXPECT_EQ(t[2], Operation::ConfirmRestart);
  EXPECT_EQ(t[7], Operation::ConfirmRestart);
}

TEST(Shortcuts, FunctionKeys) {
  ShortcutTable t;
  t.fill(Operation::None);
  t[3] = Operation::RestoreNormal;
  t[9] = Operation::MinimizeToTray;
  EXPECT_EQ(FunctionKeySlot(0x70), 1);
  EXPECT_EQ(FunctionKeySlot(0x7B), 12);
  EXPECT_EQ(FunctionKeySlot(0x6F), 0);
  EXPECT_EQ(FunctionKeySlot(0x7C), 0);  // F13
  EXPECT_EQ(FunctionKeyOperation(t, 0x72), Operation::RestoreNormal);
  EXPECT_EQ(FunctionKeyOperation(t, 0x78), Operation::None);  // F9 belongs to the hot key
  EXPECT_EQ(FunctionKeyOperation(t, 0x74), Operation::None);  // F5 unbound
  EXPECT_EQ(FunctionKeyOperation(t, 'D'), Operation::None);
}

TEST(Keys, GameWindowFilter) {
  const struct {
    int key;
    bool chatNoted;
    KeyDecision decision;
  } cases[] = {
      {0x70, false, KeyDecision::Consumed},  {0x74, false, KeyDecision::Consumed},
      {0x78, false, KeyDecision::Consumed},  {0x7B, true, KeyDecision::Consumed},
      {0x0D, false, KeyDecision::NotConsumed}, {0x0D, true, KeyDecision::Base},
      {0x1B, false, KeyDecision::NotConsumed}, {0x1B, true, KeyDecision::NotConsumed},
      {'A', false, KeyDecision::Base},       {0x7C, false, KeyDecision::Base},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GameKeyFilter(c.key, c.chatNoted), c.decision) << c.key << " " << c.chatNoted;
}

// ---------------------------------------------------------------------------------------------
// Hot key

TEST(HotKey, RunsItsSlotOrShowsTheWindow) {
  ShortcutTable t;
  t.fill(Operation::None);
  EXPECT_EQ(HotKeyDecision(t, true), HotKeyAction::Nothing);
  EXPECT_EQ(HotKeyDecision(t, false), HotKeyAction::ShowFromTray);
  t[kHotKeySlot] = Operation::MinimizeToTray;
  EXPECT_EQ(HotKeyDecision(t, true), HotKeyAction::RunSlot);
  EXPECT_EQ(HotKeyDecision(t, false), HotKeyAction::ShowFromTray);
}

// ---------------------------------------------------------------------------------------------
// GM chat button

TEST(Chat, ButtonFitsTheGmNameWithoutCoveringItsNeighbours) {
  GameButtonItem chat = Button(kTypeGmChat, -100, 2, 0, 30, 20);  // right edge at -70
  const std::vector<Rect> none;
  const std::vector<Rect> left = {Rect{-160, 2, -130, 22}};     // ends 30 left of the chat
  const std::vector<Rect> otherRow = {Rect{-160, 40, -80, 60}};  // below: not a neighbour
  const std::vector<Rect> right = {Rect{-60, 2, -30, 22}};       // right of it: never limits
  const struct {
    int caption;
    const std::vector<Rect>* others;
    int x, width;
  } cases[] = {
      {48, &none, -118, 48},      // grows 18 to the left, right edge kept
      {12, &none, -82, 12},       // a short name narrows it
      {48, &left, -118, 48},      // room enough before the neighbour
      {90, &left, -130, 60},      // stops at the neighbour's right edge
      {90, &otherRow, -160, 90},  // a button in other rows does not stop it
      {90, &right, -160, 90},
  };
  for (const auto& c : cases) {
    const ChatButtonFit fit = FitChatButton(chat, c.caption, *c.others);
    EXPECT_EQ(fit.x, c.x) << c.caption;
    EXPECT_EQ(fit.width, c.width) << c.caption;
    EXPECT_EQ(fit.x + fit.width, -70);
  }
  // A second naming starts from the fitted record and keeps the same right edge.
  const ChatButtonFit first = FitChatButton(chat, 48, none);
  chat.x = first.x;
  chat.width = first.width;
  const ChatButtonFit second = FitChatButton(chat, 20, none);
  EXPECT_EQ(second.x + second.width, -70);
  EXPECT_EQ(second.width, 20);
}
