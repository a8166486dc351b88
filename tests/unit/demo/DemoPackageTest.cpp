#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/config/LauncherConfig.h"
#include "core/platform/CodePage.h"
#include "package/Layout.h"
#include "package/PackageSettings.h"

#ifdef DEMO_PACKAGE_EXE
#include <QImage>
#endif

namespace {

TEST(DemoPackageSettings, Assignments) {
  struct Case {
    bool global;
    const char* text;
    bool accepted;
  };
  const Case cases[] = {
      {true, "gameheader=", true},     {true, "firstUrl=http://x/a=b", true},
      {true, "novalue", false},        {true, "=x", false},
      {true, "k=v\r\nlinkCount=0", false},
      {false, "link2.url=x", true},    {false, "LINK2.URL=y", true},
      {false, "link2url=x", false},    {false, ".k=v", false},
      {false, "s.=v", false},          {false, "a.b=c\nd", false},
  };
  demo::PackageSettings settings = demo::PackageSettings::ForSite("http://127.0.0.1:1");
  for (const Case& c : cases) {
    const bool accepted = c.global ? settings.SetGlobal(c.text) : settings.SetIn(c.text);
    EXPECT_EQ(accepted, c.accepted) << c.text;
  }
  ASSERT_NE(settings.Find("global", "gameheader"), nullptr);
  EXPECT_EQ(*settings.Find("global", "gameheader"), "");
  EXPECT_EQ(*settings.Find("global", "firstUrl"), "http://x/a=b");
  // Same section and key whatever their case: the later assignment replaced the earlier one.
  EXPECT_EQ(*settings.Find("Link2", "url"), "y");
  EXPECT_EQ(*settings.Find("global", "linkCount"), "5");
}

TEST(DemoPackageSettings, WrittenInSystemCodePage) {
  const demo::PackageSettings settings = demo::PackageSettings::ForSite("http://127.0.0.1:1");
  const std::string text = settings.ToSystemCodePage();
  EXPECT_NE(text.find("title=" + codepage::Utf8ToSystem("龙域传说") + "\r\n"), std::string::npos);
  EXPECT_EQ(text.find("龙域传说"), std::string::npos) << "no UTF-8 left";
  EXPECT_EQ(text[0], ';') << "a section header on the first line is fragile";
  EXPECT_EQ(demo::ColourValue(255, 214, 130), 255 + 214 * 256 + 130 * 65536);
}

#ifdef DEMO_PACKAGE_EXE

std::string TempDir(const std::string& name) {
  const std::string dir = testing::TempDir() + "demo_package_" + std::to_string(getpid()) + "_" + name;
  std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
  return dir;
}

int RunTool(const std::string& args) {
  return std::system((std::string("'") + DEMO_PACKAGE_EXE + "' " + args + " >/dev/null").c_str());
}

std::vector<unsigned char> Member(CLauncherConfig& config, const char* name) {
  std::vector<unsigned char> bytes;
  EXPECT_TRUE(config.ReadMember(name, bytes)) << name;
  return bytes;
}

QImage Image(CLauncherConfig& config, const char* name) {
  const std::vector<unsigned char> bytes = Member(config, name);
  return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "PNG");
}

TEST(DemoPackage, DefaultPackageReadsBack) {
  const std::string dir = TempDir("default");
  ASSERT_EQ(RunTool("--site http://127.0.0.1:4321/ --out '" + dir + "/config.zip'"), 0);
  CLauncherConfig config;
  ASSERT_TRUE(config.OpenPackageAt(dir + "/config.zip"));
  ASSERT_TRUE(config.LoadSettingsFile("config/cg.txt"));
  ASSERT_TRUE(config.ReadSettings());

  const LauncherSettings& s = config.GetSettings();
  EXPECT_EQ(config.GetGameHeader(), "/game/enter");
  EXPECT_EQ(s.maxheader, "/play/game");
  EXPECT_EQ(s.urlplatform, "http://127.0.0.1:4321/api/");
  EXPECT_EQ(s.macCountApiUrl, "http://127.0.0.1:4321/count?mac=%s");
  EXPECT_EQ(s.platform, "demo");
  EXPECT_EQ(s.title, codepage::Utf8ToSystem("龙域传说"));
  EXPECT_EQ(s.closeMsg, codepage::Utf8ToSystem("确定要退出龙域传说吗？"));
  EXPECT_TRUE(s.firstUrl.empty());
  EXPECT_FALSE(s.clearFlashMsg.empty());
  EXPECT_EQ(s.titleColor, demo::ColourValue(255, 214, 130));

  ASSERT_EQ(config.GetLinks().size(), 5u);
  EXPECT_EQ(config.GetLinks()[0].type, 4);
  EXPECT_EQ(config.GetLinks()[0].url, "http://127.0.0.1:4321/login");
  EXPECT_EQ(config.GetLinks()[0].width, demo::layout::kBrowser.width);
  std::vector<int> types;
  for (const LinkItem& link : config.GetLinks()) types.push_back(link.type);
  EXPECT_EQ(types, (std::vector<int>{4, 1, 1, 2, 3}));

  EXPECT_EQ(config.GetPictures().size(), static_cast<size_t>(demo::layout::kPictureCount));
  EXPECT_EQ(config.GetEdgeImages(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(config.GetMenus().size(), 3u);
  std::vector<int> buttonTypes;
  for (const GameButtonItem& b : config.GetGameButtons()) {
    buttonTypes.push_back(b.type);
    EXPECT_GT(b.width, 0) << "button of type " << b.type << " names a picture";
  }
  EXPECT_EQ(buttonTypes, (std::vector<int>{5, 11, 6, 10, 7, 8, 15, 16, 14, 12, 1, 13}));
  // The GM chat window copies the first button as its close button, 2 pixels down its 26-pixel
  // title strip: it must end above the chat page.
  const GameButtonItem& close = config.GetGameButtons().front();
  EXPECT_LE(2 + close.y + close.height, 28);

  for (const char* name : {"config/main1.png", "config/style.png", "config/logo.png"}) {
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(config.ReadMember(name, bytes)) << name;
  }
  std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(DemoPackage, ArtworkHasAlphaAndNoKeyBlack) {
  const std::string dir = TempDir("art");
  ASSERT_EQ(RunTool("--site http://127.0.0.1:4321 --out '" + dir + "/config.zip'"), 0);
  CLauncherConfig config;
  ASSERT_TRUE(config.OpenPackageAt(dir + "/config.zip"));

  const QImage main1 = Image(config, "config/main1.png");
  ASSERT_EQ(main1.size(), QSize(demo::layout::kLauncherWidth, demo::layout::kLauncherHeight));
  ASSERT_TRUE(main1.hasAlphaChannel());
  EXPECT_EQ(qAlpha(main1.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(main1.pixel(main1.width() - 1, main1.height() - 1)), 0);
  EXPECT_EQ(qAlpha(main1.pixel(main1.width() / 2, main1.height() / 2)), 255);
  const int shadowAlpha = qAlpha(main1.pixel(main1.width() / 2, main1.height() - 8));
  EXPECT_GT(shadowAlpha, 0);
  EXPECT_LT(shadowAlpha, 255);

  const QImage style = Image(config, "config/style.png");
  EXPECT_EQ(style.size(), QSize(demo::layout::kStyleWidth, demo::layout::kStyleHeight));
  const QImage logo = Image(config, "config/logo.png");
  EXPECT_EQ(logo.size(), QSize(demo::layout::kLogo.width, demo::layout::kLogo.height));

  for (const demo::layout::LinkButton& button : demo::layout::kLinkButtons) {
    for (const char* state : {"n", "d", "o"}) {
      const std::string name = "config/" + std::to_string(button.number) + "_" + state + ".png";
      const QImage image = Image(config, name.c_str()).convertToFormat(QImage::Format_ARGB32);
      ASSERT_EQ(image.size(), QSize(button.rect.width, button.rect.height)) << name;
      int keyBlack = 0;
      for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
          if ((image.pixel(x, y) & 0x00FFFFFFu) == 0) ++keyBlack;
        }
      }
      EXPECT_EQ(keyBlack, 0) << name;
    }
  }
  std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(DemoPackage, OptionsOverrideOmitAndStore) {
  const std::string dir = TempDir("options");
  ASSERT_EQ(RunTool("--site http://127.0.0.1:4321 --out '" + dir +
                    "/config.zip' --set gameheader= --set linkCount=0 --set firstUrl=http://a/b"
                    " --set-in link3.url=http://c/d --omit config/logo.png --stored-only"),
            0);
  CLauncherConfig config;
  ASSERT_TRUE(config.OpenPackageAt(dir + "/config.zip"));
  ASSERT_TRUE(config.LoadSettingsFile("config/cg.txt"));
  EXPECT_FALSE(config.ReadSettings()) << "linkCount=0";
  EXPECT_TRUE(config.GetGameHeader().empty());
  EXPECT_EQ(config.GetSettings().firstUrl, "http://a/b");

  std::vector<unsigned char> bytes;
  EXPECT_FALSE(config.ReadMember("config/logo.png", bytes));
  EXPECT_TRUE(config.ReadMember("config/style.png", bytes));
  // Stored only: the settings text appears verbatim in the archive file.
  std::FILE* file = std::fopen((dir + "/config.zip").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::string archive;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) archive.append(buffer, n);
  std::fclose(file);
  EXPECT_NE(archive.find("[link3]\r\nurl=http://c/d\r\n"), std::string::npos);

  EXPECT_NE(RunTool("--site http://127.0.0.1:4321 --out '" + dir + "/x.zip' --set broken"), 0);
  EXPECT_NE(RunTool("--out '" + dir + "/x.zip'"), 0);
  EXPECT_EQ(RunTool("--help"), 0);
  EXPECT_EQ(RunTool("-h"), 0);
  EXPECT_NE(RunTool("--bogus x"), 0);
  std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(DemoPackage, DefaultDeflatesSettings) {
  const std::string dir = TempDir("deflate");
  ASSERT_EQ(RunTool("--site http://127.0.0.1:4321 --out '" + dir + "/config.zip'"), 0);
  std::FILE* file = std::fopen((dir + "/config.zip").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::string archive;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) archive.append(buffer, n);
  std::fclose(file);
  EXPECT_EQ(archive.find("[global]"), std::string::npos) << "settings are deflated";
  EXPECT_NE(archive.find("\x89PNG"), std::string::npos) << "images are stored";
  std::system(("rm -rf '" + dir + "'").c_str());
}

#endif  // DEMO_PACKAGE_EXE

}  // namespace
