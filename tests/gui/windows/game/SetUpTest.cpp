// The game window's set-up against an operator API that answers late or not at all: the window
// and the game page never wait for the lookups, stay usable while they are out, take each answer
// where it belongs when it comes, and give the same outcome whatever order the answers and the
// page's events arrive in.
#include <QFile>
#include <QScopeGuard>
#include <algorithm>
#include <chrono>

#include "BridgeSession.h"
#include "core/game/GameButtonRules.h"
#include "core/net/BackgroundWork.h"
#include "core/net/HttpClient.h"
#include "skin/SkinButton.h"
#include "web/GmChatWnd.h"

using namespace gametest;

namespace {

// Close (type 5) and GM chat (type 14) buttons.
std::string Sections() { return Button(1, 5, 9, -40, 2) + Button(2, 14, 9, -120, 2); }

LookupResult Answer(const char* utf8) {
  LookupResult result;
  result.kind = LookupResult::Value;
  result.value = codepage::Utf8ToSystem(utf8);
  return result;
}

LookupResult Failure(const char* utf8) {
  LookupResult result;
  result.kind = LookupResult::Failed;
  result.failureText = utf8;
  return result;
}

const char kUserNameFailure[] = "访问用户名url失败";
const char kServerNameFailure[] = "访问当前服务器名失败";

PageArg Text(const char* utf8) {
  PageArg arg;
  arg.kind = PageArg::Kind::String;
  arg.text = utf8;
  return arg;
}

}  // namespace

class SetUpTest : public QObject {
  Q_OBJECT

  QTemporaryDir logDir;

  std::string Settings(const DemoSiteProcess& on, const std::string& extra = "") const {
    return GameSettings(on.Url(demo::kApiPath), "gameButtonCount=2\n" + extra, Sections());
  }
  static std::string GameAddress(const DemoSiteProcess& on) {
    return on.Url(std::string(demo::kGameHeader) + "?serverid=12&skey=1012&uid=7");
  }
  static QStringList LogLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  }
  static bool Release(const DemoSiteProcess& on) {
    std::string body;
    return FetchUrl(on.Url("/control/release-api").c_str(), body) == FetchOutcome::Success;
  }

 private slots:
  void initTestCase() {
    if (!DemoSiteProcess::Built()) QSKIP("demo site not built");
  }

  void gamePageAndWindowDoNotWaitForTheApi() {
    const QString log = logDir.path() + "/held.log";
    DemoSiteProcess site;
    QVERIFY2(site.Start({"--api-delay", "-1", "--log", log, "--gm-name", "GM阿青"}),
             "the demo site did not start");
    Session session;
    QVERIFY(session.Open(Settings(site), GameAddress(site), false));
    CGameDialog* dialog = session.dialog();
    // Set-up is complete and on screen with all three lookups out.
    QVERIFY(dialog->IsSetUpComplete());
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->OutstandingLookups(), 3);
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域"));
    QVERIFY(dialog->GetChatWindow() != nullptr);
    QCOMPARE(dialog->GetButtons().size(), std::size_t{2});

    // The game page loads and completes while no API answer has been sent (the site logs a
    // request once it has answered it).
    CWebBrowserEx* browser = dialog->GetBrowser();
    QTRY_VERIFY_WITH_TIMEOUT(browser->view()->isVisible(), kPageTimeoutMs);
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域 [双线12服]"));
    const QStringList early = LogLines(log);
    QVERIFY(std::any_of(early.begin(), early.end(),
                        [](const QString& l) { return l.contains("\"path\":\"/play/game\""); }));
    QVERIFY(std::none_of(early.begin(), early.end(),
                         [](const QString& l) { return l.contains("\"path\":\"/api/"); }));
    QCOMPARE(dialog->OutstandingLookups(), 3);
    QCOMPARE(std::string(dialog->GetUserName()), std::string());

    // Still waiting, the window moves, paints and asks its close question.
    dialog->maximized = false;
    dialog->setGeometry(QRect(100, 100, 800, 600));
    QTRY_COMPARE(dialog->size(), QSize(800, 600));
    QTest::mousePress(dialog, Qt::LeftButton, {}, QPoint(300, 10));
    QTest::mouseMove(dialog, QPoint(330, 30));
    QTest::mouseRelease(dialog, Qt::LeftButton, {}, QPoint(330, 30));
    QTRY_COMPARE(dialog->pos(), QPoint(130, 120));
    QVERIFY(HasTitlePixel(dialog->grab().toImage(), dialog->GetTitleRect()));
    session.messages.answers = {platform::MessageBoxResult::Cancel};
    dialog->close();
    QCOMPARE(session.messages.seen.size(), std::size_t{1});
    QCOMPARE(session.messages.seen[0].text, std::string("退出吗"));
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->OutstandingLookups(), 3);

    // The answers come: the player's name to the title band, the server's name kept (the
    // completed page's title stands, as it would had the name come first), the chat page loads
    // in the chat window and names the GM.
    QVERIFY(Release(site));
    QTRY_COMPARE_WITH_TIMEOUT(dialog->OutstandingLookups(), 0, kPageTimeoutMs);
    QCOMPARE(Qt8(dialog->GetUserName()), QString::fromUtf8("逍遥子"));
    QCOMPARE(Qt8(dialog->GetServerName()), QString::fromUtf8("白虎堂"));
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域 [双线12服]"));
    CGmChatWnd* chat = dialog->GetChatWindow();
    QTRY_COMPARE_WITH_TIMEOUT(chat->browser->view()->url().path(), QString(demo::kChatPath),
                              kPageTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(chat->windowTitle(), QString("GM阿青"), kPageTimeoutMs);
    QCOMPARE(dialog->FindButtonByType(game::kTypeGmChat)->text(), QString("GM阿青"));
    QVERIFY(session.messages.seen.size() == 1);
  }

  // An API that accepts and never answers: each lookup ends at its time-out as a failed
  // transfer, which leaves its value empty without a message, and the game runs on.
  void stalledLookupsEndAtTheirTimeOut() {
    DemoSiteProcess site;
    QVERIFY2(site.Start({"--api-delay", "-1"}), "the demo site did not start");
    net::SetHttpTimeouts(2000, 1500);
    auto restore = qScopeGuard(
        [] { net::SetHttpTimeouts(net::kDefaultConnectTimeoutMs, net::kDefaultTotalTimeoutMs); });
    Session session;
    QVERIFY(session.Open(Settings(site), GameAddress(site), false));
    CGameDialog* dialog = session.dialog();
    QCOMPARE(dialog->OutstandingLookups(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(dialog->OutstandingLookups(), 0, kPageTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->GetBrowser()->view()->isVisible(), kPageTimeoutMs);
    QCOMPARE(std::string(dialog->GetUserName()), std::string());
    QCOMPARE(std::string(dialog->GetServerName()), std::string());
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域 [双线12服]"));
    QVERIFY(dialog->GetChatWindow()->browser->view()->url().path() != QString(demo::kChatPath));
    QVERIFY(session.messages.seen.empty());
    QVERIFY(dialog->isVisible());
  }

  void closingWhileTheLookupsAreOutNeitherWaitsNorCrashes() {
    DemoSiteProcess site;
    QVERIFY2(site.Start({"--api-delay", "-1"}), "the demo site did not start");
    {
      Session session;
      QVERIFY(session.Open(Settings(site), GameAddress(site), false));
      QCOMPARE(session.dialog()->OutstandingLookups(), 3);
    }
    // The cancelled requests end at once, far sooner than their 30 s time-out...
    QVERIFY(net::WaitForBackgroundWork(std::chrono::seconds(10)));
    // ... and answers released now have no window to reach.
    QVERIFY(Release(site));
    QCoreApplication::processEvents();
  }

  // Which of the server's name and the completed game page comes first, and which of the game
  // page's getGsName and the chat address: the title and the GM name end up the same.
  void arrivalOrders_data() {
    QTest::addColumn<QString>("order");
    QString events = "CGPS";  // C chat address, G getGsName, P page complete, S server name
    std::sort(events.begin(), events.end());
    do {
      QTest::newRow(qPrintable(events)) << events;
    } while (std::next_permutation(events.begin(), events.end()));
  }
  void arrivalOrders() {
    QFETCH(QString, order);
    DemoSiteProcess site;
    QVERIFY2(site.Start({"--api-delay", "-1"}), "the demo site did not start");
    Session session;
    // The real page never qualifies: the completions here are the test's own.
    QVERIFY(session.Open(Settings(site, "maxheader=/qualified\n"), GameAddress(site), false));
    CGameDialog* dialog = session.dialog();
    CGmChatWnd* chat = dialog->GetChatWindow();
    const std::string chatAddress = site.Url("/news");
    for (const QChar event : order) {
      switch (event.toLatin1()) {
        case 'C':
          dialog->OnChatAddressLookup(Answer(chatAddress.c_str()));
          break;
        case 'G':
          dialog->OnGsName({Text("GM甲")});
          break;
        case 'P':
          dialog->OnDocumentComplete(
              QString::fromStdString(site.Url("/qualified?serverid=12&skey=1012&uid=7")), true, nullptr);
          break;
        case 'S':
          dialog->OnServerNameLookup(Answer("白虎堂"));
          break;
      }
    }
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域 [双线12服]"));
    QCOMPARE(Qt8(dialog->GetServerName()), QString::fromUtf8("白虎堂"));
    QVERIFY(!dialog->awaitingGmName);
    QCOMPARE(chat->windowTitle(), QString::fromUtf8("GM甲"));
    CxSkinButton* chatButton = dialog->FindButtonByType(game::kTypeGmChat);
    QCOMPARE(chatButton->text(), QString::fromUtf8("GM甲"));
    QVERIFY(chatButton->isVisibleTo(dialog));
    QTRY_COMPARE_WITH_TIMEOUT(chat->browser->view()->url().path(), QString("/news"),
                              kPageTimeoutMs);
    // The chat page loading changes neither name.
    QTRY_VERIFY_WITH_TIMEOUT(!chat->browser->view()->page()->isLoading(), kPageTimeoutMs);
    QCOMPARE(chat->windowTitle(), QString::fromUtf8("GM甲"));
  }

  // Both lookups fail: the player name's box comes before the server name's, whichever answer
  // comes first, each captioned with set-up's title (not the server title the completed page
  // composed meanwhile) and shown only while the window is.
  void failureBoxesInOrderUnderTheSetUpTitle_data() {
    QTest::addColumn<QString>("arrival");
    QTest::newRow("both from the API") << "api";
    QTest::newRow("server's failure first") << "SU";
    QTest::newRow("user's failure first") << "US";
    QTest::newRow("user's name, then server's failure") << "nS";
    QTest::newRow("server's failure, then user's name") << "Sn";
    QTest::newRow("both while the window is hidden") << "hidden";
  }
  void failureBoxesInOrderUnderTheSetUpTitle() {
    QFETCH(QString, arrival);
    DemoSiteProcess site;
    QVERIFY2(site.Start({"--api-delay", "-1", "--api-status", "500"}), "the demo site did not start");
    Session session;
    QVERIFY(session.Open(Settings(site), GameAddress(site), false));
    CGameDialog* dialog = session.dialog();
    QTRY_VERIFY_WITH_TIMEOUT(dialog->GetBrowser()->view()->isVisible(), kPageTimeoutMs);
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域 [双线12服]"));
    QVERIFY(session.messages.seen.empty());

    std::vector<std::string> expected = {kUserNameFailure, kServerNameFailure};
    if (arrival == "api" || arrival == "hidden") {
      if (arrival == "hidden") dialog->hide();
      QVERIFY(Release(site));
      QTRY_COMPARE_WITH_TIMEOUT(dialog->OutstandingLookups(), 0, kPageTimeoutMs);
      if (arrival == "hidden") {
        QCoreApplication::processEvents();
        QVERIFY(session.messages.seen.empty());
        dialog->show();
        QTRY_COMPARE(session.messages.seen.size(), std::size_t{2});
      }
    } else {
      for (const QChar event : arrival) {
        switch (event.toLatin1()) {
          case 'U':
            dialog->OnUserNameLookup(Failure(kUserNameFailure));
            break;
          case 'n':
            dialog->OnUserNameLookup(Answer("逍遥子"));
            expected = {kServerNameFailure};
            break;
          case 'S':
            dialog->OnServerNameLookup(Failure(kServerNameFailure));
            // The player name's answer is still out: the server name's box waits for it.
            if (arrival.startsWith('S')) QVERIFY(session.messages.seen.empty());
            break;
        }
      }
    }
    std::vector<std::string> texts;
    for (const platform::MessageBoxRequest& box : session.messages.seen) {
      texts.push_back(box.text);
      QCOMPARE(QString::fromStdString(box.caption), QString::fromUtf8("龙域"));
      QCOMPARE(box.owner, static_cast<void*>(dialog));
    }
    QCOMPARE(texts, expected);
    QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域 [双线12服]"));
    QVERIFY(dialog->isVisible());
  }

  // Without a server name on the title, the same holds for the name arriving before or after
  // the page names its own title (page command 6).
  void serverNameAfterThePageRetitled() {
    DemoSiteProcess site;
    QVERIFY2(site.Start({"--api-delay", "-1"}), "the demo site did not start");
    {
      Session session;
      QVERIFY(session.Open(Settings(site, "maxheader=/qualified\n"), GameAddress(site), false));
      CGameDialog* dialog = session.dialog();
      dialog->OnPageCommand({Text("6"), Text("S2"), Text("")});
      dialog->OnServerNameLookup(Answer("白虎堂"));
      QCOMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8("龙域-S2"));
    }
    // While nothing replaced set-up's title, the name extends it.
    Session session;
    QVERIFY(session.Open(Settings(site, "maxheader=/qualified\n"), GameAddress(site), false));
    session.dialog()->OnServerNameLookup(Answer("白虎堂"));
    QCOMPARE(Qt8(session.dialog()->GetTitleText()), QString::fromUtf8("龙域白虎堂"));
  }
};

LAUNCHER_WEB_TEST_MAIN(SetUpTest)
#include "SetUpTest.moc"
