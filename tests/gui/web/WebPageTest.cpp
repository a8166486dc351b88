// Calling page functions by name: argument splitting, escaping, missing functions, errors.
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEngineView>
#include <memory>

#include "WebTestSupport.h"
#include "core/platform/CodePage.h"
#include "web/WebBrowser.h"
#include "web/WebPage.h"

namespace {

const char kEchoPage[] = R"HTML(<!DOCTYPE html><html><body><script>
window.calls = 0;
function echo() { window.calls++; return JSON.stringify(Array.prototype.slice.call(arguments)); }
function fails() { throw new Error("deliberate"); }
function isReady() { window.readyArgs = arguments.length; }
</script></body></html>)HTML";

const char kOtherPage[] = "<!DOCTYPE html><html><body>other</body></html>";

}  // namespace

class WebPageTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    server = std::make_unique<TestHttpServer>();
    server->Page("/echo", kEchoPage);
    server->Page("/other", kOtherPage);
    host = ShownHost();
    QVERIFY(host != nullptr);
    browser = std::make_unique<CWebBrowserEx>();
    QVERIFY(browser->Create(170, QRect(0, 0, 640, 480), host.get()));
    browser->ConnectUiController();
    browser->put_Silent(true);
    QSignalSpy done(browser.get(), &CWebBrowser::DocumentComplete);
    browser->Navigate(server->Url("/echo"));
    QVERIFY(done.wait(20000));
  }

  void cleanupTestCase() {
    browser.reset();
    host.reset();
    server.reset();
  }

  void nullDocumentIsReported() {
    CWebPage page;
    QVERIFY(!page.CallScript("echo", "1"));
    QCOMPARE(QString::fromStdString(page.GetLastError()), QStringLiteral("JSCall Error:\nNULL pointer"));
    QVERIFY(page.AttachDocument(browser->get_Document()));
    QVERIFY(!page.AttachDocument(nullptr));
    QCOMPARE(QString::fromStdString(page.GetLastError()), QStringLiteral("JSCall Error:\nNULL pointer"));
    // The old document is kept.
    QVERIFY(Call(page, "echo", "kept").ok);
  }

  void argumentsArriveAsStringsInOrder_data() {
    QTest::addColumn<QByteArray>("codePage");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("nullText");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("four numbers") << QByteArray("GBK") << QByteArray("2,10,20,1") << false
                                  << QStringList{"2", "10", "20", "1"};
    QTest::newRow("single") << QByteArray("GBK") << QByteArray("1") << false << QStringList{"1"};
    QTest::newRow("stray commas") << QByteArray("GBK") << QByteArray(",alpha,,beta,") << false
                                  << QStringList{"alpha", "beta"};
    QTest::newRow("null text") << QByteArray("GBK") << QByteArray() << true << QStringList{};
    QTest::newRow("empty text") << QByteArray("GBK") << QByteArray("") << false << QStringList{};
    QTest::newRow("only commas") << QByteArray("GBK") << QByteArray(",,,") << false << QStringList{};
    QTest::newRow("past eight") << QByteArray("GBK") << QByteArray("1,2,3,4,5,6,7,8,9,10") << false
                                << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"};
    QTest::newRow("system code page") << QByteArray("GBK") << QByteArray("\xc4\xe3\xba\xc3") << false
                                      << QStringList{QString::fromUtf8("\xe4\xbd\xa0\xe5\xa5\xbd")};
    QTest::newRow("quote and backslash") << QByteArray("GBK") << QByteArray("a\"b,c\\d,\");window.pwned=1;//")
                                         << false
                                         << QStringList{"a\"b", "c\\d", "\");window.pwned=1;//"};
    QTest::newRow("script end tag") << QByteArray("GBK")
                                    << QByteArray("</script><script>window.pwned=1</script>") << false
                                    << QStringList{"</script><script>window.pwned=1</script>"};
    QTest::newRow("line breaks") << QByteArray("GBK") << QByteArray("one\ntwo,three\r\nfour") << false
                                 << QStringList{"one\ntwo", "three\r\nfour"};
    QTest::newRow("line separators") << QByteArray("UTF-8")
                                     << QByteArray("x\xe2\x80\xa8y,\xe2\x80\xa9")
                                     << false << QStringList{QString::fromUtf8("x\xe2\x80\xa8y"),
                                                             QString::fromUtf8("\xe2\x80\xa9")};
  }

  void argumentsArriveAsStringsInOrder() {
    QFETCH(QByteArray, codePage);
    QFETCH(QByteArray, text);
    QFETCH(bool, nullText);
    QFETCH(QStringList, expected);
    QVERIFY(codepage::SetSystemCodePage(codePage.toStdString()));
    CWebPage page;
    QVERIFY(page.AttachDocument(browser->get_Document()));
    const ScriptOutcome outcome = Call(page, "echo", nullText ? nullptr : text.constData());
    codepage::SetSystemCodePage("GBK");
    QVERIFY(outcome.ok);
    const QJsonArray got = QJsonDocument::fromJson(outcome.value.toString().toUtf8()).array();
    QCOMPARE(got.toVariantList(), QVariant(expected).toList());
    QVERIFY(EvalJs(browser->view()->page(), "typeof window.pwned === 'undefined'").toBool());
    QVERIFY(page.GetLastError().empty());
  }

  void isReadyWithoutArguments() {
    CWebPage page;
    QVERIFY(page.AttachDocument(browser->get_Document()));
    QVERIFY(Call(page, "isReady", nullptr).ok);
    QCOMPARE(EvalJs(browser->view()->page(), "window.readyArgs").toInt(), 0);
  }

  void missingFunctionSetsLastError() {
    CWebPage page;
    QVERIFY(page.AttachDocument(browser->get_Document()));
    const ScriptOutcome outcome = Call(page, "noSuchFunction", "1");
    QVERIFY(outcome.missing);
    QVERIFY(!outcome.ok);
    QVERIFY(QString::fromStdString(page.GetLastError()).startsWith(QStringLiteral("JSCall Error:\n")));
    QVERIFY(page.GetLastError().size() > std::string("JSCall Error:\n").size());
    // A name that is not a function is missing all the same.
    CWebPage other;
    QVERIFY(other.AttachDocument(browser->get_Document()));
    QVERIFY(Call(other, "calls", nullptr).missing);
  }

  void throwingFunctionLeavesLastErrorAlone() {
    CWebPage page;
    QVERIFY(page.AttachDocument(browser->get_Document()));
    const ScriptOutcome outcome = Call(page, "fails", nullptr);
    QVERIFY(!outcome.ok);
    QVERIFY(outcome.error.contains(QStringLiteral("deliberate")));
    QVERIFY(page.GetLastError().empty());
  }

  void outcomeMayArriveAfterThePageObjectIsGone() {
    bool answered = false;
    {
      CWebPage page;
      QVERIFY(page.AttachDocument(browser->get_Document()));
      QVERIFY(page.CallScript("noSuchFunction", "1", [&](const ScriptOutcome&) { answered = true; }));
    }
    QTRY_VERIFY_WITH_TIMEOUT(answered, 10000);
  }

  void callsGoToTheBrowsersCurrentPage() {
    CWebPage page;
    QVERIFY(page.AttachDocument(browser->get_Document()));
    QSignalSpy done(browser.get(), &CWebBrowser::DocumentComplete);
    browser->Navigate(server->Url("/other"));
    QVERIFY(done.wait(20000));
    QVERIFY(Call(page, "echo", "1").missing);
    browser->Navigate(server->Url("/echo"));
    QVERIFY(done.wait(20000));
    QVERIFY(Call(page, "echo", "1").ok);
  }

 private:
  static ScriptOutcome Call(CWebPage& page, const char* function, const char* arguments) {
    auto outcome = std::make_shared<std::pair<bool, ScriptOutcome>>();
    if (!page.CallScript(function, arguments, [outcome](const ScriptOutcome& result) {
          outcome->first = true;
          outcome->second = result;
        })) {
      return {};
    }
    if (!QTest::qWaitFor([&] { return outcome->first; }, 10000)) return {};
    return outcome->second;
  }

  std::unique_ptr<TestHttpServer> server;
  std::unique_ptr<QWidget> host;
  std::unique_ptr<CWebBrowserEx> browser;
};

LAUNCHER_WEB_TEST_MAIN(WebPageTest)
#include "WebPageTest.moc"
