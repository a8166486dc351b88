// The game window's frame as the window uses it: the layout of the page and buttons inside the
// painted frame (CFrameSkin), the frame's cursors, and moving and sizing by it.
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWindow>

#include "core/config/LauncherConfig.h"
#include "core/game/GameFrameRules.h"
#include "skin/QtConvert.h"
#include "web/WebBrowser.h"
#include "windows/game/GameDialog.h"

using skin::ToQRect;
using skin::ToRect;

namespace {

Qt::CursorShape ToQtCursor(game::CursorShape shape) {
  switch (shape) {
    case game::CursorShape::SizeVertical:
      return Qt::SizeVerCursor;
    case game::CursorShape::SizeHorizontal:
      return Qt::SizeHorCursor;
    case game::CursorShape::SizeNwSe:
      return Qt::SizeFDiagCursor;
    case game::CursorShape::SizeNeSw:
      return Qt::SizeBDiagCursor;
    case game::CursorShape::Arrow:
      break;
  }
  return Qt::ArrowCursor;
}

Qt::Edges ToQtEdges(int edges) {
  Qt::Edges result;
  if (edges & game::kEdgeLeft) result |= Qt::LeftEdge;
  if (edges & game::kEdgeTop) result |= Qt::TopEdge;
  if (edges & game::kEdgeRight) result |= Qt::RightEdge;
  if (edges & game::kEdgeBottom) result |= Qt::BottomEdge;
  return result;
}

}  // namespace

void CGameDialog::LayoutChildren() {
  PlaceButtons();
  if (browser != nullptr) browser->setGeometry(BrowserRectNow());
  update();
}

QRect CGameDialog::BrowserRectNow() const {
  if (fullScreen) return QRect(QPoint(0, 0), fullScreenRect.size());
  return ToQRect(game::BrowserRectForState(width(), height(), frameSkin.Sizes(), maximized));
}

void CGameDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (!layoutReady) return;
  if (!fullScreen) LayoutChildren();
  if (browser != nullptr) browser->update();
}

void CGameDialog::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  OnPaint(painter);
}

void CGameDialog::OnPaint(QPainter& painter) {
  painter.fillRect(rect(), Qt::black);
  if (fullScreen) return;
  frameSkin.Paint(painter, width(), height(), maximized, fullScreen);
  titleBand.Paint(painter);
}

int CGameDialog::OnNcHitTest(const QPoint& globalPos) const {
  return frameSkin.HitTest(globalPos, geometry(), maximized, fullScreen);
}

void CGameDialog::OnSetCursor(int hitCode) { setCursor(ToQtCursor(game::CursorForHit(hitCode))); }

void CGameDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QDialog::mousePressEvent(event);
    return;
  }
  const QPoint global = event->globalPosition().toPoint();
  const int code = OnNcHitTest(global);
  const int edges = game::ResizeEdgesForHit(code);
  QWindow* window = windowHandle();
  dragCode = 0;
  if (game::IsMoveHit(code)) {
    if (!window || !window->startSystemMove()) dragCode = code;
  } else if (edges != 0) {
    if (!window || !window->startSystemResize(ToQtEdges(edges))) dragCode = code;
  }
  if (dragCode != 0) {
    // No window manager to hand the drag to: the window follows the mouse itself.
    dragStart = global;
    dragStartGeometry = geometry();
  }
  QDialog::mousePressEvent(event);
}

void CGameDialog::mouseMoveEvent(QMouseEvent* event) {
  const QPoint global = event->globalPosition().toPoint();
  if (dragCode != 0 && (event->buttons() & Qt::LeftButton)) {
    const QPoint delta = global - dragStart;
    if (game::IsMoveHit(dragCode)) {
      move(dragStartGeometry.topLeft() + delta);
    } else {
      setGeometry(ToQRect(game::DraggedSizingRect(ToRect(dragStartGeometry), dragCode, delta.x(),
                                                   delta.y(), minWidth, minHeight)));
    }
  } else {
    OnSetCursor(OnNcHitTest(global));
  }
  QDialog::mouseMoveEvent(event);
}

void CGameDialog::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragCode = 0;
  QDialog::mouseReleaseEvent(event);
}
