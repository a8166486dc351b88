// The demo site's pages in a real browser: their scripts run without errors, report what they
// receive, call window.external with the argument types they were given, and follow scenarios.
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QtTest>

#include <memory>
#include <thread>

#include "site/DemoSite.h"
#include "site/SiteOptions.h"

namespace {

// Records console errors and every main-frame navigation.
class RecordingPage : public QWebEnginePage {
 public:
  using QWebEnginePage::QWebEnginePage;
  QStringList errors;
  QStringList navigations;

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int line, const QString& source) override {
    if (level == ErrorMessageLevel) errors << QString("%1:%2 %3").arg(source).arg(line).arg(message);
  }
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
    if (isMainFrame) navigations << url.toString();
    return true;
  }
};

// A stand-in window.external that records each call with its arguments' JavaScript types.
const char kFakeExternal[] = R"JS(
(function(){
  var calls = [];
  function record(name){ return function(){
    calls.push([name].concat(Array.prototype.map.call(arguments, function(a){ return typeof a + ':' + a; })));
  }; }
  var ext = {JsCallClient: record('JsCallClient'), getGsName: record('getGsName'),
             getNewMsg: record('getNewMsg'), Is360Game: record('Is360Game')};
  Object.defineProperty(window, 'external', {value: ext, configurable: true});
  window.fakeExternalCalls = calls;
})();
)JS";

}  // namespace

class DemoPagesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    demo::SiteOptions options;
    std::string error;
    char name[] = "demo_site";
    char* argv[] = {name};
    QVERIFY(demo::ParseSiteArgs(1, argv, options, error));
    site_ = std::make_unique<demo::DemoSite>(options);
    QVERIFY2(site_->Bind(error), error.c_str());
    thread_ = std::thread([this] { site_->Run(); });
    base_ = QString::fromStdString(site_->BaseUrl());
  }

  void cleanupTestCase() {
    site_->Stop();
    if (thread_.joinable()) thread_.join();
  }

  void init() {
    profile_ = std::make_unique<QWebEngineProfile>();  // off the record, nothing shared
    page_ = std::make_unique<RecordingPage>(profile_.get());
  }

  void cleanup() {
    QVERIFY2(page_->errors.isEmpty(), qPrintable(page_->errors.join('\n')));
    page_.reset();
    profile_.reset();
  }

  void gamePageLogsReportsFromTheClient() {
    QVERIFY(Load("/play/game?serverid=12&skey=1012&uid=demo"));
    Eval("clientCallJs('2','100','200','0'); isReady();");
    QTRY_COMPARE_WITH_TIMEOUT(Eval("JSON.stringify(demoState.reports)").toString(),
                              QString(R"([["clientCallJs","2","100","200","0"],["isReady"]])"),
                              10000);
    const QString log = Eval("document.getElementById('log').innerText").toString();
    QVERIFY2(log.contains(R"(clientCallJs("2", "100", "200", "0"))"), qPrintable(log));
    QVERIFY(log.contains("isReady()"));
  }

  void gamePageWithoutExternalStaysUsable() {
    const QString script = QUrl::toPercentEncoding(R"([["getGsName","GM"],["JsCallClient","1"]])");
    QVERIFY(Load("/play/game?skey=1003&script=" + script));
    QTRY_VERIFY_WITH_TIMEOUT(Eval("demoState.scriptDone").toBool(), 10000);
    QCOMPARE(Eval("demoState.calls.filter(function(c){return !c.ok;}).length").toInt(), 2);
    QVERIFY(Eval("document.getElementById('server').textContent").toString() == "青龙殿");
  }

  void gamePageScriptCallsExternalWithItsTypes() {
    InjectFakeExternal();
    const QString script = QUrl::toPercentEncoding(
        R"([["getGsName","GM"],["JsCallClient","6","S2",""],["wait",30],["JsCallClient",1],)"
        R"(["getNewMsg"],["Is360Game"]])");
    QVERIFY(Load("/play/game?skey=1012&script=" + script));
    QTRY_VERIFY_WITH_TIMEOUT(Eval("demoState.scriptDone").toBool(), 10000);
    QCOMPARE(Eval("JSON.stringify(fakeExternalCalls)").toString(),
             QString(R"([["getGsName","string:GM"],["JsCallClient","string:6","string:S2","string:"],)"
                     R"(["JsCallClient","number:1"],["getNewMsg"],["Is360Game"]])"));
  }

  void gamePageNavigatesOnlyWithinThisMachine() {
    const QString script = QUrl::toPercentEncoding(
        R"([["nav","javascript:document.title='hijacked'"],["nav","/play/game?skey=8015"]])");
    QVERIFY(Load("/play/game?skey=1012&script=" + script));
    QTRY_COMPARE_WITH_TIMEOUT(page_->url().query(), QString("skey=8015"), 10000);
    QVERIFY(page_->title() != "hijacked");
  }

  void gamePageButtonsPassCommandsAsText() {
    InjectFakeExternal();
    QVERIFY(Load("/play/game?skey=1012"));
    Eval("document.getElementById('p6').value='X1';"
         "['cmd3','cmd6','cmdnum','gsname','newmsg','is360'].forEach(function(id){"
         "document.getElementById(id).click();});");
    QTRY_COMPARE_WITH_TIMEOUT(Eval("fakeExternalCalls.length").toInt(), 6, 10000);
    QCOMPARE(Eval("JSON.stringify(fakeExternalCalls.slice(0,3))").toString(),
             QString(R"([["JsCallClient","string:3"],["JsCallClient","string:6","string:X1","string:"],)"
                     R"(["JsCallClient","number:1"]])"));
    QVERIFY(Eval("document.getElementById('p4').value").toString().startsWith(base_ + "/pay?"));
  }

  void chatPageNamesTheGmAndAnnouncesMessages() {
    InjectFakeExternal();
    QVERIFY(Load("/gm/chat?skey=s1012&newmsg=50"));
    QTRY_COMPARE_WITH_TIMEOUT(Eval("JSON.stringify(fakeExternalCalls)").toString(),
                              QString(R"([["getGsName","string:客服小美"],["getNewMsg"]])"), 10000);
  }

  void loginFollowsAutoAddress() {
    QVERIFY(Load("/login?auto=" + QUrl::toPercentEncoding("/game/enter?serverid=3&skey=1003&uid=a")));
    QTRY_VERIFY_WITH_TIMEOUT(page_->url().path() == "/play/game", 10000);
    QVERIFY(page_->navigations.contains(base_ + "/game/enter?serverid=3&skey=1003&uid=a"));
  }

  void loginPassesThroughQqLookAlikes_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("host");
    QTest::newRow("oauth") << "1" << "graph.qq.com/oauth/login_jump";
    QTest::newRow("xlogin") << "2" << "xui.ptlogin2.qq.com/cgi-bin/xlogin";
  }
  void loginPassesThroughQqLookAlikes() {
    QFETCH(QString, which);
    QFETCH(QString, host);
    QVERIFY(Load("/login?autoqq=" + which));
    QTRY_VERIFY_WITH_TIMEOUT(page_->url().path() == "/play/game", 10000);
    QCOMPARE(page_->navigations.size(), 4);  // login, look-alike, game address, game page
    QVERIFY(page_->navigations[1].contains(host));
    QVERIFY(page_->navigations[1].contains("/game/enter"));
    QVERIFY(page_->navigations[2].contains("/game/enter?serverid=12&skey=1012&"));
  }

 private:
  bool Load(const QString& path) {
    QSignalSpy finished(page_.get(), &QWebEnginePage::loadFinished);
    page_->load(QUrl(base_ + path));
    return finished.wait(15000) && finished.first().first().toBool();
  }

  QVariant Eval(const QString& code) {
    QVariant result;
    bool done = false;
    page_->runJavaScript(code, [&](const QVariant& value) {
      result = value;
      done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000)) qWarning("script did not answer: %s", qPrintable(code));
    return result;
  }

  void InjectFakeExternal() {
    QWebEngineScript script;
    script.setName("fake-external");
    script.setSourceCode(kFakeExternal);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    page_->scripts().insert(script);
  }

  std::unique_ptr<demo::DemoSite> site_;
  std::thread thread_;
  QString base_;
  std::unique_ptr<QWebEngineProfile> profile_;
  std::unique_ptr<RecordingPage> page_;
};

QTEST_MAIN(DemoPagesTest)
#include "DemoPagesGuiTest.moc"
