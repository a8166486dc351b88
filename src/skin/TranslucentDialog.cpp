#include "skin/TranslucentDialog.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWindow>

#include "core/skin/SkinRules.h"
#include "skin/PixelRegion.h"
#include "skin/StandardDialog.h"
#include "skin/desktop/Windowing.h"

namespace {
skin::Rect ToRect(const QRect& r) { return skin::Rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

// Where the surface has any alpha, the window takes the mouse; elsewhere it goes below.
QRegion RegionFromAlpha(const QImage& image) {
  return RegionWhere(image, [](QRgb pixel) { return qAlpha(pixel) != 0; });
}
}  // namespace

CTranslucentDialog::CTranslucentDialog(int templateId, QImage artworkImage, QWidget* parent)
    : QDialog(parent), templateId(templateId), artwork(std::move(artworkImage)) {
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_NoSystemBackground);
}

CTranslucentDialog::~CTranslucentDialog() {
  // The inner dialog's window goes before the frame's.
  innerDialog.reset();
  widgets.clear();
}

QRect CTranslucentDialog::WorkArea() const {
  QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  return s ? s->availableGeometry() : QRect();
}

bool CTranslucentDialog::Create() {
  if (created) return createResult;
  created = true;
  createResult = OnCreate();
  if (createResult) OnInitDialog();
  return createResult;
}

int CTranslucentDialog::DoModal() {
  if (!Create()) return -1;
  return exec();
}

bool CTranslucentDialog::OnCreate() {
  const int w = artwork.width();
  const int h = artwork.height();
  QPoint topLeft = pos();
  if (centreOnCreate) {
    const skin::Point p = skin::CentreInWorkArea(w, h, ToRect(WorkArea()));
    topLeft = QPoint(p.x, p.y);
  }
  // Where the compositor places every window, a second window cannot be kept over the frame:
  // the inner dialog becomes part of the frame's own window.
  const bool pair = platform::TopLevelsPlaceThemselves();
  winId();
  innerDialog.reset(MakeInnerDialog());
  if (innerDialog && !pair) {
    innerDialog->EmbedInOwner();
    connect(innerDialog.get(), &CStandardDialog::ShapeChanged, this, &CTranslucentDialog::UpdateShape);
  }
  if (innerDialog) innerDialog->CreateAndShow();
  setGeometry(QRect(topLeft, QSize(w, h)));
  // A size of its own that never changes: tiling compositors float such a window.
  if (!pair) setFixedSize(w, h);
  if (innerDialog) {
    innerDialog->resize(w, h);
    innerDialog->move(pair ? topLeft : QPoint(0, 0));
  }
  return true;
}

bool CTranslucentDialog::OnInitDialog() {
  blend = BlendFunction{0, 0, 255, 1};
  CreateWidgets();
  RefreshLayer();
  return true;
}

void CTranslucentDialog::AddWidget(ITranslucentWidget* widget) {
  if (!widget) return;
  widget->SetRenderListener(this);
  widgets.push_back(widget);
}

void CTranslucentDialog::OnWidgetChanged(ITranslucentWidget*) {
  if (!refreshSuspended) RefreshLayer();
}

void CTranslucentDialog::RefreshLayer() {
  const int w = artwork.width();
  const int h = artwork.height();
  QImage next(w, h, QImage::Format_ARGB32_Premultiplied);
  if (next.isNull()) return;  // the previous picture stays
  next.fill(Qt::transparent);
  {
    QPainter painter(&next);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(0, 0, w, h), artwork);
    for (ITranslucentWidget* widget : widgets)
      if (widget->IsVisible()) widget->Draw(painter);
  }
  surface = std::move(next);
  surfaceRegion = RegionFromAlpha(surface);
  UpdateShape();
  update();
}

void CTranslucentDialog::UpdateShape() {
  QRegion shown = surfaceRegion;
  if (innerDialog && innerDialog->IsEmbedded())
    shown += innerDialog->CurrentShape().translated(innerDialog->pos()) & rect();
  // An empty mask would mean "no mask"; a region outside the window means "nothing".
  setMask(shown.isEmpty() ? QRegion(-1, -1, 1, 1) : shown);
}

void CTranslucentDialog::done(int result) {
  QDialog::done(result);
  if (innerDialog && innerDialog->isVisible()) innerDialog->hide();
}

void CTranslucentDialog::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillRect(rect(), Qt::transparent);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.setOpacity(blend.constantAlpha / 255.0);
  painter.drawImage(0, 0, surface);
}

void CTranslucentDialog::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  // A move by the window manager's own loop is held in the work area as well.
  if (isVisible() && dragMove) {
    const skin::Rect held = skin::ClampToWorkArea(ToRect(geometry()), ToRect(WorkArea()));
    if (held.left != x() || held.top != y()) {
      move(held.left, held.top);
      return;
    }
  }
  if (innerDialog && !innerDialog->IsEmbedded()) innerDialog->move(pos());
}

void CTranslucentDialog::MoveClamped(const QPoint& topLeft) {
  const skin::Rect r = skin::ClampToWorkArea(ToRect(QRect(topLeft, size())), ToRect(WorkArea()));
  move(r.left, r.top);
}

void CTranslucentDialog::mousePressEvent(QMouseEvent* event) {
  if (dragMove && event->button() == Qt::LeftButton) {
    QWindow* window = windowHandle();
    if (window && window->startSystemMove()) {
      manualDrag = false;
    } else {
      manualDrag = true;
      dragStartGlobal = event->globalPosition().toPoint();
      dragStartPos = pos();
    }
  }
  QDialog::mousePressEvent(event);
}

void CTranslucentDialog::mouseMoveEvent(QMouseEvent* event) {
  if (manualDrag && (event->buttons() & Qt::LeftButton))
    MoveClamped(dragStartPos + (event->globalPosition().toPoint() - dragStartGlobal));
  QDialog::mouseMoveEvent(event);
}

void CTranslucentDialog::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) manualDrag = false;
  QDialog::mouseReleaseEvent(event);
}
