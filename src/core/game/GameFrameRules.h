#pragma once
// Pure rules of the game window's frame: the pieces cut from the style image, where they are
// painted in each state, the hit test of the painted frame with its cursors and drags, and the
// browser's place between the pieces. No Qt.

#include <array>
#include <vector>

#include "core/config/LauncherConfig.h"
#include "core/skin/SkinRules.h"

namespace game {

using Rect = skin::Rect;
using Point = skin::Point;

// (left, top, left + width, top + height); settings may hold any 32-bit numbers, so the sums
// saturate instead of overflowing.
Rect RectOfSize(int left, int top, int width, int height);

// ---------------------------------------------------------------------------------------------
// Frame pieces (numbered 1..8: corners 1 3 6 8, edges 2 top, 4 left, 5 right, 7 bottom)

constexpr int kPieceCount = 8;

// Width and height of each frame piece; a piece without a picture is 0 x 0.
struct FrameSizes {
  std::array<int, kPieceCount> widths{};   // piece i at [i - 1]
  std::array<int, kPieceCount> heights{};
  int W(int piece) const { return widths[piece - 1]; }
  int H(int piece) const { return heights[piece - 1]; }
};

// Where each piece comes from in the style image.
struct FrameCut {
  std::array<bool, kPieceCount> present{};  // false: edgeImage<i> names no picture; nothing to cut
  std::array<Rect, kPieceCount> sources{};  // area of the style image, piece i at [i - 1]
  FrameSizes sizes;
};

// Piece i is picture edgeImages[i-1] (counted from 1). A number naming no picture (0, negative,
// beyond the list, or a missing edgeImage entry) leaves that piece empty and reads nothing.
FrameCut CutFramePieces(const std::vector<int>& edgeImages, const std::vector<GamePicItem>& pictures);

// Destination of piece i (at [i - 1]) in the normal state, for a client area of cw x ch.
std::array<Rect, kPieceCount> FramePieceDestinations(const FrameSizes& sizes, int cw, int ch);

struct PieceDraw {
  int piece = 0;  // 1..8
  Rect destination;
};

// The pieces to stretch onto the window, in painting order: none in full screen, only piece 2
// across (0, 0, cw, H2) when filling the work area, else all eight in the order 1 3 2 4 5 6 8 7.
std::vector<PieceDraw> FramePaintPlan(const FrameSizes& sizes, int cw, int ch, bool maximized,
                                      bool fullScreen);

// ---------------------------------------------------------------------------------------------
// Hit test and cursors (Windows hit-test codes)

enum HitCode : int {
  kHitClient = 1,
  kHitCaption = 2,
  kHitSysMenu = 3,
  kHitMenu = 5,
  kHitLeft = 10,
  kHitRight = 11,
  kHitTop = 12,
  kHitTopLeft = 13,
  kHitTopRight = 14,
  kHitBottom = 15,
  kHitBottomLeft = 16,
  kHitBottomRight = 17,
};

// The hit code of screen point p on a window at `window` (screen coordinates). Client everywhere
// in full screen or when filling the work area; there is no top sizing edge: the top band moves.
int HitTest(Point p, const Rect& window, const FrameSizes& sizes, bool maximized, bool fullScreen);

enum class CursorShape { Arrow, SizeVertical, SizeHorizontal, SizeNwSe, SizeNeSw };
CursorShape CursorForHit(int hitCode);

// Edges a press on a sizing code drags, as a bit set; 0 for move or client codes.
enum ResizeEdge : int { kEdgeLeft = 1, kEdgeTop = 2, kEdgeRight = 4, kEdgeBottom = 8 };
int ResizeEdgesForHit(int hitCode);
// A press on this code moves the window.
bool IsMoveHit(int hitCode);

// ---------------------------------------------------------------------------------------------
// Sizing and layout

// A rectangle proposed while the border is dragged, widened/heightened at its right/bottom edge
// to the minimum size.
Rect ClampSizingRect(const Rect& proposed, int minWidth, int minHeight);

// The window's rectangle while the border hit as `hitCode` is dragged by (dx, dy) from `start`:
// the hit edges follow the pointer, then the minimum size holds (ClampSizingRect).
Rect DraggedSizingRect(const Rect& start, int hitCode, int dx, int dy, int minWidth, int minHeight);

// The browser's rectangle in a ww x wh window: below the top band across the full width when
// filling the work area, else inside pieces 4, 2, 5 and 7.
Rect BrowserRectForState(int ww, int wh, const FrameSizes& sizes, bool maximized);

}  // namespace game
