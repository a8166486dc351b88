#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/GameRules.h"
#include "platform/CodePage.h"

using namespace game;

namespace {

GamePicItem Pic(int x, int y, int w, int h, int interval = 0) {
  GamePicItem p;
  p.x = x;
  p.y = y;
  p.width = w;
  p.height = h;
  p.interval = interval;
  return p;
}

GameButtonItem Button(int type, int x, int y = 0, int shortCut = 0, int w = 0, int h = 0) {
  GameButtonItem b;
  b.type = type;
  b.x = x;
  b.y = y;
  b.shortCut = shortCut;
  b.width = w;
  b.height = h;
  return b;
}

MenuItem Menu(int type, int shortCut) {
  MenuItem m;
  m.type = type;
  m.shortCut = shortCut;
  return m;
}

PageArg Str(const std::string& text) {
  PageArg a;
  a.kind = PageArg::Kind::String;
  a.text = text;
  return a;
}

FrameSizes Sizes(std::array<int, 8> w, std::array<int, 8> h) {
  FrameSizes s;
  s.widths = w;
  s.heights = h;
  return s;
}

// Frame of the usual shape: corners 10 x 10, top band 30 high, side edges 5 wide, bottom 6 high.
const FrameSizes kFrame = Sizes({10, 1, 10, 5, 5, 10, 1, 10}, {10, 30, 10, 1, 1, 10, 6, 10});

std::string Utf8(const std::string& system) { return codepage::SystemToUtf8(system); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Frame pieces

TEST(FramePieces, CutFromNamedPictures) {
  std::vector<GamePicItem> pictures;
  for (int i = 1; i <= 9; ++i) pictures.push_back(Pic(i * 100, i, i, 10 * i));
  pictures[2] = Pic(40, 50, 10, 30);  // picture 3
  const FrameCut cut = CutFramePieces({1, 3, 2, 4, 5, 6, 7, 9}, pictures);
  for (bool present : cut.present) EXPECT_TRUE(present);
  EXPECT_EQ(cut.sources[1], (Rect{40, 50, 50, 80}));  // piece 2 from picture 3
  EXPECT_EQ(cut.sizes.W(2), 10);
  EXPECT_EQ(cut.sizes.H(2), 30);  // the top band, and the caption, are 30 high
  EXPECT_EQ(cut.sources[7], (Rect{900, 9, 909, 99}));
  EXPECT_EQ(cut.sizes.W(8), 9);
  EXPECT_EQ(HitTest({500, 30}, Rect{0, 0, 1000, 800}, cut.sizes, false, false), kHitCaption);
  EXPECT_EQ(HitTest({500, 31}, Rect{0, 0, 1000, 800}, cut.sizes, false, false), kHitClient);
}

TEST(FramePieces, NumbersNamingNoPictureLeaveThePieceEmpty) {
  const std::vector<GamePicItem> pictures = {Pic(0, 0, 4, 4), Pic(4, 0, 6, 6)};
  // 0, negative, beyond the list, huge; only pieces 1..6 configured.
  const FrameCut cut = CutFramePieces({0, -1, 3, 2147483647, 1, 2}, pictures);
  const bool expected[8] = {false, false, false, false, true, true, false, false};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(cut.present[i], expected[i]) << "piece " << i + 1;
    if (!expected[i]) {
      EXPECT_EQ(cut.sizes.widths[i], 0);
      EXPECT_EQ(cut.sizes.heights[i], 0);
      EXPECT_EQ(cut.sources[i], Rect{});
    }
  }
  EXPECT_EQ(cut.sizes.W(6), 6);
  // The default 9 needs nine pictures.
  EXPECT_FALSE(CutFramePieces(std::vector<int>(8, 9), pictures).present[0]);
}

TEST(FramePieces, DestinationsInTheNormalState) {
  // Bottom corners of different widths: the bottom edge runs between them.
  const FrameSizes s = Sizes({10, 1, 12, 5, 7, 8, 1, 20}, {11, 30, 13, 1, 1, 14, 6, 16});
  const auto d = FramePieceDestinations(s, 1000, 800);
  EXPECT_EQ(d[0], (Rect{0, 0, 10, 11}));
  EXPECT_EQ(d[1], (Rect{10, 0, 988, 30}));
  EXPECT_EQ(d[2], (Rect{988, 0, 1000, 13}));
  EXPECT_EQ(d[3], (Rect{0, 11, 5, 786}));
  EXPECT_EQ(d[4], (Rect{993, 13, 1000, 784}));
  EXPECT_EQ(d[5], (Rect{0, 786, 8, 800}));
  EXPECT_EQ(d[6], (Rect{8, 794, 980, 800}));
  EXPECT_EQ(d[7], (Rect{980, 784, 1000, 800}));
}

TEST(FramePieces, PaintPlanPerState) {
  EXPECT_TRUE(FramePaintPlan(kFrame, 1000, 800, false, true).empty());
  EXPECT_TRUE(FramePaintPlan(kFrame, 1000, 800, true, true).empty());

  const auto filled = FramePaintPlan(kFrame, 1000, 800, true, false);
  ASSERT_EQ(filled.size(), 1u);
  EXPECT_EQ(filled[0].piece, 2);
  EXPECT_EQ(filled[0].destination, (Rect{0, 0, 1000, 30}));  // the full width

  const auto normal = FramePaintPlan(kFrame, 1000, 800, false, false);
  const auto destinations = FramePieceDestinations(kFrame, 1000, 800);
  const int order[] = {1, 3, 2, 4, 5, 6, 8, 7};
  ASSERT_EQ(normal.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(normal[i].piece, order[i]);
    EXPECT_EQ(normal[i].destination, destinations[order[i] - 1]);
  }
}

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
// Hit test and cursors

TEST(HitTest, Table) {
  const Rect w{100, 50, 1100, 850};
  const struct {
    Point p;
    bool maximized, fullScreen;
    int code;
  } cases[] = {
      {{105, 55}, true, false, kHitClient},   // filling the work area: never moved or sized
      {{105, 55}, false, true, kHitClient},   // full screen
      {{105, 55}, true, true, kHitClient},
      {{105, 55}, false, false, kHitTopLeft},  // on the top band 5 from the left end
      {{110, 60}, false, false, kHitTopLeft},  // bounds included
      {{111, 60}, false, false, kHitCaption},
      {{1090, 60}, false, false, kHitTopRight},
      {{1089, 60}, false, false, kHitCaption},
      {{110, 840}, false, false, kHitBottomLeft},
      {{1090, 840}, false, false, kHitBottomRight},
      {{105, 400}, false, false, kHitLeft},
      {{106, 400}, false, false, kHitClient},
      {{1095, 400}, false, false, kHitRight},
      {{600, 844}, false, false, kHitBottom},
      {{600, 843}, false, false, kHitClient},
      {{600, 50}, false, false, kHitCaption},  // no top sizing edge
      {{600, 80}, false, false, kHitCaption},
      {{600, 81}, false, false, kHitClient},
      {{600, 49}, false, false, kHitClient},   // above the window
  };
  for (const auto& c : cases)
    EXPECT_EQ(HitTest(c.p, w, kFrame, c.maximized, c.fullScreen), c.code)
        << c.p.x << "," << c.p.y << " max " << c.maximized << " full " << c.fullScreen;
}

TEST(HitTest, CursorsAndDrags) {
  const struct {
    int code;
    CursorShape cursor;
    int edges;
    bool move;
  } cases[] = {
      {kHitClient, CursorShape::Arrow, 0, false},
      {kHitCaption, CursorShape::Arrow, 0, true},
      {kHitSysMenu, CursorShape::Arrow, 0, false},
      {kHitMenu, CursorShape::Arrow, 0, false},
      {kHitTop, CursorShape::SizeVertical, kEdgeTop, false},
      {kHitBottom, CursorShape::SizeVertical, kEdgeBottom, false},
      {kHitLeft, CursorShape::SizeHorizontal, kEdgeLeft, false},
      {kHitRight, CursorShape::SizeHorizontal, kEdgeRight, false},
      {kHitTopLeft, CursorShape::SizeNwSe, kEdgeTop | kEdgeLeft, false},
      {kHitBottomRight, CursorShape::SizeNwSe, kEdgeBottom | kEdgeRight, false},
      {kHitTopRight, CursorShape::SizeNeSw, kEdgeTop | kEdgeRight, false},
      {kHitBottomLeft, CursorShape::SizeNeSw, kEdgeBottom | kEdgeLeft, false},
      {0, CursorShape::Arrow, 0, false},
      {99, CursorShape::Arrow, 0, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CursorForHit(c.code), c.cursor) << c.code;
    EXPECT_EQ(ResizeEdgesForHit(c.code), c.edges) << c.code;
    EXPECT_EQ(IsMoveHit(c.code), c.move) << c.code;
  }
}

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

TEST(WindowStates, SizingKeepsTheMinimum) {
  // The left border dragged to make the window 100 wide: the right edge moves.
  EXPECT_EQ(ClampSizingRect(Rect{700, 100, 800, 700}, 800, 500), (Rect{700, 100, 1500, 700}));
  EXPECT_EQ(ClampSizingRect(Rect{0, 400, 900, 450}, 800, 500), (Rect{0, 400, 900, 900}));
  EXPECT_EQ(ClampSizingRect(Rect{0, 0, 900, 600}, 800, 500), (Rect{0, 0, 900, 600}));
}

TEST(WindowStates, BrowserAndFullScreenRectangles) {
  EXPECT_EQ(BrowserRectForState(1000, 800, kFrame, true), (Rect{0, 30, 1000, 800}));
  EXPECT_EQ(BrowserRectForState(1000, 800, kFrame, false), (Rect{5, 30, 995, 794}));
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

TEST(WindowStates, ButtonVisibilityAndHotKey) {
  EXPECT_EQ(StateButtonShow(kTypeRestore, true), ButtonShow::Show);
  EXPECT_EQ(StateButtonShow(kTypeFill, true), ButtonShow::Hide);
  EXPECT_EQ(StateButtonShow(kTypeRestore, false), ButtonShow::Hide);
  EXPECT_EQ(StateButtonShow(kTypeFill, false), ButtonShow::Show);
  EXPECT_EQ(StateButtonShow(kTypeFullScreen, true), ButtonShow::Keep);

  EXPECT_FALSE(ShownOnLeavingFullScreen(kTypeUserName, false));
  EXPECT_FALSE(ShownOnLeavingFullScreen(kTypeGmChat, true));
  EXPECT_TRUE(ShownOnLeavingFullScreen(kTypeGmChat, false));
  EXPECT_TRUE(ShownOnLeavingFullScreen(kTypeFill, true));

  ShortcutTable t;
  t.fill(Operation::None);
  EXPECT_EQ(HotKeyDecision(t, true), HotKeyAction::Nothing);
  EXPECT_EQ(HotKeyDecision(t, false), HotKeyAction::ShowFromTray);
  t[kHotKeySlot] = Operation::MinimizeToTray;
  EXPECT_EQ(HotKeyDecision(t, true), HotKeyAction::RunSlot);
  EXPECT_EQ(HotKeyDecision(t, false), HotKeyAction::ShowFromTray);
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
// GM chat window

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

TEST(Chat, BlinkAlternatesFromTheThirdImage) {
  EXPECT_EQ(BlinkImageOrder(true), (std::array<int, 3>{2, 1, 0}));
  EXPECT_EQ(BlinkImageOrder(false), (std::array<int, 3>{0, 1, 2}));
}
