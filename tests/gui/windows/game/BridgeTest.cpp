// The page bridge against the demo game and chat pages in a real engine: page commands, the
// GM name, the chat button's blink, Is360Game and the right-button reports.
#include <QFontMetrics>
#include <QMouseEvent>
#include <QTimer>

#include "BridgeSession.h"
#include "core/game/GameBridgeRules.h"
#include "core/game/GameButtonRules.h"
#include "skin/SkinButton.h"
#include "web/GmChatWnd.h"

using namespace gametest;

namespace {

// Buttons: close (type 5), page link (12), GM chat (14) and a link (1) 50 pixels left of the
// chat button, all with picture 9.
std::string BridgeSections() {
  return Button(1, 5, 9, -40, 2) + Button(2, 12, 9, -80, 2, 0, {"url=http://127.0.0.1/news"}) +
         Button(3, 14, 9, -120, 2) + Button(4, 1, 9, -200, 2, 0, {"url=http://127.0.0.1/home"});
}
constexpr int kChatButtonX = -120;
constexpr int kNeighbourRight = -200 + kButtonW;

const char kNoEffectScript[] =
    R"([["JsCallClient","12"],["JsCallClient",1],["JsCallClient","3"],)"
    R"(["JsCallClient","5","x",""],["JsCallClient",true]])";
const char kPayLinkCall[] = R"(["4","http://127.0.0.1/pay?a=1;b=2",""])";
const char kBrowserReports[] = R"([["clientCallJs","2","100","120","0"],["isReady"],)"
                               R"(["clientCallJs","3","101","121","1"],["isReady"]])";
const char kNormalStateReports[] = R"([["clientCallJs","2","10","20","0"],["isReady"],)"
                                   R"(["clientCallJs","3","10","20","0"],["isReady"]])";

QColor CentreColour(QWidget* widget) {
  return widget->grab().toImage().pixelColor(widget->width() / 2, widget->height() / 2);
}

}  // namespace

class BridgeTest : public QObject {
  Q_OBJECT

  DemoSiteProcess site;      // chat address about:blank: the chat page makes no calls
  DemoSiteProcess chatSite;  // the demo chat page names the GM and announces a message

  std::string Settings(const DemoSiteProcess& on) const {
    return GameSettings(on.Url(demo::kApiPath), "gameButtonCount=4\n", BridgeSections());
  }
  // The game page without server markers, so the stored title stays as configured.
  std::string GameAddress(const DemoSiteProcess& on, const std::string& script = "[]") const {
    return on.Url(std::string(demo::kMaxHeader) + "?uid=7&script=" + Encoded(script));
  }
  // Calls are handled in the order the page makes them: once a later call's effect shows, the
  // earlier ones have been handled. Markers: the title (command 6) or the page link (command 4).
  bool FlushByTitle(Session& session) {
    const QString mark = QStringLiteral("mark%1").arg(++marks);
    return session.PageCall("JsCallClient", QStringLiteral("[\"6\",\"%1\",\"\"]").arg(mark)) &&
           QTest::qWaitFor([&] { return Qt8(session.dialog()->GetTitleText()).endsWith(mark); });
  }
  bool FlushByLink(Session& session) {
    const QString mark = QStringLiteral("http://127.0.0.1/mark%1").arg(++marks);
    CxSkinButton* link = session.dialog()->FindButtonByType(game::kTypePageLink);
    return session.PageCall("JsCallClient", QStringLiteral("[\"4\",\"%1\",\"\"]").arg(mark)) &&
           QTest::qWaitFor([&] { return QString::fromStdString(link->GetLink()) == mark; });
  }
  int marks = 0;

  bool OpenGame(Session& session, const std::string& script = "[]") {
    return session.Open(Settings(site), GameAddress(site, script)) && session.WaitForGamePage();
  }

 private slots:
  void initTestCase() {
    if (!DemoSiteProcess::Built()) QSKIP("demo site not built");
    QVERIFY2(site.Start({"--chat-url", "about:blank"}) &&
                 chatSite.Start({"--gm-name", "GM阿青", "--gm-newmsg-after", "300"}),
             "the demo site did not start");
  }

  void titleCommand() {
    struct Case {
      const char* call;
      const char* title;  // null: unchanged
    };
    const Case cases[] = {
        {"[\"6\",\"S2\",\"\"]", "龙域-S2"},     // the parameter is the next-to-last argument
        {"[\"6\",\"S3\"]", "龙域-6"},             // with two, that is the command itself
        {"[\"6\",2,\"\"]", nullptr},             // not a text
        {"[\"6\"]", nullptr},                      // no parameter
        {"[\"6\",\"长标题\",\"\"]", "龙域-长标题"},  // always from the stored title
    };
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    for (const Case& c : cases) {
      const QString before = Qt8(dialog->GetTitleText());
      QVERIFY(session.PageCall("JsCallClient", QString::fromUtf8(c.call)));
      if (c.title == nullptr) {
        QVERIFY(FlushByLink(session));
        QCOMPARE(Qt8(dialog->GetTitleText()), before);
      } else {
        QTRY_COMPARE(Qt8(dialog->GetTitleText()), QString::fromUtf8(c.title));
      }
      QCOMPARE(dialog->TitleBand().GetTitleLength(), int(std::strlen(dialog->GetTitleText())));
    }
  }

  void commandsWithoutEffect() {
    Session session;
    QVERIFY(OpenGame(session, kNoEffectScript));
    const QString title = Qt8(session.dialog()->GetTitleText());
    QVERIFY(FlushByLink(session));
    QCOMPARE(Qt8(session.dialog()->GetTitleText()), title);
    QVERIFY(session.dialog()->isVisible());
    QCOMPARE(session.dialog()->result(), int(QDialog::Rejected));
    QVERIFY(session.messages.seen.empty());
    QCOMPARE(session.restarts.count, 0);
  }

  void pageLinkCommand() {
    Session session;
    QVERIFY(OpenGame(session));
    CxSkinButton* link = session.dialog()->FindButtonByType(game::kTypePageLink);
    QVERIFY(link != nullptr);
    QVERIFY(session.PageCall("JsCallClient", kPayLinkCall));
    QTRY_COMPARE(QString::fromStdString(link->GetLink()), QString("http://127.0.0.1/pay?a=1&b=2"));
    // A text too long for the 256-byte field leaves the link as it is.
    QVERIFY(session.PageCall("JsCallClient",
                             QStringLiteral("[\"4\",\"http://127.0.0.1/%1\",\"\"]").arg(QString(300, 'x'))));
    QVERIFY(FlushByTitle(session));
    QCOMPARE(QString::fromStdString(link->GetLink()), QString("http://127.0.0.1/pay?a=1&b=2"));
  }

  void closeCommand() {
    Session session;
    QVERIFY(OpenGame(session, "[[\"JsCallClient\",\"1\"]]"));
    QTRY_VERIFY(!session.dialog()->isVisible());
    QCOMPARE(session.dialog()->result(), int(QDialog::Accepted));
    QVERIFY(session.messages.seen.empty());
    QCOMPARE(session.restarts.count, 0);
  }

  void restartCommand() {
    Session session;
    QVERIFY(OpenGame(session, "[[\"JsCallClient\",\"2\"]]"));
    QTRY_VERIFY(!session.dialog()->isVisible());
    QCOMPARE(session.dialog()->result(), int(QDialog::Accepted));
    QCOMPARE(session.restarts.count, 1);
    QVERIFY(session.messages.seen.empty());
  }

  void gsNameFromGamePage() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    CxSkinButton* chatButton = dialog->FindButtonByType(game::kTypeGmChat);
    QVERIFY(chatButton != nullptr);
    QVERIFY(dialog->awaitingGmName);
    QVERIFY(!chatButton->isVisible());

    // A name that is not a string clears the wait but names nobody.
    QVERIFY(session.PageCall("getGsName", "[7]"));
    QVERIFY(FlushByLink(session));
    QVERIFY(!dialog->awaitingGmName);
    QVERIFY(dialog->GetChatWindow()->windowTitle().isEmpty());
    QVERIFY(!chatButton->isVisible());

    QVERIFY(session.PageCall("getGsName", "[\"客服小美\"]"));
    QTRY_COMPARE(dialog->GetChatWindow()->windowTitle(), QString("客服小美"));
    QCOMPARE(chatButton->text(), QString("客服小美"));
    QVERIFY(chatButton->isVisible());
    // The name as the button draws it, with its caption margins; the right edge stays.
    const int fitted = QFontMetrics(chatButton->CaptionFont()).horizontalAdvance("客服小美") +
                       2 * chatButton->CaptionMargin();
    const GameButtonItem& record = TestConfig().GetGameButtons()[2];
    QCOMPARE(record.width, fitted);
    QCOMPARE(record.x, kChatButtonX + kButtonW - fitted);
    QCOMPARE(chatButton->width(), fitted);
    QCOMPARE(chatButton->geometry().right() + 1, dialog->width() + kChatButtonX + kButtonW);

    // A long name grows the button only up to the link button on its left.
    CxSkinButton* neighbour = dialog->FindButtonByType(1);
    QVERIFY(neighbour != nullptr);
    QVERIFY(session.PageCall("getGsName", "[\"客服小美和她的同事们\"]"));
    QTRY_COMPARE(chatButton->text(), QString("客服小美和她的同事们"));
    QCOMPARE(record.x, kNeighbourRight);
    QCOMPARE(chatButton->geometry().left(), neighbour->geometry().right() + 1);
    QCOMPARE(chatButton->geometry().right() + 1, dialog->width() + kChatButtonX + kButtonW);
    // The neighbour shows its own image whole: no caption pixel of the chat button on it.
    const QImage image = dialog->grab().toImage();
    const QRect covered = neighbour->geometry();
    for (int x = covered.left(); x <= covered.right(); ++x)
      for (int y = covered.top(); y <= covered.bottom(); ++y)
        QVERIFY2(image.pixelColor(x, y).lightness() < 200,  // the caption is white
                 qPrintable(QString("%1,%2").arg(x).arg(y)));
  }

  void newMessageBlinksUntilChatOpens() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    CxSkinButton* chatButton = dialog->FindButtonByType(game::kTypeGmChat);
    QVERIFY(chatButton != nullptr);
    QVERIFY(!chatButton->isVisible());
    QCursor::setPos(dialog->mapToGlobal(QPoint(dialog->width() / 2, dialog->height() / 2)));

    QVERIFY(session.PageCall("getNewMsg", "[]"));
    QTRY_VERIFY(dialog->blinkTimer != nullptr && dialog->blinkTimer->isActive());
    QTimer* timer = dialog->blinkTimer;
    QCOMPARE(timer->interval(), game::kBlinkPeriodMs);
    // The first step shows the third image, the next the first, and so on; each shows the button.
    QTRY_VERIFY(chatButton->isVisible());
    QTRY_COMPARE(CentreColour(chatButton), kHovered);
    QTRY_COMPARE(CentreColour(chatButton), kNormal);
    QTRY_COMPARE(CentreColour(chatButton), kHovered);

    // A second message restarts the one timer with the third image first.
    QVERIFY(session.PageCall("getNewMsg", "[]"));
    QTRY_VERIFY(dialog->blinkPhase);
    QCOMPARE(dialog->blinkTimer, timer);
    QVERIFY(timer->isActive());

    QSignalSpy ticks(timer, &QTimer::timeout);
    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeGmChat)));
    QVERIFY(!timer->isActive());
    QTRY_VERIFY(dialog->GetChatWindow()->isVisible());
    QCOMPARE(CentreColour(chatButton), kNormal);
    // No tick follows the opening.
    const int seen = ticks.count();
    QVERIFY(!QTest::qWaitFor([&] { return ticks.count() > seen; }, 1200));
  }

  void chatButtonWithoutBlinkOnlyShowsChat() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeGmChat)));
    QTRY_VERIFY(dialog->GetChatWindow()->isVisible());
    QVERIFY(dialog->blinkTimer == nullptr);
    dialog->HideChatWindow();
    QVERIFY(!dialog->GetChatWindow()->isVisible());
  }

  void is360GameRelaysOutOnlyOncePlaced() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    CxSkinButton* close = dialog->FindButtonByType(game::kTypeClose);
    const QRect placed = close->geometry();

    close->move(0, 0);
    QVERIFY(session.PageCall("Is360Game", "[]"));
    QVERIFY(FlushByLink(session));
    QCOMPARE(close->pos(), QPoint(0, 0));

    dialog->RestoreNormal();
    dialog->LayoutChildren();
    const QRect placedNormal = close->geometry();
    QVERIFY(placedNormal != placed);
    close->move(0, 0);
    QVERIFY(session.PageCall("Is360Game", "[]"));
    QTRY_COMPARE(close->geometry(), placedNormal);
  }

  void rightButtonReports() {
    Session session;
    QVERIFY(OpenGame(session));
    CGameDialog* dialog = session.dialog();
    QVERIFY(dialog->IsMaximized());
    QWidget* view = dialog->GetBrowser()->view();
    QTRY_VERIFY(view->focusProxy() != nullptr);
    QWidget* input = view->focusProxy();

    // Above the browser area (the title band): consumed, nothing reported.
    QTest::mousePress(dialog, Qt::RightButton, {}, QPoint(300, 5));
    QTest::mouseRelease(dialog, Qt::RightButton, {}, QPoint(300, 5));
    // In the browser area: the point relative to the browser, then isReady.
    QTest::mousePress(input, Qt::RightButton, {}, QPoint(100, 120));
    QTest::mouseRelease(input, Qt::RightButton, Qt::ShiftModifier, QPoint(101, 121));
    QTRY_COMPARE(session.Reports(), QString(kBrowserReports));

    // In the normal state the left edge piece shifts the point as well.
    dialog->RestoreNormal();
    dialog->LayoutChildren();
    QTRY_COMPARE(input->mapTo(dialog, QPoint(0, 0)),
                 QPoint(dialog->GetEdgeWidth(4), dialog->GetEdgeHeight(2)));
    session.Eval("demoState.reports = []");
    QTest::mousePress(input, Qt::RightButton, {}, QPoint(10, 20));
    QTest::mouseRelease(input, Qt::RightButton, {}, QPoint(10, 20));
    QTRY_COMPARE(session.Reports(), QString(kNormalStateReports));
  }

  void chatPageNamesTheGmAndAnnouncesAMessage() {
    Session session;
    QVERIFY(session.Open(Settings(chatSite), GameAddress(chatSite)));
    CGameDialog* dialog = session.dialog();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->awaitingGmName, kPageTimeoutMs);
    QTRY_COMPARE(dialog->GetChatWindow()->windowTitle(), QString("GM阿青"));
    CxSkinButton* chatButton = dialog->FindButtonByType(game::kTypeGmChat);
    QCOMPARE(chatButton->text(), QString("GM阿青"));
    QVERIFY(chatButton->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(dialog->blinkTimer != nullptr && dialog->blinkTimer->isActive(),
                             kPageTimeoutMs);
    QVERIFY(!dialog->GetChatWindow()->isVisible());
  }
};

LAUNCHER_WEB_TEST_MAIN(BridgeTest)
#include "BridgeTest.moc"
