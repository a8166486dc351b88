// Chinese typed through a real input method: an IBus daemon with a Wubi table engine on the
// test's own display (tests/desktop/input_method_session.sh), keys typed on the X server. The
// login page shows the engine's composition in its field and gets the chosen characters.
#include <QProcess>
#include <QRegularExpression>

#include "BridgeSession.h"
#include "windows/launcher/LauncherStandardDlg.h"

using namespace gametest;

namespace {
bool Xdotool(const QStringList& arguments) {
  return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

}  // namespace

class InputMethodDaemonTest : public QObject {
  Q_OBJECT

  DemoSiteProcess site;

 private slots:
  void initTestCase() {
    if (!DemoSiteProcess::Built()) QSKIP("the demo site is not built");
    QVERIFY2(site.Start(), "the demo site did not start");
    QCOMPARE(qgetenv("QT_IM_MODULE"), QByteArray("ibus"));
  }

  void wubiTypedIntoTheLoginPageCommitsChinese() {
    MessageRecorder messages;
    LauncherRun launcher;
    QVERIFY(launcher.Start(LoginPagePackage("title=t\ngameheader=/game/enter\n", site.Url("/login"))));
    CWebBrowserEx* browser = launcher->GetStandardDialog()->GetBrowsers()[0];
    QWebEnginePage* page = browser->view()->page();
    QTRY_VERIFY_WITH_TIMEOUT(browser->isVisible() && !page->isLoading(), kPageTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(WatchCompositionIn(page, QStringLiteral("#user")), kPageTimeoutMs);
    QVERIFY2(InputMethodTarget(browser) != nullptr, "the login page's field never took input-method text");

    // 你好 in Wubi is "wqvb": while it is typed the engine composes in the field; the space
    // bar takes its first choice.
    QVERIFY(Xdotool({"type", "--delay", "60", "wqvb"}));
    QTRY_VERIFY2_WITH_TIMEOUT(CompositionEvents(page).contains(QStringLiteral("update:")),
                              qPrintable(CompositionEvents(page)), 10000);
    QVERIFY(CompositionEvents(page).startsWith(QStringLiteral("start:")));
    QVERIFY(Xdotool({"key", "space"}));
    const QRegularExpression chinese(QStringLiteral("^[\\x{4e00}-\\x{9fff}]+$"));
    QTRY_VERIFY2_WITH_TIMEOUT(chinese.match(FieldValue(page, QStringLiteral("#user"))).hasMatch(),
                              qPrintable(FieldValue(page, QStringLiteral("#user")) + " / " +
                                         CompositionEvents(page)),
                              10000);
    const QString typed = FieldValue(page, QStringLiteral("#user"));
    qInfo("committed %s after %s", qPrintable(typed), qPrintable(CompositionEvents(page)));
    QTRY_VERIFY2_WITH_TIMEOUT(CompositionEvents(page).endsWith(QStringLiteral("end:") + typed),
                              qPrintable(CompositionEvents(page)), 10000);
    QVERIFY(launcher->isVisible());
  }
};

LAUNCHER_WEB_TEST_MAIN(InputMethodDaemonTest)
#include "InputMethodDaemonTest.moc"
