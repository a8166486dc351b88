// window.external: the four methods, their argument types, frames, early calls, hosts without an
// external object or without a game window, and a flood of calls.
#include <signal.h>

#include <QElapsedTimer>
#include <QWebChannel>
#include <QWebEngineView>
#include <cmath>
#include <memory>

#include "WebTestSupport.h"
#include "core/web/ExternalDispatch.h"
#include "web/ClientCall.h"
#include "web/WebBrowser.h"

namespace {

using Kind = PageArg::Kind;

// The page reports the end of its calls with Is360Game(), which records "relayout".
const char kCallsPage[] = R"HTML(<!DOCTYPE html><html><head><script>
window.external.JsCallClient("1", "early");
</script></head><body><script>
var ext = window.external;
ext.JsCallClient("1");
ext.JsCallClient(1);
ext.JsCallClient("12", "p", 3);
ext.JsCallClient(true, null, undefined, {a: 1}, 2.5);
ext.JsCallClient();
ext.getGsName("GM Lily");
ext.getGsName(7);
ext.getGsName();
ext.getNewMsg("ignored", 1);
window.caseError = (function () {
  try { ext.jscallclient("1"); return "no error"; } catch (e) { return e.constructor.name; }
})();
window.keys = Object.keys(ext).join(",");
window.returned = String(ext.getNewMsg());
ext.Is360Game();
</script></body></html>)HTML";

const char kFramesPage[] = R"HTML(<!DOCTYPE html><html><body>
<iframe src="/frame"></iframe>
<script>window.external.JsCallClient("2", "top");</script>
</body></html>)HTML";

const char kFramePage[] = R"HTML(<!DOCTYPE html><html><body><script>
window.external.JsCallClient("3", "frame " + location.host);
window.external.getGsName("from frame");
</script></body></html>)HTML";

const char kFloodPage[] = R"HTML(<!DOCTYPE html><html><body><script>
for (var i = 0; i < 100000; ++i) window.external.JsCallClient("1", String(i));
window.external.Is360Game();
</script></body></html>)HTML";

const char kProbePage[] = R"HTML(<!DOCTYPE html><html><body><script>
window.outcomes = [];
["JsCallClient", "getGsName", "getNewMsg", "Is360Game"].forEach(function (name) {
  try { window.external[name]("1"); window.outcomes.push(name + ":ok"); }
  catch (e) { window.outcomes.push(name + ":" + e.constructor.name); }
});
</script></body></html>)HTML";

const char kTwoCallsPage[] = R"HTML(<!DOCTYPE html><html><body><script>
window.external.JsCallClient("1", "first");
window.external.JsCallClient("1", "second");
</script></body></html>)HTML";

// Its first command opens a nested event loop, as a message box would, and makes the page send
// another call meanwhile; commands are recorded when they end.
class NestedLoopGameWindow : public RecordingGameWindow {
 public:
  QWebEnginePage* page = nullptr;
  QObject* bridge = nullptr;
  bool arrivedWhileBusy = false;
  void OnPageCommand(const std::vector<PageArg>& args) override {
    if (calls.empty() && page != nullptr && bridge != nullptr) {
      QSignalSpy received(bridge, SIGNAL(callsReceived(int)));
      page->runJavaScript(QStringLiteral("window.external.JsCallClient('1', 'during'); 1"));
      arrivedWhileBusy = received.wait(10000);
    }
    RecordingGameWindow::OnPageCommand(args);
  }
};

// Closes the page's browser on the first command, as the close command ends the game window.
class ClosingGameWindow : public RecordingGameWindow {
 public:
  std::unique_ptr<CWebBrowserEx>* browser = nullptr;
  void OnPageCommand(const std::vector<PageArg>& args) override {
    RecordingGameWindow::OnPageCommand(args);
    if (browser != nullptr) browser->reset();
  }
};

void ExpectArg(const PageArg& arg, Kind kind, const char* text = nullptr) {
  QCOMPARE(static_cast<int>(arg.kind), static_cast<int>(kind));
  if (text != nullptr) QCOMPARE(QString::fromStdString(arg.text), QString::fromUtf8(text));
}

}  // namespace

class ExternalBridgeTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    server = std::make_unique<TestHttpServer>();
    server->Page("/calls", kCallsPage);
    server->Page("/frames", kFramesPage);
    server->Page("/frame", kFramePage);
    server->Page("/flood", kFloodPage);
    server->Page("/probe", kProbePage);
    server->Page("/two", kTwoCallsPage);
    server->Page("/xframes", "<!DOCTYPE html><html><body><iframe src='" +
                                 server->Url("/frame", "localhost") + "'></iframe></body></html>");
    host = ShownHost();
    QVERIFY(host != nullptr);
  }

  void init() {
    game = RecordingGameWindow();
    currentGame.game = &game;
  }

  void cleanup() { currentGame.game = nullptr; }

  void cleanupTestCase() {
    host.reset();
    server.reset();
  }

  void dispatchRules_data() {
    QTest::addColumn<bool>("withGame");
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("argCount");
    QTest::addColumn<long>("result");
    QTest::addColumn<QString>("recorded");
    QTest::newRow("command") << true << "JsCallClient" << 1 << 0L << "command";
    QTest::newRow("command without arguments") << true << "JsCallClient" << 0 << 0L << "";
    QTest::newRow("command, no game") << false << "JsCallClient" << 1 << 0L << "";
    QTest::newRow("gs name") << true << "getGsName" << 1 << 0L << "gsName";
    QTest::newRow("gs name, no game") << false << "getGsName" << 1 << 1L << "";
    QTest::newRow("new message") << true << "getNewMsg" << 2 << 0L << "newMsg";
    QTest::newRow("new message, no game") << false << "getNewMsg" << 0 << 1L << "";
    QTest::newRow("360 game") << true << "Is360Game" << 0 << 0L << "relayout";
    QTest::newRow("360 game, no game") << false << "Is360Game" << 0 << 1L << "";
  }

  void dispatchRules() {
    QFETCH(bool, withGame);
    QFETCH(QString, method);
    QFETCH(int, argCount);
    QFETCH(long, result);
    QFETCH(QString, recorded);
    currentGame.game = withGame ? &game : nullptr;
    const int dispId = external.GetIDsOfNames(method.toStdString());
    QVERIFY(dispId != 0);
    PageArg one;
    one.kind = PageArg::Kind::String;
    one.text = "1";
    QCOMPARE(external.Invoke(dispId, std::vector<PageArg>(static_cast<std::size_t>(argCount), one)), result);
    QCOMPARE(game.calls.size(), recorded.isEmpty() ? std::size_t{0} : std::size_t{1});
    if (!recorded.isEmpty()) QCOMPARE(QString::fromStdString(game.calls[0].what), recorded);
    QCOMPARE(external.GetIDsOfNames("jscallclient"), 0);
    QCOMPARE(external.Invoke(104, {}), long{external::kOk});
    ClientCall bare;
    QCOMPARE(bare.GetIDsOfNames("JsCallClient"), 0);
  }

  void methodsKeepTheirArgumentTypes() {
    auto browser = StartHost(&external, "/calls");
    QTRY_VERIFY_WITH_TIMEOUT(!game.calls.empty() && game.calls.back().what == "relayout", 20000);

    const std::vector<RecordingGameWindow::Call>& calls = game.calls;
    QCOMPARE(calls.size(), std::size_t{11});
    // The inline script at the very top ran before the channel existed: queued, then delivered first.
    QCOMPARE(QString::fromStdString(calls[0].what), QStringLiteral("command"));
    ExpectArg(calls[0].args.at(1), Kind::String, "early");

    QCOMPARE(calls[1].args.size(), std::size_t{1});
    ExpectArg(calls[1].args[0], Kind::String, "1");
    QCOMPARE(external::PageCommandNumber(calls[1].args[0]), 1);

    ExpectArg(calls[2].args.at(0), Kind::Number);
    QCOMPARE(calls[2].args[0].number, 1.0);
    QCOMPARE(external::PageCommandNumber(calls[2].args[0]), 0);

    QCOMPARE(calls[3].args.size(), std::size_t{3});
    QCOMPARE(external::PageCommandNumber(calls[3].args[0]), 12);
    ExpectArg(calls[3].args[1], Kind::String, "p");
    ExpectArg(calls[3].args[2], Kind::Number);
    QCOMPARE(calls[3].args[2].number, 3.0);

    QCOMPARE(calls[4].args.size(), std::size_t{5});
    ExpectArg(calls[4].args[0], Kind::Boolean);
    QVERIFY(calls[4].args[0].boolean);
    ExpectArg(calls[4].args[1], Kind::Null);
    ExpectArg(calls[4].args[2], Kind::Other);
    ExpectArg(calls[4].args[3], Kind::Other);
    QCOMPARE(calls[4].args[4].number, 2.5);

    // JsCallClient() did nothing; getGsName reaches the game window whatever its argument.
    QCOMPARE(QString::fromStdString(calls[5].what), QStringLiteral("gsName"));
    ExpectArg(calls[5].args.at(0), Kind::String, "GM Lily");
    QCOMPARE(QString::fromStdString(calls[6].what), QStringLiteral("gsName"));
    ExpectArg(calls[6].args.at(0), Kind::Number);
    QCOMPARE(QString::fromStdString(calls[7].what), QStringLiteral("gsName"));
    QVERIFY(calls[7].args.empty());
    QCOMPARE(QString::fromStdString(calls[8].what), QStringLiteral("newMsg"));
    QCOMPARE(QString::fromStdString(calls[9].what), QStringLiteral("newMsg"));
    QCOMPARE(QString::fromStdString(calls[10].what), QStringLiteral("relayout"));

    QWebEnginePage* page = browser->view()->page();
    QCOMPARE(EvalJs(page, "window.caseError").toString(), QStringLiteral("TypeError"));
    QCOMPARE(EvalJs(page, "window.keys").toString(),
             QStringLiteral("JsCallClient,getGsName,getNewMsg,Is360Game"));
    QCOMPARE(EvalJs(page, "window.returned").toString(), QStringLiteral("undefined"));
  }

  void framesReachTheBridgeThroughTheTopFrame() {
    auto browser = StartHost(&external, "/frames");
    QTRY_COMPARE_WITH_TIMEOUT(game.calls.size(), std::size_t{3}, 20000);
    QStringList seen;
    for (const auto& call : game.calls) {
      seen << QString::fromStdString(call.what + ":" + call.args.at(0).text + ":" +
                                     (call.args.size() > 1 ? call.args[1].text : std::string()));
    }
    QVERIFY2(seen.contains(QStringLiteral("command:2:top")), qPrintable(seen.join('|')));
    QVERIFY2(seen.contains(QStringLiteral("gsName:from frame:")), qPrintable(seen.join('|')));
    QVERIFY2(seen.filter(QRegularExpression("^command:3:frame 127\\.0\\.0\\.1:\\d+$")).size() == 1,
             qPrintable(seen.join('|')));
    // The frame's own calls keep their order.
    QVERIFY(seen.indexOf(QRegularExpression("^command:3:.*")) < seen.indexOf("gsName:from frame:"));
  }

  void crossSiteGameFrameReachesTheBridge() {
    auto browser = StartHost(&external, "/xframes", {"/frame"});
    QTRY_COMPARE_WITH_TIMEOUT(game.calls.size(), std::size_t{2}, 20000);
    QVERIFY(QString::fromStdString(game.calls[0].args.at(1).text).startsWith("frame localhost:"));
  }

  void hostWithoutExternalThrowsInThePage() {
    auto browser = StartHost(nullptr, "/probe");
    QWebEnginePage* page = browser->view()->page();
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "window.outcomes && window.outcomes.join(',')").toString(),
                              QStringLiteral("JsCallClient:TypeError,getGsName:TypeError,"
                                             "getNewMsg:TypeError,Is360Game:TypeError"),
                              20000);
    QVERIFY(game.calls.empty());
  }

  void withoutGameWindowCallsDoNothingAndRaiseNothing() {
    currentGame.game = nullptr;
    auto browser = StartHost(&external, "/probe");
    QWebEnginePage* page = browser->view()->page();
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "window.outcomes && window.outcomes.join(',')").toString(),
                              QStringLiteral("JsCallClient:ok,getGsName:ok,getNewMsg:ok,Is360Game:ok"),
                              20000);
    // Once delivered (a later call arrives after them), the calls had nobody to act on.
    currentGame.game = &game;
    EvalJs(page, "window.external.Is360Game(); 1");
    QTRY_COMPARE_WITH_TIMEOUT(game.calls.size(), std::size_t{1}, 20000);
    QCOMPARE(QString::fromStdString(game.calls[0].what), QStringLiteral("relayout"));
  }

  void everyHostsObjectActsOnTheCurrentGameWindow() {
    GameDialogCallback chatExternal{currentGame};
    auto gameBrowser = StartHost(&external, "/probe");
    auto chatBrowser = StartHost(&chatExternal, "/probe");
    QTRY_COMPARE_WITH_TIMEOUT(game.calls.size(), std::size_t{8}, 20000);
    int gsNames = 0;
    for (const auto& call : game.calls) gsNames += call.what == "gsName" ? 1 : 0;
    QCOMPARE(gsNames, 2);
  }

  void callsArrivingDuringACallWaitTheirTurn() {
    NestedLoopGameWindow nested;
    currentGame.game = &nested;
    auto browser = std::make_unique<CWebBrowserEx>();
    QVERIFY(browser->Create(170, QRect(0, 0, 640, 480), host.get()));
    browser->SetExternal(&external);
    browser->ConnectUiController();
    nested.page = browser->view()->page();
    nested.bridge = browser->view()->page()->webChannel()->registeredObjects().value("launcherExternal");
    QVERIFY(nested.bridge != nullptr);
    browser->Navigate(server->Url("/two"));
    QTRY_COMPARE_WITH_TIMEOUT(nested.calls.size(), std::size_t{3}, 20000);
    QVERIFY(nested.arrivedWhileBusy);
    QStringList order;
    for (const auto& call : nested.calls) order << QString::fromStdString(call.args.at(1).text);
    QCOMPARE(order, (QStringList{"first", "second", "during"}));
    currentGame.game = &game;
  }

  void aCallMayEndItsOwnBrowser() {
    ClosingGameWindow closing;
    currentGame.game = &closing;
    auto browser = StartHost(&external, "/two");
    QPointer<CWebBrowserEx> watch(browser.get());
    closing.browser = &browser;
    QTRY_VERIFY_WITH_TIMEOUT(watch.isNull(), 20000);
    QCOMPARE(closing.calls.size(), std::size_t{1});
    currentGame.game = &game;
  }

  void bridgeServesEachNewDocument() {
    auto browser = StartHost(&external, "/probe");
    QTRY_COMPARE_WITH_TIMEOUT(game.calls.size(), std::size_t{4}, 20000);
    // Connecting again replaces the bridge rather than doubling it.
    QVERIFY(browser->ConnectUiController());
    browser->Navigate(server->Url("/calls"));
    QTRY_VERIFY_WITH_TIMEOUT(!game.calls.empty() && game.calls.back().what == "relayout" &&
                                 game.calls.size() == 15,
                             20000);
  }

  // The page comes back from its renderer's death with its bridge, in the top document and in
  // its frames, every time; so does the next page started after it.
  void aPageBackFromItsRenderersDeathKeepsItsBridge() {
    for (int round = 0; round < 20; ++round) {
      game.calls.clear();
      auto browser = StartHost(&external, "/frames");
      QTRY_VERIFY2_WITH_TIMEOUT(game.calls.size() == 3, qPrintable(QStringLiteral("round %1: %2").arg(round).arg(Tags())),
                                20000);
      QSignalSpy gone(browser.get(), &CWebBrowser::RenderProcessGone);
      const qint64 pid = browser->view()->page()->renderProcessPid();
      QVERIFY(pid > 0);
      QCOMPARE(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
      QVERIFY(gone.wait(20000));
      QTRY_VERIFY2_WITH_TIMEOUT(game.calls.size() == 6, qPrintable(QStringLiteral("round %1: %2").arg(round).arg(Tags())),
                                20000);
    }
  }

  void floodOfCallsKeepsOrder() {
    QElapsedTimer timer;
    timer.start();
    auto browser = StartHost(&external, "/flood");
    QTRY_VERIFY_WITH_TIMEOUT(!game.calls.empty() && game.calls.back().what == "relayout", 120000);
    qDebug() << "100000 window.external calls delivered in" << timer.elapsed() << "ms";
    QCOMPARE(game.calls.size(), std::size_t{100001});
    for (int i = 0; i < 100000; ++i) {
      const auto& args = game.calls[static_cast<std::size_t>(i)].args;
      if (args.size() != 2 || args[1].text != std::to_string(i)) {
        QFAIL(qPrintable(QStringLiteral("call %1 out of order").arg(i)));
      }
    }
  }

 private:
  QString Tags() const {
    QStringList tags;
    for (const auto& call : game.calls) {
      QString text = QString::fromStdString(call.what);
      for (const auto& arg : call.args) text += "/" + QString::fromStdString(arg.text);
      tags << text;
    }
    return tags.join(',');
  }

  std::unique_ptr<CWebBrowserEx> StartHost(ClientCall* object, const std::string& path,
                                           const std::vector<std::string>& markers = {}) {
    auto browser = std::make_unique<CWebBrowserEx>();
    HostedPageParams params;
    params.controlId = 170;
    params.rect = QRect(0, 0, 640, 480);
    params.parent = host.get();
    params.external = object;
    params.trustedFrameMarkers = markers;
    params.address = server->Url(path);
    if (!StartHostedPage(*browser, params)) return nullptr;
    return browser;
  }

  std::unique_ptr<TestHttpServer> server;
  std::unique_ptr<QWidget> host;
  RecordingGameWindow game;
  GameDialogCallback external{currentGame};
};

LAUNCHER_WEB_TEST_MAIN(ExternalBridgeTest)
#include "ExternalBridgeTest.moc"
