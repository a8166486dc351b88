#pragma once
// The game window's painted frame: the eight pieces cut from the style image and their sizes, how
// they are painted around the page, and what a point on them means (the hit test).
#include <QImage>
#include <QPoint>
#include <QRect>
#include <array>
#include <vector>

#include "core/game/GameFrameRules.h"

class QPainter;
struct GamePicItem;

class CFrameSkin {
 public:
  // Cuts the pieces that `edgeImages` (edgeImage1..8) name among `pictures` from `style`. A
  // piece has its picture's size even where its area leaves the image.
  void Cut(const QImage& style, const std::vector<int>& edgeImages,
           const std::vector<GamePicItem>& pictures);
  // Paints the pieces around the page of a width x height window in its state.
  void Paint(QPainter& painter, int width, int height, bool maximized, bool fullScreen) const;
  // The hit-test code of a screen point for a window at `geometry` (screen) in its state.
  int HitTest(const QPoint& globalPos, const QRect& geometry, bool maximized,
              bool fullScreen) const;

  const game::FrameSizes& Sizes() const { return frameSizes; }
  // Piece 1..8; a null image for another number or a piece that no picture names.
  const QImage& Piece(int piece) const;

 private:
  std::array<QImage, game::kPieceCount + 1> edgeBitmaps;  // pieces 1..8; 0 unused
  game::FrameSizes frameSizes;
};
