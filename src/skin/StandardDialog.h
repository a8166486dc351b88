#pragma once
// The inner dialog of a translucent pair: hosts real controls over the frame; its background is
// the key colour, transparent to sight and to the mouse, so the frame shows and is reached there.
// So is every pixel of exactly the key colour that its controls show (a page, button art).
#include <QDialog>
#include <QImage>
#include <QRegion>
#include <QRgb>
#include <QTimer>
#include <string>

#include "core/config/FixedText.h"

class CStandardDialog : public QDialog {
  Q_OBJECT

 public:
  CStandardDialog(int templateId, QRgb colourKey, QWidget* parent);
  ~CStandardDialog() override;

  // Keeps at most 255 characters.
  void SetStartText(const std::string& text);
  const char* GetStartText() const { return startText.c_str(); }
  void SetFrame(QWidget* frameDialog) { frame = frameDialog; }
  QWidget* GetFrame() const { return frame; }
  QRgb GetColourKey() const { return colourKey; }
  int GetTemplateId() const { return templateId; }

  // Creates the window over its owner, runs OnInitDialog and shows it; false when the
  // initialisation stopped early (the window stays with what was made).
  bool CreateAndShow();
  // Before CreateAndShow: lives inside its owner's window, covering it from the top-left
  // corner, instead of as a window of its own over it (where windows cannot place themselves).
  void EmbedInOwner();
  bool IsEmbedded() const { return embedded; }
  // The part of the dialog that is seen and takes the mouse, in its own coordinates.
  const QRegion& CurrentShape() const { return currentMask; }

  // Finishing closes the owner first, so the pair always ends together.
  virtual void OnOK();
  virtual void OnCancel();

  void accept() override { OnOK(); }
  void reject() override { OnCancel(); }

 protected:
  virtual bool OnInitDialog();

  void paintEvent(QPaintEvent* event) override;
  void childEvent(QChildEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 public:
  // The window's shape: where its controls show something other than the key colour. Only
  // there is the window seen and does it take the mouse; elsewhere the frame below shows and
  // gets it. Controls change their faces by themselves (a page repaints): the shape follows
  // when they do, and nothing is done while nothing changes.
  void UpdateInputMask();
  // How often the shape has been worked out (tests: nothing is done at rest).
  int ShapeUpdates() const { return shapeUpdates; }
  // The part of a control's face `face`, placed at `at`, that is not the key colour.
  static QRegion ShownRegion(const QImage& face, QRgb colourKey, const QPoint& at);

 signals:
  void ShapeChanged();

 private:
  // The mask is brought up to date once the current burst of child changes is over.
  void ScheduleInputMask();
  // A control repainted: the mask follows at once after a quiet spell, then at most every
  // kShapeSettleMs while the control goes on repainting.
  void ScheduleAfterRepaint();
  void Watch(QObject* object);
  void CloseOwner();

  int templateId;
  QRgb colourKey;
  QWidget* frame = nullptr;
  FixedText<256> startText;
  bool initDialogResult = true;
  bool maskPending = false;
  bool updatingMask = false;  // grabbing a control sends it events that would ask again
  QRegion currentMask;
  QTimer* repaintTimer = nullptr;
  bool repaintedSinceMask = false;
  int shapeUpdates = 0;
  bool embedded = false;
};
