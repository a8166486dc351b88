#include "skin/StandardDialog.h"

#include <QChildEvent>
#include <QCloseEvent>
#include <QPainter>
#include <QRegion>
#include <QWindow>

#include "skin/PixelRegion.h"
#include "skin/ShapeSource.h"

namespace {
// A burst of frames (an animated page) changes the shape at most this often.
constexpr int kShapeSettleMs = 150;
}  // namespace

CStandardDialog::CStandardDialog(int templateId, QRgb colourKey, QWidget* parent)
    : QDialog(parent), templateId(templateId), colourKey(colourKey) {
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_TranslucentBackground);
  setModal(false);
  repaintTimer = new QTimer(this);
  repaintTimer->setSingleShot(true);
  repaintTimer->setInterval(kShapeSettleMs);
  connect(repaintTimer, &QTimer::timeout, this, [this] {
    if (!repaintedSinceMask) return;
    repaintTimer->start();
    UpdateInputMask();
  });
  UpdateInputMask();
}

CStandardDialog::~CStandardDialog() = default;

void CStandardDialog::SetStartText(const std::string& text) { startText = text; }

void CStandardDialog::EmbedInOwner() {
  embedded = true;
  setWindowFlags(Qt::Widget);
}

bool CStandardDialog::CreateAndShow() {
  if (embedded) {
    // A native window of its own would be a separate surface with its own stacking and shape.
    move(0, 0);
  } else {
    if (QWidget* owner = parentWidget()) {
      // The owner's native window must exist so that this one is transient for it.
      owner->winId();
      move(owner->pos());
    }
    winId();
  }
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
    Watch(event->child());
  } else if (event->removed()) {
    event->child()->removeEventFilter(this);
  }
  ScheduleInputMask();
}

void CStandardDialog::Watch(QObject* object) {
  // Every widget below a control: a page draws in a widget its view makes later.
  object->installEventFilter(this);
  for (QObject* child : object->children())
    if (child->isWidgetType()) Watch(child);
}

bool CStandardDialog::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
      if (watched->parent() == this) ScheduleInputMask();
      else ScheduleAfterRepaint();
      break;
    case QEvent::ChildAdded:
      if (auto* added = static_cast<QChildEvent*>(event)->child(); added->isWidgetType()) Watch(added);
      break;
    case QEvent::Paint:
    case QEvent::UpdateRequest:
      // Grabbing a control paints it: that is no change of what it shows.
      if (!updatingMask) ScheduleAfterRepaint();
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void CStandardDialog::ScheduleAfterRepaint() {
  if (!isVisible()) return;
  if (repaintTimer->isActive()) {
    repaintedSinceMask = true;
    return;
  }
  // The first frame after a quiet spell is followed at once: black a page has just drawn would
  // otherwise show until the burst is over. Later frames of the burst wait for the timer.
  repaintTimer->start();
  ScheduleInputMask();
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
  ++shapeUpdates;
  repaintedSinceMask = false;
  QRegion shown;
  for (QObject* object : children()) {
    auto* child = qobject_cast<QWidget*>(object);
    if (!child || child->isWindow() || child->isHidden()) continue;
    if (child->width() <= 0 || child->height() <= 0) continue;
    QImage face;
    auto* source = dynamic_cast<IShapeSource*>(child);
    if (source != nullptr) {
      // A control that cannot yet give its pixels shows its whole area: never a hole where a
      // page is about to show.
      if (!source->ShownFace(&face) || LogicalSize(face) != child->size()) {
        shown += child->geometry();
        continue;
      }
    } else {
      face = child->grab().toImage();
    }
    shown += ShownRegion(face, colourKey, child->pos());
  }
  updatingMask = false;
  // An empty mask would mean "no mask"; a region outside the window means "nothing".
  if (shown.isEmpty()) shown = QRegion(-1, -1, 1, 1);
  if (shown == currentMask) return;
  currentMask = shown;
  setMask(shown);
  emit ShapeChanged();
}

void CStandardDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ScheduleInputMask();
}

void CStandardDialog::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  repaintTimer->stop();
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
