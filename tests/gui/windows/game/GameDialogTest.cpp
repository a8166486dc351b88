// The game window's set-up against the demo site's API, its frame and title band, hit test,
// buttons, function keys and the cache purge.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QScopeGuard>
#include <QWebEngineView>
#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "GameTestSupport.h"
#include "WebTestSupport.h"
#include "skin/SkinButton.h"
#include "web/WebBrowser.h"

using namespace gametest;

namespace {
constexpr int kPageTimeout = 30000;
}  // namespace

class GameDialogTest : public QObject {
  Q_OBJECT

  DemoSiteProcess site;
  QTemporaryDir siteDir;
  QString logPath;
  std::unique_ptr<MessageRecorder> messages;
  std::unique_ptr<OpenPackage> package;

  std::string Api() const { return site.Url(demo::kApiPath); }
  std::string GameAddress(const std::string& query) const {
    return site.Url(std::string(demo::kGameHeader) + "?" + query);
  }

  // Opens the package, makes the window for `address`, runs its set-up by showing it and waits
  // until the set-up lookups' answers have been applied.
  std::unique_ptr<GameWindow> Open(const std::string& settings, const std::string& address) {
    package = std::make_unique<OpenPackage>();
    if (!package->Open(GamePackage(settings))) return nullptr;
    auto window = std::make_unique<GameWindow>(address);
    (*window)->show();
    if (!QTest::qWaitFor([&] { return (*window)->OutstandingLookups() == 0; }, kPageTimeout))
      return nullptr;
    return window;
  }

  QStringList SiteLogLines() {
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  }
  int FirstLine(const QString& needle, int from = 0) {
    const QStringList lines = SiteLogLines();
    for (int i = from; i < lines.size(); ++i)
      if (lines[i].contains(needle)) return i;
    return -1;
  }

 private slots:
  void initTestCase() {
    logPath = siteDir.path() + "/site.log";
    if (!DemoSiteProcess::Built()) QSKIP("the demo site is not built");
    QVERIFY2(site.Start({"--log", logPath}), "the demo site did not start");
  }
  void init() { messages = std::make_unique<MessageRecorder>(); }
  void cleanup() {
    package.reset();
    messages.reset();
  }

  void setUpAsksForTheNamesAndLoadsThePage() {
    const int from = SiteLogLines().size();
    auto window = Open(GameSettings(Api()), GameAddress("serverid=12&skey=1012&uid=7"));
    QVERIFY(window);
    CGameDialog* dialog = window->get();
    QVERIFY(dialog->IsSetUpComplete());
    QVERIFY(messages->seen.empty());
    // The server key went into the settings; the signed lookup carried it.
    QCOMPARE(TestConfig().GetSettings().skey.str(), std::string("s1012"));
    QCOMPARE(Qt8(dialog->GetUserName()), QString::fromUtf8("逍遥子"));
    QCOMPARE(Qt8(dialog->GetServerName()), QString::fromUtf8("白虎堂"));
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域白虎堂"));
    QCOMPARE(dialog->windowTitle(), QString::fromUtf8("龙域"));

    const QRect work = dialog->screen()->availableGeometry();
    QCOMPARE(dialog->geometry(), work);
    QCOMPARE(dialog->GetMinWidth(), qMin(640, work.width()));
    QCOMPARE(dialog->GetMinHeight(), qMin(480, work.height()));
    QVERIFY(dialog->IsLayoutReady());
    QVERIFY(dialog->GetChatWindow() != nullptr);
    QCOMPARE(dialog->findChild<QLabel*>("control300")->geometry(), QRect(200, 5, 16, 16));
    QCOMPARE(dialog->GetTitleRect(), QRect(40, 4, 150, 22));

    CWebBrowserEx* browser = dialog->GetBrowser();
    QVERIFY(browser);
    QCOMPARE(browser->controlId(), 170);
    QCOMPARE(dialog->browserRect, QRect(8, 30, work.width() - 16, work.height() - 38));
    QTRY_VERIFY_WITH_TIMEOUT(FirstLine("\"path\":\"/play/game\"", from) >= 0, kPageTimeout);

    // The signed lookup carried the server key taken from the address before it.
    const int user = FirstLine("\"type\":\"1\"", from);
    QVERIFY(user >= 0);
    QVERIFY(FirstLine("\"path\":\"/api/1012\"", from) >= 0);
    QVERIFY(FirstLine("\"path\":\"/game/enter\"", from) >= 0);
    QVERIFY(SiteLogLines()[user].contains("\"skey\":\"s1012\""));
    QVERIFY(SiteLogLines()[user].contains("\"status\":200"));
  }

  void pageShowsAndTitleNamesTheServerOnceTheGamePageCompletes_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("serverName");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("dual line") << "serverid=12&skey=1012&uid=7" << "白虎堂" << " [双线12服]";
    QTest::newRow("no wipe") << "serverid=80015&skey=8015&uid=7" << "朱雀台" << " [不删档15服]";
  }
  void pageShowsAndTitleNamesTheServerOnceTheGamePageCompletes() {
    QFETCH(QString, query);
    QFETCH(QString, serverName);
    QFETCH(QString, suffix);
    auto window = Open(GameSettings(Api()), GameAddress(query.toStdString()));
    QVERIFY(window);
    CGameDialog* dialog = window->get();
    CWebBrowserEx* browser = dialog->GetBrowser();
    QCOMPARE(Qt8(dialog->GetServerName()), serverName);
    QTRY_VERIFY_WITH_TIMEOUT(browser->view()->isVisible(), kPageTimeout);
    QCOMPARE(browser->view()->url().path(), QString("/play/game"));
    // The page fills the area below the top band of the filled window: no black strip on the
    // right or at the bottom.
    QCOMPARE(browser->geometry(), QRect(0, dialog->GetEdgeHeight(2), dialog->width(),
                                        dialog->height() - dialog->GetEdgeHeight(2)));
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域") + suffix);
    // The taskbar caption stays; the stored title took the suffix, so a reload adds another.
    QCOMPARE(dialog->windowTitle(), QString::fromUtf8("龙域"));
    QSignalSpy done(browser, &CWebBrowser::DocumentComplete);
    QVERIFY(dialog->OnCommand(195));
    QVERIFY(done.wait(kPageTimeout));
    QTRY_COMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域") + suffix + suffix);
    // The script bridge reaches the loaded game page.
    QVERIFY(dialog->GetPage().CallScript("isReady"));
  }

  void pagesOutsideTheGameStayHidden() {
    auto window = Open(GameSettings(Api(), "maxheader=/nowhere\n"),
                       GameAddress("serverid=12&skey=1012&uid=7"));
    QVERIFY(window);
    CGameDialog* dialog = window->get();
    CWebBrowserEx* browser = dialog->GetBrowser();
    QTRY_VERIFY_WITH_TIMEOUT(
        browser->view()->url().path() == "/play/game" && !browser->view()->page()->isLoading(),
        kPageTimeout);
    QVERIFY(!browser->view()->isVisible());
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域白虎堂"));
    dialog->OnDocumentComplete(QString::fromStdString(site.Url("/play/game?serverid=3&")), true, nullptr);
    QVERIFY(!browser->view()->isVisible());
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域白虎堂"));
    // A device page of the local network shows without touching the title.
    dialog->OnDocumentComplete("http://192.168.1.1/setup?serverid=3&", true, nullptr);
    QVERIFY(browser->view()->isVisible());
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域白虎堂"));
  }

  void lookupFailuresAreShownAndSetUpGoesOn() {
    DemoSiteProcess failing;
    QVERIFY2(failing.Start({"--api-status", "500"}), "the demo site did not start");
    auto window = Open(GameSettings(failing.Url(demo::kApiPath)),
                       failing.Url("/game/enter?serverid=12&skey=1012&uid=7"));
    QVERIFY(window);
    CGameDialog* dialog = window->get();
    QVERIFY(dialog->IsSetUpComplete());
    // Both failures are shown, the player name's first, under the window's title.
    QCOMPARE(messages->seen.size(), std::size_t{2});
    QCOMPARE(messages->seen[0].text, std::string("访问用户名url失败"));
    QCOMPARE(messages->seen[1].text, std::string("访问当前服务器名失败"));
    QCOMPARE(messages->seen[0].caption, std::string("龙域"));
    QCOMPARE(messages->seen[1].caption, std::string("龙域"));
    QCOMPARE(std::string(dialog->GetUserName()), std::string());
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域"));
    QVERIFY(dialog->GetBrowser() != nullptr);
  }

  void missingLogoStopsSetUpAfterTheButtons() {
    package = std::make_unique<OpenPackage>();
    FixturePackage noLogo;
    noLogo.Settings(GameSettings(Api(), "gameButtonCount=1\n", Button(1, 6, 9, -60, 2)))
        .Image("config/style.png", StyleImage());
    QVERIFY(package->Open(noLogo));
    GameWindow window(GameAddress("serverid=12&skey=1012&uid=7"));
    QVERIFY(!window->OnInitDialog());
    QVERIFY(!window->IsLayoutReady());
    QVERIFY(window->GetBrowser() != nullptr);
    QCOMPARE(window->GetButtons().size(), std::size_t{1});
    QVERIFY(window->GetChatWindow() == nullptr);
    QVERIFY(!messages->seen.empty());  // the package reader's message
  }

  void framePiecesAndTitleBandArePainted() {
    auto window = Open(GameSettings(Api(), "gameButtonCount=1\n", Button(1, 13, 9, 300, 0)),
                       GameAddress("serverid=12&skey=1012&uid=7"));
    QVERIFY(window);
    CGameDialog* dialog = window->get();
    for (int i = 1; i <= 8; ++i) {
      QCOMPARE(dialog->GetEdgeWidth(i), kPieces[i - 1].width);
      QCOMPARE(dialog->GetEdgeHeight(i), kPieces[i - 1].height);
      QCOMPARE(dialog->GetEdgeBitmap(i).pixelColor(0, 0), kPieces[i - 1].colour);
    }
    // Normal state: all eight pieces around a 700 x 500 window.
    dialog->maximized = false;
    dialog->fullScreen = false;
    dialog->setGeometry(QRect(50, 50, 700, 500));
    QTRY_COMPARE(dialog->size(), QSize(700, 500));
    QImage image = dialog->grab().toImage();
    const struct {
      QPoint at;
      int piece;
    } normal[] = {{{2, 2}, 1},     {{25, 28}, 2},   {{695, 2}, 3},   {{3, 250}, 4},
                  {{696, 250}, 5}, {{11, 496}, 6},  {{12, 496}, 7},  {{679, 496}, 7},
                  {{680, 496}, 8}, {{698, 498}, 8}, {{100, 499}, 7}};
    for (const auto& probe : normal)
      QVERIFY2(Near(image.pixelColor(probe.at), kPieces[probe.piece - 1].colour),
               qPrintable(QString("piece %1 at %2,%3").arg(probe.piece).arg(probe.at.x()).arg(probe.at.y())));
    // Title band: its fill colour, the title in the title colour, the player's name ending at 300.
    QVERIFY(Near(image.pixelColor(188, 24), QColor(82, 7, 11)));
    QVERIFY(HasTitlePixel(image, QRect(40, 4, 150, 22)));
    QVERIFY(HasTitlePixel(image, QRect(218, 4, 82, 22)));
    QVERIFY(!HasTitlePixel(image, QRect(302, 4, 60, 22)));
    // A long name is cut at its box: nothing of it between the title and the box.
    dialog->TitleBand().SetUserName(codepage::Utf8ToSystem("逍遥子逍遥子逍遥子逍遥子逍遥子逍遥子逍遥子"));
    image = dialog->grab().toImage();
    QVERIFY(HasTitlePixel(image, QRect(200, 4, 100, 22)));
    QVERIFY(!HasTitlePixel(image, QRect(190, 4, 10, 22)));
    QVERIFY(!HasTitlePixel(image, QRect(300, 4, 10, 22)));

    // Filling the work area: only the top band, stretched across the whole width.
    dialog->maximized = true;
    image = dialog->grab().toImage();
    QVERIFY(Near(image.pixelColor(2, 2), kPieces[1].colour));
    QVERIFY(Near(image.pixelColor(697, 2), kPieces[1].colour));
    QVERIFY(!Near(image.pixelColor(2, 496), kPieces[5].colour));

    // Full screen: black, no band, no title.
    dialog->fullScreen = true;
    image = dialog->grab().toImage();
    QCOMPARE(image.pixelColor(2, 2), QColor(Qt::black));
    QCOMPARE(image.pixelColor(188, 24), QColor(Qt::black));
  }

  void hitTestMovesAndSizesTheNormalWindow() {
    auto window = Open(GameSettings(Api()), GameAddress("serverid=12&skey=1012&uid=7"));
    QVERIFY(window);
    CGameDialog* dialog = window->get();
    dialog->maximized = false;
    dialog->fullScreen = false;
    dialog->setGeometry(QRect(100, 100, 800, 600));
    QTRY_COMPARE(dialog->geometry(), QRect(100, 100, 800, 600));
    const int L = 100, T = 100, R = 900, B = 700;
    const struct {
      QPoint at;
      int code;
    } cases[] = {{{L + 5, T + 20}, 13}, {{R - 5, T + 5}, 14},   {{L + 3, B - 3}, 16},
                 {{R - 3, B - 3}, 17},  {{L + 3, T + 150}, 10}, {{R - 3, T + 150}, 11},
                 {{L + 200, B - 3}, 15}, {{L + 300, T + 10}, 2}, {{L + 300, T + 150}, 1}};
    for (const auto& c : cases)
      QVERIFY2(dialog->OnNcHitTest(c.at) == c.code,
               qPrintable(QString("%1,%2 -> %3").arg(c.at.x()).arg(c.at.y()).arg(dialog->OnNcHitTest(c.at))));
    dialog->OnSetCursor(dialog->OnNcHitTest({L + 3, T + 150}));
    QCOMPARE(dialog->cursor().shape(), Qt::SizeHorCursor);
    dialog->OnSetCursor(dialog->OnNcHitTest({R - 3, B - 3}));
    QCOMPARE(dialog->cursor().shape(), Qt::SizeFDiagCursor);
    dialog->OnSetCursor(dialog->OnNcHitTest({L + 300, T + 10}));
    QCOMPARE(dialog->cursor().shape(), Qt::ArrowCursor);

    // Dragging the top band moves the window; dragging the bottom-right corner sizes it, never
    // below the minimum size.
    auto drag = [dialog](QPoint from, QPoint by) {
      QTest::mousePress(dialog, Qt::LeftButton, {}, from);
      QTest::mouseMove(dialog, from + by);
      QTest::mouseRelease(dialog, Qt::LeftButton, {}, from + by);
    };
    drag(QPoint(300, 10), QPoint(30, 20));
    QTRY_COMPARE(dialog->pos(), QPoint(130, 120));
    drag(QPoint(797, 597), QPoint(-100, -50));
    QTRY_COMPARE(dialog->size(), QSize(700, 550));
    drag(QPoint(697, 547), QPoint(-400, -400));
    QTRY_COMPARE(dialog->size(), QSize(dialog->GetMinWidth(), dialog->GetMinHeight()));

    // Filling the work area: client everywhere, so neither moves nor sizes.
    dialog->maximized = true;
    QCOMPARE(dialog->OnNcHitTest(dialog->geometry().topLeft() + QPoint(2, 2)), 1);
    QCOMPARE(dialog->OnNcHitTest(dialog->geometry().topLeft() + QPoint(300, 10)), 1);
  }

  void buttonsAreMadeFromTheRecordsWithIdsImagesAndPlaces() {
    const std::string records =
        Button(1, 6, 9, -60, 2, 0, {"tips=fill"}) + Button(2, 10, 9, -60, 2) +
        Button(3, 7, 0, -90, 2) + Button(4, 12, 9, -100, 2, 0, {"url=http://127.0.0.1/pay?a=1;b=2", "title=充值"}) +
        Button(5, 13, 9, 300, 0) + Button(6, 14, 9, -140, 2) + Button(7, 15, 9, -180, 2) +
        Button(8, 18, 9, -220, 2) + Button(9, 16, 10, -260, 2);
    auto window = Open(GameSettings(Api(), "gameButtonCount=9\n", records),
                       GameAddress("serverid=12&skey=1012&uid=7"));
    QVERIFY(window);
    CGameDialog* dialog = window->get();
    const std::vector<CxSkinButton*>& buttons = dialog->GetButtons();
    const struct {
      int id, index;
      bool hidden;
    } expected[] = {{186, 0, false}, {190, 1, false}, {192, 3, false}, {193, 4, true},
                    {194, 5, true},  {195, 6, false}, {198, 7, false}};
    QCOMPARE(buttons.size(), std::size(expected));
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      QCOMPARE(buttons[i]->GetControlId(), expected[i].id);
      QCOMPARE(buttons[i]->GetKind(), expected[i].id - 180);
      QCOMPARE(buttons[i]->GetIndex(), expected[i].index);
      QCOMPARE(dialog->findChild<CxSkinButton*>(QString("control%1").arg(expected[i].id)),
               buttons[i]);
      QCOMPARE(buttons[i]->size(), QSize(kButtonW, kButtonH));
      if (expected[i].hidden) QVERIFY(buttons[i]->isHidden());
    }
    QCOMPARE(dialog->FindButtonByType(12), buttons[2]);
    QVERIFY(dialog->FindButtonByType(7) == nullptr);
    QCOMPARE(buttons[2]->GetLink(), std::string("http://127.0.0.1/pay?a=1&b=2"));
    QCOMPARE(buttons[2]->text(), QString::fromUtf8("充值"));
    QCOMPARE(buttons[0]->toolTip(), QString("fill"));
    QCOMPARE(buttons[0]->GetDrawMode(), skin::DrawMode::Unscaled);
    QCOMPARE(buttons[4]->GetDrawMode(), skin::DrawMode::Stretched);
    QVERIFY(dialog->GetCheckBox() != nullptr);
    QCOMPARE(dialog->GetCheckBox()->objectName(), QString("control197"));
    QCOMPARE(dialog->TitleBand().GetUserNameRight(), 300);

    // The normal image is the strip's first; pressing shows the second.
    QCOMPARE(buttons[0]->grab().toImage().pixelColor(1, 1), kNormal);
    QTest::mousePress(buttons[0], Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(buttons[0]->grab().toImage().pixelColor(1, 1), kPressed);
    QTest::mouseRelease(buttons[0], Qt::LeftButton, {}, QPoint(200, 200));

    // Placement from the window's right edge, inside the right frame piece unless filling.
    dialog->resize(1000, 600);
    QTRY_COMPARE(dialog->width(), 1000);
    dialog->maximized = false;
    dialog->PlaceButtons();
    QCOMPARE(buttons[0]->geometry(), QRect(1000 - 60 - 8, 2, kButtonW, kButtonH));
    QCOMPARE(buttons[3]->pos(), QPoint(300 + 8, 0));
    QCOMPARE(dialog->GetCheckBox()->geometry(), QRect(1000 - 220 - 8 - 20, 5, 14, 14));
    dialog->maximized = true;
    dialog->PlaceButtons();
    QCOMPARE(buttons[0]->pos(), QPoint(940, 2));
    QCOMPARE(buttons[3]->pos(), QPoint(300, 0));
  }

  void functionKeysRunTheirOperationAndNeverReachThePage() {
    const std::string sections = Menu(1, 2, 7) + Menu(2, 2, 9) + Menu(3, 1, 0);
    auto window = Open(GameSettings(Api(), "menuCount=3\n", sections),
                       GameAddress("serverid=12&skey=1012&uid=7"));
    QVERIFY(window);
    CGameDialog* dialog = window->get();
    QVERIFY(dialog->GetShortcut(7) == &CGameDialog::ConfirmClearCache);
    QVERIFY(dialog->GetShortcut(9) == &CGameDialog::ConfirmClearCache);
    QVERIFY(dialog->GetShortcut(5) == nullptr);
    auto* sink = new KeySink(dialog);
    sink->setGeometry(300, 300, 20, 20);
    sink->show();

    messages->answers.push_back(platform::MessageBoxResult::Cancel);
    QTest::keyClick(sink, Qt::Key_F7);
    QCOMPARE(messages->seen.size(), std::size_t{1});
    QCOMPARE(messages->seen[0].caption, std::string("清除缓存"));
    QCOMPARE(messages->seen[0].text, std::string("确定清除吗"));
    QVERIFY(messages->seen[0].buttons == platform::MessageBoxButtons::OkCancel);
    // F9 belongs to the boss key; F5 is bound to nothing. Neither goes on.
    QTest::keyClick(sink, Qt::Key_F9);
    QTest::keyClick(sink, Qt::Key_F5);
    QCOMPARE(messages->seen.size(), std::size_t{1});
    QTest::keyClick(sink, Qt::Key_A);
    QCOMPARE(sink->keys, std::vector<int>{Qt::Key_A});

    // The game page itself never sees a function key.
    CWebBrowserEx* browser = dialog->GetBrowser();
    QTRY_VERIFY_WITH_TIMEOUT(browser->view()->isVisible(), kPageTimeout);
    QVERIFY(EvalJs(browser->view()->page(),
                   "window.seenKeys = []; document.addEventListener('keydown', e => "
                   "window.seenKeys.push(e.key), true); 1")
                .isValid());
    QWidget* target = browser->view()->focusProxy() ? browser->view()->focusProxy() : browser->view();
    messages->answers.push_back(platform::MessageBoxResult::Cancel);
    QTest::keyClick(target, Qt::Key_F7);
    QCOMPARE(messages->seen.size(), std::size_t{2});
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          QTest::keyClick(target, Qt::Key_B);
          return EvalJs(browser->view()->page(), "window.seenKeys.join(',')").toString().contains("b");
        }(),
        10000);
    QVERIFY(!EvalJs(browser->view()->page(), "window.seenKeys.join(',')").toString().contains("F"));
  }

  void clearCacheAsksAndPurgesTheBrowserCache() {
    // A page the browser may keep for an hour: a second visit comes from the cache.
    httplib::Server cacheSite;
    std::atomic<int> hits{0};
    cacheSite.Get("/cached", [&hits](const httplib::Request&, httplib::Response& response) {
      ++hits;
      response.set_header("Cache-Control", "max-age=3600");
      response.set_content("<html><body>cached</body></html>", "text/html");
    });
    const int port = cacheSite.bind_to_any_port("127.0.0.1");
    std::thread serving([&cacheSite] { cacheSite.listen_after_bind(); });
    auto stop = qScopeGuard([&] {
      cacheSite.stop();
      serving.join();
    });

    auto window = Open(GameSettings(Api()), GameAddress("serverid=12&skey=1012&uid=7"));
    QVERIFY(window);
    CGameDialog* dialog = window->get();
    CWebBrowserEx* browser = dialog->GetBrowser();
    QTRY_VERIFY_WITH_TIMEOUT(browser->view()->isVisible(), kPageTimeout);
    const std::string cached = "http://127.0.0.1:" + std::to_string(port) + "/cached";
    const std::string other = site.Url("/news");
    // A load that does not complete in time (a busy machine) is asked for again.
    auto visit = [browser](const std::string& address) {
      QSignalSpy done(browser, &CWebBrowser::DocumentComplete);
      for (int attempt = 0; attempt < 5; ++attempt) {
        browser->Navigate(address);
        if (done.wait(5000) && done.last().at(0).toString() == QString::fromStdString(address))
          return true;
      }
      return false;
    };
    QVERIFY(visit(cached));
    QVERIFY(visit(other));
    QVERIFY(visit(cached));
    QCOMPARE(hits.load(), 1);

    // Declined: the cache stays.
    messages->answers.push_back(platform::MessageBoxResult::Cancel);
    QVERIFY(dialog->OnCommand(196));
    QCOMPARE(messages->seen.size(), std::size_t{1});
    QCOMPARE(messages->seen[0].caption, std::string("清除缓存"));
    QVERIFY(visit(other));
    QVERIFY(visit(cached));
    QCOMPARE(hits.load(), 1);

    // Confirmed (here through the outside command): the next visit goes to the site again.
    messages->answers.push_back(platform::MessageBoxResult::Ok);
    QVERIFY(dialog->OnCommand(1527));
    QCOMPARE(messages->seen.size(), std::size_t{2});
    // The purge has removed the entry: the next visit goes to the site again.
    QTRY_VERIFY_WITH_TIMEOUT(visit(other) && visit(cached) && hits.load() == 2, 30000);
  }
};

LAUNCHER_WEB_TEST_MAIN(GameDialogTest)

#include "GameDialogTest.moc"
