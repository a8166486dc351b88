// Window behaviour: fill, normal and full screen, the double click on the title band, the tray
// and the boss key, the close question with its restart, Enter and Escape, outside commands.
#include <QLabel>
#include <QLocalSocket>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>
#include <future>
#include <memory>
#include <vector>

#include "BridgeSession.h"
#include "core/game/GameButtonRules.h"
#include "core/game/GameStateRules.h"
#include "core/platform/HotKey.h"
#include "core/platform/Paths.h"
#include "skin/SkinButton.h"
#include "skin/desktop/GlobalShortcut.h"
#include "web/GmChatWnd.h"
#include "windows/game/GameCommandChannel.h"

using namespace gametest;

namespace {

// Buttons: close (5), fill (6), minimise (7), tray (8, also the boss key's slot 9), restore (10),
// full screen (11), user name (13), GM chat (14).
std::string BehaviourSections() {
  return Button(1, 5, 9, -40, 2) + Button(2, 6, 9, -80, 2) + Button(3, 7, 9, -120, 2) +
         Button(4, 8, 9, -160, 2, 9) + Button(5, 10, 9, -200, 2) + Button(6, 11, 9, -240, 2) +
         Button(7, 13, 9, 300, 2) + Button(8, 14, 9, -280, 2);
}

QRect ToQRect(const game::Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

bool Shown(CGameDialog* dialog, int type) {
  CxSkinButton* button = dialog->FindButtonByType(type);
  return button != nullptr && button->isVisible();
}

}  // namespace

class BehaviourTest : public QObject {
  Q_OBJECT

  DemoSiteProcess site;
  QString channelName;

  bool OpenGame(Session& session) {
    const std::string settings = GameSettings(site.Url(demo::kApiPath), "gameButtonCount=8\n",
                                              BehaviourSections());
    return session.Open(settings, site.Url(std::string(demo::kMaxHeader) + "?uid=7&script=" + Encoded("[]")));
  }

 private slots:
  void initTestCase() {
    // A channel of this test's own, apart from any game window running on the machine.
    channelName = QStringLiteral("launcher-behaviour-test-%1").arg(QCoreApplication::applicationPid());
    qputenv("LAUNCHER_COMMAND_CHANNEL", channelName.toUtf8());
    if (!DemoSiteProcess::Built()) QSKIP("demo site not built");
    QVERIFY2(site.Start({"--chat-url", "about:blank"}), "the demo site did not start");
  }

  void statesFillNormalFullScreen() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    const QRect work = dialog->screen()->availableGeometry();
    QVERIFY(dialog->IsMaximized());
    QCOMPARE(dialog->geometry(), work);
    QVERIFY(Shown(dialog, game::kTypeRestore));
    QVERIFY(!Shown(dialog, game::kTypeFill));

    // First restore: the configured minimum size in the middle of the work area.
    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeRestore)));
    const QRect normal = ToQRect(game::FirstNormalRect(
        game::Rect{work.left(), work.top(), work.right() + 1, work.bottom() + 1}, 640, 480));
    QTRY_COMPARE(dialog->geometry(), normal);
    QVERIFY(!dialog->IsMaximized());
    QVERIFY(dialog->hasNormalRect);
    QVERIFY(Shown(dialog, game::kTypeFill));
    QVERIFY(!Shown(dialog, game::kTypeRestore));
    QCOMPARE(dialog->GetBrowser()->geometry(),
             QRect(dialog->GetEdgeWidth(4), dialog->GetEdgeHeight(2),
                   normal.width() - dialog->GetEdgeWidth(4) - dialog->GetEdgeWidth(5),
                   normal.height() - dialog->GetEdgeHeight(2) - dialog->GetEdgeHeight(7)));

    // Fill, move, fill, restore: the restore returns to the moved place.
    dialog->FillWorkArea();
    dialog->RestoreNormal();
    dialog->setGeometry(normal.translated(30, 20));
    QTRY_COMPARE(dialog->geometry(), normal.translated(30, 20));
    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeFill)));
    QTRY_COMPARE(dialog->geometry(), work);
    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeRestore)));
    QTRY_COMPARE(dialog->geometry(), normal.translated(30, 20));

    // Full screen from the normal state and back.
    const QRect screen = dialog->screen()->geometry();
    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeFullScreen)));
    QVERIFY(dialog->IsFullScreen());
    QTRY_COMPARE(dialog->geometry(), screen);
    QCOMPARE(dialog->GetBrowser()->geometry(), QRect(QPoint(0, 0), screen.size()));
    for (CxSkinButton* button : dialog->GetButtons()) QVERIFY(!button->isVisible());
    QVERIFY(!dialog->GetLogo()->isVisible());
    QVERIFY(dialog->OnCommand(CGameDialog::kCommandFullScreen));
    QVERIFY(!dialog->IsFullScreen());
    QTRY_COMPARE(dialog->geometry(), normal.translated(30, 20));
    QVERIFY(dialog->GetLogo()->isVisible());
    QVERIFY(Shown(dialog, game::kTypeFill));
    QVERIFY(!Shown(dialog, game::kTypeRestore));
    QVERIFY(!Shown(dialog, game::kTypeUserName));
    QVERIFY(!Shown(dialog, game::kTypeGmChat));  // the page has not named the GM
    QVERIFY(Shown(dialog, game::kTypeClose));

    // From the filled state, full screen and back fills the work area again.
    dialog->FillWorkArea();
    dialog->LayoutChildren();
    QTRY_COMPARE(dialog->geometry(), work);
    dialog->ToggleFullScreen();
    QTRY_COMPARE(dialog->geometry(), screen);
    dialog->awaitingGmName = false;
    dialog->ToggleFullScreen();
    QTRY_COMPARE(dialog->geometry(), work);
    QVERIFY(dialog->IsMaximized());
    QVERIFY(Shown(dialog, game::kTypeRestore));
    QVERIFY(!Shown(dialog, game::kTypeFill));
    QVERIFY(Shown(dialog, game::kTypeGmChat));
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
  }

  void doubleClickOnTitleBand() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    const QPoint band(dialog->width() / 2, dialog->GetEdgeHeight(2) / 2);
    // On a button: the button's own handling.
    CxSkinButton* restore = dialog->FindButtonByType(game::kTypeRestore);
    QTest::mouseDClick(restore, Qt::LeftButton, {}, QPoint(3, 3));
    QVERIFY(dialog->IsMaximized());
    // On the band while filling the work area: toggles to the normal state.
    QTest::mouseDClick(dialog, Qt::LeftButton, {}, band);
    QVERIFY(!dialog->IsMaximized());
    QTRY_COMPARE(dialog->geometry().size(), QSize(640, 480));
    // Below the band: nothing.
    QTest::mouseDClick(dialog, Qt::LeftButton, {},
                       QPoint(dialog->width() / 2, dialog->height() - 2));
    QVERIFY(!dialog->IsMaximized());
  }

  void trayHidesWithoutEndingTheRun() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    const bool returnable = QSystemTrayIcon::isSystemTrayAvailable() ||
                            dialog->GetBossKey()->IsRegistered();
    bool checked = false;
    QTimer::singleShot(0, dialog, [&] {
      QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeTray)));
      if (returnable)
        QVERIFY(!dialog->isVisible());
      else
        QVERIFY(dialog->isMinimized());
      QVERIFY(dialog->trayIcon != nullptr);
      // The modal run goes on: this runs from it after the window went to the tray.
      QTimer::singleShot(0, dialog, [&] {
        dialog->OnTrayActivated(QSystemTrayIcon::MiddleClick);
        if (returnable) QVERIFY(!dialog->isVisible());
        dialog->OnTrayActivated(QSystemTrayIcon::Context);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->trayIcon->isVisible());
        checked = true;
        dialog->EndDialog();
      });
    });
    QCOMPARE(dialog->exec(), int(QDialog::Accepted));
    QVERIFY(checked);
  }

  void bossKey() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    // The suite runs on a display of its own: nothing else holds Alt+D there.
    QVERIFY(dialog->GetBossKey()->IsRegistered());
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    QVERIFY2(!xdotool.isEmpty(), "xdotool is missing (scripts/deps.sh installs it)");
    auto press = [&] { return QProcess::execute(xdotool, {"key", "alt+d"}) == 0; };

    // Slot 9 holds the tray operation: the key hides the window, and brings it back.
    QVERIFY(press());
    QTRY_VERIFY(!dialog->isVisible());
    QVERIFY(press());
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(dialog->trayIcon == nullptr || !dialog->trayIcon->isVisible());
    // F9 itself runs nothing.
    QTest::keyClick(dialog, Qt::Key_F9);
    QVERIFY(dialog->isVisible());
  }

  void hotKeyWithNothingInSlotNine() {
    Session session;
    const std::string settings = GameSettings(site.Url(demo::kApiPath), "gameButtonCount=1\n",
                                              Button(1, 8, 9, -40, 2, 3));
    QVERIFY(session.Open(settings, site.Url(std::string(demo::kMaxHeader) + "?uid=7")));
    CGameDialog* dialog = session.dialog();
    dialog->OnHotKey();
    QVERIFY(dialog->isVisible());
    // F3 carries the tray operation here; the hot key brings the window back.
    QTest::keyClick(dialog, Qt::Key_F3);
    QVERIFY(!dialog->isVisible() || dialog->isMinimized());
    if (dialog->isMinimized()) return;  // no tray and no boss key here: the taskbar brings it back
    dialog->OnHotKey();
    QVERIFY(dialog->isVisible());
  }

  void hotKeyFacade() {
    // A combination no game window uses, so other tests on this display do not interfere.
    constexpr unsigned kCombination = platform::GlobalHotKey::kAlt | platform::GlobalHotKey::kControl;
    platform::GlobalHotKey first;
    QVERIFY(first.Register(kCombination, 'Q'));
    QVERIFY(first.IsRegistered());
    QVERIFY(first.EventHandle() >= 0);
    QCOMPARE(first.TakePresses(), 0);
    // Taken by another client: refused, and nothing is left grabbed by the refused one.
    platform::GlobalHotKey second;
    QVERIFY(!second.Register(kCombination, 'Q'));
    QVERIFY(!second.IsRegistered());
    QCOMPARE(second.EventHandle(), -1);
    first.Unregister();
    QVERIFY(second.Register(kCombination, 'Q'));
    // Keys without a plain key symbol are refused.
    platform::GlobalHotKey odd;
    QVERIFY(!odd.Register(kCombination, '#'));
    // A Wayland session has no global keys for this program.
    const QByteArray session = qgetenv("XDG_SESSION_TYPE");
    qputenv("XDG_SESSION_TYPE", "wayland");
    platform::GlobalHotKey onWayland;
    QVERIFY(!onWayland.Register(kCombination, 'W'));
    if (session.isNull())
      qunsetenv("XDG_SESSION_TYPE");
    else
      qputenv("XDG_SESSION_TYPE", session);
  }

  void closeQuestion() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    const std::string program = platform::ProgramBaseName(platform::ProgramPath());

    session.messages.answers = {platform::MessageBoxResult::Cancel};
    dialog->close();
    QCOMPARE(session.messages.seen.size(), std::size_t(1));
    QCOMPARE(session.messages.seen[0].caption, program);
    QCOMPARE(session.messages.seen[0].text, std::string("退出吗"));
    QVERIFY(session.messages.seen[0].buttons == platform::MessageBoxButtons::OkCancel);
    QVERIFY(dialog->isVisible());
    QCOMPARE(session.restarts.count, 0);

    // The dialog's own accept is the same question.
    session.messages.answers = {platform::MessageBoxResult::Cancel};
    dialog->accept();
    QCOMPARE(session.messages.seen.size(), std::size_t(2));
    QVERIFY(dialog->isVisible());

    // The restart command asks with the title as caption.
    session.messages.answers = {platform::MessageBoxResult::Cancel};
    QVERIFY(dialog->OnCommand(CGameDialog::kCommandRestart));
    QCOMPARE(session.messages.seen.size(), std::size_t(3));
    QCOMPARE(QString::fromStdString(session.messages.seen[2].caption),
             Qt8(TestConfig().GetSettings().title.c_str()));
    QVERIFY(dialog->isVisible());

    // OK: a new copy is started (the boss key released for it) and the window ends.
    session.messages.answers = {platform::MessageBoxResult::Ok};
    dialog->close();
    QCOMPARE(session.restarts.count, 1);
    QVERIFY(!dialog->GetBossKey()->IsRegistered());
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
  }

  void closeButtonDropsTheChatEvenOnCancel() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    QVERIFY(dialog->GetChatWindow() != nullptr);
    session.messages.answers = {platform::MessageBoxResult::Cancel};
    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeClose)));
    QCOMPARE(session.messages.seen.size(), std::size_t(1));
    QVERIFY(dialog->GetChatWindow() == nullptr);
    QVERIFY(dialog->isVisible());
    // Everything that reached the chat window now does nothing.
    dialog->OpenChatWindow();
    dialog->HideChatWindow();
    dialog->OnNewMsg();
    QVERIFY(dialog->blinkTimer == nullptr);
  }

  void returnAndEscapeBelongToThePage() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    QVERIFY(session.WaitForGamePage());
    QWidget* input = dialog->GetBrowser()->view()->focusProxy();
    QVERIFY(input != nullptr);
    session.Eval("window.keysSeen = []; document.addEventListener('keydown', function(e) {"
                 " keysSeen.push(e.key); });");
    QTest::keyClick(input, Qt::Key_Escape);
    QTest::keyClick(input, Qt::Key_Return);
    QTest::keyClick(dialog, Qt::Key_Escape);
    QTest::keyClick(dialog, Qt::Key_Return);
    QTRY_COMPARE(session.Eval("keysSeen.join(',')").toString(), QString("Escape,Enter"));
    QVERIFY(session.messages.seen.empty());
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
  }

  void outsideCommands() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    QCOMPARE(dialog->commandChannel->Name(), channelName);
    // Each send runs on a thread of its own: the window answers from this thread's event loop.
    auto send = [&](int id) {
      std::future<bool> sent =
          std::async(std::launch::async, [id, name = channelName] { return GameCommandChannel::Send(id, name); });
      const bool answered = QTest::qWaitFor(
          [&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 15000);
      return answered && sent.get();
    };
    QVERIFY(send(CGameDialog::kCommandFullScreen));
    QTRY_VERIFY(dialog->IsFullScreen());
    QVERIFY(send(CGameDialog::kCommandFullScreen));
    QTRY_VERIFY(!dialog->IsFullScreen());

    session.messages.answers = {platform::MessageBoxResult::Cancel};
    QVERIFY(send(CGameDialog::kCommandClearCache));
    QTRY_COMPARE(session.messages.seen.size(), std::size_t(1));
    QCOMPARE(session.messages.seen[0].text, std::string("确定清除吗"));

    session.messages.answers = {platform::MessageBoxResult::Cancel};
    QVERIFY(send(CGameDialog::kCommandRestart));
    QTRY_COMPARE(session.messages.seen.size(), std::size_t(2));
    QCOMPARE(session.messages.seen[1].text, std::string("退出吗"));
    QVERIFY(dialog->isVisible());

    QVERIFY(!send(1529));
    QVERIFY(!send(188));
    QCOMPARE(session.messages.seen.size(), std::size_t(2));

    QVERIFY(send(CGameDialog::kCommandTray));
    QTRY_VERIFY(!dialog->isVisible() || dialog->isMinimized());
    QCOMPARE(session.restarts.count, 0);
  }

  void silentSendersAreDropped() {
    GameCommandChannel channel;
    channel.SetLineWait(1000);
    const QString name = channelName + "-silent";
    QVERIFY(channel.Listen(name));
    std::vector<std::unique_ptr<QLocalSocket>> silent;
    for (int i = 0; i <= GameCommandChannel::kMaxSenders; ++i) {
      silent.push_back(std::make_unique<QLocalSocket>());
      silent.back()->connectToServer(name);
      QVERIFY(silent.back()->waitForConnected(5000));
    }
    auto connected = [&] {
      return std::count_if(silent.begin(), silent.end(), [](const auto& s) {
        return s->state() == QLocalSocket::ConnectedState;
      });
    };
    // One over the limit is dropped at once, the rest when their time to send a line is up.
    QTRY_COMPARE(connected(), long(GameCommandChannel::kMaxSenders));
    QTRY_COMPARE_WITH_TIMEOUT(connected(), 0L, 15000);
    QSignalSpy commands(&channel, &GameCommandChannel::Command);
    std::future<bool> sent = std::async(std::launch::async, [name] {
      return GameCommandChannel::Send(CGameDialog::kCommandFullScreen, name);
    });
    QTRY_COMPARE_WITH_TIMEOUT(commands.count(), 1, 15000);
    QVERIFY(sent.get());
  }

  void programCommandLine() {
    const QString program = QString::fromLocal8Bit(qgetenv("LAUNCHER_PROGRAM"));
    QVERIFY2(!program.isEmpty(), "LAUNCHER_PROGRAM names the built program");
    // Nothing listens yet: the sender says so.
    auto run = [&](const QString& id) {
      QProcess client;
      client.start(program, {"--command", id});
      if (!client.waitForStarted(10000)) return -1;
      if (!QTest::qWaitFor([&] { return client.state() == QProcess::NotRunning; }, 15000)) return -1;
      return client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1;
    };
    QCOMPARE(run("1528"), 1);

    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    QCOMPARE(run("1528"), 0);
    QTRY_VERIFY(dialog->IsFullScreen());
    QCOMPARE(run("42"), 2);
    QCOMPARE(run("1528"), 0);
    QTRY_VERIFY(!dialog->IsFullScreen());
    QVERIFY(session.messages.seen.empty());
  }

  void commandLineTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("id");
    QTest::newRow("restart") << "1526" << 1526;
    QTest::newRow("cache with newline") << "1527\n" << 1527;
    QTest::newRow("full screen, blanks") << " 1528 " << 1528;
    QTest::newRow("tray") << "1530" << 1530;
    QTest::newRow("1529 is no command") << "1529" << 0;
    QTest::newRow("button id") << "191" << 0;
    QTest::newRow("sign") << "+1526" << 0;
    QTest::newRow("trailing text") << "1526x" << 0;
    QTest::newRow("long") << "000000001526" << 0;
    QTest::newRow("empty") << "" << 0;
  }
  void commandLineTexts() {
    QFETCH(QString, text);
    QFETCH(int, id);
    QCOMPARE(GameCommandChannel::AcceptedCommand(text.toStdString()), id);
  }
};

LAUNCHER_WEB_TEST_MAIN(BehaviourTest)
#include "BehaviourTest.moc"
