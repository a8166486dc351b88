// A game left hidden for a long while on a player's desktop (openbox and a tray on a display of
// the test's own): hidden by the boss key, in the tray or minimised, the game page's timers keep
// their rate (a server's keep-alive must not starve) while its animation frames stop. The
// engine's ordinary throttling of hidden pages shows at once on a 100 ms timer (one run a
// second); its intensive wake-up throttling would begin only after five minutes hidden.
#include <QProcess>
#include <QSystemTrayIcon>
#include <QWebEnginePage>

#include "BridgeSession.h"
#include "core/game/GameButtonRules.h"
#include "core/platform/HotKey.h"
#include "skin/desktop/GlobalShortcut.h"

using namespace gametest;

namespace {

constexpr int kWindowTimeoutMs = 15000;

// Buttons: minimise (7) and tray (8, also the boss key's slot 9).
std::string HiddenSections() { return Button(1, 7, 9, -40, 2) + Button(2, 8, 9, -80, 2, 9); }

bool Xdotool(const QStringList& arguments) {
  return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

// The game's keep-alive (a 1 s heartbeat), a busier 100 ms timer (the engine's ordinary
// throttling of hidden pages holds it to one run a second at once), and an animation loop. Each
// hidden spell the page sees (visibilitychange) records the counts at its start and end.
const char kProbe[] = R"JS(
(() => {
  const p = window.probe = {beats: [], ticks: 0, frames: 0, spells: []};
  setInterval(() => p.beats.push(performance.now()), 1000);
  setInterval(() => { p.ticks++; }, 100);
  const frame = () => { p.frames++; requestAnimationFrame(frame); };
  requestAnimationFrame(frame);
  document.addEventListener('visibilitychange', () => {
    const mark = {at: performance.now(), ticks: p.ticks, frames: p.frames};
    if (document.hidden) p.spells.push({from: mark});
    else if (p.spells.length) p.spells[p.spells.length - 1].to = mark;
  });
  return true;
})()
)JS";

// The last hidden spell the page saw: seconds, heartbeats per second, 100 ms ticks per second and
// animation frames counted while hidden.
const char kLastSpell[] = R"JS(
(() => {
  const s = probe.spells[probe.spells.length - 1];
  if (!s || !s.to) return null;
  const seconds = (s.to.at - s.from.at) / 1000;
  const beats = probe.beats.filter(t => t > s.from.at && t <= s.to.at).length;
  return {seconds, beatRate: beats / seconds, tickRate: (s.to.ticks - s.from.ticks) / seconds,
          frames: s.to.frames - s.from.frames};
})()
)JS";

}  // namespace

class HiddenPlayTest : public QObject {
  Q_OBJECT

  DemoSiteProcess site;

 private slots:
  void initTestCase() {
    if (!DemoSiteProcess::Built()) QSKIP("demo site not built");
    QVERIFY2(site.Start({"--chat-url", "about:blank"}), "the demo site did not start");
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), kWindowTimeoutMs);
  }

  void hiddenGameKeepsItsTimersAndStopsDrawing_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("seconds");
    QTest::newRow("boss key") << "boss key" << 70;
    QTest::newRow("tray") << "tray" << 35;
    QTest::newRow("minimised") << "minimised" << 35;
  }

  void hiddenGameKeepsItsTimersAndStopsDrawing() {
    QFETCH(QString, way);
    QFETCH(int, seconds);
    Session session;
    const std::string settings = GameSettings(site.Url(demo::kApiPath), "gameButtonCount=2\n", HiddenSections());
    QVERIFY(session.Open(settings, site.Url(std::string(demo::kMaxHeader) + "?uid=7&script=" + Encoded("[]"))));
    CGameDialog* dialog = session.dialog();
    QVERIFY(QTest::qWaitForWindowExposed(dialog, kWindowTimeoutMs));
    QVERIFY(session.WaitForGamePage());
    QTRY_VERIFY_WITH_TIMEOUT(dialog->GetBrowser()->view()->isVisible(), kPageTimeoutMs);
    QVERIFY(session.Eval(QString::fromLatin1(kProbe)).toBool());
    // Shown, the page animates.
    QTRY_VERIFY_WITH_TIMEOUT(session.Eval(QStringLiteral("probe.frames")).toInt() > 10, kPageTimeoutMs);

    if (way == QLatin1String("boss key")) {
      QVERIFY(dialog->GetBossKey()->IsRegistered());
      QVERIFY(Xdotool({"key", "alt+d"}));
      QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), kWindowTimeoutMs);
    } else if (way == QLatin1String("tray")) {
      QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeTray)));
      QVERIFY(!dialog->isVisible());
    } else {
      QVERIFY(dialog->OnCommand(game::ButtonIdForType(game::kTypeMinimise)));
      QTRY_VERIFY_WITH_TIMEOUT(dialog->isMinimized(), kWindowTimeoutMs);
    }
    QTRY_VERIFY_WITH_TIMEOUT(session.Eval(QStringLiteral("probe.spells.length")).toInt() == 1,
                             kWindowTimeoutMs);
    // The length of the spell is what is measured: the page is left alone for it.
    QTest::qWait(seconds * 1000);

    if (way == QLatin1String("boss key")) {
      QVERIFY(Xdotool({"key", "alt+d"}));
    } else if (way == QLatin1String("tray")) {
      QVERIFY(dialog->trayIcon != nullptr);
      emit dialog->trayIcon->activated(QSystemTrayIcon::Trigger);
    } else {
      dialog->showNormal();  // as the taskbar brings it back
    }
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible() && !dialog->isMinimized(), kWindowTimeoutMs);
    QVariantMap spell;
    QTRY_VERIFY_WITH_TIMEOUT(!(spell = session.Eval(QString::fromLatin1(kLastSpell)).toMap()).isEmpty(),
                             kWindowTimeoutMs);
    const QByteArray figures = QStringLiteral("%1 s hidden: %2 beats/s, %3 ticks/s, %4 frames")
                                   .arg(spell["seconds"].toDouble(), 0, 'f', 1)
                                   .arg(spell["beatRate"].toDouble(), 0, 'f', 2)
                                   .arg(spell["tickRate"].toDouble(), 0, 'f', 1)
                                   .arg(spell["frames"].toInt())
                                   .toUtf8();
    qInfo("%s: %s", qPrintable(way), figures.constData());
    QVERIFY2(spell["seconds"].toDouble() >= seconds - 1, figures);
    QVERIFY2(spell["beatRate"].toDouble() >= 0.9, figures);
    QVERIFY2(spell["tickRate"].toDouble() >= 5, figures);
    QVERIFY2(spell["frames"].toInt() == 0, figures);
    // Shown again, it animates again.
    const int frames = session.Eval(QStringLiteral("probe.frames")).toInt();
    QTRY_VERIFY_WITH_TIMEOUT(session.Eval(QStringLiteral("probe.frames")).toInt() > frames + 10,
                             kPageTimeoutMs);
  }
};

LAUNCHER_WEB_TEST_MAIN(HiddenPlayTest)
#include "HiddenPlayTest.moc"
