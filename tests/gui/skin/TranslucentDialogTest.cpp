// The translucent pair on a real X server: composition, geometry, what the screen shows,
// where the mouse goes, and dragging without a window manager.
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

#include "LauncherTestSupport.h"
#include "skin/PixelRegion.h"
#include "skin/StandardDialog.h"
#include "skin/TranslucentDialog.h"

namespace {
// Global points of the artwork bands relative to the frame's top-left corner.
const QPoint kClearBand(50, 150);
const QPoint kHalfBand(175, 150);
const QPoint kOpaqueBand(330, 150);
const QColor kBackground(0, 200, 0);

// A control whose face is black on its left half and one step from black on its right half.
class KeyedFace : public QWidget {
 public:
  using QWidget::QWidget;
  int presses = 0;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(0, 0, width() / 2, height(), QColor(0, 0, 0));
    painter.fillRect(width() / 2, 0, width() - width() / 2, height(), QColor(0, 0, 1));
  }
  void mousePressEvent(QMouseEvent*) override { ++presses; }
};
// The face at (260, 180) in the frame: black at (280, 200), near-black at (335, 200), both over
// opaque artwork.
const QPoint kBlackOfFace(280, 200);
const QPoint kNearBlackOfFace(335, 200);

class TestFrame : public CTranslucentDialog {
 public:
  TestFrame(QImage art, bool withInner)
      : CTranslucentDialog(1, std::move(art), nullptr), withInner(withInner) {}
  QPushButton* innerButton = nullptr;
  KeyedFace* face = nullptr;
  int widgetsCreated = 0;

 protected:
  CStandardDialog* MakeInnerDialog() override {
    if (!withInner) return nullptr;
    auto* inner = new CStandardDialog(2, qRgb(0, 0, 0), this);
    innerButton = new QPushButton("in", inner);
    innerButton->setGeometry(300, 250, 80, 30);
    face = new KeyedFace(inner);
    face->setGeometry(260, 180, 100, 40);
    return inner;
  }
  void CreateWidgets() override { ++widgetsCreated; }

 private:
  bool withInner;
};

class RectWidget : public ITranslucentWidget {
 public:
  RectWidget(QRect r, QColor c) : rect(r), colour(c) {}
  bool IsVisible() const override { return visible; }
  void SetRenderListener(IRenderListener* l) override { listener = l; }
  void Draw(QPainter& painter) override { painter.fillRect(rect, colour); }
  void Change(QColor c) {
    colour = c;
    if (listener) listener->OnWidgetChanged(this);
  }
  QRect rect;
  QColor colour;
  bool visible = true;
  IRenderListener* listener = nullptr;
};

class Background : public QWidget {
 public:
  Background() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, kBackground);
    setPalette(p);
  }
  int presses = 0;

 protected:
  void mousePressEvent(QMouseEvent*) override { ++presses; }
};

class PressCounter : public QObject {
 public:
  int presses = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress) ++presses;
    return false;
  }
};

bool Near(const QColor& a, const QColor& b, int tolerance = 10) {
  return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
         qAbs(a.blue() - b.blue()) <= tolerance;
}

QColor ScreenPixel(const QPoint& global) {
  const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
  return shot.pixelColor(global);
}

QString Describe(const QColor& c) {
  return QStringLiteral("(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

bool Xdotool(const QStringList& arguments) {
  return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}
}  // namespace

class TranslucentDialogTest : public QObject {
  Q_OBJECT

  QRect work;

 private slots:
  void initTestCase() { work = QGuiApplication::primaryScreen()->availableGeometry(); }

  void surfaceIsTransparentThenArtworkThenWidgets() {
    TestFrame frame(BandedArtwork(), false);
    RectWidget under(QRect(0, 0, 20, 20), QColor(255, 255, 0));
    RectWidget over(QRect(10, 10, 20, 20), QColor(0, 255, 255));
    RectWidget hidden(QRect(0, 0, 40, 40), QColor(255, 0, 255));
    hidden.visible = false;
    frame.AddWidget(&under);
    frame.AddWidget(&over);
    frame.AddWidget(&hidden);
    QVERIFY(frame.Create());
    QCOMPARE(frame.widgetsCreated, 1);
    QCOMPARE(frame.GetBlend().constantAlpha, 255);
    QCOMPARE(frame.GetBlend().alphaFormat, 1);
    const QImage& s = frame.GetSurface();
    QCOMPARE(s.format(), QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(s.size(), QSize(400, 300));
    QCOMPARE(qAlpha(s.pixel(kClearBand)), 0);
    const QRgb half = s.pixel(kHalfBand);  // premultiplied: colour scaled by alpha
    QVERIFY(qAbs(qAlpha(half) - 128) <= 1);
    QVERIFY(qAbs(qRed(half) - 128) <= 1);
    QCOMPARE(s.pixel(kOpaqueBand), qRgba(0, 0, 255, 255));
    QCOMPARE(s.pixel(5, 5), qRgba(255, 255, 0, 255));     // first widget
    QCOMPARE(s.pixel(15, 15), qRgba(0, 255, 255, 255));   // the later one on top
    QCOMPARE(s.pixel(35, 35), qRgba(0, 0, 0, 0));          // the hidden one is not drawn
    over.Change(QColor(0, 0, 0));
    QCOMPARE(frame.GetSurface().pixel(15, 15), qRgba(0, 0, 0, 255));
  }

  void frameIsCentredAndTheInnerDialogCoversIt() {
    TestFrame frame(BandedArtwork(), true);
    QVERIFY(frame.Create());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    const QPoint centred(work.left() + (work.width() - 400) / 2, work.top() + (work.height() - 300) / 2);
    QCOMPARE(frame.geometry(), QRect(centred, QSize(400, 300)));
    CStandardDialog* inner = frame.GetInnerDialog();
    QVERIFY(inner);
    QVERIFY(inner->isVisible());
    QCOMPARE(inner->geometry(), frame.geometry());
    QVERIFY(inner->windowHandle()->transientParent() == frame.windowHandle());

    const struct {
      QPoint proposed;
      QPoint expected;
    } moves[] = {
        {QPoint(work.left() - 50, 200), QPoint(work.left(), 200)},
        {QPoint(work.right() - 100, 200), QPoint(work.right() + 1 - 400, 200)},
        {QPoint(300, work.top() - 20), QPoint(300, work.top())},
        {QPoint(300, work.bottom() - 10), QPoint(300, work.bottom() + 1 - 300)},
        {QPoint(310, 220), QPoint(310, 220)},
    };
    for (const auto& m : moves) {
      frame.MoveClamped(m.proposed);
      QCOMPARE(frame.pos(), m.expected);
      QTRY_COMPARE(inner->pos(), m.expected);
    }
    // A move made by someone else (the window manager's move loop) is held as well.
    frame.move(work.left() - 30, 210);
    QTRY_COMPARE(frame.pos(), QPoint(work.left(), 210));
    QTRY_COMPARE(inner->pos(), frame.pos());
  }

  void screenShowsTheArtworkTranslucently() {
    QVERIFY2(!QStandardPaths::findExecutable("xcompmgr").isEmpty(),
             "xcompmgr is missing (scripts/deps.sh installs it)");
    QProcess compositor;
    compositor.start(QStringLiteral("xcompmgr"), {});
    QVERIFY(compositor.waitForStarted(5000));
    Background background;
    background.setGeometry(QGuiApplication::primaryScreen()->geometry());
    background.show();
    QVERIFY(QTest::qWaitForWindowExposed(&background));
    TestFrame frame(BandedArtwork(), true);
    QVERIFY(frame.Create());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    const QPoint origin = frame.pos();
    const QColor halfExpected(128, 100, 0);  // red at alpha 128 over the green background
    QTRY_VERIFY_WITH_TIMEOUT(Near(ScreenPixel(origin + kOpaqueBand), QColor(0, 0, 255)), 10000);
    QTRY_VERIFY2_WITH_TIMEOUT(Near(ScreenPixel(origin + kHalfBand), halfExpected),
                              qPrintable(Describe(ScreenPixel(origin + kHalfBand))), 10000);
    QVERIFY2(Near(ScreenPixel(origin + kClearBand), kBackground),
             qPrintable(Describe(ScreenPixel(origin + kClearBand))));
    frame.close();
    compositor.kill();
    compositor.waitForFinished(5000);
  }

  void mouseGoesWhereTheWindowsShowSomething() {
    QVERIFY2(!QStandardPaths::findExecutable("xdotool").isEmpty(),
             "xdotool is missing (scripts/deps.sh installs it)");
    Background background;
    background.setGeometry(QGuiApplication::primaryScreen()->geometry());
    background.show();
    QVERIFY(QTest::qWaitForWindowExposed(&background));
    TestFrame frame(BandedArtwork(), true);
    QVERIFY(frame.Create());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(QTest::qWaitForWindowExposed(frame.GetInnerDialog()));
    PressCounter framePresses;
    frame.installEventFilter(&framePresses);
    QSignalSpy innerClicks(frame.innerButton, &QPushButton::clicked);
    const QPoint origin = frame.pos();
    frame.MoveClamped(origin);  // no movement: the drag below starts from here

    // Alpha 0 of the artwork: the window below gets the click.
    const QPoint clear = origin + kClearBand;
    QVERIFY(Xdotool({"mousemove", QString::number(clear.x()), QString::number(clear.y()), "click", "1"}));
    QTRY_COMPARE(background.presses, 1);
    QCOMPARE(framePresses.presses, 0);

    // The inner dialog's child takes its own clicks.
    const QPoint child = origin + QPoint(340, 265);
    QVERIFY(Xdotool({"mousemove", QString::number(child.x()), QString::number(child.y()), "click", "1"}));
    QTRY_COMPARE(innerClicks.count(), 1);
    QCOMPARE(framePresses.presses, 0);

    // Black shown by a control is the key colour: seen through and clicked through to the frame;
    // one step from black is the control's own.
    const QPoint nearBlack = origin + kNearBlackOfFace;
    QVERIFY(Xdotool({"mousemove", QString::number(nearBlack.x()), QString::number(nearBlack.y()),
                     "click", "1"}));
    QTRY_COMPARE(frame.face->presses, 1);
    QCOMPARE(framePresses.presses, 0);
    const QPoint black = origin + kBlackOfFace;
    QVERIFY(Xdotool({"mousemove", QString::number(black.x()), QString::number(black.y()),
                     "click", "1"}));
    QTRY_COMPARE(framePresses.presses, 1);
    QCOMPARE(frame.face->presses, 1);
    QVERIFY(Near(ScreenPixel(black), QColor(0, 0, 255)));  // the frame's artwork shows
    framePresses.presses = 0;
    frame.MoveClamped(origin);

    // Artwork under the inner dialog's empty area: the frame gets the press and drags the pair.
    const QPoint opaque = origin + kOpaqueBand;
    const QPoint to = opaque + QPoint(-40, -30);
    QVERIFY(Xdotool({"mousemove", QString::number(opaque.x()), QString::number(opaque.y()),
                     "mousedown", "1"}));
    QTRY_COMPARE(framePresses.presses, 1);
    QVERIFY(Xdotool({"mousemove", QString::number(to.x()), QString::number(to.y())}));
    QTRY_COMPARE(frame.pos(), origin + QPoint(-40, -30));
    QVERIFY(Xdotool({"mouseup", "1"}));
    QTRY_COMPARE(frame.GetInnerDialog()->pos(), frame.pos());
    QCOMPARE(background.presses, 1);

    // Dragged past the left edge of the work area: held on it.
    const QPoint start = frame.pos() + kOpaqueBand;
    QVERIFY(Xdotool({"mousemove", QString::number(start.x()), QString::number(start.y()),
                     "mousedown", "1"}));
    QTRY_COMPARE(framePresses.presses, 2);
    QVERIFY(Xdotool({"mousemove", QString::number(work.left() + 5), QString::number(start.y())}));
    QTRY_COMPARE(frame.pos().x(), work.left());
    QVERIFY(Xdotool({"mouseup", "1"}));
    QTRY_COMPARE(frame.GetInnerDialog()->pos(), frame.pos());
  }

  void innerDialogEndingClosesTheFrameFirst() {
    TestFrame frame(BandedArtwork(), true);
    QVERIFY(frame.Create());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    CStandardDialog* inner = frame.GetInnerDialog();
    bool frameVisibleWhenInnerFinished = true;
    connect(inner, &QDialog::finished, this, [&] { frameVisibleWhenInnerFinished = frame.isVisible(); });
    QSignalSpy frameFinished(&frame, &QDialog::finished);
    inner->OnCancel();
    QCOMPARE(frameFinished.count(), 1);
    QVERIFY(!frameVisibleWhenInnerFinished);
    QVERIFY(!inner->isVisible());
  }

  void startTextKeeps255Characters() {
    CStandardDialog inner(2, qRgb(0, 0, 0), nullptr);
    const std::string exact(255, 'a');
    inner.SetStartText(exact);
    QCOMPARE(std::string(inner.GetStartText()), exact);
    inner.SetStartText(std::string(300, 'b'));
    QCOMPARE(std::string(inner.GetStartText()), std::string(255, 'b'));
  }

  void shapeIsExactForPlainArtwork() {
    const QImage art = BandedArtwork();
    const QRegion region = RegionWhere(art, [](QRgb p) { return qAlpha(p) != 0; });
    for (int y = 0; y < art.height(); y += 7)
      for (int x = 0; x < art.width(); x += 5)
        QCOMPARE(region.contains(QPoint(x, y)), qAlpha(art.pixel(x, y)) != 0);
  }

  void shapeOfAFaceGrabbedOnAScaledScreenIsInLogicalPixels_data() {
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QRect>("device");   // the shown device pixels of a 20 x 10 device image
    QTest::addColumn<QRect>("logical");  // the logical pixels they overlap
    QTest::newRow("2x, whole pixels") << 2.0 << QRect(4, 2, 6, 4) << QRect(2, 1, 3, 2);
    QTest::newRow("2x, half pixels") << 2.0 << QRect(3, 1, 2, 2) << QRect(1, 0, 2, 2);
    // At 125 % device pixel 3 spans logical 2.4 to 3.2, device pixel 4 spans 3.2 to 4.
    QTest::newRow("1.25x, a shared pixel") << 1.25 << QRect(3, 0, 1, 1) << QRect(2, 0, 2, 1);
    QTest::newRow("1.25x, an inner pixel") << 1.25 << QRect(4, 5, 1, 1) << QRect(3, 4, 1, 1);
    QTest::newRow("1.25x, to the edge") << 1.25 << QRect(15, 0, 5, 10) << QRect(12, 0, 4, 8);
    QTest::newRow("1.5x") << 1.5 << QRect(3, 3, 3, 3) << QRect(2, 2, 2, 2);
    QTest::newRow("1x") << 1.0 << QRect(3, 3, 3, 3) << QRect(3, 3, 3, 3);
  }
  void shapeOfAFaceGrabbedOnAScaledScreenIsInLogicalPixels() {
    QFETCH(qreal, ratio);
    QFETCH(QRect, device);
    QFETCH(QRect, logical);
    QImage face(20, 10, QImage::Format_ARGB32_Premultiplied);
    face.fill(Qt::black);
    QPainter(&face).fillRect(device, Qt::white);
    face.setDevicePixelRatio(ratio);
    QCOMPARE(CStandardDialog::ShownRegion(face, qRgb(0, 0, 0), QPoint(100, 50)),
             QRegion(logical.translated(100, 50)));
    QCOMPARE(LogicalSize(face), QSize(qRound(20 / ratio), qRound(10 / ratio)));
  }

  void shapeOfIntricateArtworkIsBoundedAndCoversEveryShownPixel() {
    // Alpha alternating per pixel: an exact shape would need millions of rectangles, more than
    // the display connection takes in one request.
    QImage art(2100, 2100, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < art.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(art.scanLine(y));
      for (int x = 0; x < art.width(); ++x) row[x] = ((x + y) & 1) ? qRgba(255, 0, 0, 255) : 0;
    }
    const QRegion region = RegionWhere(art, [](QRgb p) { return qAlpha(p) != 0; });
    QVERIFY(region.rectCount() <= kMaxRegionRects);
    for (int y = 0; y < art.height(); y += 13)
      for (int x = 0; x < art.width(); x += 11)
        if (qAlpha(art.pixel(x, y)) != 0) QVERIFY(region.contains(QPoint(x, y)));
    QVERIFY(art.rect().contains(region.boundingRect()));

    // The frame takes it as its shape and stays on the display.
    TestFrame frame(art, true);
    QVERIFY(frame.Create());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(frame.mask().rectCount() <= kMaxRegionRects);
  }

  void innerDialogMaskFollowsThousandsOfChildren() {
    CStandardDialog inner(2, qRgb(0, 0, 0), nullptr);
    inner.resize(1280, 1280);
    for (int i = 0; i < 4096; ++i) {
      auto* child = new QWidget(&inner);
      child->setGeometry((i % 64) * 20, (i / 64) * 20, 10, 10);
    }
    QVERIFY(inner.CreateAndShow());
    QVERIFY(QTest::qWaitForWindowExposed(&inner));
    QVERIFY(inner.mask().contains(QPoint(5, 5)));
    QVERIFY(inner.mask().contains(QPoint(63 * 20 + 5, 63 * 20 + 5)));
    QVERIFY(!inner.mask().contains(QPoint(15, 15)));
    // A child moved later is followed once the burst of changes is over.
    QWidget* last = inner.findChildren<QWidget*>().constLast();
    last->move(1275, 0);
    QTRY_VERIFY(inner.mask().contains(QPoint(1276, 1)));
  }
};

QTEST_MAIN(TranslucentDialogTest)
#include "TranslucentDialogTest.moc"
