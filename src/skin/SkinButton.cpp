#include "skin/SkinButton.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

#include "core/platform/CodePage.h"
#include "skin/ImageCut.h"
#include "skin/PixelRegion.h"
#include "skin/QtConvert.h"
#include "skin/UrlOpener.h"

namespace {
using skin::ToQt;
constexpr unsigned kVisibleStyle = 0x10000000u;
const QRgb kMaskKey = qRgb(255, 0, 255);

std::optional<QImage> Take(const QImage* image) {
  if (!image || image->isNull()) return std::nullopt;
  return *image;
}

// The button's shape: every mask pixel that is not the key colour.
QRegion ShapeFromMask(const QImage& mask) {
  return RegionWhere(mask, [](QRgb pixel) { return (pixel & 0xFFFFFFu) != (kMaskKey & 0xFFFFFFu); });
}
}  // namespace

CxSkinButton::CxSkinButton(QWidget* parent) : QAbstractButton(parent) {
  captionColour = palette().color(QPalette::ButtonText);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_Hover, false);
  // Connected first, so the link opens before the owner hears of the click.
  connect(this, &QAbstractButton::clicked, this, &CxSkinButton::OnClicked);
}

CxSkinButton::~CxSkinButton() = default;

bool CxSkinButton::Create(const std::string& caption, unsigned style, const QRect& rect,
                          QWidget* parent, int id) {
  if (!parent) return false;
  setParent(parent);
  mode = skin::ButtonModeFromStyle(style);
  setText(ToQt(caption));
  setGeometry(rect);
  controlId = id;
  setObjectName(QStringLiteral("control%1").arg(id));
  setProperty("controlId", id);
  if (style & kVisibleStyle) show();
  return true;
}

void CxSkinButton::SetImages(const QImage* normal, const QImage* down, const QImage* over,
                             const QImage* disabled, const QImage* focus, const QImage* mask,
                             int drawModeValue, int borderFlag, int margin) {
  normalImage = Take(normal);
  downImage = Take(down);
  overImage = Take(over);
  focusImage = Take(focus);
  disabledImage = disabled && !disabled->isNull() ? Take(disabled) : normalImage;
  maskImage.reset();
  drawMode = skin::ClampDrawMode(drawModeValue);
  border = borderFlag;
  focusMargin = skin::ClampFocusMargin(margin);
  if (mask && !mask->isNull()) {
    maskImage = *mask;
    const QRegion shape = ShapeFromMask(*mask);
    // An all-key mask hides the button entirely.
    setMask(shape.isEmpty() ? QRegion(-1, -1, 1, 1) : shape);
    if (drawMode == skin::DrawMode::Unscaled) resize(mask->size());
  }
  update();
}

void CxSkinButton::SetTipText(const std::string& text) { setToolTip(ToQt(text)); }

QColor CxSkinButton::SetCaptionColour(const QColor& colour) {
  const QColor previous = captionColour;
  captionColour = colour;
  update();
  return previous;
}

void CxSkinButton::SetLink(const std::string& text) {
  linkUrl = skin::LinkFromSetting(text);
  linkFromPage = false;
}

void CxSkinButton::SetPageLink(const std::string& address) {
  linkUrl = skin::LinkFromSetting(address);
  linkFromPage = true;
}

void CxSkinButton::SetCheck(bool check) {
  checked = mode == skin::ButtonMode::Push ? false : check;
  if (checked && mode == skin::ButtonMode::Radio) ClearRadioSiblings();
  update();
}

void CxSkinButton::ClearRadioSiblings() {
  if (!parentWidget()) return;
  for (QObject* object : parentWidget()->children()) {
    auto* other = qobject_cast<CxSkinButton*>(object);
    if (!other || other == this || other->mode != skin::ButtonMode::Radio || !other->checked)
      continue;
    other->checked = false;
    other->update();
  }
}

void CxSkinButton::OnClicked() {
  pressTracking = false;
  if (!linkUrl.empty())
    skin::OpenUrl(linkUrl, linkFromPage ? skin::LinkOrigin::Page : skin::LinkOrigin::Package);
  emit Command(controlId);
}

void CxSkinButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && hovering) hovering = false;
  QAbstractButton::mousePressEvent(event);
  if (event->button() == Qt::LeftButton) pressTracking = true;
}

void CxSkinButton::mouseMoveEvent(QMouseEvent* event) {
  if (!(pressTracking && (event->buttons() & Qt::LeftButton)) && !hovering) {
    hovering = true;
    update();
  }
  // While held, the base keeps the pushed look following the cursor.
  QAbstractButton::mouseMoveEvent(event);
}

void CxSkinButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && mode != skin::ButtonMode::Push &&
      rect().contains(event->position().toPoint()))
    SetCheck(mode == skin::ButtonMode::Toggle ? !checked : true);
  if (event->button() == Qt::LeftButton) pressTracking = false;
  QAbstractButton::mouseReleaseEvent(event);
}

void CxSkinButton::mouseDoubleClickEvent(QMouseEvent* event) {
  // A double click is a second press: two clicks, never a double-click notification.
  mousePressEvent(event);
}

void CxSkinButton::leaveEvent(QEvent* event) {
  hovering = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void CxSkinButton::focusOutEvent(QFocusEvent* event) {
  pressTracking = false;
  QAbstractButton::focusOutEvent(event);
}

void CxSkinButton::keyPressEvent(QKeyEvent* event) {
  if (mode != skin::ButtonMode::Push && event->key() == Qt::Key_Space && !event->isAutoRepeat())
    SetCheck(mode == skin::ButtonMode::Toggle ? !checked : true);
  QAbstractButton::keyPressEvent(event);
}

QSize CxSkinButton::sizeHint() const {
  return normalImage ? normalImage->size() : QSize(0, 0);
}

CxSkinButton::Look CxSkinButton::CurrentLook() const {
  if (!isEnabled()) return Look::Disabled;
  if (isDown() || checked) return Look::Pressed;
  if (!normalImage) return Look::Normal;
  if (hovering && overImage) return Look::Over;
  if (hasFocus() && focusImage) return Look::Focus;
  return Look::Normal;
}

void CxSkinButton::DrawImage(QPainter& painter, const QImage& image, const QRect& r) const {
  QImage shown = image;
  if (maskImage) {
    // Black mask pixels show the image; the rest keeps what lies below.
    const QSize size = drawMode == skin::DrawMode::Stretched ? r.size() : image.size();
    shown = image.scaled(size).convertToFormat(QImage::Format_ARGB32);
    const QImage m = maskImage->scaled(size).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < shown.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(shown.scanLine(y));
      const auto* mrow = reinterpret_cast<const QRgb*>(m.constScanLine(y));
      for (int x = 0; x < shown.width(); ++x)
        if ((mrow[x] & 0xFFFFFFu) != 0) row[x] = 0;
    }
  }
  switch (drawMode) {
    case skin::DrawMode::Tiled:
      painter.drawTiledPixmap(r, QPixmap::fromImage(shown));
      break;
    case skin::DrawMode::Unscaled:
      painter.drawImage(r.topLeft(), shown,
                        QRect(0, 0, qMin(r.width(), shown.width()), qMin(r.height(), shown.height())));
      break;
    case skin::DrawMode::Stretched:
      painter.drawImage(r, shown);
      break;
  }
}

QFont CxSkinButton::CaptionFont() const { return QApplication::font("QMenu"); }

void CxSkinButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(CaptionFont());
  const QRect r = rect();
  const QColor face = palette().color(QPalette::Button);
  QRect t = r.adjusted(CaptionMargin(), 0, -CaptionMargin(), 0);
  const int flags = Qt::AlignCenter | Qt::TextSingleLine;

  switch (CurrentLook()) {
    case Look::Disabled:
      if (disabledImage) DrawImage(painter, *disabledImage, r);
      else painter.fillRect(r, face);
      if (border) qDrawShadePanel(&painter, r, palette(), false, 2);
      painter.setPen(palette().color(QPalette::Light));
      painter.drawText(t, flags, text());
      t.translate(-1, -1);
      painter.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
      painter.drawText(t, flags, text());
      return;
    case Look::Pressed:
      if (downImage) DrawImage(painter, *downImage, r);
      else painter.fillRect(r, face);
      t.translate(1, 1);
      if (border) qDrawShadePanel(&painter, r, palette(), true, 2);
      break;
    case Look::Over:
      DrawImage(painter, *overImage, r);
      if (border) qDrawShadePanel(&painter, r, palette(), false, 2);
      break;
    case Look::Focus:
      DrawImage(painter, *focusImage, r);
      if (border) qDrawShadePanel(&painter, r, palette(), false, 2);
      break;
    case Look::Normal:
      if (normalImage) DrawImage(painter, *normalImage, r);
      else painter.fillRect(r, face);
      if (border) qDrawShadePanel(&painter, r, palette(), false, 2);
      break;
  }
  if (hasFocus() && focusMargin > 0) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = r.adjusted(focusMargin, focusMargin, -focusMargin, -focusMargin);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
  painter.setPen(captionColour);
  painter.drawText(t, flags, text());
}

std::array<QImage, 3> CutButtonImages(const QImage& style, const GamePicItem& picture) {
  const std::array<skin::Rect, 3> sources = skin::ButtonImageSources(picture);
  std::array<QImage, 3> images;
  // Each image has the picture's size, wherever its area lies; a top past the 32-bit range
  // saturates and stays outside the image.
  for (std::size_t k = 0; k < 3; ++k)
    images[k] =
        skin::CutImage(style, sources[k].left, sources[k].top, picture.width, picture.height);
  return images;
}
