// What a frame of another site (an advertisement) can and cannot do in a hosted page: every way
// into window.external, taking the top document, posing as the game's document, opening windows
// and asking under the game's name; and that the game's own frame keeps its bridge meanwhile.
#include <QWebChannel>
#include <memory>

#include "WebTestSupport.h"
#include "core/game/GameTitleRules.h"
#include "web/ClientCall.h"
#include "web/WebPage.h"
#include "web/WebUIController.h"

namespace {

const char kGameMarker[] = "/play/game";

// The game's frame: answers isReady, and calls the client when the top page asks it to. It
// tells the top page when it listens: a message sent to a frame still loading is lost.
const char kGameFrame[] = R"HTML(<!DOCTYPE html><html><body><script>
function isReady() { return 'ready'; }
window.addEventListener('message', function (e) {
  if (e.data === 'sentinel') window.external.JsCallClient('1', 'game');
});
window.top.postMessage('game:listening', '*');
</script></body></html>)HTML";

// Every way an advertisement might try to reach the client, all within one task; then it says so.
const char kAdFrame[] = R"HTML(<!DOCTYPE html><html><body style="margin:0">
<div id="pad" style="width:400px;height:300px;background:#222"></div><script>
function fire(tag) {
  window.dispatchEvent(new CustomEvent('__launcher_calls', {detail: JSON.stringify(
      [{n: 'JsCallClient', a: [{t: 's', v: '1'}, {t: 's', v: tag}]}])}));
}
function forge(kind, extra) {
  var body = {s: 'guess', k: kind, href: 'http:\/\/127.0.0.1/play/game/frame', id: 'forged',
              c: [{n: 'JsCallClient', a: [{t: 's', v: '1'}, {t: 's', v: 'raw'}]}]};
  window.top.postMessage({__launcherRelay: body}, '*');
}
window.addEventListener('load', function () {
  try { window.external.JsCallClient('1', 'method'); } catch (e) {}
  fire('event');
  location.hash = '/play/game';
  fire('hash');
  history.replaceState(null, '', '/play/game/fake?sid=1');
  fire('replaceState');
  try { window.external.JsCallClient('6', 'retitle'); } catch (e) {}
  forge('calls');
  forge('complete');
  window.open('/popup');
  window.top.postMessage('ad:done', '*');
});
document.getElementById('pad').addEventListener('click', function () {
  window.top.location = location.origin + '/ads/landing';
});
</script></body></html>)HTML";

const char kLanding[] = R"HTML(<!DOCTYPE html><html><body><script>
try { window.external.JsCallClient('1', 'landing'); } catch (e) {}
</script></body></html>)HTML";

// An advertisement's page that has taken the top and keeps knocking.
const char kKnockingTop[] = R"HTML(<!DOCTYPE html><html><body><script>
setInterval(function () { try { window.external.JsCallClient('1', 'knock'); } catch (e) {} }, 10);
</script></body></html>)HTML";

const char kGameTop[] = R"HTML(<!DOCTYPE html><html><body><script>
window.external.JsCallClient('1', 'game top');
</script></body></html>)HTML";

const char kReloadingAd[] = R"HTML(<!DOCTYPE html><html><body><script>
var n = Number(sessionStorage.getItem('reloads') || 0);
if (n < 200) { sessionStorage.setItem('reloads', String(n + 1)); location.reload(); }
else window.top.postMessage('reloads:done', '*');
</script></body></html>)HTML";

const char kPromptingAd[] = R"HTML(<!DOCTYPE html><html><body><script>
window.addEventListener('load', function () { prompt('请输入游戏密码'); window.top.postMessage('asked', '*'); });
</script></body></html>)HTML";

}  // namespace

class HostileFrameTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    server = std::make_unique<TestHttpServer>();
    const std::string ad = server->Url("/ads/ad", "localhost");
    const std::string ad2 = server->Url("/ads/ad2#/play/game/?sid=9999", "localhost");
    // The game's frame gets its sentinel once the advertisement is done and the frame listens,
    // in whichever order the two frames (in processes of their own) get there.
    const std::string relayTop =
        "<script>var gameListens = false, sentinelSent = false;"
        "function sentinel() {"
        "  if (!window.adState || !gameListens || sentinelSent) return;"
        "  sentinelSent = true;"
        "  document.getElementById('game').contentWindow.postMessage('sentinel', '*'); }"
        "addEventListener('message', function (e) {"
        "  if (e.data === 'game:listening') { gameListens = true; sentinel(); }"
        "  if (e.data === 'ad:done' || e.data === 'reloads:done' || e.data === 'asked') {"
        "    window.adState = e.data; sentinel(); } });</script>";
    server->Page("/portal", "<!DOCTYPE html><html><head><title>龙域传说</title></head><body style='margin:0'>" +
                                relayTop + "<iframe id='ad' src='" + ad +
                                "' style='border:0;width:400px;height:300px'></iframe>"
                                "<iframe id='game' src='/play/game/frame?sid=12'></iframe>"
                                "<iframe src='" + ad2 + "'></iframe></body></html>");
    server->Page("/play/game/frame", kGameFrame);
    server->Page("/ads/ad", kAdFrame);
    server->Page("/ads/ad2", "<html><body>ad two</body></html>");
    server->Page("/ads/landing", kLanding);
    server->Page("/ads/reload", kReloadingAd);
    server->Page("/ads/prompt", kPromptingAd);
    server->Page("/popup", "<html><body>popup</body></html>");
    server->Page("/ads/knock", kKnockingTop);
    server->Page("/to-knock", "<!DOCTYPE html><html><body style='margin:0'><div style='width:400px;height:300px' "
                              "onclick=\"location.href='" + server->Url("/ads/knock", "localhost") +
                              "'\"></div></body></html>");
    server->Page("/play/game/top", kGameTop);
    server->Page("/reloads", "<!DOCTYPE html><html><body>" + relayTop + "<iframe id='game' src='/play/game/frame'>"
                             "</iframe><iframe src='" + server->Url("/ads/reload", "localhost") +
                             "'></iframe></body></html>");
    server->Page("/asks", "<!DOCTYPE html><html><head><title>龙域传说</title></head><body>" + relayTop +
                          "<iframe id='game' src='/play/game/frame'></iframe><iframe src='" +
                          server->Url("/ads/prompt", "localhost") + "'></iframe></body></html>");
    host = ShownHost();
    QVERIFY(host != nullptr);
  }

  void init() {
    game = RecordingGameWindow();
    currentGame.game = &game;
  }

  void cleanup() {
    currentGame.game = nullptr;
    ClosePopups();
  }

  void cleanupTestCase() {
    host.reset();
    server.reset();
  }

  void anAdvertisementReachesNothingByAnyPath() {
    auto browser = Start("/portal", {});
    QSignalSpy complete(browser.get(), &CWebBrowser::DocumentComplete);
    // The game frame's sentinel comes after every attempt of the advertisement.
    QTRY_VERIFY2_WITH_TIMEOUT(game.calls.size() == 1, qPrintable(PortalState(browser.get())), 30000);
    QCOMPARE(QString::fromStdString(game.calls[0].args.at(1).text), QStringLiteral("game"));
    QCOMPARE(EvalJs(browser->view()->page(), "window.adState").toString(), QStringLiteral("ad:done"));
    QVERIFY(Popups().empty());

    // Neither the advertisement completing with the marker in its fragment nor a forged
    // completion poses as the game's document; the game's own frame does.
    QTRY_VERIFY_WITH_TIMEOUT(complete.size() >= 4, 20000);
    QStringList gameDocuments;
    for (const QList<QVariant>& event : complete) {
      const std::string url = event.at(0).toString().toStdString();
      if (game::ClassifyCompletedPage(url, kGameMarker, event.at(1).toBool()) == game::CompletedPage::Game)
        gameDocuments << event.at(0).toString();
    }
    QCOMPARE(gameDocuments, QStringList{QString::fromStdString(server->Url("/play/game/frame?sid=12"))});

    // The player clicks the advertisement and it takes the top document to its own site: the
    // page there is not the game's and reaches nothing either.
    QObject* bridge = Bridge(browser.get());
    QSignalSpy refused(bridge, SIGNAL(callsRefused(QString)));
    // Clicking stops once the new document is asked for: a click while it loads would start the
    // load again, and on a busy machine that could go on for ever.
    QVERIFY(ClickPageUntil(browser.get(), QPoint(50, 50), [&] { return server->Hits("/ads/landing") > 0; }));
    QTRY_COMPARE_WITH_TIMEOUT(browser->view()->page()->url().path(), QStringLiteral("/ads/landing"), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!refused.isEmpty() && refused.last().at(0).toString().contains("/ads/landing"), 30000);
    QCOMPARE(game.calls.size(), std::size_t{1});
  }

  // While a load the program asked for is pending, the document before it still runs (and the
  // engine may already show the new address): an advertisement that took the top reaches nothing
  // meanwhile, and the game's document, once there, is trusted from its first call.
  void anAdvertisementOnTopReachesNothingWhileTheGameLoads() {
    auto browser = Start("/to-knock", {});
    QObject* bridge = Bridge(browser.get());
    QSignalSpy refused(bridge, SIGNAL(callsRefused(QString)));
    QVERIFY(ClickPageUntil(browser.get(), QPoint(50, 50), [&] { return server->Hits("/ads/knock") > 0; }));
    QTRY_VERIFY_WITH_TIMEOUT(!refused.isEmpty() && refused.last().at(0).toString().contains("/ads/knock"), 30000);

    server->Hold("/play/game/top");
    browser->Navigate(server->Url("/play/game/top"));
    QTRY_COMPARE_WITH_TIMEOUT(server->Hits("/play/game/top"), 1, 30000);
    // The knocks go on while the game's page is held back, and every one is refused.
    const qsizetype before = refused.size();
    QTRY_VERIFY_WITH_TIMEOUT(refused.size() >= before + 20, 30000);
    QVERIFY(game.calls.empty());

    server->Release("/play/game/top");
    QTRY_VERIFY_WITH_TIMEOUT(!game.calls.empty(), 30000);
    QCOMPARE(game.calls.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(game.calls[0].args.at(1).text), QStringLiteral("game top"));
  }

  void trustedHostsLetANamedHostIn() {
    auto browser = Start("/portal", {"LOCALHOST"});
    // The advertisement and the game's frame run in processes of their own, so the trusted
    // frame's calls and the game's sentinel reach the program in either order.
    const auto tags = [&] {
      QStringList seen;
      for (const auto& call : game.calls) seen << QString::fromStdString(call.args.at(1).text);
      return seen;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(tags().contains("method") && tags().contains("event") && tags().contains("game"),
                              qPrintable(tags().join(',') + " " + PortalState(browser.get())), 30000);
    QVERIFY(!tags().contains("raw"));  // without the page's secret nothing passes
  }

  void theGameFrameKeepsItsDocumentBesideAReloadingAdvertisement() {
    auto browser = Start("/reloads", {});
    QSignalSpy complete(browser.get(), &CWebBrowser::DocumentComplete);
    QTRY_VERIFY_WITH_TIMEOUT(!FrameDocument(complete, "/play/game/frame").isNull(), 20000);
    CWebPage page;
    QVERIFY(page.AttachDocument(FrameDocument(complete, "/play/game/frame")));
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(browser->view()->page(), "String(window.adState)").toString(),
                              QStringLiteral("reloads:done"), 120000);
    bool answered = false;
    QVariant value;
    QVERIFY(page.CallScript("isReady", nullptr, [&](const ScriptOutcome& outcome) {
      answered = outcome.ok;
      value = outcome.value;
    }));
    QTRY_VERIFY_WITH_TIMEOUT(answered, 20000);
    QCOMPARE(value.toString(), QStringLiteral("ready"));
  }

  void aFrameOfAnotherSiteAsksUnderItsOwnOrigin() {
    MessageAnswers boxes;
    auto browser = Start("/asks", {});
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(browser->view()->page(), "String(window.adState)").toString(),
                              QStringLiteral("asked"), 30000);
    QCOMPARE(boxes.seen.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(boxes.seen[0].caption),
             QString::fromStdString(server->Url("", "localhost")));
    QCOMPARE(QString::fromStdString(boxes.seen[0].text), QStringLiteral("请输入游戏密码"));
    // The top document's own questions keep the game's name.
    EvalJs(browser->view()->page(), "alert('公告'); 1");
    QTRY_COMPARE_WITH_TIMEOUT(boxes.seen.size(), std::size_t{2}, 20000);
    QCOMPARE(QString::fromStdString(boxes.seen[1].caption), QStringLiteral("龙域传说"));
  }

 private:
  // What the portal page got to, for a failure's message: the advertisement's report and whether
  // the game's frame has the client's methods.
  static QString PortalState(CWebBrowser* browser) {
    return EvalJs(browser->view()->page(),
                  "'adState=' + String(window.adState) + ' game frame listens=' + gameListens +"
                  "' sentinel sent=' + sentinelSent + ' game frame external=' + (function () {"
                  "  try { return typeof document.getElementById('game').contentWindow.external.JsCallClient; }"
                  "  catch (e) { return String(e); } })()")
        .toString();
  }

  std::unique_ptr<CWebBrowserEx> Start(const std::string& path, const std::vector<std::string>& hosts) {
    auto browser = std::make_unique<CWebBrowserEx>();
    HostedPageParams params;
    params.controlId = 170;
    params.rect = QRect(0, 0, 640, 480);
    params.parent = host.get();
    params.external = &external;
    params.trustedFrameMarkers = {kGameMarker};
    params.trustedHosts = hosts;
    params.gamePage = true;
    params.address = server->Url(path);
    if (!StartHostedPage(*browser, params)) return nullptr;
    return browser;
  }

  static QPointer<CWebPageDocument> FrameDocument(const QSignalSpy& complete, const char* path) {
    for (const QList<QVariant>& event : complete) {
      if (!event.at(1).toBool() && event.at(0).toString().contains(path))
        return event.at(2).value<CWebPageDocument*>();
    }
    return nullptr;
  }

  static QObject* Bridge(CWebBrowserEx* browser) {
    return browser->view()->page()->webChannel()->registeredObjects().value("launcherExternal");
  }

  std::unique_ptr<TestHttpServer> server;
  std::unique_ptr<QWidget> host;
  RecordingGameWindow game;
  GameDialogCallback external{currentGame};
};

LAUNCHER_WEB_TEST_MAIN(HostileFrameTest)
#include "HostileFrameTest.moc"
