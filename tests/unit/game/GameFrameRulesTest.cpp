#include <gtest/gtest.h>

#include "core/game/GameFrameRules.h"

#include "GameRulesTestSupport.h"

using namespace game;
using namespace gamerules_test;

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
// Sizing and layout

TEST(Sizing, DraggingKeepsTheMinimum) {
  // The left border dragged to make the window 100 wide: the right edge moves.
  EXPECT_EQ(ClampSizingRect(Rect{700, 100, 800, 700}, 800, 500), (Rect{700, 100, 1500, 700}));
  EXPECT_EQ(ClampSizingRect(Rect{0, 400, 900, 450}, 800, 500), (Rect{0, 400, 900, 900}));
  EXPECT_EQ(ClampSizingRect(Rect{0, 0, 900, 600}, 800, 500), (Rect{0, 0, 900, 600}));
}

TEST(Sizing, DraggedBordersFollowThePointerWithinTheMinimum) {
  const Rect start{100, 100, 1100, 800};
  const struct {
    int hit, dx, dy;
    Rect expected;
  } cases[] = {
      {game::kHitLeft, -50, 30, {50, 100, 1100, 800}},
      {game::kHitRight, 40, 30, {100, 100, 1140, 800}},
      {game::kHitTop, 10, -20, {100, 80, 1100, 800}},
      {game::kHitBottomRight, 20, 30, {100, 100, 1120, 830}},
      {game::kHitTopLeft, 10, 10, {110, 110, 1100, 800}},
      // Below the minimum: the right and bottom edges give way, the dragged edge stays put.
      {game::kHitLeft, 900, 0, {1000, 100, 1800, 800}},
      {game::kHitBottom, 0, -500, {100, 100, 1100, 600}},
      // No border: nothing moves.
      {game::kHitClient, 50, 50, start},
  };
  for (const auto& c : cases)
    EXPECT_EQ(game::DraggedSizingRect(start, c.hit, c.dx, c.dy, 800, 500), c.expected) << c.hit;
}

TEST(Layout, BrowserBetweenThePieces) {
  EXPECT_EQ(BrowserRectForState(1000, 800, kFrame, true), (Rect{0, 30, 1000, 800}));
  EXPECT_EQ(BrowserRectForState(1000, 800, kFrame, false), (Rect{5, 30, 995, 794}));
}
