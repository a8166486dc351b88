// What a game page gets from its own client and a page of another site inside it does not: sound
// from the start, pointer lock and clipboard writes on the player's click.
#include <QClipboard>
#include <QGuiApplication>
#include <memory>

#include "WebTestSupport.h"
#include "web/ClientCall.h"
#include "web/WebUIController.h"

namespace {

// A fifth of a second of silence: 8 kHz, 8-bit, mono.
QByteArray SilentWav() {
  const int samples = 1600;
  QByteArray wav;
  auto put32 = [&wav](quint32 v) { for (int i = 0; i < 4; ++i) wav.append(char((v >> (8 * i)) & 0xFF)); };
  auto put16 = [&wav](quint16 v) { wav.append(char(v & 0xFF)); wav.append(char(v >> 8)); };
  wav.append("RIFF");
  put32(36 + samples);
  wav.append("WAVEfmt ");
  put32(16);
  put16(1);
  put16(1);
  put32(8000);
  put32(8000);
  put16(1);
  put16(8);
  wav.append("data");
  put32(samples);
  wav.append(QByteArray(samples, char(0x80)));
  return wav;
}

const char kGamePage[] = R"HTML(<!DOCTYPE html><html><body style="margin:0;background:#202830">
<canvas id="c" width="300" height="200" style="display:block;background:#345"></canvas>
<iframe id="ad" src="AD" style="position:absolute;left:320px;top:0;width:300px;height:200px;border:0"></iframe>
<script>
window.audio = 'pending';
new Audio('/tone.wav').play().then(function () { window.audio = 'playing'; },
                                   function (e) { window.audio = e.name; });
var context = new AudioContext();
window.contextState = function () { return context.state; };
var c = document.getElementById('c');
document.addEventListener('pointerlockchange', function () {
  window.locked = document.pointerLockElement === c;
});
document.addEventListener('pointerlockerror', function () { window.lockError = true; });
c.addEventListener('click', function () {
  c.requestPointerLock();
  navigator.clipboard.writeText('invite-123').then(function () { window.copied = 'ok'; },
                                                   function (e) { window.copied = e.name; });
});
window.adResults = [];
window.addEventListener('message', function (e) {
  if (typeof e.data === 'string' && e.data.indexOf('ad:') === 0) window.adResults.push(e.data);
});
</script></body></html>)HTML";

const char kAdPage[] = R"HTML(<!DOCTYPE html><html><body style="margin:0">
<div id="pad" style="width:300px;height:200px;background:#333"></div><script>
function say(text) { window.parent.postMessage('ad:' + text, '*'); }
document.addEventListener('pointerlockerror', function () { say('lock:error'); });
document.addEventListener('pointerlockchange', function () { say('lock:' + !!document.pointerLockElement); });
document.getElementById('pad').addEventListener('click', function () {
  document.getElementById('pad').requestPointerLock();
  navigator.clipboard.writeText('ad-text').then(function () { say('copy:ok'); },
                                                function (e) { say('copy:' + e.name); });
});
</script></body></html>)HTML";

}  // namespace

class GamePageTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    server = std::make_unique<TestHttpServer>();
    QString page = QString::fromUtf8(kGamePage);
    page.replace("AD", QString::fromStdString(server->Url("/ad", "localhost")));
    server->Page("/game", page.toStdString());
    server->Page("/ad", kAdPage);
    server->Raw("/tone.wav", SilentWav().toStdString(), "audio/wav");
    host = ShownHost();
    QVERIFY(host != nullptr);
  }

  void cleanupTestCase() {
    host.reset();
    server.reset();
  }

  void soundStartsWithTheGamePageOnly() {
    auto game = Start(true);
    QWebEnginePage* page = game->view()->page();
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "window.audio").toString(), QStringLiteral("playing"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "contextState()").toString(), QStringLiteral("running"), 20000);
    // Any other page of the program (the login page, a pop-up) waits for the player, as a browser does.
    auto other = Start(false);
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(other->view()->page(), "window.audio").toString(),
                              QStringLiteral("NotAllowedError"), 20000);
    QCOMPARE(EvalJs(other->view()->page(), "contextState()").toString(), QStringLiteral("suspended"));
  }

  void pointerLockAndClipboardFollowTheClickInTheGameOnly() {
    QGuiApplication::clipboard()->clear();
    auto game = Start(true);
    QWebEnginePage* page = game->view()->page();
    // Pointer lock goes to the page that has the keyboard focus, as the player's click gives it.
    host->activateWindow();
    game->view()->setFocus();
    QTRY_VERIFY(game->view()->focusProxy()->hasFocus());
    QVERIFY(ClickPageUntil(game.get(), QPoint(100, 100), [&] { return EvalJs(page, "window.locked === true").toBool(); }));
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "window.copied").toString(), QStringLiteral("ok"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), QStringLiteral("invite-123"), 20000);
    // Escape gives the mouse back.
    QTest::keyClick(game->view()->focusProxy(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(page, "window.locked === false").toBool(), 20000);

    // A frame of another site gets neither.
    QVERIFY(ClickPageUntil(game.get(), QPoint(420, 100), [&] {
      return EvalJs(page, "window.adResults.join(',')").toString().contains("copy:");
    }));
    const QString results = EvalJs(page, "window.adResults.join(',')").toString();
    QVERIFY2(results.contains("copy:NotAllowedError"), qPrintable(results));
    // The engine grants the mouse to the page as a whole; a frame of another site gives it back
    // at once, and the game never holds it meanwhile.
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(page, "window.adResults.join(',')").toString().contains("lock:"), 20000);
    const QString lockResults = EvalJs(page, "window.adResults.join(',')").toString();
    QVERIFY2(!lockResults.contains("lock:true"), qPrintable(lockResults));
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(page, "document.pointerLockElement === null").toBool(), 20000);
    QCOMPARE(EvalJs(page, "window.locked").toBool(), false);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("invite-123"));
  }

 private:
  std::unique_ptr<CWebBrowserEx> Start(bool gamePage) {
    auto browser = std::make_unique<CWebBrowserEx>();
    HostedPageParams params;
    params.controlId = 170;
    params.rect = QRect(0, 0, 640, 480);
    params.parent = host.get();
    params.external = &external;
    params.trustedFrameMarkers = {"/play/game"};
    params.gamePage = gamePage;
    params.address = server->Url("/game");
    if (!StartHostedPage(*browser, params)) return nullptr;
    return browser;
  }

  std::unique_ptr<TestHttpServer> server;
  std::unique_ptr<QWidget> host;
  GameDialogCallback external{currentGame};
};

LAUNCHER_WEB_TEST_MAIN(GamePageTest)
#include "GamePageTest.moc"
