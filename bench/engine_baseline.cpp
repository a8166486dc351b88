// The browser engine alone doing the game window's job, for comparison with the program: one
// persistent profile, the game page in a visible view the size of the screen's work area and the
// chat page in a second page. Prints "loaded: <address>" when the view's page whose address
// contains the marker has loaded, then keeps running until it is ended.
// With --hand-over TEXT the first address is shown in a view of its own, the launcher's size; the
// first main-frame navigation to an address holding TEXT is refused there, that view is closed and
// the address loads in a new view the size of the work area, as the program hands the game
// address from its launcher to its game window.
// With --size WxH the game view has that size instead of the work area's; with --hide it is
// hidden once its page has loaded (printing "hidden"), as a game hidden in the tray.
#include <QApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cstdio>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace {

// The launcher's size in the demo package.
constexpr int kLauncherWidth = 880;
constexpr int kLauncherHeight = 560;

// Refuses the first main-frame navigation to an address holding `text` and hands it on.
class HandOverPage : public QWebEnginePage {
 public:
  HandOverPage(QWebEngineProfile* profile, QString text, std::function<void(const QUrl&)> handOver,
               QObject* parent)
      : QWebEnginePage(profile, parent), text(std::move(text)), handOver(std::move(handOver)) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
    if (!isMainFrame || handedOver || !url.toString().contains(text)) return true;
    handedOver = true;
    QMetaObject::invokeMethod(this, [this, url] { handOver(url); }, Qt::QueuedConnection);
    return false;
  }

 private:
  QString text;
  std::function<void(const QUrl&)> handOver;
  bool handedOver = false;
};

QSize gameSize;          // empty: the work area's
bool hideOnLoad = false;

// A view the size of the work area showing `address`; says so when a page holding `marker` loads.
QWebEngineView* ShowGameView(QWebEngineProfile* profile, const QUrl& address, const QString& marker) {
  auto* view = new QWebEngineView;
  auto* game = new QWebEnginePage(profile, view);
  view->setPage(game);
  QObject::connect(game, &QWebEnginePage::loadFinished, [game, marker, view](bool) {
    if (!game->url().toString().contains(marker)) return;
    std::printf("loaded: %s\n", qPrintable(game->url().toString()));
    if (hideOnLoad && view->isVisible()) {
      view->hide();
      std::printf("hidden\n");
    }
    std::fflush(stdout);
  });
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  view->setGeometry(gameSize.isEmpty() ? work : QRect(work.topLeft(), gameSize));
  view->show();
  view->load(address);
  return view;
}

}  // namespace

int main(int argc, char** argv) {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication app(argc, argv);
  QString handOverText;
  while (argc > 1 && std::strncmp(argv[1], "--", 2) == 0) {
    if (argc > 2 && std::strcmp(argv[1], "--hand-over") == 0) {
      handOverText = QString::fromLocal8Bit(argv[2]);
    } else if (argc > 2 && std::strcmp(argv[1], "--size") == 0) {
      int w = 0, h = 0;
      if (std::sscanf(argv[2], "%dx%d", &w, &h) == 2 && w > 0 && h > 0) gameSize = QSize(w, h);
    } else if (std::strcmp(argv[1], "--hide") == 0) {
      hideOnLoad = true;
      argv += 1;
      argc -= 1;
      continue;
    } else {
      break;
    }
    argv += 2;
    argc -= 2;
  }
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: engine_baseline [--hand-over TEXT] [--size WxH] [--hide] <address> <marker> "
                 "[chat address]\n");
    return 2;
  }
  const QString marker = QString::fromLocal8Bit(argv[2]);
  const QUrl first(QString::fromLocal8Bit(argv[1]));
  QWebEngineProfile profile(QStringLiteral("Baseline"));
  const QString base =
      QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/webengine");
  profile.setPersistentStoragePath(base);
  profile.setCachePath(base + QStringLiteral("/cache"));
  profile.setHttpCacheType(QWebEngineProfile::DiskHttpCache);
  profile.setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);

  QWebEngineView* gameView = nullptr;
  QWebEngineView* launcherView = nullptr;
  if (handOverText.isEmpty()) {
    gameView = ShowGameView(&profile, first, marker);
  } else {
    launcherView = new QWebEngineView;
    launcherView->setPage(new HandOverPage(
        &profile, handOverText,
        [&](const QUrl& address) {
          launcherView->deleteLater();
          launcherView = nullptr;
          gameView = ShowGameView(&profile, address, marker);
        },
        launcherView));
    launcherView->resize(kLauncherWidth, kLauncherHeight);
    launcherView->show();
    launcherView->load(first);
  }

  QWebEnginePage chat(&profile);
  if (argc > 3) chat.load(QUrl(QString::fromLocal8Bit(argv[3])));
  const int code = app.exec();
  delete launcherView;
  delete gameView;
  return code;
}
