// Chinese typed through an input method: the login page, the game page and the GM chat page see
// the composition in place and the committed text, and the launcher's key filter leaves the
// input method's keys alone while it composes; the input-method plugins are there to be loaded.
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>

#include "BridgeSession.h"
#include "web/GmChatWnd.h"
#include "windows/launcher/LauncherStandardDlg.h"

using namespace gametest;

namespace {

// Counts the key presses that reach a widget.
class KeyCounter : public QObject {
 public:
  int presses = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) ++presses;
    return false;
  }
};

}  // namespace

class InputMethodTest : public QObject {
  Q_OBJECT

  DemoSiteProcess site;

  // Composes "ni hao" in the page's field, then commits 你好: the page sees the composition's
  // start and its text in the field while it lasts, then the end and the committed text.
  void ComposeChinese(CWebBrowser* browser, const QString& selector) {
    QWebEnginePage* page = browser->view()->page();
    QTRY_VERIFY_WITH_TIMEOUT(WatchCompositionIn(page, selector), kPageTimeoutMs);
    QWidget* target = InputMethodTarget(browser);
    QVERIFY2(target != nullptr, "the page's field never took input-method text");
    SendPreedit(target, QStringLiteral("ni"));
    SendPreedit(target, QStringLiteral("ni hao"));
    QTRY_VERIFY_WITH_TIMEOUT(CompositionEvents(page).contains(QStringLiteral("update:ni hao")), 10000);
    QVERIFY(CompositionEvents(page).startsWith(QStringLiteral("start:")));
    QCOMPARE(FieldValue(page, selector), QStringLiteral("ni hao"));  // shown in place
    SendCommit(target, QStringLiteral("你好"));
    QTRY_VERIFY_WITH_TIMEOUT(CompositionEvents(page).endsWith(QStringLiteral("end:你好")), 10000);
    QCOMPARE(FieldValue(page, selector), QStringLiteral("你好"));
    // A second word goes on after the first.
    SendPreedit(target, QStringLiteral("shi jie"));
    QTRY_COMPARE_WITH_TIMEOUT(FieldValue(page, selector), QStringLiteral("你好shi jie"), 10000);
    SendCommit(target, QStringLiteral("世界"));
    QTRY_COMPARE_WITH_TIMEOUT(FieldValue(page, selector), QStringLiteral("你好世界"), 10000);
    QCOMPARE(CompositionEvents(page).count(QStringLiteral("start:")), 2);
  }

 private slots:
  void initTestCase() {
    if (!DemoSiteProcess::Built()) QSKIP("the demo site is not built");
    QVERIFY2(site.Start(), "the demo site did not start");
  }

  void inputMethodPluginsAreThere() {
    // The platform's input-method plugins the program loads, by the names QT_IM_MODULE gives.
    const QDir folder(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                      QStringLiteral("/platforminputcontexts"));
    QStringList keys;
    for (const QString& file : folder.entryList({QStringLiteral("*.so")}, QDir::Files)) {
      QPluginLoader loader(folder.filePath(file));
      const QJsonArray names = loader.metaData().value(QStringLiteral("MetaData")).toObject().value(
          QStringLiteral("Keys")).toArray();
      QVERIFY2(loader.load(), qPrintable(file + QStringLiteral(": ") + loader.errorString()));
      for (const QJsonValue& name : names) keys << name.toString();
    }
    QVERIFY2(keys.contains(QStringLiteral("ibus")), qPrintable(keys.join(' ')));
    QVERIFY2(keys.contains(QStringLiteral("fcitx5")), qPrintable(keys.join(' ')));
  }

  void loginPageTakesComposedText() {
    MessageRecorder messages;
    LauncherRun launcher;
    QVERIFY(launcher.Start(LoginPagePackage("title=t\ngameheader=/game/enter\n", site.Url("/login"))));
    CWebBrowserEx* browser = launcher->GetStandardDialog()->GetBrowsers()[0];
    QTRY_VERIFY_WITH_TIMEOUT(browser->isVisible() && !browser->view()->page()->isLoading(), kPageTimeoutMs);
    ComposeChinese(browser, QStringLiteral("#user"));
    // While the input method composes, the keys it uses to choose and commit pass the launcher's
    // filter (Ctrl or Shift with a key, Return, Escape), and none of them ends the launcher.
    QWidget* target = QApplication::focusWidget();
    QVERIFY(target);
    SendPreedit(target, QStringLiteral("zhong"));
    QTRY_VERIFY_WITH_TIMEOUT(CompositionEvents(browser->view()->page()).endsWith(QStringLiteral("update:zhong")), 10000);
    KeyCounter reached;
    target->installEventFilter(&reached);
    const struct {
      int key;
      Qt::KeyboardModifiers modifiers;
    } keys[] = {{Qt::Key_Period, Qt::ControlModifier},
                {Qt::Key_Space, Qt::ControlModifier | Qt::ShiftModifier},
                {Qt::Key_Escape, Qt::NoModifier}};
    for (const auto& key : keys) {
      QKeyEvent press(QEvent::KeyPress, key.key, key.modifiers);
      QApplication::sendEvent(target, &press);
    }
    target->removeEventFilter(&reached);
    QCOMPARE(reached.presses, 3);
    SendCommit(target, QStringLiteral("中"));
    QTRY_COMPARE_WITH_TIMEOUT(FieldValue(browser->view()->page(), QStringLiteral("#user")),
                              QStringLiteral("你好世界中"), 10000);
    QVERIFY(launcher->isVisible());
  }

  void gamePageTakesComposedText() {
    Session session;
    QVERIFY(session.Open(GameSettings(site.Url(demo::kApiPath)),
                         site.Url(std::string(demo::kMaxHeader) + "?uid=7&script=" + Encoded("[]"))));
    QVERIFY(session.WaitForGamePage());
    ComposeChinese(session.dialog()->GetBrowser(), QStringLiteral("#p6"));
  }

  void chatPageTakesComposedText() {
    Session session;
    QVERIFY(session.Open(GameSettings(site.Url(demo::kApiPath), "gameButtonCount=1\n", Button(1, 5, 9, -30, 5)),
                         site.Url(std::string(demo::kMaxHeader) + "?uid=7&script=" + Encoded("[]"))));
    CGmChatWnd* chat = session.dialog()->GetChatWindow();
    QVERIFY(chat && chat->browser);
    chat->show();
    chat->raise();
    QVERIFY(QTest::qWaitForWindowExposed(chat));
    // The chat page comes after a blank one, once the chat address has been looked up.
    QTRY_VERIFY_WITH_TIMEOUT(chat->browser->view()->url().scheme() == QLatin1String("http") &&
                                 !chat->browser->view()->page()->isLoading(),
                             kPageTimeoutMs);
    ComposeChinese(chat->browser, QStringLiteral("#text"));
  }
};

LAUNCHER_WEB_TEST_MAIN(InputMethodTest)
#include "InputMethodTest.moc"
