// `Launcher --preview` renders a package's skin into PNG files without a display: the program
// runs with DISPLAY unset, and the pictures show the package's own images where they belong.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <cstdlib>
#include <string>

#include "ZipWriter.h"

namespace {

const QColor kArtwork(200, 30, 30);
const QColor kLinkButton(30, 200, 30);
const QColor kFrame(30, 30, 200);
const QColor kGameButton(230, 200, 20);
const QColor kLogo(20, 200, 220);

std::string Png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

std::string Solid(int width, int height, const QColor& colour) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(colour);
  return Png(image);
}

// style.png: picture 1 (0,0 10x10) is every frame piece, picture 2 (10,0 20x10, three images
// 2 px apart) the game button's.
std::string Style() {
  QImage image(40, 40, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) image.setPixelColor(x, y, kFrame);
  for (int y = 0; y < 34; ++y)
    for (int x = 10; x < 30; ++x) image.setPixelColor(x, y, kGameButton);
  return Png(image);
}

std::string Package() {
  std::string settings =
      "[global]\ntitle=Preview\ngameheader=/game/\nmaxheader=/game/\nlinkCount=2\npicCount=2\n"
      "gameButtonCount=1\nlogx=20\nlogy=20\ntitlex=100\ntitley=0\ntitleWidth=200\n"
      "titleHeight=10\n";
  for (int i = 1; i <= 8; ++i) settings += "edgeImage" + std::to_string(i) + "=1\n";
  settings +=
      "[link1]\nurl=http://127.0.0.1:1/login\nx=10\ny=40\nwidth=200\nheight=100\ntype=4\n"
      "[link2]\nx=250\ny=10\ntype=3\n"
      "[gamePic1]\nx=0\ny=0\nwidth=10\nheight=10\n"
      "[gamePic2]\nx=10\ny=0\nwidth=20\nheight=10\ninterval=2\n"
      "[gamebutton1]\ntype=5\nimage=2\nx=-30\ny=0\n";
  ZipWriter w;
  w.Add("config/cg.txt", settings);
  w.Add("config/main1.png", Solid(300, 200, kArtwork));
  for (const char* state : {"n", "d", "o"})
    w.Add(std::string("config/2_") + state + ".png", Solid(30, 20, kLinkButton));
  w.Add("config/style.png", Style());
  w.Add("config/logo.png", Solid(20, 20, kLogo));
  return w.Finish();
}

class Preview : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/launcher-preview-XXXXXX";
    const char* made = mkdtemp(pattern);
    ASSERT_NE(made, nullptr);
    dir = made;
  }
  void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

  int Run(const std::string& arguments) {
    const std::string command = "cd '" + dir + "' && env -u DISPLAY -u WAYLAND_DISPLAY " +
                                "-u QT_QPA_PLATFORM '" LAUNCHER_PROGRAM "' " + arguments +
                                " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string dir;
};

TEST_F(Preview, ShowsThePackagesImagesWhereTheyBelong) {
  ASSERT_TRUE(ZipWriter::WriteFile(dir + "/config.zip", Package()));
  ASSERT_EQ(Run("--preview shots --size 640x480"), 0);

  const QImage launcher(QString::fromStdString(dir + "/shots/launcher.png"));
  ASSERT_FALSE(launcher.isNull());
  EXPECT_EQ(launcher.size(), QSize(300, 200));
  EXPECT_EQ(launcher.pixelColor(5, 5), kArtwork);
  EXPECT_EQ(launcher.pixelColor(260, 15), kLinkButton);  // link 2's button at (250, 10)
  EXPECT_NE(launcher.pixelColor(100, 90), kArtwork);      // the page's place is marked
  EXPECT_EQ(launcher.pixelColor(5, 190), kArtwork);

  const QImage game(QString::fromStdString(dir + "/shots/game.png"));
  ASSERT_FALSE(game.isNull());
  EXPECT_EQ(game.size(), QSize(640, 480));
  EXPECT_EQ(game.pixelColor(2, 2), kFrame);      // top-left piece
  EXPECT_EQ(game.pixelColor(637, 477), kFrame);  // bottom-right piece
  EXPECT_EQ(game.pixelColor(320, 477), kFrame);  // bottom edge
  EXPECT_EQ(game.pixelColor(605, 5), kGameButton);  // 640 - 30 - right edge 10
  EXPECT_EQ(game.pixelColor(25, 25), kLogo);
  EXPECT_EQ(game.pixelColor(299, 9), QColor(82, 7, 11));  // title band's far corner
}

TEST_F(Preview, DefaultSizeAndMissingPackage) {
  EXPECT_EQ(Run("--preview shots"), 1);  // no config.zip
  ASSERT_TRUE(ZipWriter::WriteFile(dir + "/config.zip", Package()));
  ASSERT_EQ(Run("--preview shots"), 0);
  EXPECT_EQ(QImage(QString::fromStdString(dir + "/shots/game.png")).size(), QSize(1280, 800));
}

}  // namespace
