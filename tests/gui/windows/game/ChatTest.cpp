// The GM chat window: size and place, the close button copied from game button 1, its painting,
// the chat page and its Return key, drags, and a failed address lookup.
#include <QMouseEvent>
#include <QScreen>

#include "BridgeSession.h"
#include "skin/SkinButton.h"
#include "web/GmChatWnd.h"

using namespace gametest;


class ChatTest : public QObject {
  Q_OBJECT

  DemoSiteProcess site;  // serves the demo chat page as the chat address

  std::string Settings(const std::string& buttons, int count, const DemoSiteProcess& on) const {
    return GameSettings(on.Url(demo::kApiPath), "gameButtonCount=" + std::to_string(count) + "\n",
                        buttons);
  }
  std::string GameAddress(const DemoSiteProcess& on) const {
    return on.Url(std::string(demo::kMaxHeader) + "?uid=7&script=" + Encoded("[]"));
  }

 private slots:
  void initTestCase() {
    if (!DemoSiteProcess::Built()) QSKIP("demo site not built");
    QVERIFY2(site.Start({"--gm-name", "GM阿青"}), "the demo site did not start");
  }

  void closeButtonOfTypeFive() {
    Session session;
    // Game button 1 of type 5: x counts from the chat's right edge.
    QVERIFY(session.Open(Settings(Button(1, 5, 9, -30, 5), 1, site), GameAddress(site)));
    CGmChatWnd* chat = session.dialog()->GetChatWindow();
    QVERIFY(chat != nullptr);
    QVERIFY(!chat->isVisible());
    const QRect work = session.dialog()->screen()->availableGeometry();
    QCOMPARE(chat->geometry(), QRect((work.left() + work.width() - 438) / 2,
                                     (work.top() + work.height() - 413) / 2, 438, 413));
    QVERIFY(chat->closeButton != nullptr);
    QCOMPARE(chat->closeButton->objectName(), QString("control185"));
    QCOMPARE(chat->closeButton->geometry(), QRect(402, 7, kButtonW, kButtonH));
    QVERIFY(chat->browser != nullptr);
    QCOMPARE(chat->browser->geometry(), QRect(2, 28, 434, 383));
    QCOMPARE(chat->browser->controlId(), 170);

    session.dialog()->OpenChatWindow();
    QVERIFY(chat->isVisible());
    QTest::mouseClick(chat->closeButton, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_VERIFY(!chat->isVisible());
    QVERIFY(session.dialog()->isVisible());
  }

  void closeButtonOfTypeSixDoesNothingHere() {
    Session session;
    QVERIFY(session.Open(Settings(Button(1, 6, 9, -30, 5), 1, site), GameAddress(site)));
    CGmChatWnd* chat = session.dialog()->GetChatWindow();
    QCOMPARE(chat->closeButton->objectName(), QString("control186"));
    session.dialog()->OpenChatWindow();
    QSignalSpy commands(chat->closeButton, &CxSkinButton::Command);
    QTest::mouseClick(chat->closeButton, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(commands.count(), 1);
    QVERIFY(chat->isVisible());
    // The game window's own state is untouched by the chat's copy of the fill button.
    QVERIFY(session.dialog()->IsMaximized());
  }

  void withoutGameButtonsTheChatStillWorks() {
    Session session;
    QVERIFY(session.Open(Settings("", 0, site), GameAddress(site)));
    CGmChatWnd* chat = session.dialog()->GetChatWindow();
    QVERIFY(chat->closeButton == nullptr);
    QVERIFY(chat->browser != nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(chat->windowTitle(), QString("GM阿青"), kPageTimeoutMs);
  }

  void paintingAndTitle() {
    Session session;
    QVERIFY(session.Open(Settings(Button(1, 5, 9, -30, 5), 1, site), GameAddress(site)));
    CGmChatWnd* chat = session.dialog()->GetChatWindow();
    // The chat page names the GM while the window is still hidden; showing it paints the name.
    QTRY_COMPARE_WITH_TIMEOUT(chat->windowTitle(), QString("GM阿青"), kPageTimeoutMs);
    session.dialog()->OpenChatWindow();
    const QImage image = chat->grab().toImage();
    QVERIFY(Near(image.pixelColor(300, 20), QColor(82, 7, 11)));
    QVERIFY(Near(image.pixelColor(1, 200), QColor(139, 111, 47)));
    QVERIFY(Near(image.pixelColor(200, 1), QColor(139, 111, 47)));
    QVERIFY(Near(image.pixelColor(436, 200), QColor(139, 111, 47)));
    QVERIFY(HasTitlePixel(image, QRect(10, 10, 150, 16)));
    QVERIFY(!HasTitlePixel(image, QRect(200, 10, 150, 16)));
  }

  void returnInTheChatPage() {
    Session session;
    QVERIFY(session.Open(Settings(Button(1, 5, 9, -30, 5), 1, site), GameAddress(site)));
    CGameDialog* dialog = session.dialog();
    CGmChatWnd* chat = dialog->GetChatWindow();
    QTRY_COMPARE_WITH_TIMEOUT(chat->windowTitle(), QString("GM阿青"), kPageTimeoutMs);
    dialog->OpenChatWindow();
    // Keys reach the page only once its window is active and its document has the focus: typed
    // earlier (a busy machine activates windows late) they are dropped by the engine.
    QVERIFY(QTest::qWaitForWindowActive(chat, kPageTimeoutMs));
    QWidget* input = chat->browser->view()->focusProxy();
    QVERIFY(input != nullptr);
    chat->browser->view()->setFocus();
    QWebEnginePage* chatPage = chat->browser->view()->page();
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(chatPage, "document.getElementById('text').focus();"
                                              "document.hasFocus() && "
                                              "document.activeElement.id === 'text'")
                                 .toBool(),
                             kPageTimeoutMs);
    QTest::keyClicks(input, "hi");
    QTRY_COMPARE(EvalJs(chatPage, "document.getElementById('text').value").toString(), QString("hi"));
    QTest::keyClick(input, Qt::Key_Return);
    // The key reaches the page (the form is sent) and the game window consumed the note.
    QTRY_COMPARE(EvalJs(chatPage, "document.querySelectorAll('.me').length").toInt(), 1);
    QVERIFY(!chat->enterPressed);

    // On its own, the chat window notes each Return once; other keys note nothing.
    qApp->removeEventFilter(dialog);
    QTest::keyClick(input, Qt::Key_A);
    QVERIFY(!chat->enterPressed);
    QTest::keyClick(input, Qt::Key_Return);
    QVERIFY(chat->enterPressed);
    chat->enterPressed = false;
    // A Return in the game page is not the chat's.
    QTest::keyClick(dialog->GetBrowser()->view()->focusProxy(), Qt::Key_Return);
    QVERIFY(!chat->enterPressed);
    qApp->installEventFilter(dialog);
  }

  void dragFromAnyUncoveredPoint() {
    Session session;
    QVERIFY(session.Open(Settings("", 0, site), GameAddress(site)));
    CGmChatWnd* chat = session.dialog()->GetChatWindow();
    session.dialog()->OpenChatWindow();
    QTRY_VERIFY(chat->isVisible());
    const QPoint start = chat->pos();
    const QPoint local(200, 12);
    const QPoint global = chat->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(chat, &press);
    QMouseEvent move(QEvent::MouseMove, local + QPoint(30, 20), global + QPoint(30, 20),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(chat, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, local + QPoint(30, 20),
                        global + QPoint(30, 20), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(chat, &release);
    // A window manager moves it itself; without one the window follows the pointer.
    QTRY_COMPARE(chat->pos(), start + QPoint(30, 20));
  }

  void failedAddressLookupLeavesAnEmptyChat() {
    DemoSiteProcess failing;
    QVERIFY2(failing.Start({"--api-status", "500"}), "the demo site did not start");
    Session session;
    QVERIFY(session.Open(Settings(Button(1, 5, 9, -30, 5), 1, failing), GameAddress(failing)));
    CGmChatWnd* chat = session.dialog()->GetChatWindow();
    QVERIFY(chat != nullptr);
    QVERIFY(chat->browser != nullptr);
    QVERIFY(chat->closeButton != nullptr);
    QVERIFY(chat->browser->view()->url().isEmpty());
    for (const platform::MessageBoxRequest& shown : session.messages.seen)
      QVERIFY(shown.text.find("获取GS聊天接口") == std::string::npos);
    QVERIFY(session.dialog()->isVisible());
  }
};

LAUNCHER_WEB_TEST_MAIN(ChatTest)
#include "ChatTest.moc"
