// The browser engine's own start-up, for comparison with the program's: a bare QWebEngineView
// that opens an address and ends as soon as the page navigates to one containing a marker.
#include <QApplication>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <unistd.h>

namespace {
class StopAtMarker : public QWebEnginePage {
 public:
  StopAtMarker(QString marker, QObject* parent) : QWebEnginePage(parent), marker_(std::move(marker)) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
    if (!url.toString().contains(marker_)) return true;
    std::printf("reached: %s\n", qPrintable(url.toString()));
    std::fflush(stdout);
    QApplication::exit(0);
    return false;
  }

 private:
  QString marker_;
};
}  // namespace

int main(int argc, char** argv) {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: engine_baseline <address> <marker>\n");
    return 2;
  }
  QWebEngineView view;
  view.setPage(new StopAtMarker(QString::fromLocal8Bit(argv[2]), &view));
  view.resize(800, 500);
  view.show();
  view.load(QUrl(QString::fromLocal8Bit(argv[1])));
  return app.exec();
}
