// The game window around real operators' pages: a game in a frame of another site inside a
// portal, frames that may or may not drive the client, the page's own full screen, and a game
// page whose renderer dies.
#include <signal.h>

#include <QKeyEvent>
#include <algorithm>

#include "BridgeSession.h"

using namespace gametest;

namespace {

// The game inside the frame: records the client's calls and closes the client when told.
const char kGameFrame[] = R"HTML(<!DOCTYPE html><html><body style="margin:0;background:#123456">
<div style="width:100%;height:2000px"></div><script>
var reports = [];
function clientCallJs() { reports.push(['clientCallJs'].concat([].slice.call(arguments))); }
function isReady() { reports.push(['isReady']); }
function reportsText() { return JSON.stringify(reports); }
window.addEventListener('message', function (e) {
  if (e.data === 'close') window.external.JsCallClient('1');
});
</script></body></html>)HTML";

// A frame of another site that tries to close the client as soon as it loads.
const char kAdFrame[] = R"HTML(<!DOCTYPE html><html><body><script>
window.addEventListener('load', function () { window.external.JsCallClient('1'); });
</script></body></html>)HTML";

const char kFullScreenGame[] = R"HTML(<!DOCTYPE html><html>
<body style="margin:0;height:100%"><div style="width:100%;height:2000px"></div><script>
// One request per arming, however many clicks it takes to reach the page.
var armed = false;
document.addEventListener('click', function () {
  if (!armed) return;
  armed = false;
  document.documentElement.requestFullscreen();
});
</script></body></html>)HTML";

// Full screen and the mouse on one click, as a shooter asks for them.
const char kPointerLockGame[] = R"HTML(<!DOCTYPE html><html>
<body style="margin:0;height:100%;background:#203040"><script>
var armed = false;
window.locked = false;
document.addEventListener('pointerlockchange', function () {
  window.locked = document.pointerLockElement !== null;
});
document.addEventListener('click', function () {
  if (!armed) return;
  armed = false;
  document.documentElement.requestFullscreen();
  document.body.requestPointerLock();
});
</script></body></html>)HTML";

QString FrameReports(CGameDialog* dialog) {
  QString text;
  bool answered = false;
  dialog->GetPage().CallScript("reportsText", nullptr, [&](const ScriptOutcome& outcome) {
    text = outcome.value.toString();
    answered = true;
  });
  return QTest::qWaitFor([&] { return answered; }, 10000) ? text : QString();
}

}  // namespace

class FrameTest : public QObject {
  Q_OBJECT

  DemoSiteProcess site;
  std::unique_ptr<TestHttpServer> pages;

  std::string Settings() const { return GameSettings(site.Url(demo::kApiPath)); }

  static bool ClickUntil(Session& session, QWidget* target, const std::function<bool()>& done) {
    session.Eval("armed = true; 1");
    for (int attempt = 0; attempt < 20; ++attempt) {
      QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(200, 200));
      if (QTest::qWaitFor(done, 1000)) return true;
    }
    return false;
  }

 private slots:
  void initTestCase() {
    if (!DemoSiteProcess::Built()) QSKIP("demo site not built");
    QVERIFY2(site.Start({"--chat-url", "about:blank"}), "the demo site did not start");
    pages = std::make_unique<TestHttpServer>();
    const std::string game = pages->Url(std::string(demo::kMaxHeader) + "/frame?sid=12&u=1", "localhost");
    const std::string ad = pages->Url("/ad", "localhost");
    pages->Page("/portal",
                "<!DOCTYPE html><html><head><title>portal</title></head><body style='margin:0'>"
                "<script>var reports = [];"
                "function clientCallJs() { reports.push('top'); } function isReady() { reports.push('top'); }"
                "</script><iframe src='" + ad + "' style='display:none'></iframe>"
                "<iframe id='game' src='" + game + "' style='width:100%;height:900px;border:0'></iframe>"
                "</body></html>");
    pages->Page(std::string(demo::kMaxHeader) + "/frame", kGameFrame);
    pages->Page("/ad", kAdFrame);
    pages->Page(std::string(demo::kMaxHeader) + "/full", kFullScreenGame);
    pages->Page(std::string(demo::kMaxHeader) + "/lock", kPointerLockGame);
  }

  void gameInAFrameOfAnotherSite() {
    Session session;
    QVERIFY(session.Open(Settings(), pages->Url("/portal")));
    CGameDialog* dialog = session.dialog();
    QWidget* view = dialog->GetBrowser()->view();
    QTRY_VERIFY_WITH_TIMEOUT(view->isVisible(), kPageTimeoutMs);
    QVERIFY(Qt8(dialog->GetTitleText()).endsWith(QString::fromUtf8(" [双线12服]")));
    // The frame's completion laid the page out like a top document's: it fills the filled window
    // below the top band.
    QCOMPARE(dialog->GetBrowser()->geometry(), QRect(0, dialog->GetEdgeHeight(2), dialog->width(),
                                                     dialog->height() - dialog->GetEdgeHeight(2)));

    // The right-button report and isReady reach the game frame's functions, not the portal's.
    QTRY_VERIFY(view->focusProxy() != nullptr);
    QWidget* input = view->focusProxy();
    QTest::mousePress(input, Qt::RightButton, {}, QPoint(100, 120));
    QTest::mouseRelease(input, Qt::RightButton, {}, QPoint(100, 120));
    QTRY_COMPARE_WITH_TIMEOUT(FrameReports(dialog),
                              QStringLiteral(R"([["clientCallJs","2","100","120","0"],["isReady"],)"
                                             R"(["clientCallJs","3","100","120","0"],["isReady"]])"),
                              kPageTimeoutMs);
    QCOMPARE(session.Eval("JSON.stringify(reports)").toString(), QStringLiteral("[]"));

    // The advertising frame's close did nothing; the game frame's closes the client.
    QVERIFY(dialog->isVisible());
    session.Eval("document.getElementById('game').contentWindow.postMessage('close', '*'); 1");
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), kPageTimeoutMs);
    QCOMPARE(session.restarts.count, 0);
  }

  // The game page's renderer dies and the page is loaded again: the server suffix its address
  // gave the title (a marker followed by "&") is not added a second time, crash after crash.
  void rendererDeathKeepsTheTitle() {
    const std::string path = std::string(demo::kMaxHeader) + "/frame?sid=12&u=1";
    Session session;
    QVERIFY(session.Open(Settings(), pages->Url(path)));
    CGameDialog* dialog = session.dialog();
    CWebBrowserEx* browser = dialog->GetBrowser();
    QTRY_VERIFY_WITH_TIMEOUT(browser->view()->isVisible(), kPageTimeoutMs);
    const QString title = Qt8(dialog->GetTitleText());
    QVERIFY(title.endsWith(QString::fromUtf8(" [双线12服]")));
    for (int crash = 0; crash < 2; ++crash) {
      QTRY_VERIFY_WITH_TIMEOUT(!session.gamePage()->isLoading(), kPageTimeoutMs);
      QSignalSpy gone(browser, &CWebBrowser::RenderProcessGone);
      QSignalSpy complete(browser, &CWebBrowser::DocumentComplete);
      const qint64 pid = session.gamePage()->renderProcessPid();
      QVERIFY(pid > 0);
      QCOMPARE(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
      QVERIFY(gone.wait(kPageTimeoutMs));
      // The reloaded game document completes.
      QTRY_VERIFY_WITH_TIMEOUT(
          std::any_of(complete.begin(), complete.end(),
                      [](const QList<QVariant>& args) {
                        return args.at(0).toString().contains(QString(demo::kMaxHeader));
                      }),
          kPageTimeoutMs);
      QTRY_VERIFY_WITH_TIMEOUT(!session.gamePage()->isLoading(), kPageTimeoutMs);
      QCOMPARE(Qt8(dialog->GetTitleText()), title);
      // The page in its new renderer has the client again.
      QCOMPARE(session.Eval("typeof window.external.JsCallClient").toString(), QStringLiteral("function"));
    }
    QVERIFY(browser->view()->isVisible());
    QVERIFY(session.messages.seen.empty());
  }

  void escapeGivesTheMouseBackBeforeItLeavesFullScreen() {
    Session session;
    QVERIFY(session.Open(Settings(), pages->Url(std::string(demo::kMaxHeader) + "/lock?sid=3")));
    CGameDialog* dialog = session.dialog();
    QWidget* view = dialog->GetBrowser()->view();
    QTRY_VERIFY_WITH_TIMEOUT(view->isVisible() && view->focusProxy() != nullptr, kPageTimeoutMs);
    QWidget* input = view->focusProxy();
    dialog->activateWindow();
    input->setFocus();
    QTRY_VERIFY(input->hasFocus());
    QVERIFY(ClickUntil(session, input, [&] {
      return dialog->IsFullScreen() && session.Eval("window.locked").toBool();
    }));
    QTest::keyClick(input, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!session.Eval("window.locked").toBool(), kPageTimeoutMs);
    QVERIFY(dialog->IsFullScreen());
    QTest::keyClick(input, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->IsFullScreen(), kPageTimeoutMs);
  }

  void pageFullScreenIsTheWindowsFullScreen() {
    Session session;
    QVERIFY(session.Open(Settings(), pages->Url(std::string(demo::kMaxHeader) + "/full?sid=3")));
    CGameDialog* dialog = session.dialog();
    QWidget* view = dialog->GetBrowser()->view();
    QTRY_VERIFY_WITH_TIMEOUT(view->isVisible() && view->focusProxy() != nullptr, kPageTimeoutMs);
    QWidget* input = view->focusProxy();
    const QString title = Qt8(dialog->GetTitleText());

    QVERIFY(ClickUntil(session, input, [&] { return dialog->IsFullScreen(); }));
    QTRY_VERIFY(session.Eval("!!document.fullscreenElement").toBool());
    QTest::keyClick(input, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->IsFullScreen(), kPageTimeoutMs);
    QTRY_VERIFY(!session.Eval("!!document.fullscreenElement").toBool());
    QVERIFY(dialog->IsMaximized());

    QVERIFY(ClickUntil(session, input, [&] { return dialog->IsFullScreen(); }));
    QTRY_VERIFY(session.Eval("!!document.fullscreenElement").toBool());
    session.Eval("document.exitFullscreen(); 1");
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->IsFullScreen(), kPageTimeoutMs);

    // The window's own full-screen command takes the page out of its full screen as well.
    QVERIFY(ClickUntil(session, input, [&] { return dialog->IsFullScreen(); }));
    QTRY_VERIFY(session.Eval("!!document.fullscreenElement").toBool());
    dialog->ToggleFullScreen();
    QVERIFY(!dialog->IsFullScreen());
    QTRY_VERIFY_WITH_TIMEOUT(!session.Eval("!!document.fullscreenElement").toBool(), kPageTimeoutMs);
    QVERIFY(!dialog->IsFullScreen());

    // A renderer death reloads the page; the window keeps its state and title.
    dialog->ToggleFullScreen();
    QVERIFY(dialog->IsFullScreen());
    QSignalSpy complete(dialog->GetBrowser(), &CWebBrowser::DocumentComplete);
    QCOMPARE(::kill(static_cast<pid_t>(session.gamePage()->renderProcessPid()), SIGKILL), 0);
    QVERIFY(complete.wait(kPageTimeoutMs));
    QVERIFY(dialog->IsFullScreen());
    QCOMPARE(Qt8(dialog->GetTitleText()), title);
    QVERIFY(session.messages.seen.empty());
  }
};

LAUNCHER_WEB_TEST_MAIN(FrameTest)
#include "FrameTest.moc"
