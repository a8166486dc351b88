#pragma once
// The image button of every skinned window: a picture per state, a caption over it, an optional
// tooltip and web address, and two values for its owner (kind and index).
#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/skin/SkinRules.h"

class CxSkinButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit CxSkinButton(QWidget* parent = nullptr);
  ~CxSkinButton() override;

  // Creates the button as a child of `parent` at `rect` with `controlId`; `style` gives the mode
  // (push, toggle, radio) as the low bits of a button style.
  bool Create(const std::string& caption, unsigned style, const QRect& rect, QWidget* parent,
              int controlId);

  // Null images are "none". A missing disabled image falls back to the normal one.
  void SetImages(const QImage* normal, const QImage* down, const QImage* over,
                 const QImage* disabled = nullptr, const QImage* focus = nullptr,
                 const QImage* mask = nullptr, int drawMode = 1, int border = 0,
                 int focusMargin = 0);
  void SetTipText(const std::string& text);
  QColor SetCaptionColour(const QColor& colour);  // returns the previous colour
  void SetLink(const std::string& text);           // from the package; ';' becomes '&'
  void SetPageLink(const std::string& address);    // set by a page: http/https only
  void SetKind(std::uint8_t value) { kind = value; }
  std::uint8_t GetKind() const { return kind; }
  void SetIndex(int value) { index = value; }
  int GetIndex() const { return index; }
  void SetCheck(bool check);
  bool GetCheck() const { return checked; }

  const std::string& GetLink() const { return linkUrl; }
  int GetControlId() const { return controlId; }
  skin::ButtonMode GetMode() const { return mode; }
  skin::DrawMode GetDrawMode() const { return drawMode; }
  int GetFocusMargin() const { return focusMargin; }
  // The caption's font and the room the caption leaves on each side of the button.
  QFont CaptionFont() const;
  int CaptionMargin() const { return focusMargin + 2; }
  bool IsHovering() const { return hovering; }
  QColor GetCaptionColour() const { return captionColour; }

  // The state picture the next drawing shows (for the owner and for tests).
  enum class Look { Disabled, Pressed, Over, Focus, Normal };
  Look CurrentLook() const;

  QSize sizeHint() const override;

 signals:
  // After the button's own handling of a click (link opened): the owner's notification.
  void Command(int controlId);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnClicked();
  void DrawImage(QPainter& painter, const QImage& image, const QRect& r) const;
  void ClearRadioSiblings();

  std::string linkUrl;
  bool linkFromPage = false;
  bool checked = false;
  skin::ButtonMode mode = skin::ButtonMode::Push;
  bool hovering = false;
  bool pressTracking = false;
  std::optional<QImage> normalImage, downImage, disabledImage, maskImage, overImage, focusImage;
  int focusMargin = 0;
  QColor captionColour;
  int border = 0;
  std::uint8_t kind = 0;
  skin::DrawMode drawMode = skin::DrawMode::Stretched;
  int index = 0;
  int controlId = 0;
};

// The normal, pressed and hovered images of a button picture, cut from the style image.
std::array<QImage, 3> CutButtonImages(const QImage& style, const GamePicItem& picture);
