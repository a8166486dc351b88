// The launcher pair against the demo site: buttons and browsers from the link records, the
// game-address hand-over, the QQ login look-alikes, keys, minimise and the close question.
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QUrl>
#include <QWebEngineView>
#include <memory>

#include "LauncherTestSupport.h"
#include "WebTestSupport.h"
#include "core/launcher/LauncherRules.h"
#include "core/platform/CodePage.h"
#include "core/platform/Paths.h"
#include "skin/PackageImage.h"
#include "skin/SkinButton.h"
#include "skin/UrlOpener.h"
#include "web/WebBrowser.h"
#include "windows/launcher/LauncherStandardDlg.h"
#include "windows/launcher/LauncherTranslucentDlg.h"

namespace {
constexpr int kPageTimeout = 30000;

std::string Encoded(const std::string& address) {
  return QUrl::toPercentEncoding(QString::fromStdString(address)).toStdString();
}

}  // namespace

class LauncherTest : public QObject {
  Q_OBJECT

  DemoSiteProcess site;
  QString logPath;
  QTemporaryDir siteDir;
  LauncherRun frame;  // the launcher pair, opened from its package as start-up does
  std::unique_ptr<MessageRecorder> messages;

  std::string Global(const std::string& gameheader) {
    return "title=" + codepage::Utf8ToSystem("演示登录") + "\ngameheader=" + gameheader +
           "\ncloseMsg=" + codepage::Utf8ToSystem("确定要退出吗?") + "\n";
  }

  CLauncherStandardDlg* Inner() { return frame->GetStandardDialog(); }

  QString SiteLog() {
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
  }

  FixturePackage LoginPackage(const std::string& gameheader, const std::string& address) {
    return LoginPagePackage(Global(gameheader), address);
  }

 private slots:
  void initTestCase() {
    logPath = siteDir.path() + "/site.log";
    if (!DemoSiteProcess::Built()) QSKIP("the demo site is not built");
    QVERIFY2(site.Start({"--log", logPath}), "the demo site did not start");
  }

  void init() { messages = std::make_unique<MessageRecorder>(); }

  void cleanup() {
    frame.Close();
    messages.reset();
  }

  void loginPageShowsOnlyWhenARealPageCompletes() {
    QVERIFY(frame.Start(LoginPackage("/game/enter", site.Url("/login"))));
    QCOMPARE(Inner()->GetBrowsers().size(), std::size_t{1});
    CWebBrowserEx* browser = Inner()->GetBrowsers()[0];
    QCOMPARE(browser->controlId(), 150);
    QCOMPARE(Inner()->findChild<CWebBrowserEx*>("control150"), browser);
    QCOMPARE(frame->windowTitle(), QString::fromUtf8("演示登录"));
    QCOMPARE(Inner()->windowTitle(), QString::fromUtf8("演示登录"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->size(), QSize(360, 220), kPageTimeout);
    QCOMPARE(browser->pos(), QPoint(20, 40));
    QVERIFY(browser->isVisible());
    QVERIFY(frame->isVisible());
    QVERIFY(Inner()->GetGameUrl().empty());

    // Blank and "javacript" completions leave the browsers as they are; a real page shows them.
    browser->put_Width(0);
    browser->put_Height(0);
    Inner()->OnDocumentComplete("about:blank");
    Inner()->OnDocumentComplete("http://127.0.0.1/javacript.html");
    QCOMPARE(browser->size(), QSize(0, 0));
    Inner()->OnDocumentComplete(QString::fromStdString(site.Url("/news")));
    QCOMPARE(browser->size(), QSize(360, 220));
  }

  void theLoginPageIsInTheShapeAndTheShapeFollowsOnlyChanges() {
    QVERIFY(frame.Start(LoginPackage("/game/enter", site.Url("/login"))));
    CWebBrowserEx* browser = Inner()->GetBrowsers()[0];
    QTRY_COMPARE_WITH_TIMEOUT(browser->size(), QSize(360, 220), kPageTimeout);
    const QRect page = browser->geometry();
    const QPoint left = page.topLeft() + QPoint(60, 110);
    const QPoint right = page.topLeft() + QPoint(300, 110);
    // The dark page shows and takes the mouse wherever it is not black.
    QTRY_VERIFY_WITH_TIMEOUT(Inner()->mask().contains(left) && Inner()->mask().contains(right), kPageTimeout);
    // At rest the shape is not worked out again: once the page has settled there are intervals of
    // two seconds without a rebuild, which a periodic rebuild would never leave. (A busy machine
    // may still deliver the page's last paints late, so the first interval need not be quiet.)
    QTRY_VERIFY_WITH_TIMEOUT(!browser->view()->page()->isLoading(), kPageTimeout);
    bool quiet = false;
    for (int interval = 0; interval < 10 && !quiet; ++interval) {
      const int updates = Inner()->ShapeUpdates();
      QTest::qWait(2000);
      quiet = Inner()->ShapeUpdates() == updates;
    }
    QVERIFY(quiet);
    // Black the page then shows is the frame's: the shape follows the page's change.
    browser->view()->page()->runJavaScript(QStringLiteral(
        "document.body.insertAdjacentHTML('beforeend', '<div style=\"position:fixed;left:0;top:0;"
        "width:50%;height:100%;background:#000;z-index:9\"></div>'); 1"));
    QTRY_VERIFY_WITH_TIMEOUT(!Inner()->mask().contains(left), kPageTimeout);
    QVERIFY(Inner()->mask().contains(right));
  }

  void serverLinkIsTakenCancelledAndBothWindowsClose() {
    const std::string game = site.Url("/game/enter?serverid=3&skey=1003");
    QVERIFY(frame.Start(LoginPackage("/game/enter", site.Url("/login?auto=" + Encoded(game)))));
    QSignalSpy frameDone(frame.get(), &QDialog::finished);
    QTRY_VERIFY_WITH_TIMEOUT(!Inner()->GetGameUrl().empty(), kPageTimeout);
    QCOMPARE(Inner()->GetGameUrl(), game);
    QTRY_COMPARE(frameDone.count(), 1);
    QVERIFY(!frame->isVisible());
    QVERIFY(!Inner()->isVisible());
    QCOMPARE(Inner()->result(), int(QDialog::Accepted));
    // The launcher's browser never loaded the game address.
    QVERIFY(SiteLog().contains("\"path\":\"/login\""));
    for (const QString& line : SiteLog().split('\n'))
      QVERIFY2(!(line.contains("\"path\":\"/game/enter\"") && line.contains("1003")),
               qPrintable(line));
  }

  void qqLoginLookAlikesAreNotTaken_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("page");
    QTest::newRow("oauth login jump") << "1" << "graph.qq.com/oauth/login_jump";
    QTest::newRow("login frame") << "2" << "xui.ptlogin2.qq.com/cgi-bin/xlogin";
  }
  void qqLoginLookAlikesAreNotTaken() {
    QFETCH(QString, which);
    QFETCH(QString, page);
    QVERIFY(frame.Start(LoginPackage("/game/enter", site.Url("/login?autoqq=" + which.toStdString()))));
    // The QQ page carries the header in its query and loads; its own server link is then taken.
    QTRY_VERIFY_WITH_TIMEOUT(!Inner()->GetGameUrl().empty(), kPageTimeout);
    const QString taken = QString::fromStdString(Inner()->GetGameUrl());
    QVERIFY2(!taken.contains(page), qPrintable(taken));
    QVERIFY2(taken.contains("/game/enter"), qPrintable(taken));
    QVERIFY(SiteLog().contains(page));
    QTRY_VERIFY(!frame->isVisible());
  }

  void emptyGameHeaderTakesTheFirstNavigation() {
    QVERIFY(frame.Start(LoginPackage("", site.Url("/login"))));
    QTRY_VERIFY_WITH_TIMEOUT(!Inner()->GetGameUrl().empty(), kPageTimeout);
    QTRY_VERIFY(!frame->isVisible());
    // Only the first address is kept: a later navigation to another game address is refused.
    const std::string first = Inner()->GetGameUrl();
    bool cancel = false;
    Inner()->OnBeforeNavigate2(QString::fromStdString(site.Url("/game/enter?serverid=99")), &cancel);
    QVERIFY(cancel);
    QCOMPARE(Inner()->GetGameUrl(), first);
  }

  void twoBrowsersAreBothSizedFromTheSecond() {
    FixturePackage package;
    package
        .Settings(SettingsText(Global("/game/enter"),
                               {LinkSection(4, 10, 10, 200, 100, site.Url("/news")),
                                LinkSection(5, 0, 0, 0, 0), LinkSection(0, 0, 0, 0, 0),
                                LinkSection(4, 20, 150, 300, 120,
                                            site.Url("/game/enter?serverid=9&skey=1009"))}))
        .Image("config/main1.png", BandedArtwork());
    QVERIFY(frame.Start(package));
    const auto& browsers = Inner()->GetBrowsers();
    QCOMPARE(browsers.size(), std::size_t{2});
    QCOMPARE(browsers[0]->controlId(), 150);
    QCOMPARE(browsers[1]->controlId(), 151);
    QCOMPARE(Inner()->GetBrowserRect(), QRect(20, 150, 300, 120));
    QVERIFY(Inner()->GetButtons().empty());  // types 5 and 0 make nothing
    QTRY_COMPARE_WITH_TIMEOUT(browsers[0]->size(), QSize(300, 120), kPageTimeout);
    QCOMPARE(browsers[1]->size(), QSize(300, 120));
    QCOMPARE(browsers[0]->pos(), QPoint(10, 10));
    QCOMPARE(browsers[1]->pos(), QPoint(20, 150));
    // Only the first browser reports: the second one goes to a game address and on to the game
    // page without the launcher taking it.
    QTRY_VERIFY_WITH_TIMEOUT(browsers[1]->view()->url().path() == "/play/game", kPageTimeout);
    QVERIFY(Inner()->GetGameUrl().empty());
    QVERIFY(frame->isVisible());
  }

  void startParameterReplacesEveryBrowserAddress() {
    FixturePackage package;
    package
        .Settings(SettingsText(Global("/game/enter"),
                               {LinkSection(4, 10, 10, 200, 100, site.Url("/news")),
                                LinkSection(4, 20, 150, 300, 120, site.Url("/pay"))}))
        .Image("config/main1.png", BandedArtwork());
    const std::string start = site.Url("/login?from=start");
    QVERIFY(frame.Start(package, start));
    QCOMPARE(std::string(Inner()->GetStartText()), start);
    for (CWebBrowserEx* browser : Inner()->GetBrowsers())
      QTRY_COMPARE_WITH_TIMEOUT(browser->view()->url().toString().toStdString(), start,
                                kPageTimeout);
  }

  void missingButtonImageStopsCreationAndKeepsWhatWasMade() {
    FixturePackage package;
    package
        .Settings(SettingsText(Global("/game/enter"),
                               {LinkSection(1, 10, 250, 0, 0, "http://127.0.0.1/pay?a=1;b=2"),
                                LinkSection(3, 60, 250, 0, 0),
                                LinkSection(4, 20, 40, 360, 200, site.Url("/login"))}))
        .Image("config/main1.png", BandedArtwork())
        .ButtonImages(1)
        .Image("config/2_d.png", SolidImage(40, 20, Qt::red))
        .Image("config/2_o.png", SolidImage(40, 20, Qt::red));
    QVERIFY(frame.Start(package));
    QCOMPARE(messages->seen.size(), std::size_t{1});
    QCOMPARE(messages->seen[0].text, std::string("读取图片失败"));
    QCOMPARE(messages->seen[0].caption, std::string("启动失败"));
    QCOMPARE(Inner()->GetButtons().size(), std::size_t{1});
    auto* open = Inner()->findChild<CxSkinButton*>("control201");
    QVERIFY(open);
    QCOMPARE(open->geometry(), QRect(10, 250, 40, 20));  // sized from its normal image
    QCOMPARE(open->GetKind(), std::uint8_t{1});
    QVERIFY(!Inner()->findChild<CxSkinButton*>("control203"));
    QVERIFY(Inner()->GetBrowsers().empty());
    QVERIFY(Inner()->isVisible());
    QVERIFY(frame->isVisible());

    // The link button that was made still works, with ';' read as '&'.
    std::vector<std::string> opened;
    skin::UrlOpener previous = skin::SetUrlOpener([&](const std::string& a) {
      opened.push_back(a);
      return true;
    });
    QTest::mouseClick(open, Qt::LeftButton, {}, QPoint(5, 5));
    skin::SetUrlOpener(std::move(previous));
    QCOMPARE(opened, (std::vector<std::string>{"http://127.0.0.1/pay?a=1&b=2"}));
    QVERIFY(frame->isVisible());
  }

  void keysNeverCloseAndModifiedKeysAreConsumed() {
    QVERIFY(frame.Start(LoginPackage("/game/enter", site.Url("/login"))));
    auto* sink = new KeySink(Inner());
    sink->setGeometry(0, 0, 10, 10);
    sink->show();
    auto* edit = new QLineEdit(Inner());
    edit->setGeometry(0, 20, 80, 20);
    edit->show();
    QSignalSpy frameDone(frame.get(), &QDialog::finished);
    QSignalSpy innerDone(Inner(), &QDialog::finished);

    for (QWidget* target : {static_cast<QWidget*>(sink), static_cast<QWidget*>(edit),
                            static_cast<QWidget*>(Inner()), static_cast<QWidget*>(frame.get())}) {
      QTest::keyClick(target, Qt::Key_Return);
      QTest::keyClick(target, Qt::Key_Enter);
      QTest::keyClick(target, Qt::Key_Escape);
    }
    QCOMPARE(frameDone.count(), 0);
    QCOMPARE(innerDone.count(), 0);
    QVERIFY(frame->isVisible());
    QVERIFY(Inner()->isVisible());
    // Return and Escape still reach the focused control.
    QCOMPARE(sink->keys, (std::vector<int>{Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}));

    sink->keys.clear();
    QTest::keyClick(sink, Qt::Key_F1);
    QTest::keyClick(sink, Qt::Key_F12);
    QTest::keyClick(sink, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(sink, Qt::Key_Insert, Qt::ShiftModifier);
    QVERIFY(sink->keys.empty());
    QTest::keyClick(sink, Qt::Key_A);
    QTest::keyClick(sink, Qt::Key_Space);
    QCOMPARE(sink->keys, (std::vector<int>{Qt::Key_A, Qt::Key_Space}));
    QTest::keyClicks(edit, "ab");
    QTest::keyClick(edit, 'C', Qt::ShiftModifier);
    QCOMPARE(edit->text(), QString("abC"));
  }

  void closeQuestionCancelThenOk() {
    FixturePackage package;
    package
        .Settings(SettingsText(Global("/game/enter"),
                               {LinkSection(2, 10, 250, 0, 0), LinkSection(3, 60, 250, 0, 0)}))
        .Image("config/main1.png", BandedArtwork())
        .ButtonImages(1)
        .ButtonImages(2);
    QVERIFY(frame.Start(package));
    auto* close = Inner()->findChild<CxSkinButton*>("control203");
    QVERIFY(close);
    QSignalSpy frameDone(frame.get(), &QDialog::finished);

    messages->answers = {platform::MessageBoxResult::Cancel};
    QTest::mouseClick(close, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(messages->seen.size(), std::size_t{1});
    const platform::MessageBoxRequest& asked = messages->seen[0];
    QCOMPARE(asked.text, std::string("确定要退出吗?"));
    QCOMPARE(asked.caption, launcher::ProgramCaption(platform::ProgramPath()));
    QCOMPARE(asked.caption, std::string("launcher_test"));
    QVERIFY(asked.buttons == platform::MessageBoxButtons::OkCancel);
    QCOMPARE(asked.owner, static_cast<void*>(Inner()));
    QVERIFY(frame->isVisible());
    QCOMPARE(frameDone.count(), 0);

    messages->answers = {platform::MessageBoxResult::Ok};
    QTest::mouseClick(close, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(messages->seen.size(), std::size_t{2});
    QCOMPARE(frameDone.count(), 1);
    QVERIFY(!frame->isVisible());
    QVERIFY(!Inner()->isVisible());
    QVERIFY(Inner()->GetGameUrl().empty());
  }

  void minimiseButtonMinimisesBoth() {
    FixturePackage package;
    package.Settings(SettingsText(Global("/game/enter"), {LinkSection(2, 10, 250, 0, 0)}))
        .Image("config/main1.png", BandedArtwork())
        .ButtonImages(1);
    QVERIFY(frame.Start(package));
    auto* minimise = Inner()->findChild<CxSkinButton*>("control202");
    QVERIFY(minimise);
    QTest::mouseClick(minimise, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(frame->windowState().testFlag(Qt::WindowMinimized));
    QVERIFY(Inner()->windowState().testFlag(Qt::WindowMinimized));
  }

  void startParameterIsCutAt255() {
    FixturePackage package;
    package.Settings(SettingsText(Global("/game/enter"), {LinkSection(5, 0, 0, 0, 0)}))
        .Image("config/main1.png", BandedArtwork());
    const std::string exact = "http://127.0.0.1:1/" + std::string(255 - 19, 'x');
    QVERIFY(frame.Start(package, exact));
    QCOMPARE(std::string(Inner()->GetStartText()), exact);
    frame.Close();
    QVERIFY(frame.Start(package, exact + "yyy"));
    QCOMPARE(std::string(frame->GetStartParameter()), exact);
  }
};

LAUNCHER_WEB_TEST_MAIN(LauncherTest)
#include "LauncherTest.moc"
