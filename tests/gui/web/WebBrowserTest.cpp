// The browser control: start-up order, events, page policy, silence, render loss, profile.
#include <signal.h>

#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>

#include "WebTestSupport.h"
#include "core/platform/MessageBox.h"
#include "web/ClientCall.h"
#include "web/WebBrowser.h"
#include "web/WebProfile.h"
#include "web/WebUIController.h"

namespace {

const char kPlainPage[] = "<html><body><p id='t'>plain</p></body></html>";

bool AnyMenuVisible() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMenu*>(widget) != nullptr && widget->isVisible()) return true;
  }
  return false;
}

void CloseMenus() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMenu*>(widget) != nullptr) widget->close();
  }
}

}  // namespace

class WebBrowserTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    server = std::make_unique<TestHttpServer>();
    server->Page("/plain", kPlainPage);
    server->Page("/a", "<html><body>a</body></html>");
    server->Page("/b", "<html><body>b</body></html>");
    server->Page("/start", "<html><body>start</body></html>");
    server->Page("/blocked", "<html><body>blocked</body></html>");
    server->Page("/allowed", "<html><body>allowed</body></html>");
    server->Page("/menu",
                 "<html><body style='margin:0'><div style='width:100%;height:600px'>x</div><script>"
                 "window.menuEvents=0;window.menuPrevented=null;"
                 "document.addEventListener('contextmenu',function(e){window.menuEvents++;"
                 "setTimeout(function(){window.menuPrevented=e.defaultPrevented;},0);});"
                 "</script></body></html>");
    server->Page("/big",
                 "<!DOCTYPE html><html><body style='margin:0'><div style='width:3000px;height:3000px'>big</div>"
                 "<input id='field' value='editable'></body></html>");
    server->Page("/dialogs",
                 "<html><body><script>alert('hello');window.confirmed=confirm('sure?');"
                 "window.prompted=prompt('name?','x');window.after=true;</script></body></html>");
    host = ShownHost();
    QVERIFY(host != nullptr);
  }

  void cleanupTestCase() {
    host.reset();
    server.reset();
  }

  void createNeedsAParentAndKeepsTheId() {
    CWebBrowserEx orphan;
    QVERIFY(!orphan.Create(170, QRect(0, 0, 100, 100), nullptr));
    QVERIFY(orphan.get_Document() == nullptr);
    QVERIFY(!orphan.ConnectUiController());

    auto browser = std::make_unique<CWebBrowserEx>();
    QVERIFY(browser->Create(170, QRect(10, 20, 300, 200), host.get()));
    QVERIFY(!browser->Create(170, QRect(10, 20, 300, 200), host.get()));
    QCOMPARE(browser->controlId(), 170);
    QCOMPARE(browser->geometry(), QRect(10, 20, 300, 200));
    QCOMPARE(host->findChild<CWebBrowser*>(QStringLiteral("control170")), browser.get());
    QCOMPARE(browser->property("controlId").toInt(), 170);
    QVERIFY(browser->get_Document() == nullptr);
    QCOMPARE(browser->view()->page()->profile(), LauncherProfile());
    // Black until a page shows.
    QCOMPARE(browser->grab().toImage().pixelColor(5, 5), QColor(Qt::black));
    QCOMPARE(browser->view()->page()->backgroundColor(), QColor(Qt::black));
  }

  void hiddenHostStaysHiddenUntilItsPageCompletes() {
    auto browser = std::make_unique<CWebBrowserEx>();
    struct Completion {
      QString url;
      QSize size;
    };
    std::vector<Completion> completions;
    // The launcher's rule: a real page (not about:blank) gives the browser its size and redraw.
    connect(browser.get(), &CWebBrowser::DocumentComplete, this, [&](const QString& url, bool top) {
      QVERIFY(top);
      completions.push_back({url, browser->size()});
      if (url != QLatin1String("about:blank")) {
        browser->put_Width(400);
        browser->put_Height(300);
        browser->SetRedraw(true);
      }
    });
    QElapsedTimer timer;
    timer.start();
    HostedPageParams params;
    params.controlId = 150;
    params.rect = QRect(0, 0, 400, 300);
    params.parent = host.get();
    params.hiddenUntilLoaded = true;
    params.address = server->Url("/plain");
    QVERIFY(StartHostedPage(*browser, params));
    QCOMPARE(browser->size(), QSize(0, 0));
    QVERIFY(!browser->view()->isVisible());

    QTRY_VERIFY_WITH_TIMEOUT(!completions.empty() && completions.back().url == server->QUrlText("/plain"),
                             20000);
    qDebug() << "first page DocumentComplete after" << timer.elapsed() << "ms";
    for (std::size_t i = 0; i + 1 < completions.size(); ++i) {
      QCOMPARE(completions[i].url, QStringLiteral("about:blank"));
      QCOMPARE(completions[i].size, QSize(0, 0));
    }
    QCOMPARE(completions.back().size, QSize(0, 0));
    QCOMPARE(browser->size(), QSize(400, 300));
    QVERIFY(browser->view()->isVisible());
    QVERIFY(browser->get_Document() != nullptr);
    // A real document gets the usual white where it paints no background of its own.
    QCOMPARE(browser->view()->page()->backgroundColor(), QColor(Qt::white));
    QCOMPARE(EvalJs(browser->view()->page(), "document.getElementById('t').textContent").toString(),
             QStringLiteral("plain"));
  }

  void documentCompleteReportsEachAddress() {
    auto browser = MakeBrowser();
    QSignalSpy spy(browser.get(), &CWebBrowser::DocumentComplete);
    browser->Navigate(server->Url("/a"));
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 20000);
    QCOMPARE(spy.at(0).at(0).toString(), server->QUrlText("/a"));
    QCOMPARE(spy.at(0).at(1).toBool(), true);
    browser->Navigate(server->Url("/b"));
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, 20000);
    QCOMPARE(spy.at(1).at(0).toString(), server->QUrlText("/b"));

    // A load that fails still completes, so a host hiding its page is not left black forever.
    const std::string refused = "http://127.0.0.1:9/nothing-listens-here";
    browser->Navigate(refused);
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 3, 20000);
    QCOMPARE(spy.at(2).at(0).toString(), QString::fromStdString(refused));
  }

  void beforeNavigateCancelsTheChosenAddressOnly() {
    auto browser = MakeBrowser();
    QStringList asked;
    connect(browser.get(), &CWebBrowser::BeforeNavigate2, this,
            [&](const QString& url, bool* cancel) {
              asked << url;
              if (url.contains(QLatin1String("/blocked"))) *cancel = true;
            },
            Qt::DirectConnection);
    QSignalSpy done(browser.get(), &CWebBrowser::DocumentComplete);
    browser->Navigate(server->Url("/start"));
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
    QVERIFY(asked.contains(server->QUrlText("/start")));

    EvalJs(browser->view()->page(), "location.href='/blocked'; 1");
    QTRY_VERIFY_WITH_TIMEOUT(asked.contains(server->QUrlText("/blocked")), 20000);
    EvalJs(browser->view()->page(), "location.href='/allowed'; 1");
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 20000);
    QCOMPARE(done.at(1).at(0).toString(), server->QUrlText("/allowed"));
    QCOMPARE(server->Hits("/blocked"), 0);
    QCOMPARE(server->Hits("/allowed"), 1);
  }

  void refusedTopNavigationKeepsThePage() {
    auto browser = MakeBrowser();
    connect(browser.get(), &CWebBrowser::BeforeNavigate2, this,
            [&](const QString& url, bool* cancel) { *cancel = url.contains(QLatin1String("/blocked")); },
            Qt::DirectConnection);
    QSignalSpy done(browser.get(), &CWebBrowser::DocumentComplete);
    browser->Navigate(server->Url("/start"));
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
    EvalJs(browser->view()->page(), "window.marker='kept'; location.href='/blocked'; 1");
    browser->Navigate(server->Url("/blocked"));
    // A round trip through the page after both refusals: the document is still the old one.
    QCOMPARE(EvalJs(browser->view()->page(), "window.marker").toString(), QStringLiteral("kept"));
    // The engine shows the address the program asked for until it has dropped the refused load.
    QTRY_COMPARE_WITH_TIMEOUT(browser->view()->page()->url().toString(), server->QUrlText("/start"), 20000);
    QCOMPARE(done.count(), 1);
  }

  void rightClickShowsNoMenu() {
    // An unconnected browser keeps the engine's menu: proof that a menu would be seen.
    auto plain = MakeBrowser(false);
    LoadAndWait(plain.get(), "/menu");
    QVERIFY(RightClickUntil(plain.get(), [] { return AnyMenuVisible(); }));
    CloseMenus();
    QTRY_VERIFY(!AnyMenuVisible());
    plain.reset();

    auto browser = MakeBrowser();
    LoadAndWait(browser.get(), "/menu");
    QWebEnginePage* page = browser->view()->page();
    QVERIFY(RightClickUntil(browser.get(), [&] { return EvalJs(page, "window.menuEvents").toInt() > 0; }));
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "String(window.menuPrevented)").toString(), QStringLiteral("true"),
                              10000);
    QVERIFY(!AnyMenuVisible());
  }

  void oversizedPageShowsNoScrollBars() {
    auto plain = MakeBrowser(false);
    LoadAndWait(plain.get(), "/big");
    QVERIFY(EvalJs(plain->view()->page(), "document.documentElement.clientWidth < window.innerWidth").toBool());
    plain.reset();

    auto browser = MakeBrowser();
    LoadAndWait(browser.get(), "/big");
    QCOMPARE(EvalJs(browser->view()->page(), "window.innerWidth - document.documentElement.clientWidth").toInt(), 0);
    QCOMPARE(EvalJs(browser->view()->page(), "window.innerHeight - document.documentElement.clientHeight").toInt(), 0);
  }

  void textIsNotSelectableExceptInFields() {
    auto browser = MakeBrowser();
    LoadAndWait(browser.get(), "/big");
    QCOMPARE(EvalJs(browser->view()->page(), "getComputedStyle(document.body).webkitUserSelect").toString(),
             QStringLiteral("none"));
    QCOMPARE(EvalJs(browser->view()->page(),
                    "getComputedStyle(document.getElementById('field')).webkitUserSelect").toString(),
             QStringLiteral("text"));
  }

  void scriptDialogsUseTheProgramsMessageBoxEvenWhenSilent() {
    std::vector<std::string> asked;
    platform::MessageBoxHandler previous =
        platform::SetMessageBoxHandler([&asked](const platform::MessageBoxRequest& request) {
          asked.push_back(request.text);
          return platform::MessageBoxResult::Cancel;
        });
    auto browser = MakeBrowser();
    browser->put_Silent(true);
    LoadAndWait(browser.get(), "/dialogs");
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(browser->view()->page(), "window.after").toBool(), true, 20000);
    QCOMPARE(EvalJs(browser->view()->page(), "window.confirmed").toBool(), false);
    QVERIFY(EvalJs(browser->view()->page(), "window.prompted === null").toBool());
    QCOMPARE(asked, (std::vector<std::string>{"hello", "sure?", "name?"}));
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      QVERIFY(!(qobject_cast<QDialog*>(widget) != nullptr && widget->isVisible()));
    }
    platform::SetMessageBoxHandler(std::move(previous));
  }

  void renderProcessLossIsReported() {
    auto browser = MakeBrowser();
    LoadAndWait(browser.get(), "/plain");
    QSignalSpy gone(browser.get(), &CWebBrowser::RenderProcessGone);
    const qint64 pid = browser->view()->page()->renderProcessPid();
    QVERIFY(pid > 0);
    QCOMPARE(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
    QVERIFY(gone.wait(20000));
  }

  void oneDiskProfileForEveryBrowser() {
    QWebEngineProfile* profile = LauncherProfile();
    QVERIFY(profile != nullptr);
    QCOMPARE(LauncherProfile(), profile);
    QVERIFY(!profile->isOffTheRecord());
    QCOMPARE(profile->httpCacheType(), QWebEngineProfile::DiskHttpCache);
    const QString dataHome = QString::fromUtf8(qgetenv("XDG_DATA_HOME"));
    QVERIFY(profile->persistentStoragePath().startsWith(dataHome));
    QVERIFY(profile->cachePath().startsWith(dataHome));
  }

  void pagesLoadAfterTheCacheIsCleared() {
    auto browser = MakeBrowser();
    LoadAndWait(browser.get(), "/a");
    ClearLauncherHttpCache();
    QVERIFY(LoadEventually(browser.get(), "/b"));
    // Cleared while no browser exists: the next browser still loads.
    browser.reset();
    ClearLauncherHttpCache();
    auto next = MakeBrowser();
    QVERIFY(LoadEventually(next.get(), "/plain"));
  }

 private:
  std::unique_ptr<CWebBrowserEx> MakeBrowser(bool connected = true) {
    auto browser = std::make_unique<CWebBrowserEx>();
    if (!browser->Create(170, QRect(0, 0, 640, 480), host.get())) return nullptr;
    if (connected) browser->ConnectUiController();
    return browser;
  }

  // A load that does not complete in time (a busy machine) is asked for again.
  bool LoadEventually(CWebBrowser* browser, const std::string& path) {
    QSignalSpy done(browser, &CWebBrowser::DocumentComplete);
    for (int attempt = 0; attempt < 5; ++attempt) {
      browser->Navigate(server->Url(path));
      if (done.wait(5000) && done.last().at(0).toString() == server->QUrlText(path)) return true;
    }
    return false;
  }

  void LoadAndWait(CWebBrowser* browser, const std::string& path) {
    QSignalSpy done(browser, &CWebBrowser::DocumentComplete);
    browser->Navigate(server->Url(path));
    QVERIFY(done.wait(20000));
  }

  // Input reaches a page only once it has drawn its first frame: click until `seen` holds.
  template <typename Seen>
  static bool RightClickUntil(CWebBrowser* browser, Seen seen) {
    QWidget* target = browser->view()->focusProxy();
    if (target == nullptr) return false;
    const QPoint at(50, 50);
    for (int attempt = 0; attempt < 20; ++attempt) {
      QTest::mouseMove(target, at);
      QTest::mousePress(target, Qt::RightButton, Qt::NoModifier, at);
      QTest::mouseRelease(target, Qt::RightButton, Qt::NoModifier, at);
      if (QTest::qWaitFor(seen, 1000)) return true;
    }
    return false;
  }

  std::unique_ptr<TestHttpServer> server;
  std::unique_ptr<QWidget> host;
};

LAUNCHER_WEB_TEST_MAIN(WebBrowserTest)
#include "WebBrowserTest.moc"
