#pragma once
// A dialog whose face is an image with per-pixel alpha, paired with an inner dialog that
// carries the controls and follows it exactly.
#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <cstdint>
#include <memory>
#include <vector>

class CStandardDialog;
class ITranslucentWidget;
class QPainter;

class IRenderListener {
 public:
  virtual ~IRenderListener() = default;
  virtual void OnWidgetChanged(ITranslucentWidget* widget) = 0;
};

// A drawing held by a translucent frame and composed into its surface after the artwork.
class ITranslucentWidget {
 public:
  virtual ~ITranslucentWidget() = default;
  virtual bool IsVisible() const = 0;
  virtual void SetRenderListener(IRenderListener* listener) = 0;
  virtual void Draw(QPainter& painter) = 0;  // at the widget's own position
};

// How the surface is blended with the screen: source-over, per-pixel alpha.
struct BlendFunction {
  std::uint8_t operation = 0;
  std::uint8_t flags = 0;
  std::uint8_t constantAlpha = 255;
  std::uint8_t alphaFormat = 1;
};

class CTranslucentDialog : public QDialog, public IRenderListener {
  Q_OBJECT

 public:
  CTranslucentDialog(int templateId, QImage artwork, QWidget* parent);
  ~CTranslucentDialog() override;

  // Window creation and initialisation (once): places the frame, makes and shows the inner
  // dialog, composes the first surface. False when the window could not be made.
  bool Create();
  // The modal run; creates the window first when needed.
  int DoModal();

  // Composes the surface (transparent, artwork, visible widgets in order) and shows it.
  void RefreshLayer();
  void OnWidgetChanged(ITranslucentWidget* widget) override;

  // Widgets are not owned; the frame becomes their listener.
  void AddWidget(ITranslucentWidget* widget);

  const QImage& GetArtwork() const { return artwork; }
  const QImage& GetSurface() const { return surface; }
  const BlendFunction& GetBlend() const { return blend; }
  CStandardDialog* GetInnerDialog() const { return innerDialog.get(); }
  int GetTemplateId() const { return templateId; }

  // Moves the frame as a drag would, with the work-area clamp; the inner dialog follows.
  void MoveClamped(const QPoint& topLeft);

  // Ending the frame's run takes the inner dialog off the screen with it.
  void done(int result) override;

 protected:
  // Returns a new inner dialog with this frame as parent, not yet created, or null for none.
  virtual CStandardDialog* MakeInnerDialog() = 0;
  // Constructs and attaches the frame's widgets, before the first composition.
  virtual void CreateWidgets() = 0;

  virtual bool OnCreate();
  virtual bool OnInitDialog();

  void paintEvent(QPaintEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

  bool dragMove = true;
  bool centreOnCreate = true;
  bool refreshSuspended = false;

 private:
  QRect WorkArea() const;
  // The frame's own shape: where the surface shows, with an embedded inner dialog's shape.
  void UpdateShape();

  int templateId;
  BlendFunction blend;
  QImage artwork;
  QImage surface;
  QRegion surfaceRegion;
  std::unique_ptr<CStandardDialog> innerDialog;
  std::vector<ITranslucentWidget*> widgets;
  bool created = false;
  bool createResult = false;
  // Manual drag where the window manager cannot move windows for us.
  bool manualDrag = false;
  QPoint dragStartGlobal;
  QPoint dragStartPos;
};
