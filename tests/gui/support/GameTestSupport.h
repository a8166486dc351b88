#pragma once
// Shared pieces of the game window tests: a package whose artwork is made of solid colours, the
// demo site as the operator's API, and a game window opened from them as the program does.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <vector>

#include "../../../demo/DemoKeys.h"
#include "LauncherTestSupport.h"
#include "WebTestSupport.h"
#include "core/platform/CodePage.h"
#include "windows/game/BossKey.h"
#include "windows/game/GameDialog.h"

namespace gametest {

// Frame pieces 1..8 of the style image: solid colours, sizes chosen so every piece differs.
struct Piece {
  int x, y, width, height;
  QColor colour;
};
inline const Piece kPieces[8] = {
    {0, 0, 10, 30, QColor(200, 0, 0)},    // 1 top-left
    {12, 0, 20, 30, QColor(0, 200, 0)},   // 2 top
    {34, 0, 10, 30, QColor(0, 0, 200)},   // 3 top-right
    {46, 0, 8, 20, QColor(200, 200, 0)},  // 4 left
    {56, 0, 8, 20, QColor(0, 200, 200)},  // 5 right
    {66, 0, 12, 8, QColor(200, 0, 200)},  // 6 bottom-left
    {80, 0, 20, 8, QColor(100, 50, 0)},   // 7 bottom
    {102, 0, 20, 8, QColor(0, 50, 100)},  // 8 bottom-right
};
// Picture 9: a button strip of three 30 x 20 images, 2 pixels apart.
inline constexpr int kButtonX = 0, kButtonY = 40, kButtonW = 30, kButtonH = 20, kInterval = 2;
inline const QColor kNormal(0, 160, 0), kPressed(160, 0, 0), kHovered(0, 0, 160);

inline QImage StyleImage() {
  QImage image(130, kButtonY + 3 * kButtonH + 2 * kInterval, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  for (const Piece& p : kPieces) painter.fillRect(p.x, p.y, p.width, p.height, p.colour);
  const QColor states[3] = {kNormal, kPressed, kHovered};
  for (int k = 0; k < 3; ++k)
    painter.fillRect(kButtonX, kButtonY + k * (kButtonH + kInterval), kButtonW, kButtonH, states[k]);
  return image;
}

inline std::string Section(const std::string& name, const std::vector<std::string>& lines) {
  std::string text = "[" + name + "]\n";
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// A game button record: type, image, x, y, shortCut and more lines.
inline std::string Button(int number, int type, int image, int x, int y, int shortCut = 0,
                          const std::vector<std::string>& more = {}) {
  std::vector<std::string> lines = {"type=" + std::to_string(type), "image=" + std::to_string(image),
                                    "x=" + std::to_string(x), "y=" + std::to_string(y),
                                    "shortCut=" + std::to_string(shortCut), "color=16777215"};
  lines.insert(lines.end(), more.begin(), more.end());
  return Section("gamebutton" + std::to_string(number), lines);
}

inline std::string Menu(int number, int type, int shortCut) {
  return Section("menu" + std::to_string(number),
                 {"title=m", "type=" + std::to_string(type), "shortCut=" + std::to_string(shortCut)});
}

// Settings of a game package against the API at `apiBase` (urlplatform), with extra global lines
// and sections. Texts are UTF-8 here and written in the system code page.
inline std::string GameSettings(const std::string& apiBase, const std::string& extraGlobal = "",
                                const std::string& sections = "") {
  std::string global = "title=龙域\n";
  global += "maxheader=" + std::string(demo::kMaxHeader) + "\n";
  global += "urlplatform=" + apiBase + "\n";
  global += "platform=" + std::string(demo::kPlatform) + "\ngkey=" + demo::kGkey +
            "\nsign=" + demo::kSign + "\nskey=\n";
  global += "minGameWidth=640\nminGameHeight=480\n";
  global += "logx=200\nlogy=5\ntitlex=40\ntitley=4\ntitleWidth=150\ntitleHeight=22\n";
  global += "titleColor=65535\n";  // yellow (0x00BBGGRR)
  global += "clearFlashTitle=清除缓存\nclearFlashMsg=确定清除吗\ncloseMsg=退出吗\n";
  global += "picCount=9\n";
  for (int i = 1; i <= 8; ++i) global += "edgeImage" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  global += extraGlobal;
  std::string text = SettingsText(global, {LinkSection(4, 0, 0, 10, 10, "about:blank")});
  for (int i = 0; i < 8; ++i)
    text += Section("gamePic" + std::to_string(i + 1),
                    {"x=" + std::to_string(kPieces[i].x), "y=" + std::to_string(kPieces[i].y),
                     "width=" + std::to_string(kPieces[i].width),
                     "height=" + std::to_string(kPieces[i].height), "interval=0", "count=1"});
  text += Section("gamePic9", {"x=" + std::to_string(kButtonX), "y=" + std::to_string(kButtonY),
                               "width=" + std::to_string(kButtonW),
                               "height=" + std::to_string(kButtonH),
                               "interval=" + std::to_string(kInterval), "count=3"});
  text += sections;
  return codepage::Utf8ToSystem(text);
}

inline FixturePackage GamePackage(const std::string& settingsText) {
  FixturePackage package;
  package.Settings(settingsText)
      .Image("config/style.png", StyleImage())
      .Image("config/logo.png", SolidImage(16, 16, QColor(255, 0, 255)));
  return package;
}

// A game window for `address`, registered as the application's game window while it lives.
class GameWindow {
 public:
  explicit GameWindow(const std::string& address)
      : dialog(std::make_unique<CGameDialog>(TestConfig(), currentGame)) {
    dialog->SetGameUrl(address);
    currentGame.game = dialog.get();
  }
  ~GameWindow() {
    currentGame.game = nullptr;
    dialog.reset();
  }
  CGameDialog* operator->() const { return dialog.get(); }
  CGameDialog* get() const { return dialog.get(); }

 private:
  std::unique_ptr<CGameDialog> dialog;
};

inline QString Qt8(const char* systemText) {
  return QString::fromStdString(codepage::SystemToUtf8(systemText));
}

// Colours equal within antialiasing noise.
inline bool Near(const QColor& a, const QColor& b) {
  return qAbs(a.red() - b.red()) <= 2 && qAbs(a.green() - b.green()) <= 2 &&
         qAbs(a.blue() - b.blue()) <= 2;
}

// Some pixel of `area` shows the yellow title colour (text is antialiased).
inline bool HasTitlePixel(const QImage& image, const QRect& area) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() > 200 && c.blue() < 90) return true;
    }
  return false;
}

}  // namespace gametest
