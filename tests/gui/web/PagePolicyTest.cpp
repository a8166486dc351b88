// What pages may do in a hosted browser: which frames drive window.external, completion of and
// calls into sub-frames (another site included), new windows, downloads, script dialogs,
// foreign schemes, permissions, and dead renderers. The page's full screen is the game window's
// (tests/gui/windows/game/FrameTest.cpp).
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QWebChannel>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <deque>
#include <functional>
#include <memory>

#include "WebTestSupport.h"
#include "core/platform/MessageBox.h"
#include "core/platform/SaveDialog.h"
#include "skin/SkinButton.h"
#include "skin/UrlOpener.h"
#include "web/ClientCall.h"
#include "web/PopupWindow.h"
#include "web/WebBrowser.h"
#include "web/WebPage.h"
#include "web/WebProfile.h"
#include "web/WebUIController.h"

namespace {

const char kGameMarker[] = "/play/game";

// Each frame closes the client as soon as it has loaded; the top page names itself only.
const char kCallerFrame[] = R"HTML(<!DOCTYPE html><html><body><script>
function probe(a, b) { return location.host + ':' + a + ',' + b; }
function thrower() { throw new Error('boom'); }
window.addEventListener('load', function () {
  if (location.search.indexOf('forge') >= 0) {
    var relay = {};
    relay.__launcherRelay = {s: 'guess', k: 'calls', href: 'http:\/\/127.0.0.1/play/game',
                             c: [{n: 'JsCallClient', a: [{t: 's', v: '1'}, {t: 's', v: 'forged'}]}]};
    window.top.postMessage(relay, '*');
    // Told it is not trusted, the frame sees the methods as unknown ones.
    var tries = 0;
    var timer = setInterval(function () {
      try { window.external.Is360Game(); } catch (e) {
        clearInterval(timer);
        window.top.postMessage('refused:' + e.name, '*');
      }
      if (++tries > 400) clearInterval(timer);
    }, 50);
  }
  window.external.JsCallClient('1', location.pathname);
});
</script></body></html>)HTML";

}  // namespace

class PagePolicyTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // The desktop's opener is a logging stand-in first on PATH.
    QVERIFY(bin.isValid());
    openLog = bin.filePath(QStringLiteral("opened.log"));
    QFile opener(bin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(opener.open(QIODevice::WriteOnly));
    opener.write(QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\n").arg(openLog).toUtf8());
    opener.close();
    QVERIFY(opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("PATH", bin.path().toUtf8() + ":" + qgetenv("PATH"));

    server = std::make_unique<TestHttpServer>();
    const std::string game = server->Url(std::string(kGameMarker) + "/frame", "localhost");
    const std::string ad = server->Url("/ad/frame?forge", "localhost");
    const std::string same = server->Url("/same/frame");
    server->Page("/portal", "<!DOCTYPE html><html><head><title>portal</title></head><body><script>"
                            "addEventListener('message', function (e) {"
                            "  if (typeof e.data === 'string') window.adOutcome = e.data; });</script>"
                            "<iframe src='" + ad + "'></iframe><iframe src='" + same +
                                "'></iframe><iframe src='" + game + "'></iframe></body></html>");
    server->Page(std::string(kGameMarker) + "/frame", kCallerFrame);
    server->Page("/ad/frame", kCallerFrame);
    server->Page("/same/frame", kCallerFrame);

    server->Page("/opener", R"HTML(<!DOCTYPE html><html><body style="margin:0">
<div id="pad" style="width:640px;height:300px"></div>
<a id="blank" target="_blank" href="/popup?link">recharge</a>
<script>document.cookie = 'session=player7; path=/';
window.beats = 0;
setInterval(function () { ++window.beats; }, 50);
document.getElementById('pad').addEventListener('click', function () {
  if (window.onPlayerClick) window.onPlayerClick();
});</script></body></html>)HTML");
    server->Page("/popup", "<!DOCTYPE html><html><head><title>充值中心</title></head><body>pay</body></html>");

    server->Raw("/update.bin", "PAYLOAD-BYTES", "application/octet-stream",
                {{"Content-Disposition", "attachment; filename=\"update.bin\""}});
    std::string frames;
    for (int i = 0; i < 14; ++i) frames += "<iframe src='/update.bin?n=" + std::to_string(i) + "'></iframe>";
    server->Page("/downloads", "<!DOCTYPE html><html><body>" + frames + "</body></html>");

    server->Page("/ask", R"HTML(<!DOCTYPE html><html><head><title>商城</title></head><body><script>
alert('hello');
window.confirmed = confirm('buy?');
window.refused = confirm('again?');
window.prompted = prompt('name?', 'x');
window.after = true;
</script></body></html>)HTML");
    server->Page("/loop", "<!DOCTYPE html><html><head><title>loop</title></head><body><script>"
                          "for (var i = 0; i < 12; ++i) alert('spam ' + i); window.done = true;"
                          "</script></body></html>");

    // Ordinary literals: the meta-object compiler reads "//" inside raw strings as a comment.
    server->Page("/schemes",
                 "<!DOCTYPE html><html><body style='margin:0'>"
                 "<a href='launchertest://click' onclick='window.clicked = true'"
                 " style='display:block;width:400px;height:200px'>click</a>"
                 "<iframe src='/navfile'></iframe><iframe src='/navmail'></iframe>"
                 "<iframe src='launchertest://frame'></iframe></body></html>");
    server->Page("/navfile", "<html><body><script>location.href = 'file:///etc/hostname';</script></body></html>");
    server->Page("/navmail", "<html><body><script>location.href = 'mailto:player@example.com';"
                             "setTimeout(function () { location.href = 'smb://host/share'; }, 10);"
                             "</script></body></html>");

    server->Page("/permissions", R"HTML(<!DOCTYPE html><html><body><script>
window.results = {};
function note(name) { return function (v) { window.results[name] = v; }; }
navigator.geolocation.getCurrentPosition(function () { note('geo')('granted'); },
                                         function (e) { note('geo')('error ' + e.code); });
Notification.requestPermission().then(note('notify'));
navigator.mediaDevices.getUserMedia({video: true, audio: true})
    .then(function () { note('camera')('granted'); }, function (e) { note('camera')(e.name); });
navigator.mediaDevices.getDisplayMedia({video: true})
    .then(function () { note('screen')('granted'); }, function (e) { note('screen')(e.name); });
</script></body></html>)HTML");
    server->Page("/plain", "<html><body>plain</body></html>");

    host = ShownHost(QStringLiteral("游戏"));
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

  void onlyTrustedFramesDriveTheBridge() {
    auto browser = Start("/portal", {kGameMarker});
    QObject* bridge = Bridge(browser.get());
    QSignalSpy refused(bridge, SIGNAL(callsRefused(QString)));
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(browser->view()->page(), "String(window.adOutcome)").toString(),
                              QStringLiteral("refused:TypeError"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(game.calls.size(), std::size_t{2}, 20000);
    QVERIFY(refused.size() >= 1);
    QStringList callers;
    for (const auto& call : game.calls) callers << QString::fromStdString(call.args.at(1).text);
    callers.sort();
    QCOMPARE(callers, (QStringList{QString(kGameMarker) + "/frame", "/same/frame"}));
    QVERIFY(refused.at(0).at(0).toString().startsWith(QString::fromStdString(server->Url("/ad/frame", "localhost"))));
    // The advertising frame's forged relay (no secret) was dropped before its real call arrived.
    for (const auto& call : game.calls) QVERIFY(call.args.at(1).text != "forged");
  }

  void withoutMarkersOnlyTheTopSiteIsTrusted() {
    auto browser = Start("/portal", {""});
    QObject* bridge = Bridge(browser.get());
    QSignalSpy refused(bridge, SIGNAL(callsRefused(QString)));
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(browser->view()->page(), "String(window.adOutcome)").toString(),
                              QStringLiteral("refused:TypeError"), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(refused.size() >= 2, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(game.calls.size(), std::size_t{1}, 20000);
    QCOMPARE(QString::fromStdString(game.calls[0].args.at(1).text), QStringLiteral("/same/frame"));
  }

  void everyFrameCompletesAndTakesScriptCalls() {
    auto browser = std::make_unique<CWebBrowserEx>();
    QVERIFY(browser->Create(170, QRect(0, 0, 640, 480), host.get()));
    browser->SetExternal(&external);
    browser->SetTrustedFrameMarkers({kGameMarker});
    browser->ConnectUiController();
    QSignalSpy complete(browser.get(), &CWebBrowser::DocumentComplete);
    browser->Navigate(server->Url("/portal"));
    QTRY_VERIFY_WITH_TIMEOUT(complete.size() >= 4, 20000);
    CWebPageDocument* gameFrame = nullptr;
    QStringList addresses;
    for (const QList<QVariant>& event : complete) {
      const QString url = event.at(0).toString();
      addresses << url;
      if (!event.at(1).toBool() && url.contains(kGameMarker))
        gameFrame = event.at(2).value<CWebPageDocument*>();
      if (event.at(1).toBool()) QCOMPARE(url, QString::fromStdString(server->Url("/portal")));
    }
    QVERIFY2(gameFrame != nullptr, qPrintable(addresses.join(' ')));
    QVERIFY(addresses.filter("/ad/frame").size() == 1 && addresses.filter("/same/frame").size() == 1);

    CWebPage page;
    QVERIFY(page.AttachDocument(gameFrame));
    std::vector<ScriptOutcome> outcomes;
    auto record = [&outcomes](const ScriptOutcome& outcome) { outcomes.push_back(outcome); };
    QVERIFY(page.CallScript("probe", ",x,,y,", record));
    QVERIFY(page.CallScript("missingFunction", nullptr, record));
    QVERIFY(page.CallScript("thrower", nullptr, record));
    QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), std::size_t{3}, 20000);
    QVERIFY(outcomes[0].ok);
    QCOMPARE(outcomes[0].value.toString(),
             QStringLiteral("localhost:%1:x,y").arg(QUrl(QString::fromStdString(server->Url("/"))).port()));
    QVERIFY(outcomes[1].missing);
    QVERIFY(QString::fromStdString(page.GetLastError()).startsWith("JSCall Error:\n"));
    QVERIFY(!outcomes[2].ok && outcomes[2].error.contains("boom"));
  }

  void newWindowsShareTheProfileAndCloseThemselves() {
    auto browser = Start("/opener", {});
    QWebEnginePage* page = browser->view()->page();
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(page, "document.cookie").toString().contains("session=player7"), 20000);

    // Without the player's gesture a page opens nothing.
    EvalJs(page, "window.open('/popup?script'); 1");
    EvalJs(page, "window.onPlayerClick = function () { window.open('/popup?script'); }; 1");
    QCOMPARE(Popups().size(), std::size_t{0});
    QVERIFY(ClickPageUntil(browser.get(), QPoint(100, 100), [] { return Popups().size() == 1; }));
    QPointer<CPopupWindow> scripted = Popups().front();
    QTRY_COMPARE_WITH_TIMEOUT(scripted->windowTitle(), QStringLiteral("充值中心"), 20000);
    QVERIFY(scripted->isVisible());
    QVERIFY(!(scripted->windowFlags() & Qt::FramelessWindowHint));
    QWebEnginePage* popupPage = scripted->page();
    QVERIFY(EvalJs(popupPage, "document.cookie").toString().contains("session=player7"));
    QCOMPARE(EvalJs(popupPage, "Object.keys(window.external).length").toInt(), 0);
    QCOMPARE(scripted->page()->profile(), LauncherProfile());
    EvalJs(popupPage, "window.close(); 1");
    QTRY_VERIFY_WITH_TIMEOUT(scripted.isNull(), 20000);

    EvalJs(page, "document.getElementById('blank').click(); 1");
    EvalJs(page, "window.onPlayerClick = function () { document.getElementById('blank').click(); }; 1");
    QCOMPARE(Popups().size(), std::size_t{0});
    QVERIFY(ClickPageUntil(browser.get(), QPoint(100, 100), [] { return Popups().size() == 1; }));
    QTRY_VERIFY_WITH_TIMEOUT(Popups().front()->page()->url().query() == QLatin1String("link"), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(Popups().front()->page(), "document.cookie").toString().contains("session=player7"),
                             20000);
    ClosePopups();

    // A page cannot flood the desktop with windows, and goes on running after trying.
    EvalJs(page, "window.onPlayerClick = function () {"
                 "  for (var i = 0; i < 500; ++i) window.open('/popup?n=' + i); }; 1");
    QElapsedTimer clock;
    clock.start();
    QVERIFY(ClickPageUntil(browser.get(), QPoint(100, 100),
                           [] { return Popups().size() == pagerules::kMaxPopupWindows; }, 90000));
    for (int click = 0; click < 3; ++click) ClickPage(browser.get());
    qInfo() << "five windows after" << clock.elapsed() << "ms";
    QCOMPARE(CWebUIController::OpenPopupCount(), static_cast<int>(pagerules::kMaxPopupWindows));
    const int beats = EvalJs(page, "window.beats").toInt();
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(page, "window.beats").toInt() > beats + 5, 20000);
    // The same window's targets navigate as usual.
    EvalJs(page, "location.href = '/popup?same'; 1");
    QTRY_COMPARE_WITH_TIMEOUT(page->url().query(), QStringLiteral("same"), 20000);
    QCOMPARE(Popups().size(), pagerules::kMaxPopupWindows);
  }

  void downloadsAskWhereAndCancelSavesNothing() {
    QTemporaryDir target;
    SaveAnswers save;
    QPointer<QWebEngineDownloadRequest> last;
    QMetaObject::Connection watch = connect(LauncherProfile(), &QWebEngineProfile::downloadRequested,
                                            this, [&last](QWebEngineDownloadRequest* d) { last = d; });
    auto browser = Start("/plain", {});

    save.answer = target.filePath(QStringLiteral("chosen.bin")).toStdString();
    browser->Navigate(server->Url("/update.bin"));
    QTRY_COMPARE_WITH_TIMEOUT(save.seen.size(), std::size_t{1}, 20000);
    QVERIFY(QString::fromStdString(save.seen[0].suggestedPath).endsWith(QStringLiteral("/update.bin")));
    QCOMPARE(static_cast<QWidget*>(save.seen[0].owner), host.get());
    QTRY_VERIFY_WITH_TIMEOUT(!last.isNull() && last->state() == QWebEngineDownloadRequest::DownloadCompleted,
                             20000);
    QFile saved(target.filePath(QStringLiteral("chosen.bin")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("PAYLOAD-BYTES"));
    QVERIFY(!(saved.permissions() & (QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther)));

    save.answer.clear();
    browser->Navigate(server->Url("/update.bin"));
    QTRY_COMPARE_WITH_TIMEOUT(save.seen.size(), std::size_t{2}, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!last.isNull() && last->isFinished(), 20000);
    QCOMPARE(QDir(target.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"chosen.bin"});
    QVERIFY(!QFile::exists(QString::fromStdString(save.seen[1].suggestedPath)));
    disconnect(watch);
  }

  // Many downloads at once: one question at a time, asked after the engine's signal; eight are
  // held, the rest refused; every request ends accepted or cancelled.
  void downloadsAreAskedOneAtATime() {
    struct Held {
      platform::SaveDialogRequest request;
      platform::SaveDialogAnswer done;
    };
    std::vector<Held> asked;
    int open = 0;
    int mostOpen = 0;
    struct Restore {
      platform::SaveDialogHandler previous;
      ~Restore() { platform::SetSaveDialogHandler(std::move(previous)); }
    } restore{platform::SetSaveDialogHandler(
        [&](const platform::SaveDialogRequest& request, platform::SaveDialogAnswer done) {
          asked.push_back({request, std::move(done)});
          mostOpen = std::max(mostOpen, ++open);
        })};
    std::vector<QPointer<QWebEngineDownloadRequest>> requests;
    QObject watch;
    connect(LauncherProfile(), &QWebEngineProfile::downloadRequested, &watch,
            [&requests](QWebEngineDownloadRequest* d) { requests.push_back(d); });
    QTemporaryDir target;
    auto browser = Start("/downloads", {});
    QTRY_COMPARE_WITH_TIMEOUT(requests.size(), std::size_t{14}, 30000);
    QCOMPARE(asked.size(), std::size_t{1});
    auto finish = [&](std::size_t index, const std::string& chosen) {
      --open;
      platform::SaveDialogAnswer done = std::move(asked[index].done);
      done(chosen);
    };
    // The first is saved, long after the engine's signal returned.
    finish(0, target.filePath(QStringLiteral("first.bin")).toStdString());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(target.filePath(QStringLiteral("first.bin"))), 20000);
    for (std::size_t i = 1; i < 8; ++i) {
      QTRY_COMPARE_WITH_TIMEOUT(asked.size(), i + 1, 20000);
      finish(i, {});
    }
    QCOMPARE(mostOpen, 1);
    for (const auto& download : requests) {
      QTRY_VERIFY_WITH_TIMEOUT(download.isNull() || download->isFinished(), 20000);
    }
    QCOMPARE(asked.size(), std::size_t{8});
    QCOMPARE(QDir(target.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"first.bin"});
  }

  // The save dialog starts in the downloads folder when there is one, else in the home folder,
  // never in the working folder beside the package.
  void downloadsStartInTheDownloadsFolderOrHome() {
    QTemporaryDir home;
    struct Restore {
      QByteArray home = qgetenv("HOME");
      QByteArray config = qgetenv("XDG_CONFIG_HOME");
      QString working = QDir::currentPath();
      ~Restore() {
        QDir::setCurrent(working);
        qputenv("HOME", home);
        if (config.isNull()) qunsetenv("XDG_CONFIG_HOME"); else qputenv("XDG_CONFIG_HOME", config);
      }
    } restore;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral("work")));
    QVERIFY(QDir::setCurrent(home.filePath(QStringLiteral("work"))));
    SaveAnswers save;
    auto browser = Start("/plain", {});
    auto offered = [&]() -> QString {
      const std::size_t before = save.seen.size();
      browser->Navigate(server->Url("/update.bin"));
      if (!QTest::qWaitFor([&] { return save.seen.size() > before; }, 20000)) return QStringLiteral("(not asked)");
      return QFileInfo(QString::fromStdString(save.seen.back().suggestedPath)).absolutePath();
    };
    const QString homeFolder = QFileInfo(home.path()).canonicalFilePath();

    const QString withoutDownloads = offered();
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral("Downloads")));
    const QString withDownloads = offered();
    // A desktop whose folder setting names the working folder.
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral("config")));
    QFile dirs(home.filePath(QStringLiteral("config/user-dirs.dirs")));
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOWNLOAD_DIR=\"$HOME/work\"\n");
    dirs.close();
    const QString namingWorking = offered();

    QCOMPARE(QFileInfo(withoutDownloads).canonicalFilePath(), homeFolder);
    QCOMPARE(QFileInfo(withDownloads).canonicalFilePath(), homeFolder + QStringLiteral("/Downloads"));
    QCOMPARE(QFileInfo(namingWorking).canonicalFilePath(), homeFolder);
  }

  void scriptDialogsAreTheProgramsMessageBoxes() {
    MessageAnswers boxes;
    // The fourth question within ten seconds first offers to stop the page's dialogs: declined.
    boxes.answers = {platform::MessageBoxResult::Ok, platform::MessageBoxResult::Ok,
                     platform::MessageBoxResult::Cancel, platform::MessageBoxResult::Cancel,
                     platform::MessageBoxResult::Ok};
    boxes.inputs = {"Lily"};
    auto browser = Start("/ask", {});
    browser->put_Silent(true);
    QWebEnginePage* page = browser->view()->page();
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(page, "window.after === true").toBool(), 20000);
    QStringList texts = boxes.Texts();
    QCOMPARE(texts.size(), 5);
    QVERIFY(texts.takeAt(3).contains(QStringLiteral("阻止")));
    QCOMPARE(texts, (QStringList{"hello", "buy?", "again?", "name?"}));
    for (const auto& request : boxes.seen) {
      QCOMPARE(QString::fromStdString(request.caption), QStringLiteral("商城"));
      QCOMPARE(static_cast<QWidget*>(request.owner), host.get());
    }
    QVERIFY(boxes.seen[0].buttons == platform::MessageBoxButtons::Ok);
    QVERIFY(boxes.seen[1].buttons == platform::MessageBoxButtons::OkCancel);
    QVERIFY(boxes.seen[4].input != nullptr);
    QCOMPARE(EvalJs(page, "window.confirmed").toBool(), true);
    QCOMPARE(EvalJs(page, "window.refused").toBool(), false);
    QCOMPARE(EvalJs(page, "window.prompted").toString(), QStringLiteral("Lily"));
  }

  void aFloodOfDialogsCanBeStopped() {
    MessageAnswers boxes;
    // Three alerts, the offer to stop (declined), three more, the offer again (taken).
    boxes.answers = {platform::MessageBoxResult::Ok,     platform::MessageBoxResult::Ok,
                     platform::MessageBoxResult::Ok,     platform::MessageBoxResult::Cancel,
                     platform::MessageBoxResult::Ok,     platform::MessageBoxResult::Ok,
                     platform::MessageBoxResult::Ok,     platform::MessageBoxResult::Ok};
    auto browser = Start("/loop", {});
    QWebEnginePage* page = browser->view()->page();
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(page, "window.done === true").toBool(), 20000);
    const QStringList texts = boxes.Texts();
    QCOMPARE(texts.size(), 8);
    QCOMPARE(texts.mid(0, 3), (QStringList{"spam 0", "spam 1", "spam 2"}));
    QVERIFY(texts[3].contains(QStringLiteral("阻止")));
    QVERIFY(boxes.seen[3].buttons == platform::MessageBoxButtons::OkCancel);
    QCOMPARE(texts.mid(4, 3), (QStringList{"spam 3", "spam 4", "spam 5"}));
    QCOMPARE(texts[7], texts[3]);
    // A new document may ask again.
    boxes.answers = {platform::MessageBoxResult::Ok, platform::MessageBoxResult::Ok,
                     platform::MessageBoxResult::Ok, platform::MessageBoxResult::Cancel};
    browser->Navigate(server->Url("/ask"));
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(page, "window.after === true").toBool(), 20000);
    QCOMPARE(boxes.Texts().mid(8, 3), (QStringList{"hello", "buy?", "again?"}));
  }

  void foreignSchemesAreNeverHandedToTheDesktop() {
    QFile::remove(openLog);
    auto browser = Start("/schemes", {});
    QWebEnginePage* page = browser->view()->page();
    // The player's own click on a link to another program's scheme.
    QWidget* input = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((input = browser->view()->focusProxy()) != nullptr, 20000);
    bool clicked = false;
    for (int attempt = 0; attempt < 20 && !clicked; ++attempt) {
      QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(50, 50));
      clicked = QTest::qWaitFor([&] { return EvalJs(page, "window.clicked === true").toBool(); }, 1000);
    }
    QVERIFY(clicked);
    EvalJs(page, "location.href = 'launchertest://script'; 1");
    // The frames have tried theirs once the page has loaded them.
    QTRY_VERIFY_WITH_TIMEOUT(server->Hits("/navmail") == 1 && server->Hits("/navfile") == 1, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "document.readyState").toString(), QStringLiteral("complete"), 20000);

    // A page's run-time link stays http/https; an operator's program scheme opens.
    QVERIFY(!skin::OpenUrl("launchertest://page", skin::LinkOrigin::Page));
    QVERIFY(!skin::OpenUrl("file:///etc/hostname", skin::LinkOrigin::Package));
    auto* button = new CxSkinButton();
    QVERIFY(button->Create("", 0x50000000u, QRect(660, 20, 80, 30), host.get(), 201));
    button->SetLink("launchertest://operator/room");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    delete button;
    const auto opened = [this] {
      QFile log(openLog);
      return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).trimmed() : QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(opened().contains(QStringLiteral("operator")), 20000);
    QCOMPARE(opened(), QStringLiteral("launchertest://operator/room"));
    QCOMPARE(page->url().path(), QStringLiteral("/schemes"));
  }

  void aPlayersClickOnAnotherProgramsLinkAsksFirst() {
    QFile::remove(openLog);
    MessageAnswers boxes;
    boxes.answers = {platform::MessageBoxResult::Cancel, platform::MessageBoxResult::Ok};
    const int mails = server->Hits("/navmail");
    const int files = server->Hits("/navfile");
    auto browser = Start("/schemes", {}, true);
    QWebEnginePage* page = browser->view()->page();
    // The frames' scripts try theirs by themselves: never a question.
    QTRY_VERIFY_WITH_TIMEOUT(server->Hits("/navmail") == mails + 1 && server->Hits("/navfile") == files + 1, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "document.readyState").toString(), QStringLiteral("complete"), 20000);
    EvalJs(page, "location.href = 'launchertest://script'; 1");
    QVERIFY(boxes.seen.empty());
    const auto opened = [this] {
      QFile log(openLog);
      return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).trimmed() : QString();
    };
    // The player's click asks, naming the program's scheme; 取消 opens nothing, 打开 opens it.
    QVERIFY(ClickPageUntil(browser.get(), QPoint(50, 50), [&] { return boxes.seen.size() == 1; }));
    QCOMPARE(QString::fromStdString(boxes.seen[0].text), QStringLiteral("要打开外部程序 launchertest 吗？"));
    QCOMPARE(QString::fromStdString(boxes.seen[0].okText), QStringLiteral("打开"));
    QCOMPARE(QString::fromStdString(boxes.seen[0].cancelText), QStringLiteral("取消"));
    QVERIFY(ClickPageUntil(browser.get(), QPoint(50, 50), [&] { return boxes.seen.size() == 2; }));
    QTRY_COMPARE_WITH_TIMEOUT(opened(), QStringLiteral("launchertest://click"), 20000);
    QCOMPARE(page->url().path(), QStringLiteral("/schemes"));
  }

  void permissionsAreDeniedAtOnce() {
    auto browser = Start("/permissions", {});
    QWebEnginePage* page = browser->view()->page();
    QTRY_COMPARE_WITH_TIMEOUT(
        EvalJs(page, "['geo','notify','camera','screen'].filter(function (k) { return k in results; }).length")
            .toInt(),
        4, 20000);
    const QVariantMap results = EvalJs(page, "results").toMap();
    QCOMPARE(results.value("notify").toString(), QStringLiteral("denied"));
    for (const char* key : {"geo", "camera", "screen"})
      QVERIFY2(results.value(key).toString() != QLatin1String("granted"), qPrintable(key));
    QCOMPARE(EvalJs(page, "Notification.permission").toString(), QStringLiteral("denied"));
  }

  void deadRenderersReloadUntilTheyDieTooOften() {
    MessageAnswers boxes;
    auto browser = Start("/plain", {});
    // Each reload after a death comes in a fresh engine page.
    const auto page = [&] { return browser->view()->page(); };
    QSignalSpy complete(browser.get(), &CWebBrowser::DocumentComplete);
    QTRY_VERIFY_WITH_TIMEOUT(!complete.isEmpty(), 20000);
    for (int death = 1; death <= 3; ++death) {
      complete.clear();
      const qint64 pid = page()->renderProcessPid();
      QVERIFY(pid > 0);
      QCOMPARE(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
      QVERIFY2(complete.wait(30000), qPrintable(QStringLiteral("no reload after death %1").arg(death)));
      QCOMPARE(complete.last().at(0).toString(), QString::fromStdString(server->Url("/plain")));
      QTRY_VERIFY_WITH_TIMEOUT(page()->renderProcessPid() > 0 && page()->renderProcessPid() != pid, 20000);
      QVERIFY(boxes.seen.empty());
    }
    complete.clear();
    QCOMPARE(::kill(static_cast<pid_t>(page()->renderProcessPid()), SIGKILL), 0);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.seen.size(), std::size_t{1}, 30000);
    QCOMPARE(QString::fromStdString(boxes.seen[0].caption), QStringLiteral("游戏"));
    QVERIFY(QString::fromStdString(boxes.seen[0].text).contains(QStringLiteral("停止重新加载")));
    QVERIFY(!page()->isLoading());
    QVERIFY(complete.isEmpty());
  }

 private:
  std::unique_ptr<CWebBrowserEx> Start(const std::string& path, const std::vector<std::string>& markers,
                                       bool gamePage = false) {
    auto browser = std::make_unique<CWebBrowserEx>();
    HostedPageParams params;
    params.gamePage = gamePage;
    params.controlId = 170;
    params.rect = QRect(0, 0, 640, 480);
    params.parent = host.get();
    params.external = &external;
    params.trustedFrameMarkers = markers;
    params.address = server->Url(path);
    if (!StartHostedPage(*browser, params)) return nullptr;
    return browser;
  }

  static QObject* Bridge(CWebBrowserEx* browser) {
    return browser->view()->page()->webChannel()->registeredObjects().value("launcherExternal");
  }

  QTemporaryDir bin;
  QString openLog;
  std::unique_ptr<TestHttpServer> server;
  std::unique_ptr<QWidget> host;
  RecordingGameWindow game;
  GameDialogCallback external{currentGame};
};

LAUNCHER_WEB_TEST_MAIN(PagePolicyTest)
#include "PagePolicyTest.moc"
