// The windows on a scaled screen (run once per desktop scale, QT_SCALE_FACTOR): the layout stays
// in the operator's logical pixels while the screen shows device pixels. Every check looks at the
// real screen: frame pieces meet without gaps, the hit test and the buttons answer where the
// screen shows them (real pointer moves and clicks), the launcher's shape follows its artwork.
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QWebEngineView>
#include <memory>

#include "GameTestSupport.h"
#include "WebTestSupport.h"
#include "skin/SkinButton.h"
#include "web/GmChatWnd.h"
#include "web/WebBrowser.h"
#include "windows/launcher/LauncherStandardDlg.h"
#include "windows/launcher/LauncherTranslucentDlg.h"

using namespace gametest;

namespace {
constexpr int kPageTimeout = 30000;
const QColor kBackdrop(0, 200, 0);
const QColor kArtwork(30, 60, 220);
const QColor kChatBorder(139, 111, 47);

qreal Factor() { return QGuiApplication::primaryScreen()->devicePixelRatio(); }

// A logical coordinate on the screen in device pixels, as the platform places windows.
int Device(int logical) { return qRound(logical * Factor()); }
QPoint Device(const QPoint& p) { return QPoint(Device(p.x()), Device(p.y())); }

// The whole screen in device pixels.
QImage Screen() {
  QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
      QImage::Format_RGB32);
  shot.setDevicePixelRatio(1);
  return shot;
}

// A window's own pixels as the screen shows them.
QImage Shot(QWidget* window) {
  const QRect r(Device(window->geometry().topLeft()), Device(window->geometry().bottomRight() + QPoint(1, 1)) -
                                                          QPoint(1, 1));
  return Screen().copy(QRect(r.topLeft(), QSize(r.width(), r.height())));
}

bool Same(const QColor& a, const QColor& b, int tolerance = 8) {
  return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
         qAbs(a.blue() - b.blue()) <= tolerance;
}

QString Describe(const QColor& c) {
  return QStringLiteral("(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

bool Xdotool(const QStringList& arguments) {
  return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

// Real pointer input at a device pixel of the screen.
bool PointerTo(const QPoint& device) {
  return Xdotool({"mousemove", "--sync", QString::number(device.x()), QString::number(device.y())});
}
bool ClickAt(const QPoint& device) {
  return Xdotool({"mousemove", "--sync", QString::number(device.x()), QString::number(device.y()),
                  "click", "1"});
}

// The platform tells a widget where the pointer is by the pointer's screen pixel's corner in
// logical pixels, rounded to whole ones; so a screen pixel at a widget's far edge that shows the
// widget may be handed to its neighbour (at 2x every other pixel column; at fractional scales a
// pixel shared by two widgets). The pixel `d` of a drawn run [lo, hi) (device pixels in the
// window) that the platform hands to the run's own logical pixels [llo, lhi): `d` itself or its
// neighbour one step into the run.
int Handed(int d, int step, int llo, int lhi) {
  auto sees = [&](int v) {
    const int logical = qRound(v / Factor());
    return logical >= llo && logical < lhi;
  };
  return sees(d) ? d : d + step;
}

// Where the pointer last moved, as the program was told (logical, global), and how many button
// releases the program has seen.
class PointerWatch : public QObject {
 public:
  PointerWatch() { qApp->installEventFilter(this); }
  ~PointerWatch() override { qApp->removeEventFilter(this); }
  QPointF last{-1, -1};
  int moves = 0;
  int releases = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseMove) {
      last = static_cast<QMouseEvent*>(event)->globalPosition();
      ++moves;
    } else if (event->type() == QEvent::MouseButtonRelease && watched->isWindowType()) {
      ++releases;
    }
    return false;
  }
};

// One scan line across a frame: which of the given colours each pixel shows, -1 for none.
struct Scan {
  std::vector<int> runs;  // colour index per pixel
  int firstMissing = -1;  // first pixel of none of the colours
};

Scan ScanLine(const QImage& image, QPoint from, QPoint step, int count,
              const std::vector<QColor>& colours) {
  Scan scan;
  QPoint p = from;
  for (int i = 0; i < count; ++i, p += step) {
    int found = -1;
    for (std::size_t c = 0; c < colours.size(); ++c)
      if (Same(image.pixelColor(p), colours[c], 2)) found = static_cast<int>(c);
    if (found < 0 && scan.firstMissing < 0) scan.firstMissing = i;
    scan.runs.push_back(found);
  }
  return scan;
}

// The first pixel of a colour (its index in the colour list) on a scan, and one past its last;
// -1 when the scan never shows it.
int StartOf(const Scan& scan, int colour) {
  for (std::size_t i = 0; i < scan.runs.size(); ++i)
    if (scan.runs[i] == colour) return static_cast<int>(i);
  return -1;
}
int EndOf(const Scan& scan, int colour) {
  for (std::size_t i = scan.runs.size(); i > 0; --i)
    if (scan.runs[i - 1] == colour) return static_cast<int>(i);
  return -1;
}

// The end of a scan's first run of a colour that starts at its first pixel, and the start of its
// last run that ends at its last pixel: a border's extent, whatever the page between shows.
int LeadingEnd(const Scan& scan, int colour) {
  std::size_t i = 0;
  while (i < scan.runs.size() && scan.runs[i] == colour) ++i;
  return static_cast<int>(i);
}
int TrailingStart(const Scan& scan, int colour) {
  std::size_t i = scan.runs.size();
  while (i > 0 && scan.runs[i - 1] == colour) --i;
  return static_cast<int>(i);
}

// The device-pixel box of a colour in an image; empty when absent.
QRect BoxOf(const QImage& image, const QColor& colour, const QRect& within) {
  QRect box;
  for (int y = within.top(); y <= within.bottom(); ++y)
    for (int x = within.left(); x <= within.right(); ++x)
      if (Same(image.pixelColor(x, y), colour, 2)) box |= QRect(x, y, 1, 1);
  return box;
}

// A logical rectangle on the device, within the rounding of a pixel.
bool Covers(const QRect& device, const QRect& logical) {
  const QRect expected(Device(logical.topLeft()), Device(logical.bottomRight() + QPoint(1, 1)) - QPoint(1, 1));
  return qAbs(device.left() - expected.left()) <= 1 && qAbs(device.top() - expected.top()) <= 1 &&
         qAbs(device.right() - expected.right()) <= 1 && qAbs(device.bottom() - expected.bottom()) <= 1;
}

QString Text(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// A ring: many rows of different runs, the hardest kind of shape to scale.
QImage RingArtwork() {
  QImage image(360, 260, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kArtwork);
  painter.drawEllipse(QRect(0, 0, 360, 260));
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.setBrush(Qt::transparent);
  painter.drawEllipse(QRect(150, 110, 60, 40));
  return image;
}

class Backdrop : public QWidget {
 public:
  Backdrop() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, kBackdrop);
    setPalette(p);
    setGeometry(QGuiApplication::primaryScreen()->geometry());
  }
};

}  // namespace

class ScaleTest : public QObject {
  Q_OBJECT

  DemoSiteProcess site;
  std::unique_ptr<MessageRecorder> messages;
  std::unique_ptr<OpenPackage> package;

  std::string Api() const { return site.Url(demo::kApiPath); }
  std::string GameAddress() const {
    return site.Url(std::string(demo::kGameHeader) + "?serverid=12&skey=1012&uid=7");
  }

  std::unique_ptr<GameWindow> OpenGame(const std::string& settings) {
    package = std::make_unique<OpenPackage>();
    if (!package->Open(GamePackage(settings))) return nullptr;
    auto window = std::make_unique<GameWindow>(GameAddress());
    (*window)->show();
    if (!QTest::qWaitFor([&] { return (*window)->OutstandingLookups() == 0; }, kPageTimeout))
      return nullptr;
    return window;
  }

  // The game window in its normal state at a place whose device pixels are whole.
  std::unique_ptr<GameWindow> NormalGame(const std::string& settings) {
    auto window = OpenGame(settings);
    if (!window) return nullptr;
    CGameDialog* dialog = window->get();
    dialog->maximized = false;
    dialog->fullScreen = false;
    dialog->setGeometry(QRect(40, 8, 640, 480));
    dialog->LayoutChildren();
    if (!QTest::qWaitFor([&] { return dialog->geometry() == QRect(40, 8, 640, 480); }, 5000))
      return nullptr;
    dialog->raise();
    dialog->activateWindow();
    return window;
  }

 private slots:
  void initTestCase() {
    qInfo("scale %g (QT_SCALE_FACTOR=%s)", Factor(), qgetenv("QT_SCALE_FACTOR").constData());
    if (!DemoSiteProcess::Built()) QSKIP("the demo site is not built");
    QVERIFY2(site.Start(), "the demo site did not start");
    const QByteArray asked = qgetenv("QT_SCALE_FACTOR");
    if (!asked.isEmpty()) QCOMPARE(Factor(), asked.toDouble());
  }
  void init() { messages = std::make_unique<MessageRecorder>(); }
  void cleanup() {
    package.reset();
    messages.reset();
  }

  void framePiecesMeetWithoutGapsAtTheScreensPixels() {
    auto window = NormalGame(GameSettings(Api()));
    QVERIFY(window);
    CGameDialog* dialog = window->get();
    // The layout is the operator's, in logical pixels, whatever the scale.
    QCOMPARE(dialog->GetBrowser()->geometry(), QRect(8, 30, 640 - 16, 480 - 38));
    QImage shot;
    QTRY_VERIFY_WITH_TIMEOUT(
        (shot = Shot(dialog), Same(shot.pixelColor(Device(4), Device(4)), kPieces[0].colour, 2)), 10000);
    QCOMPARE(shot.size(), QSize(Device(640), Device(480)));
    const int cw = 640, ch = 480;
    auto colours = [](std::initializer_list<int> pieces) {
      std::vector<QColor> list;
      for (int p : pieces) list.push_back(kPieces[p - 1].colour);
      return list;
    };
    const struct {
      const char* name;
      QPoint from;  // device pixel
      QPoint step;
      int count;
      std::vector<QColor> pieces;
      int join1, join2;  // logical positions of the two joins along the line
    } lines[] = {
        {"top band", {0, Device(28)}, {1, 0}, Device(cw), colours({1, 2, 3}), 10, cw - 10},
        {"left edge", {Device(4), 0}, {0, 1}, Device(ch), colours({1, 4, 6}), 30, ch - 8},
        {"right edge", {Device(cw - 4), 0}, {0, 1}, Device(ch), colours({3, 5, 8}), 30, ch - 8},
        {"bottom edge", {0, Device(ch - 4)}, {1, 0}, Device(cw), colours({6, 7, 8}), 12, cw - 20},
    };
    for (const auto& line : lines) {
      const Scan scan = ScanLine(shot, line.from, line.step, line.count, line.pieces);
      if (scan.firstMissing >= 0)
        QFAIL(qPrintable(QString("%1: pixel %2 is %3, no piece's colour")
                             .arg(line.name)
                             .arg(scan.firstMissing)
                             .arg(Describe(shot.pixelColor(line.from + line.step * scan.firstMissing)))));
      // Each piece ends where the next begins, at the device pixel of the logical join.
      QCOMPARE(EndOf(scan, 0), StartOf(scan, 1));
      QCOMPARE(EndOf(scan, 1), StartOf(scan, 2));
      QVERIFY2(qAbs(StartOf(scan, 1) - Device(line.join1)) <= 1,
               qPrintable(QString("%1: join at %2").arg(line.name).arg(StartOf(scan, 1))));
      QVERIFY2(qAbs(StartOf(scan, 2) - Device(line.join2)) <= 1,
               qPrintable(QString("%1: join at %2").arg(line.name).arg(StartOf(scan, 2))));
    }
    // The edges are as wide as their pieces on the screen, on every row.
    for (int y = Device(30); y < Device(ch - 8); y += 7) {
      const Scan left = ScanLine(shot, {0, y}, {1, 0}, Device(8) + 2, colours({4}));
      QVERIFY2(qAbs(EndOf(left, 0) - Device(8)) <= 1 && StartOf(left, 0) == 0,
               qPrintable(QString("left edge row %1 ends at %2").arg(y).arg(EndOf(left, 0))));
    }

    // The title and the player's name are drawn at the screen's resolution: at twice the size
    // a glyph's edge is not a doubled logical pixel.
    if (Factor() >= 2) {
      int sharpEdges = 0;
      for (int y = Device(4); y < Device(26); ++y)
        for (int x = Device(40); x + 1 < Device(190); ++x)
          if (HasTitlePixel(shot, QRect(x, y, 1, 1)) != HasTitlePixel(shot, QRect(x + 1, y, 1, 1)) &&
              x % 2 == 0)
            ++sharpEdges;
      QVERIFY2(sharpEdges > 0, "the title looks scaled up from logical pixels");
    }
  }

  void hitTestAndButtonsAnswerWhereTheScreenShowsThem() {
    if (QStandardPaths::findExecutable("xdotool").isEmpty()) QFAIL("xdotool missing");
    auto window = NormalGame(GameSettings(Api(), "gameButtonCount=1\n", Button(1, 17, 9, -60, 2)));
    QVERIFY(window);
    CGameDialog* dialog = window->get();
    QImage shot;
    QTRY_VERIFY_WITH_TIMEOUT(
        (shot = Shot(dialog), Same(shot.pixelColor(Device(4), Device(4)), kPieces[0].colour, 2)), 10000);
    const QPoint origin = Device(dialog->pos());
    const int midY = Device(240);
    const Scan row = ScanLine(shot, {0, midY}, {1, 0}, shot.width(),
                              {kPieces[3].colour, kPieces[4].colour});
    const Scan column = ScanLine(shot, {Device(320), 0}, {0, 1}, shot.height(),
                                 {kPieces[1].colour, kPieces[6].colour});
    const int leftLast = Handed(LeadingEnd(row, 0) - 1, -1, 0, 8);
    const int rightFirst = Handed(TrailingStart(row, 1), 1, 640 - 8, 640);
    const int bandLast = LeadingEnd(column, 0) - 1;
    const int bottomFirst = Handed(TrailingStart(column, 1), 1, 480 - 8, 480);
    QVERIFY(qAbs(leftLast - (Device(8) - 1)) <= 1 && qAbs(rightFirst - Device(640 - 8)) <= 1 &&
            qAbs(bottomFirst - Device(480 - 8)) <= 1 && qAbs(bandLast - (Device(30) - 1)) <= 1);
    QVERIFY(leftLast >= 0 && rightFirst > 0 && bandLast >= 0 && bottomFirst > 0);

    // The pointer on the last or first screen pixel of each drawn border: the program sees it on
    // that border (its cursor shows it), and a little further in, on the page.
    PointerWatch pointer;
    const struct {
      const char* name;
      QPoint at;  // device pixel in the window
      int code;
      Qt::CursorShape cursor;
    } cases[] = {
        {"left edge", {leftLast, midY}, 10, Qt::SizeHorCursor},
        {"right edge", {rightFirst, midY}, 11, Qt::SizeHorCursor},
        {"bottom edge", {Device(320), bottomFirst}, 15, Qt::SizeVerCursor},
        // The band's last row may lie half on the page: the page then takes the pointer there.
        {"top band", {Device(320), bandLast}, 2, Qt::CursorShape(-1)},
        {"bottom-right corner", {shot.width() - 1, shot.height() - 1}, 17, Qt::SizeFDiagCursor},
        {"top-left corner", {0, 0}, 13, Qt::SizeFDiagCursor},
    };
    for (const auto& c : cases) {
      const int moves = pointer.moves;
      QVERIFY(PointerTo(origin + c.at));
      QTRY_VERIFY(pointer.moves > moves);
      const QPoint seen = pointer.last.toPoint();
      QVERIFY2(dialog->OnNcHitTest(seen) == c.code,
               qPrintable(QString("%1 at device %2,%3 seen at %4,%5 answers %6")
                              .arg(c.name).arg(c.at.x()).arg(c.at.y()).arg(seen.x()).arg(seen.y())
                              .arg(dialog->OnNcHitTest(seen))));
      if (c.cursor >= 0) QTRY_COMPARE(dialog->cursor().shape(), c.cursor);
    }
    const QPoint inside[] = {{leftLast + Device(2) + 1, midY}, {rightFirst - Device(2) - 1, midY},
                             {Device(320), bottomFirst - Device(2) - 1}};
    for (const QPoint& at : inside) {
      const int moves = pointer.moves;
      QVERIFY(PointerTo(origin + at));
      QTRY_VERIFY(pointer.moves > moves);
      QCOMPARE(dialog->OnNcHitTest(pointer.last.toPoint()), 1);
    }

    // The button: drawn where its logical place is, and clicked at the corners of what is drawn.
    const std::vector<CxSkinButton*> buttons = dialog->GetButtons();
    QCOMPARE(buttons.size(), std::size_t{1});
    CxSkinButton* button = buttons[0];
    QCOMPARE(button->geometry(), QRect(640 - 60 - 8, 2, 30, 20));
    const QRect drawn = BoxOf(shot, kNormal, QRect(0, 0, shot.width(), Device(30)));
    QVERIFY2(Covers(drawn, button->geometry()), qPrintable(Text(drawn)));
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    const QRect g = button->geometry();
    const QRect sure(QPoint(Handed(drawn.left(), 1, g.left(), g.right() + 1),
                            Handed(drawn.top(), 1, g.top(), g.bottom() + 1)),
                     QPoint(Handed(drawn.right(), -1, g.left(), g.right() + 1),
                            Handed(drawn.bottom(), -1, g.top(), g.bottom() + 1)));
    const QPoint corners[] = {sure.topLeft(), sure.topRight(), sure.bottomLeft(), sure.bottomRight()};
    for (const QPoint& corner : corners) {
      const int before = clicks.count();
      QVERIFY(ClickAt(origin + corner));
      QTRY_VERIFY2(clicks.count() == before + 1,
                   qPrintable(QString("corner %1,%2").arg(corner.x()).arg(corner.y())));
    }
    // A logical pixel beside the drawn button is the frame's: no click.
    const int before = clicks.count();
    const int releases = pointer.releases;
    QVERIFY(ClickAt(origin + drawn.topLeft() - QPoint(Device(1), 0)));
    QTRY_COMPARE(pointer.releases, releases + 1);
    QCOMPARE(clicks.count(), before);
  }

  void chatWindowKeepsItsLayoutAndBorder() {
    auto window = OpenGame(GameSettings(Api(), "gameButtonCount=1\n", Button(1, 17, 9, -30, 5)));
    QVERIFY(window);
    CGmChatWnd* chat = (*window)->GetChatWindow();
    QVERIFY(chat);
    chat->move(80, 40);
    chat->show();
    chat->raise();
    QVERIFY(QTest::qWaitForWindowExposed(chat));
    QCOMPARE(chat->size(), QSize(438, 413));
    CxSkinButton* close = chat->findChild<CxSkinButton*>();
    QVERIFY(close);
    QCOMPARE(close->geometry(), QRect(402, 7, 30, 20));
    QImage shot;
    QTRY_VERIFY_WITH_TIMEOUT((shot = Shot(chat), Same(shot.pixelColor(0, 0), kChatBorder, 2)), 10000);
    QCOMPARE(shot.size(), QSize(Device(438), Device(413)));
    // The border runs round the whole window without a gap.
    const Scan top = ScanLine(shot, {0, 0}, {1, 0}, shot.width(), {kChatBorder});
    const Scan left = ScanLine(shot, {0, 0}, {0, 1}, shot.height(), {kChatBorder});
    const Scan right = ScanLine(shot, {shot.width() - 1, 0}, {0, 1}, shot.height(), {kChatBorder});
    const Scan bottom = ScanLine(shot, {0, shot.height() - 1}, {1, 0}, shot.width(), {kChatBorder});
    QCOMPARE(top.firstMissing, -1);
    QCOMPARE(left.firstMissing, -1);
    QCOMPARE(right.firstMissing, -1);
    QCOMPARE(bottom.firstMissing, -1);
    const QRect drawn = BoxOf(shot, kNormal, QRect(0, 0, shot.width(), Device(30)));
    QVERIFY2(Covers(drawn, close->geometry()), qPrintable(Text(drawn)));
    chat->hide();
  }

  void launcherShapeFollowsTheArtworkAndItsButtonsAnswer() {
    if (QStandardPaths::findExecutable("xdotool").isEmpty()) QFAIL("xdotool missing");
    Backdrop backdrop;
    backdrop.show();
    QVERIFY(QTest::qWaitForWindowExposed(&backdrop));
    FixturePackage launcherPackage;
    launcherPackage
        .Settings(SettingsText("title=t\ngameheader=/never\n", {LinkSection(1, 200, 60, 0, 0, "")}))
        .Image("config/main1.png", RingArtwork())
        .ButtonImages(1, QSize(40, 20));
    LauncherRun frame;
    QVERIFY(frame.Start(launcherPackage));
    frame->MoveClamped(QPoint(40, 40));
    QTRY_COMPARE(frame->pos(), QPoint(40, 40));
    CLauncherStandardDlg* inner = frame->GetStandardDialog();
    QTRY_COMPARE(inner->pos(), frame->pos());
    const QImage art = RingArtwork();
    const std::vector<CxSkinButton*>& buttons = inner->GetButtons();
    QCOMPARE(buttons.size(), std::size_t{1});
    const QRect buttonRect = buttons[0]->geometry();
    QCOMPARE(buttonRect, QRect(200, 60, 40, 20));

    // Every screen pixel well inside the ring shows the artwork; every one well outside shows
    // what is below: no slit, no hole, no black patch from the inner dialog.
    auto check = [&](QString* why) {
      const QImage shot = Shot(frame.get());
      const qreal f = Factor();
      for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
          const int lx = static_cast<int>((x + 0.5) / f);
          const int ly = static_cast<int>((y + 0.5) / f);
          bool allOpaque = true, allClear = true;
          for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
              const QPoint p(lx + dx, ly + dy);
              const bool opaque = art.rect().contains(p) && qAlpha(art.pixel(p)) != 0;
              allOpaque = allOpaque && opaque;
              allClear = allClear && !opaque;
            }
          if (buttonRect.adjusted(-1, -1, 1, 1).contains(lx, ly)) continue;
          const QColor seen = shot.pixelColor(x, y);
          if ((allOpaque && !Same(seen, kArtwork)) || (allClear && !Same(seen, kBackdrop))) {
            *why = QString("device %1,%2 (logical %3,%4) shows %5")
                       .arg(x).arg(y).arg(lx).arg(ly).arg(Describe(seen));
            return false;
          }
        }
      return true;
    };
    QString why;
    QTRY_VERIFY2_WITH_TIMEOUT(check(&why), qPrintable(why), 10000);

    // The link button is drawn at its logical place and takes clicks there; beside it the frame
    // takes the press.
    const QImage shot = Shot(frame.get());
    const QRect drawn = BoxOf(shot, QColor(0, 160, 0), shot.rect());
    QVERIFY2(Covers(drawn, buttonRect), qPrintable(Text(drawn)));
    QSignalSpy clicks(buttons[0], &QAbstractButton::clicked);
    const QPoint origin = Device(frame->pos());
    QVERIFY(ClickAt(origin + drawn.topLeft()));
    QTRY_COMPARE(clicks.count(), 1);
    const QPoint last(Handed(drawn.right(), -1, buttonRect.left(), buttonRect.right() + 1),
                      Handed(drawn.bottom(), -1, buttonRect.top(), buttonRect.bottom() + 1));
    QVERIFY(ClickAt(origin + last));
    QTRY_COMPARE(clicks.count(), 2);
    frame->close();
  }

  void loginPagesBlackIsTheFramesAtEveryScale() {
    FixturePackage launcherPackage;
    launcherPackage
        .Settings(SettingsText("title=t\ngameheader=/never\n",
                               {LinkSection(4, 20, 40, 320, 180, site.Url("/login"))}))
        .Image("config/main1.png", RingArtwork());
    LauncherRun frame;
    QVERIFY(frame.Start(launcherPackage));
    CLauncherStandardDlg* inner = frame->GetStandardDialog();
    CWebBrowserEx* browser = inner->GetBrowsers()[0];
    QTRY_COMPARE_WITH_TIMEOUT(browser->size(), QSize(320, 180), kPageTimeout);
    const QRect page = browser->geometry();
    const QPoint left = page.topLeft() + QPoint(60, 110);
    const QPoint right = page.topLeft() + QPoint(260, 110);
    QTRY_VERIFY_WITH_TIMEOUT(inner->mask().contains(left) && inner->mask().contains(right), kPageTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!browser->view()->page()->isLoading(), kPageTimeout);
    browser->view()->page()->runJavaScript(QStringLiteral(
        "document.body.insertAdjacentHTML('beforeend', '<div style=\"position:fixed;left:0;top:0;"
        "width:50%;height:100%;background:#000;z-index:9\"></div>'); 1"));
    // The page's black half goes to the frame; its edge is where the page draws it.
    QTRY_VERIFY_WITH_TIMEOUT(!inner->mask().contains(left), kPageTimeout);
    QVERIFY(inner->mask().contains(right));
    const QRegion shown = inner->mask() & QRegion(page);
    QVERIFY2(qAbs(shown.boundingRect().left() - (page.left() + page.width() / 2)) <= 1,
             qPrintable(Text(shown.boundingRect())));
    frame->close();
  }
};

LAUNCHER_WEB_TEST_MAIN(ScaleTest)
#include "ScaleTest.moc"
