// The browser engine alone doing the game window's job, for comparison with the program: one
// persistent profile, the game page in a visible view the size of the screen's work area and the
// chat page in a second page. Prints "loaded: <address>" when the view's page whose address
// contains the marker has loaded, then keeps running until it is ended.
#include <QApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: engine_baseline <address> <marker> [chat address]\n");
    return 2;
  }
  const QString marker = QString::fromLocal8Bit(argv[2]);
  QWebEngineProfile profile(QStringLiteral("Baseline"));
  const QString base =
      QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/webengine");
  profile.setPersistentStoragePath(base);
  profile.setCachePath(base + QStringLiteral("/cache"));
  profile.setHttpCacheType(QWebEngineProfile::DiskHttpCache);
  profile.setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);

  QWebEngineView view;
  auto* game = new QWebEnginePage(&profile, &view);
  view.setPage(game);
  QObject::connect(game, &QWebEnginePage::loadFinished, [game, &marker](bool) {
    if (!game->url().toString().contains(marker)) return;
    std::printf("loaded: %s\n", qPrintable(game->url().toString()));
    std::fflush(stdout);
  });
  view.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
  view.show();
  view.load(QUrl(QString::fromLocal8Bit(argv[1])));

  QWebEnginePage chat(&profile);
  if (argc > 3) chat.load(QUrl(QString::fromLocal8Bit(argv[3])));
  return app.exec();
}
