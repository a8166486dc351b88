#pragma once
// A game window on the demo game page for the bridge, behaviour and chat tests: the package,
// the window, recorded message boxes and restarts, and script access to the page.
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>
#include <string>

#include "GameTestSupport.h"
#include "WebTestSupport.h"
#include "core/platform/Restart.h"
#include "web/WebBrowser.h"

namespace gametest {

inline constexpr int kPageTimeoutMs = 30000;

// Counts the restarts asked for instead of starting copies of the test.
class RestartRecorder {
 public:
  RestartRecorder() {
    previous = platform::SetProgramStarter([this] {
      ++count;
      return true;
    });
  }
  ~RestartRecorder() { platform::SetProgramStarter(std::move(previous)); }
  int count = 0;

 private:
  platform::ProgramStarter previous;
};

inline std::string Encoded(const std::string& text) {
  return QUrl::toPercentEncoding(QString::fromStdString(text)).toStdString();
}

class Session {
 public:
  // False when the package cannot be opened; the window is then not made. With
  // `waitForLookups`, returns once the set-up lookups' answers have been applied.
  bool Open(const std::string& settings, const std::string& address, bool waitForLookups = true) {
    if (!package.Open(GamePackage(settings))) return false;
    window = std::make_unique<GameWindow>(address);
    (*window)->show();
    if (waitForLookups &&
        !QTest::qWaitFor([this] { return dialog()->OutstandingLookups() == 0; }, kPageTimeoutMs))
      return false;
    return (*window)->IsSetUpComplete();
  }
  CGameDialog* dialog() const { return window ? window->get() : nullptr; }
  QWebEnginePage* gamePage() const { return dialog()->GetBrowser()->view()->page(); }
  QVariant Eval(const QString& script) { return EvalJs(gamePage(), script); }
  // The demo game page has loaded and finished its start script.
  bool WaitForGamePage() {
    // A script sent while the engine still changes documents may never answer: ask once the
    // game page has loaded.
    if (!QTest::qWaitFor(
            [this] {
              return !gamePage()->isLoading() &&
                     gamePage()->url().path() == QLatin1String(demo::kMaxHeader);
            },
            kPageTimeoutMs))
      return false;
    return QTest::qWaitFor(
        [this] {
          return Eval(QStringLiteral("!!(window.demoState && demoState.scriptDone)")).toBool();
        },
        kPageTimeoutMs);
  }
  // Runs a window.external call from the game page and waits until the page has made it.
  bool PageCall(const QString& name, const QString& jsonArgs) {
    const int before = Eval(QStringLiteral("demoState.calls.length")).toInt();
    Eval(QStringLiteral("callExternal('%1', %2)").arg(name, jsonArgs));
    return QTest::qWaitFor(
        [&] { return Eval(QStringLiteral("demoState.calls.length")).toInt() > before; }, 10000);
  }
  QString Reports() { return Eval(QStringLiteral("JSON.stringify(demoState.reports)")).toString(); }

  MessageRecorder messages;
  RestartRecorder restarts;

 private:
  OpenPackage package;
  std::unique_ptr<GameWindow> window;
};

}  // namespace gametest
