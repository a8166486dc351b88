#include "core/game/GameFrameRules.h"

#include <algorithm>
#include <climits>

namespace game {

namespace {

int Saturate(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

Rect RectOfSize(int left, int top, int width, int height) {
  return Rect{left, top, Saturate(static_cast<long long>(left) + width),
              Saturate(static_cast<long long>(top) + height)};
}

// ---------------------------------------------------------------------------------------------
// Frame pieces

FrameCut CutFramePieces(const std::vector<int>& edgeImages, const std::vector<GamePicItem>& pictures) {
  FrameCut cut;
  for (int i = 0; i < kPieceCount; ++i) {
    if (static_cast<std::size_t>(i) >= edgeImages.size()) break;
    const long long k = static_cast<long long>(edgeImages[i]) - 1;
    if (k < 0 || k >= static_cast<long long>(pictures.size())) continue;
    const GamePicItem& p = pictures[static_cast<std::size_t>(k)];
    cut.present[i] = true;
    cut.sources[i] = RectOfSize(p.x, p.y, p.width, p.height);
    cut.sizes.widths[i] = p.width;
    cut.sizes.heights[i] = p.height;
  }
  return cut;
}

std::array<Rect, kPieceCount> FramePieceDestinations(const FrameSizes& s, int cw, int ch) {
  return {{
      RectOfSize(0, 0, s.W(1), s.H(1)),
      RectOfSize(s.W(1), 0, cw - s.W(1) - s.W(3), s.H(2)),
      RectOfSize(cw - s.W(3), 0, s.W(3), s.H(3)),
      RectOfSize(0, s.H(1), s.W(4), ch - s.H(1) - s.H(6)),
      RectOfSize(cw - s.W(5), s.H(3), s.W(5), ch - s.H(3) - s.H(8)),
      RectOfSize(0, ch - s.H(6), s.W(6), s.H(6)),
      RectOfSize(s.W(6), ch - s.H(7), cw - s.W(6) - s.W(8), s.H(7)),
      RectOfSize(cw - s.W(8), ch - s.H(8), s.W(8), s.H(8)),
  }};
}

std::vector<PieceDraw> FramePaintPlan(const FrameSizes& sizes, int cw, int ch, bool maximized,
                                      bool fullScreen) {
  if (fullScreen) return {};
  if (maximized) return {PieceDraw{2, Rect{0, 0, cw, sizes.H(2)}}};
  const auto destinations = FramePieceDestinations(sizes, cw, ch);
  std::vector<PieceDraw> plan;
  for (int piece : {1, 3, 2, 4, 5, 6, 8, 7}) plan.push_back(PieceDraw{piece, destinations[piece - 1]});
  return plan;
}

// ---------------------------------------------------------------------------------------------
// Hit test and cursors

int HitTest(Point p, const Rect& w, const FrameSizes& s, bool maximized, bool fullScreen) {
  if (fullScreen || maximized) return kHitClient;
  const int x = p.x;
  const int y = p.y;
  if (x <= w.left + s.W(1) && y <= w.top + s.H(1)) return kHitTopLeft;
  if (x >= w.right - s.W(3) && y <= w.top + s.H(3)) return kHitTopRight;
  if (x <= w.left + s.W(6) && y >= w.bottom - s.H(6)) return kHitBottomLeft;
  if (x >= w.right - s.W(8) && y >= w.bottom - s.H(8)) return kHitBottomRight;
  if (x <= w.left + s.W(4)) return kHitLeft;
  if (x >= w.right - s.W(5)) return kHitRight;
  if (y >= w.bottom - s.H(7)) return kHitBottom;
  if (y >= w.top && y <= w.top + s.H(2)) return kHitCaption;
  return kHitClient;
}

CursorShape CursorForHit(int hitCode) {
  switch (hitCode) {
    case kHitTop:
    case kHitBottom:
      return CursorShape::SizeVertical;
    case kHitLeft:
    case kHitRight:
      return CursorShape::SizeHorizontal;
    case kHitTopLeft:
    case kHitBottomRight:
      return CursorShape::SizeNwSe;
    case kHitTopRight:
    case kHitBottomLeft:
      return CursorShape::SizeNeSw;
    default:
      return CursorShape::Arrow;
  }
}

int ResizeEdgesForHit(int hitCode) {
  switch (hitCode) {
    case kHitLeft: return kEdgeLeft;
    case kHitRight: return kEdgeRight;
    case kHitTop: return kEdgeTop;
    case kHitBottom: return kEdgeBottom;
    case kHitTopLeft: return kEdgeTop | kEdgeLeft;
    case kHitTopRight: return kEdgeTop | kEdgeRight;
    case kHitBottomLeft: return kEdgeBottom | kEdgeLeft;
    case kHitBottomRight: return kEdgeBottom | kEdgeRight;
    default: return 0;
  }
}

bool IsMoveHit(int hitCode) { return hitCode == kHitCaption; }

// ---------------------------------------------------------------------------------------------
// Sizing and layout

Rect ClampSizingRect(const Rect& proposed, int minWidth, int minHeight) {
  Rect r = proposed;
  if (r.width() < minWidth) r.right = r.left + minWidth;
  if (r.height() < minHeight) r.bottom = r.top + minHeight;
  return r;
}

Rect DraggedSizingRect(const Rect& start, int hitCode, int dx, int dy, int minWidth, int minHeight) {
  const int edges = ResizeEdgesForHit(hitCode);
  Rect r = start;
  if (edges & kEdgeLeft) r.left += dx;
  if (edges & kEdgeRight) r.right += dx;
  if (edges & kEdgeTop) r.top += dy;
  if (edges & kEdgeBottom) r.bottom += dy;
  return ClampSizingRect(r, minWidth, minHeight);
}

Rect BrowserRectForState(int ww, int wh, const FrameSizes& s, bool maximized) {
  if (maximized) return RectOfSize(0, s.H(2), ww, wh - s.H(2));
  return RectOfSize(s.W(4), s.H(2), ww - s.W(4) - s.W(5), wh - s.H(2) - s.H(7));
}

}  // namespace game
