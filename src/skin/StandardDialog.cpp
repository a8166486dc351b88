#include "skin/StandardDialog.h"

#include <QChildEvent>
#include <QCloseEvent>
#include <QPainter>
#include <QRegion>
#include <QTimerEvent>
#include <QWindow>

#include "skin/PixelRegion.h"

namespace {
// How often the shape follows what the controls show while the window is up.
constexpr int kShapeRefreshMs = 200;
}  // namespace

CStandardDialog::CStandardDialog(int templateId, QRgb colourKey, QWidget* parent)
    : QDialog(parent), templateId(templateId), colourKey(colourKey) {
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_TranslucentBackground);
  setModal(false);
  UpdateInputMask();
}

CStandardDialog::~CStandardDialog() = default;

void CStandardDialog::SetStartText(const std::string& text) { startText = text; }

bool CStandardDialog::CreateAndShow() {
  if (QWidget* owner = parentWidget()) {
    // The owner's native window must exist so that this one is transient for it.
    owner->winId();
    move(owner->pos());
  }
  winId();
  initDialogResult = OnInitDialog();
  UpdateInputMask();
  show();
  return initDialogResult;
}

bool CStandardDialog::OnInitDialog() {
  UpdateInputMask();
  return true;
}

void CStandardDialog::paintEvent(QPaintEvent*) {
  // The background stays transparent: the key colour is never drawn.
}

void CStandardDialog::childEvent(QChildEvent* event) {
  QDialog::childEvent(event);
  if (!event->child()->isWidgetType()) return;
  if (event->added()) {
    event->child()->installEventFilter(this);
  } else if (event->removed()) {
    event->child()->removeEventFilter(this);
  }
  ScheduleInputMask();
}

bool CStandardDialog::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
      if (watched->parent() == this) ScheduleInputMask();
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void CStandardDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  ScheduleInputMask();
}

void CStandardDialog::ScheduleInputMask() {
  // Children come and move in bursts (a whole row of buttons at set-up): one mask per burst,
  // not one per change, which would make creating n children cost n squared.
  if (maskPending) return;
  maskPending = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (maskPending) UpdateInputMask();
      },
      Qt::QueuedConnection);
}

QRegion CStandardDialog::ShownRegion(const QImage& face, QRgb colourKey, const QPoint& at) {
  const QRgb key = colourKey & RGB_MASK;
  return RegionWhere(face, [key](QRgb pixel) {
           return qAlpha(pixel) != 0 && (pixel & RGB_MASK) != key;
         }).translated(at);
}

void CStandardDialog::UpdateInputMask() {
  maskPending = false;
  if (updatingMask) return;
  updatingMask = true;
  QRegion shown;
  for (QObject* object : children()) {
    auto* child = qobject_cast<QWidget*>(object);
    if (!child || child->isWindow() || child->isHidden()) continue;
    if (child->width() <= 0 || child->height() <= 0) continue;
    shown += ShownRegion(child->grab().toImage(), colourKey, child->pos());
  }
  updatingMask = false;
  // An empty mask would mean "no mask"; a region outside the window means "nothing".
  if (shown.isEmpty()) shown = QRegion(-1, -1, 1, 1);
  if (shown == currentMask) return;
  currentMask = shown;
  setMask(shown);
}

void CStandardDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (maskTimer == 0) maskTimer = startTimer(kShapeRefreshMs);
  ScheduleInputMask();
}

void CStandardDialog::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (maskTimer != 0) killTimer(maskTimer);
  maskTimer = 0;
}

void CStandardDialog::timerEvent(QTimerEvent* event) {
  if (event->timerId() != maskTimer) {
    QDialog::timerEvent(event);
    return;
  }
  UpdateInputMask();
}

void CStandardDialog::CloseOwner() {
  if (QWidget* owner = parentWidget()) owner->close();
}

void CStandardDialog::OnOK() {
  CloseOwner();
  QDialog::done(QDialog::Accepted);
}

void CStandardDialog::OnCancel() {
  CloseOwner();
  QDialog::done(QDialog::Rejected);
}
