#include "windows/game/FrameSkin.h"

#include <QPainter>

#include "core/config/LauncherConfig.h"
#include "skin/ImageCut.h"
#include "skin/QtConvert.h"

void CFrameSkin::Cut(const QImage& style, const std::vector<int>& edgeImages,
                     const std::vector<GamePicItem>& pictures) {
  const game::FrameCut cut = game::CutFramePieces(edgeImages, pictures);
  for (int i = 1; i <= game::kPieceCount; ++i) {
    const game::Rect& source = cut.sources[i - 1];
    edgeBitmaps[i] = cut.present[i - 1] ? skin::CutImage(style, source.left, source.top,
                                                         cut.sizes.W(i), cut.sizes.H(i))
                                        : QImage();
  }
  frameSizes = cut.sizes;
}

void CFrameSkin::Paint(QPainter& painter, int width, int height, bool maximized,
                       bool fullScreen) const {
  for (const game::PieceDraw& draw :
       game::FramePaintPlan(frameSizes, width, height, maximized, fullScreen)) {
    const QImage& piece = Piece(draw.piece);
    if (!piece.isNull()) painter.drawImage(skin::ToQRect(draw.destination), piece);
  }
}

int CFrameSkin::HitTest(const QPoint& globalPos, const QRect& geometry, bool maximized,
                        bool fullScreen) const {
  return game::HitTest({globalPos.x(), globalPos.y()}, skin::ToRect(geometry), frameSizes,
                       maximized, fullScreen);
}

const QImage& CFrameSkin::Piece(int piece) const {
  static const QImage none;
  return piece >= 1 && piece <= game::kPieceCount ? edgeBitmaps[piece] : none;
}
