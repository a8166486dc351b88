#include "app/SkinPreview.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

#include "app/LauncherApp.h"
#include "core/game/GameFrameRules.h"
#include "core/game/GameTitleRules.h"
#include "core/launcher/LauncherRules.h"
#include "core/platform/CodePage.h"
#include "skin/QtConvert.h"
#include "windows/game/GameDialog.h"
#include "windows/launcher/LauncherStandardDlg.h"
#include "windows/launcher/LauncherTranslucentDlg.h"

namespace {

constexpr QRgb kInnerColourKey = 0xFF000000u;  // black: the inner dialog is transparent there

// Where a page would be: a light veil with the page's address, so the artwork stays visible.
void DrawPagePlace(QPainter& painter, const QRect& rect, const QString& label) {
  painter.save();
  painter.fillRect(rect, QColor(255, 255, 255, 96));
  painter.setPen(QPen(QColor(255, 255, 255, 220), 1, Qt::DashLine));
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  painter.setPen(QColor(20, 20, 20));
  painter.drawText(rect.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, label);
  painter.restore();
}

// The game page's place as a child of the window, below the buttons and the logo like the
// browser it stands for.
class PagePlace : public QWidget {
 public:
  PagePlace(QWidget* parent, const QRect& rect, QString text) : QWidget(parent), label(std::move(text)) {
    setGeometry(rect);
  }

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    DrawPagePlace(painter, rect(), label);
  }

 private:
  QString label;
};

bool Save(const QImage& image, const QString& path) {
  if (image.save(path, "PNG")) {
    std::printf("%s (%dx%d)\n", qPrintable(path), image.width(), image.height());
    return true;
  }
  std::fprintf(stderr, "Launcher: cannot write %s\n", qPrintable(path));
  return false;
}

QImage RenderLauncher(const QImage& artwork) {
  CLauncherTranslucentDlg frame(artwork, std::string(), theApp.GetConfig(), nullptr);
  frame.SetPreview(true);
  if (!frame.Create()) return QImage();
  QImage image = frame.GetSurface().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  CLauncherStandardDlg* inner = frame.GetStandardDialog();
  if (inner == nullptr) return image;
  // The inner dialog over the frame, its key colour left out as on the screen.
  QImage controls = inner->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < controls.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(controls.scanLine(y));
    for (int x = 0; x < controls.width(); ++x)
      if (line[x] == kInnerColourKey) line[x] = 0;
  }
  QPainter painter(&image);
  painter.drawImage(0, 0, controls);
  const std::vector<LinkItem>& links = theApp.GetConfig().GetLinks();
  std::size_t page = 0;
  for (const LinkItem& link : links) {
    if (launcher::ControlForLinkType(link.type) != launcher::LinkControl::Browser) continue;
    if (page >= inner->GetPageRects().size()) break;
    DrawPagePlace(painter, inner->GetPageRects()[page++],
                  QStringLiteral("login page\n") +
                      skin::ToQt(link.url.view()));
  }
  return image;
}

QImage RenderGameWindow(int width, int height) {
  CLauncherConfig& config = theApp.GetConfig();
  CGameDialog dialog(config, theApp);
  const std::string title =
      game::TitleText(config.GetSettings().title.str() + game::ServerSuffix("1"));
  if (!dialog.SetUpSkinPreview(QSize(width, height), title)) return QImage();
  const game::Rect page =
      game::BrowserRectForState(width, height, dialog.GetFrameSizes(), false);
  auto* place = new PagePlace(&dialog, QRect(page.left, page.top, page.width(), page.height()),
                              QStringLiteral("game page"));
  place->lower();
  place->show();
  return dialog.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

int RunSkinPreview(const std::string& dir, int width, int height) {
  if (!theApp.OpenConfiguration()) {
    std::fprintf(stderr,
                 "Launcher: config.zip in the working directory cannot be used; "
                 "`Launcher --check` says why\n");
    return 1;
  }
  const QString folder = QString::fromLocal8Bit(dir.c_str());
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "Launcher: cannot make the folder %s\n", dir.c_str());
    return 1;
  }
  const QImage launcherImage = RenderLauncher(*theApp.GetLauncherImage());
  if (launcherImage.isNull()) {
    std::fprintf(stderr, "Launcher: the launcher window could not be made\n");
    return 1;
  }
  const QImage gameImage = RenderGameWindow(width, height);
  if (gameImage.isNull()) {
    std::fprintf(stderr, "Launcher: the game window's skin could not be made\n");
    return 1;
  }
  const bool saved = Save(launcherImage, folder + QStringLiteral("/launcher.png")) &&
                     Save(gameImage, folder + QStringLiteral("/game.png"));
  return saved ? 0 : 1;
}
