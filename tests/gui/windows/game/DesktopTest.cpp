// The game window on a player's desktop: a real window manager (openbox) and a system tray
// (trayer) on a display of the test's own (tests/desktop/desktop_session.sh). Fill, normal and full
// screen without black bands, minimise and restore, moving and sizing (by the window manager and
// by dragging the painted frame) with the minimum size, the tray icon, the boss key with the
// pages' sound, the mouse a game holds given back on hiding, and questions that come up where
// they are seen.
#include <QApplication>
#include <QDeadlineTimer>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QWebEnginePage>

#include "BridgeSession.h"
#include "core/game/GameButtonRules.h"
#include "core/game/GameFrameRules.h"
#include "core/platform/HotKey.h"
#include "skin/SkinButton.h"
#include "skin/desktop/GlobalShortcut.h"
#include "web/GmChatWnd.h"

using namespace gametest;

namespace {

constexpr int kWindowTimeoutMs = 15000;

// Buttons: close (5), fill (6), minimise (7), tray (8, also the boss key's slot 9), restore (10),
// full screen (11).
std::string DesktopSections() {
  return Button(1, 5, 9, -40, 2) + Button(2, 6, 9, -80, 2) + Button(3, 7, 9, -120, 2) +
         Button(4, 8, 9, -160, 2, 9) + Button(5, 10, 9, -200, 2) + Button(6, 11, 9, -240, 2);
}

bool Xdotool(const QStringList& arguments) {
  return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}
bool MouseTo(const QPoint& global) {
  return Xdotool({"mousemove", "--sync", QString::number(global.x()), QString::number(global.y())});
}

// xdotool while this program's event loop goes on. The game window lives in this process: a
// pointer event xdotool makes must reach it (and what it asks of the window manager must go out)
// while the next one is made, which a blocking run would hold back until the whole gesture is over.
bool XdotoolLive(const QStringList& arguments) {
  QProcess xdotool;
  xdotool.start(QStringLiteral("xdotool"), arguments);
  if (!xdotool.waitForStarted(kWindowTimeoutMs)) return false;
  if (!QTest::qWaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, kWindowTimeoutMs))
    return false;
  return xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}
bool MouseToLive(const QPoint& global) {
  // xdotool --sync waits for the pointer to move, which it never does when already there.
  if (QCursor::pos() == global) return true;
  return XdotoolLive({"mousemove", "--sync", QString::number(global.x()), QString::number(global.y())});
}

// What the screen shows at a global point (the page's pixels included).
QColor ScreenPixel(const QPoint& global) {
  return QGuiApplication::primaryScreen()->grabWindow(0, global.x(), global.y(), 1, 1).toImage().pixelColor(0, 0);
}
bool IsBlack(const QColor& c) { return c.red() < 3 && c.green() < 3 && c.blue() < 3; }

// A window's place and size as the X server has them (the window manager's doing), or an empty
// rectangle when xdotool cannot tell.
QRect ServerGeometry(WId window) {
  QProcess xdotool;
  xdotool.start(QStringLiteral("xdotool"), {"getwindowgeometry", "--shell", QString::number(window)});
  if (!xdotool.waitForFinished(10000)) return {};
  int x = 0, y = 0, w = 0, h = 0;
  for (const QByteArray& line : xdotool.readAllStandardOutput().split('\n')) {
    const QList<QByteArray> pair = line.split('=');
    if (pair.size() != 2) continue;
    if (pair[0] == "X") x = pair[1].toInt();
    if (pair[0] == "Y") y = pair[1].toInt();
    if (pair[0] == "WIDTH") w = pair[1].toInt();
    if (pair[0] == "HEIGHT") h = pair[1].toInt();
  }
  return QRect(x, y, w, h);
}

// Where the tray shows the program's icon: the icon's own window, embedded in the tray, asked of
// the X server (the icon does not know its place on the screen).
QPoint TrayIconCentre() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") != 0) continue;
    const QRect icon = ServerGeometry(widget->winId());
    if (icon.width() > 0 && icon.height() > 0) return icon.center();
  }
  return {};
}

// Counts the left-button presses a window receives.
class PressCounter : public QObject {
 public:
  int presses = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
      ++presses;
    return QObject::eventFilter(watched, event);
  }
};

// Drags the painted frame with real pointer events: presses the left button at `from` on the
// window, moves the pointer to `to` in steps and releases it there, then waits until the X server
// shows the window at `expected`. The window hands the drag to the window manager when it sees
// the press; the pointer moves only after that, and is nudged at `to` until the window manager,
// which may take its grab late on a busy machine, has followed it. The caller waits for the
// window's own geometry, which follows on the release.
bool DragFrame(QWidget* window, const QPoint& from, const QPoint& to, const QRect& expected) {
  PressCounter counter;
  window->installEventFilter(&counter);
  const bool pressed = MouseToLive(from) && XdotoolLive({"mousedown", "1"}) &&
                       QTest::qWaitFor([&] { return counter.presses > 0; }, kWindowTimeoutMs);
  window->removeEventFilter(&counter);
  if (!pressed) {
    XdotoolLive({"mouseup", "1"});
    return false;
  }
  bool moved = true;
  for (int step = 1; step <= 4 && moved; ++step) moved = MouseToLive(from + (to - from) * step / 4);
  // Asked of the X server: the window manager tells the window its new place only once the
  // drag has ended.
  const auto arrived = [&] { return ServerGeometry(window->winId()) == expected; };
  const QDeadlineTimer deadline(kWindowTimeoutMs);
  while (moved && !QTest::qWaitFor(arrived, 500)) {
    if (deadline.hasExpired()) {
      moved = false;
      break;
    }
    moved = MouseToLive(to + QPoint(1, 1)) && MouseToLive(to);
  }
  return XdotoolLive({"mouseup", "1"}) && moved && ServerGeometry(window->winId()) == expected;
}

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

  DemoSiteProcess site;

  bool OpenGame(Session& session) {
    const std::string settings =
        GameSettings(site.Url(demo::kApiPath), "gameButtonCount=6\nnotityTitle=龙域\n", DesktopSections());
    return session.Open(settings, site.Url(std::string(demo::kMaxHeader) + "?uid=7&script=" + Encoded("[]"))) &&
           QTest::qWaitForWindowExposed(session.dialog(), kWindowTimeoutMs) && session.WaitForGamePage() &&
           QTest::qWaitFor([&] { return session.dialog()->GetBrowser()->view()->isVisible(); }, kPageTimeoutMs);
  }

  // The game in the normal state: 640 x 480, the minimum size of its settings.
  bool OpenInNormalState(Session& session) {
    return OpenGame(session) &&
           session.dialog()->OnCommand(game::ButtonIdForType(game::kTypeRestore)) &&
           QTest::qWaitFor([&] { return session.dialog()->size() == QSize(640, 480); }, kWindowTimeoutMs);
  }

  // The pixels just inside the browser's bottom-right corner and along its right and bottom edges
  // show the page, never the window's black background.
  static bool NoBands(CGameDialog* dialog) {
    const QRect area(dialog->GetBrowser()->mapToGlobal(QPoint(0, 0)), dialog->GetBrowser()->size());
    const QPoint probes[] = {area.bottomRight() - QPoint(1, 1), QPoint(area.right() - 1, area.center().y()),
                             QPoint(area.center().x(), area.bottom() - 1)};
    for (const QPoint& p : probes)
      if (IsBlack(ScreenPixel(p))) return false;
    return true;
  }

 private slots:
  void initTestCase() {
    if (!DemoSiteProcess::Built()) QSKIP("demo site not built");
    QVERIFY2(site.Start({"--chat-url", "about:blank"}), "the demo site did not start");
    QVERIFY2(!QStandardPaths::findExecutable("xdotool").isEmpty(), "xdotool is missing");
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), kWindowTimeoutMs);
  }

  void statesFillTheirAreaWithoutBands() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    const QRect work = dialog->screen()->availableGeometry();
    // The tray's strut leaves the work area smaller than the screen.
    QVERIFY(work != dialog->screen()->geometry());
    QTRY_COMPARE_WITH_TIMEOUT(dialog->frameGeometry(), work, kWindowTimeoutMs);
    QCOMPARE(dialog->GetBrowser()->geometry(),
             QRect(0, dialog->GetEdgeHeight(2), work.width(), work.height() - dialog->GetEdgeHeight(2)));
    QTRY_VERIFY_WITH_TIMEOUT(NoBands(dialog), kWindowTimeoutMs);

    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeRestore)));
    QTRY_COMPARE_WITH_TIMEOUT(dialog->size(), QSize(640, 480), kWindowTimeoutMs);
    QCOMPARE(dialog->GetBrowser()->geometry(),
             QRect(dialog->GetEdgeWidth(4), dialog->GetEdgeHeight(2),
                   640 - dialog->GetEdgeWidth(4) - dialog->GetEdgeWidth(5),
                   480 - dialog->GetEdgeHeight(2) - dialog->GetEdgeHeight(7)));
    QTRY_VERIFY_WITH_TIMEOUT(NoBands(dialog), kWindowTimeoutMs);

    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeFullScreen)));
    const QRect screen = dialog->screen()->geometry();
    QTRY_COMPARE_WITH_TIMEOUT(dialog->frameGeometry(), screen, kWindowTimeoutMs);
    QCOMPARE(dialog->GetBrowser()->geometry(), QRect(QPoint(0, 0), screen.size()));
    QTRY_VERIFY_WITH_TIMEOUT(NoBands(dialog), kWindowTimeoutMs);
    QVERIFY(dialog->OnCommand(CGameDialog::kCommandFullScreen));
    QTRY_COMPARE_WITH_TIMEOUT(dialog->size(), QSize(640, 480), kWindowTimeoutMs);
  }

  void minimiseAndRestore() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeMinimise)));
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isMinimized(), kWindowTimeoutMs);
    // The window manager brings it back, as a taskbar click does.
    dialog->showNormal();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isMinimized() && dialog->isVisible(), kWindowTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(dialog->frameGeometry(), dialog->screen()->availableGeometry(),
                              kWindowTimeoutMs);
  }

  void moveAndSizeUnderTheWindowManager() {
    Session session;
    QVERIFY(OpenInNormalState(session));
    CGameDialog* dialog = session.dialog();
    const QString window = QString::number(dialog->winId());
    const QPoint start = dialog->frameGeometry().topLeft();

    QVERIFY(Xdotool({"windowmove", window, QString::number(start.x() + 60), QString::number(start.y() + 40)}));
    QTRY_COMPARE_WITH_TIMEOUT(dialog->frameGeometry().topLeft(), start + QPoint(60, 40), kWindowTimeoutMs);

    QVERIFY(Xdotool({"windowsize", window, "720", "530"}));
    QTRY_COMPARE_WITH_TIMEOUT(dialog->size(), QSize(720, 530), kWindowTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(NoBands(dialog), kWindowTimeoutMs);

    // The window manager keeps the minimum size the window asks for.
    QVERIFY(Xdotool({"windowsize", window, "200", "100"}));
    const QSize minimum(dialog->GetMinWidth(), dialog->GetMinHeight());
    QTRY_COMPARE_WITH_TIMEOUT(dialog->size(), minimum, kWindowTimeoutMs);
  }

  void moveAndSizeThroughThePaintedFrame() {
    Session session;
    QVERIFY(OpenInNormalState(session));
    CGameDialog* dialog = session.dialog();
    QTRY_COMPARE_WITH_TIMEOUT(ServerGeometry(dialog->winId()), dialog->geometry(), kWindowTimeoutMs);
    const QRect start = dialog->geometry();

    // The top band between the logo and the buttons moves the window.
    const QPoint band = start.topLeft() + QPoint(300, dialog->GetEdgeHeight(2) / 2);
    QCOMPARE(dialog->OnNcHitTest(band), int(game::kHitCaption));
    const QRect moved = start.translated(60, 40);
    QVERIFY(DragFrame(dialog, band, band + QPoint(60, 40), moved));
    QTRY_COMPARE_WITH_TIMEOUT(dialog->geometry(), moved, kWindowTimeoutMs);

    // The bottom-right corner sizes it; the top-left corner stays.
    const QPoint corner = moved.topLeft() + QPoint(moved.width() - 3, moved.height() - 3);
    QCOMPARE(dialog->OnNcHitTest(corner), int(game::kHitBottomRight));
    const QRect grown(moved.topLeft(), moved.size() + QSize(80, 50));
    QVERIFY(DragFrame(dialog, corner, corner + QPoint(80, 50), grown));
    QTRY_COMPARE_WITH_TIMEOUT(dialog->geometry(), grown, kWindowTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(NoBands(dialog), kWindowTimeoutMs);

    // Dragged far below the minimum size, the window stops at it.
    const QPoint grownCorner = grown.topLeft() + QPoint(grown.width() - 3, grown.height() - 3);
    const QRect smallest(grown.topLeft(), QSize(dialog->GetMinWidth(), dialog->GetMinHeight()));
    QVERIFY(DragFrame(dialog, grownCorner, grownCorner - QPoint(400, 300), smallest));
    QTRY_COMPARE_WITH_TIMEOUT(dialog->geometry(), smallest, kWindowTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(NoBands(dialog), kWindowTimeoutMs);
  }

  void trayIconBringsTheWindowBack() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeTray)));
    QVERIFY(!dialog->isVisible());
    QVERIFY(dialog->trayIcon != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->trayIcon->geometry().isValid(), kWindowTimeoutMs);
    QPoint icon;
    QTRY_VERIFY_WITH_TIMEOUT(!(icon = TrayIconCentre()).isNull(), kWindowTimeoutMs);
    QVERIFY(MouseTo(icon));
    QVERIFY(Xdotool({"click", "1"}));
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), kWindowTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->trayIcon->isVisible(), kWindowTimeoutMs);
    QVERIFY(QTest::qWaitForWindowExposed(dialog, kWindowTimeoutMs));
  }

  void bossKeyHidesAndSilencesThePages() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    // Nobody else holds Alt+D on this display.
    QVERIFY(dialog->GetBossKey()->IsRegistered());
    QWebEnginePage* game = dialog->GetBrowser()->view()->page();
    QWebEnginePage* chat = dialog->GetChatWindow()->browser->view()->page();
    chat->setAudioMuted(true);  // muted by the player before: stays muted afterwards

    QVERIFY(Xdotool({"key", "alt+d"}));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), kWindowTimeoutMs);
    QVERIFY(game->isAudioMuted());
    QVERIFY(chat->isAudioMuted());

    QVERIFY(Xdotool({"key", "alt+d"}));
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), kWindowTimeoutMs);
    QVERIFY(!game->isAudioMuted());
    QVERIFY(chat->isAudioMuted());
    QVERIFY(!dialog->IsSoundHeldByBossKey());
  }

  // A game that holds the mouse gives it back when the window goes away, by the boss key or into
  // the tray, and does not have it again when the window comes back.
  void hidingGivesTheMouseBack_data() {
    QTest::addColumn<bool>("bossKey");
    QTest::newRow("boss key") << true;
    QTest::newRow("tray") << false;
  }
  void hidingGivesTheMouseBack() {
    QFETCH(bool, bossKey);
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    QWidget* view = dialog->GetBrowser()->view();
    QTRY_VERIFY_WITH_TIMEOUT(view->focusProxy() != nullptr, kPageTimeoutMs);
    QWidget* input = view->focusProxy();
    session.Eval(
        "window.locks = 0; window.armed = true;"
        "document.addEventListener('pointerlockchange', function () {"
        "  if (document.pointerLockElement) ++window.locks; });"
        "document.addEventListener('click', function () {"
        "  if (!window.armed) return; window.armed = false;"
        "  document.getElementById('game').requestPointerLock(); }); 1");
    QVERIFY(Xdotool({"windowactivate", "--sync", QString::number(dialog->winId())}));
    const auto locked = [&] {
      return session.Eval("document.pointerLockElement !== null").toBool();
    };
    for (int attempt = 0; attempt < 10 && !locked(); ++attempt) {
      session.Eval("window.armed = true; 1");
      QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(200, 200));
      if (QTest::qWaitFor(locked, 1000)) break;
    }
    QVERIFY(locked());

    if (bossKey) {
      QVERIFY(dialog->GetBossKey()->IsRegistered());
      QVERIFY(Xdotool({"key", "alt+d"}));
    } else {
      QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeTray)));
    }
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), kWindowTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(session.Eval("document.pointerLockElement === null").toBool(),
                             kPageTimeoutMs);

    if (bossKey)
      QVERIFY(Xdotool({"key", "alt+d"}));
    else
      dialog->OnTrayActivated(QSystemTrayIcon::Trigger);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), kWindowTimeoutMs);
    QVERIFY(QTest::qWaitForWindowExposed(dialog, kWindowTimeoutMs));
    QVERIFY(session.Eval("document.pointerLockElement === null").toBool());
    QCOMPARE(session.Eval("window.locks").toInt(), 1);
  }

  void questionsComeUpOverAShownWindow() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    bool seenWhenAsked = false;
    session.messages.onShow = [&](const platform::MessageBoxRequest&) {
      seenWhenAsked = dialog->isVisible() && !dialog->isMinimized();
    };

    // The window manager's close (Alt+F4) asks; Cancel keeps the window.
    session.messages.answers = {platform::MessageBoxResult::Cancel};
    QVERIFY(Xdotool({"windowactivate", "--sync", QString::number(dialog->winId())}));
    QVERIFY(Xdotool({"key", "--clearmodifiers", "alt+F4"}));
    QTRY_COMPARE_WITH_TIMEOUT(session.messages.seen.size(), std::size_t(1), kWindowTimeoutMs);
    QVERIFY(seenWhenAsked);
    QVERIFY(dialog->isVisible());
    QCOMPARE(session.restarts.count, 0);

    // From the tray: the restart question shows the window first.
    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeTray)));
    QVERIFY(!dialog->isVisible());
    seenWhenAsked = false;
    session.messages.answers = {platform::MessageBoxResult::Cancel};
    QVERIFY(dialog->OnCommand(CGameDialog::kCommandRestart));
    QVERIFY(seenWhenAsked);
    QVERIFY(!dialog->trayIcon->isVisible());

    // Minimised: the cache question restores it first.
    dialog->showMinimized();
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isMinimized(), kWindowTimeoutMs);
    seenWhenAsked = false;
    session.messages.answers = {platform::MessageBoxResult::Cancel};
    QVERIFY(dialog->OnCommand(CGameDialog::kCommandClearCache));
    QVERIFY(seenWhenAsked);

    // Full screen asked for from the tray shows the window in full screen.
    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeTray)));
    QVERIFY(!dialog->isVisible());
    QVERIFY(dialog->OnCommand(CGameDialog::kCommandFullScreen));
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), kWindowTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(dialog->frameGeometry(), dialog->screen()->geometry(), kWindowTimeoutMs);
    QVERIFY(dialog->IsFullScreen());
    QCOMPARE(session.restarts.count, 0);
  }
};

LAUNCHER_WEB_TEST_MAIN(DesktopTest)
#include "DesktopTest.moc"
