#include "core/check/CheckReport.h"
#include "core/check/PackageCheck.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "ConfigTestSupport.h"
#include "ZipFixtures.h"
#include "ZipWriter.h"
#include "core/config/LauncherConfig.h"
#include "core/platform/CodePage.h"
#include "core/skin/SkinRules.h"
#include "skin/PackageImage.h"

namespace {

using packagecheck::Report;
using packagecheck::Severity;

std::string Png(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(QColor(40, 80, 120, 255));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

// A small sound package: the launcher's page and a close button, a two-picture style image
// with one game button, and a logo.
struct Package {
  std::map<std::string, std::string> members;
  std::map<std::string, std::map<std::string, std::string>> settings;
  std::string settingsText;  // when not empty: cg.txt as written, instead of `settings`

  Package() {
    members["config/main1.png"] = Png(300, 200);
    members["config/style.png"] = Png(40, 40);
    members["config/logo.png"] = Png(20, 20);
    for (const char* state : {"n", "d", "o"}) members[std::string("config/2_") + state + ".png"] = Png(30, 20);
    settings["global"] = {{"title", "\xC1\xFA Demo"}, {"gameheader", "/game/"},
                          {"maxheader", "/game/"},      {"urlplatform", "http://127.0.0.1:1/api"},
                          {"linkCount", "2"},          {"picCount", "2"},
                          {"gameButtonCount", "1"}};
    for (int i = 1; i <= 8; ++i) settings["global"]["edgeImage" + std::to_string(i)] = "1";
    settings["link1"] = {{"url", "http://127.0.0.1:1/login"}, {"x", "10"}, {"y", "10"},
                         {"width", "200"}, {"height", "100"}, {"type", "4"}};
    settings["link2"] = {{"x", "250"}, {"y", "10"}, {"type", "3"}};
    settings["gamePic1"] = {{"x", "0"}, {"y", "0"}, {"width", "10"}, {"height", "10"}};
    settings["gamePic2"] = {{"x", "10"}, {"y", "0"}, {"width", "20"}, {"height", "10"},
                            {"interval", "2"}};
    settings["gamebutton1"] = {{"type", "5"}, {"image", "2"}, {"x", "-30"}, {"y", "0"}};
  }

  std::string SettingsText() const {
    if (!settingsText.empty()) return settingsText;
    std::string text;
    for (const auto& [section, keys] : settings) {
      text += "[" + section + "]\n";
      for (const auto& [key, value] : keys) text += key + "=" + value + "\n";
    }
    return text;
  }

  std::string Zip() const {
    ZipWriter w;
    w.Add("config/cg.txt", SettingsText());
    for (const auto& [name, data] : members) w.Add(name, data);
    return w.Finish();
  }
};

Report CheckFile(const std::string& path) {
  return packagecheck::CheckPackageFile(path, DecodePackageImage);
}

Report CheckBytes(const std::string& bytes) {
  return packagecheck::CheckPackageBytes(bytes, "config.zip", DecodePackageImage);
}

std::string Problems(const Report& report) {
  std::string text;
  for (const auto& p : report.problems)
    text += std::string(p.severity == Severity::Error ? "error" : "warning") + ": " + p.where +
            ": " + p.message + "\n";
  return text;
}

class PackageCheck : public ::testing::Test {
 protected:
  void SetUp() override { codepage::SetSystemCodePage("GBK"); }
  void TearDown() override { codepage::SetSystemCodePage("GBK"); }
};

TEST_F(PackageCheck, SoundPackageHasNoProblems) {
  const Report report = CheckBytes(Package().Zip());
  EXPECT_EQ(Problems(report), "");
  EXPECT_EQ(report.ExitCode(), 0);
  EXPECT_EQ(report.members.size(), 7u);
  ASSERT_FALSE(report.images.empty());
  EXPECT_EQ(report.images[0].member, "config/main1.png");
  EXPECT_EQ(report.images[0].width, 300);
  EXPECT_EQ(report.images[0].height, 200);
  // Every key the program reads is listed, given or not.
  bool sawDefault = false;
  for (const auto& s : report.settings)
    if (s.section == "global" && s.key == "minGameWidth") sawDefault = !s.given && s.value == "800";
  EXPECT_TRUE(sawDefault);
}

struct BrokenCase {
  const char* name;
  std::function<void(Package&)> breakIt;
  std::string where;
  std::string message;
  int exitCode;
};

TEST_F(PackageCheck, BrokenPackages) {
  const BrokenCase cases[] = {
      {"settings member with a capital", [](Package&) {}, "config/cg.txt", "读取ini文件失败", 1},
      {"linkCount 0", [](Package& p) { p.settings["global"]["linkCount"] = "0"; },
       "[global] linkCount", "below 1", 1},
      {"linkCount missing", [](Package& p) { p.settings["global"].erase("linkCount"); },
       "[global] linkCount", "without a message", 1},
      {"no launcher artwork", [](Package& p) { p.members.erase("config/main1.png"); },
       "config/main1.png", "读取图片失败", 1},
      {"launcher artwork undecodable", [](Package& p) { p.members["config/main1.png"] = "GIF89a"; },
       "config/main1.png", "not a decodable image", 1},
      {"logo beyond the image bounds",
       [](Package& p) { p.members["config/logo.png"] = Png(bounds::kMaxImageSide + 1, 1); },
       "config/logo.png",
       std::to_string(bounds::kMaxImageSide + 1) + "x1, beyond what the program accepts", 1},
      {"no style image", [](Package& p) { p.members.erase("config/style.png"); },
       "config/style.png", "set-up stops", 1},
      {"no logo", [](Package& p) { p.members.erase("config/logo.png"); }, "config/logo.png",
       "set-up stops", 1},
      {"link button without its hover image", [](Package& p) { p.members.erase("config/2_o.png"); },
       "config/2_o.png", "missing (button of [link2]): the player sees \"读取图片失败\"", 1},
      {"misspelt key", [](Package& p) {
         p.settings["global"].erase("gameheader");
         p.settings["global"]["gamehaeder"] = "/game/";
       }, "[global] gamehaeder", "did you mean gameheader?", 1},
      {"page outside the artwork", [](Package& p) { p.settings["link1"]["width"] = "295"; },
       "[link1]", "not inside the launcher artwork", 1},
      {"button outside the artwork", [](Package& p) { p.settings["link2"]["y"] = "190"; },
       "[link2]", "not inside the launcher artwork", 1},
      {"frame picture outside style.png", [](Package& p) { p.settings["gamePic1"]["x"] = "35"; },
       "[gamePic1]", "not inside config/style.png", 1},
      {"button picture too short for three images",
       [](Package& p) { p.settings["gamePic2"]["height"] = "13"; }, "[gamePic2]",
       "needs three images of 13 px", 1},
      {"empty gameheader", [](Package& p) { p.settings["global"]["gameheader"] = ""; },
       "[global] gameheader", "matches the first navigation", 1},
      {"invalid GBK", [](Package& p) { p.settings["global"]["title"] = "ok \x81\x20"; },
       "[global] title", "byte 0x81 at offset 3 is not valid GBK", 1},
      {"address cut at its capacity",
       [](Package& p) { p.settings["global"]["firstUrl"] = "http://127.0.0.1/" + std::string(120, 'a'); },
       "[global] firstUrl", "keeps only the first 127", 1},
      {"game marker with a foreign scheme",
       [](Package& p) { p.settings["global"]["gameheader"] = "ftp://127.0.0.1/game/"; },
       "[global] gameheader", "no page address ever contains it", 1},
      {"counting address the program refuses",
       [](Package& p) { p.settings["global"]["macCountApiUrl"] = "http://127.0.0.1/c?mac=%d"; },
       "[global] macCountApiUrl", "is refused", 1},
      {"first address not on the web",
       [](Package& p) { p.settings["global"]["firstUrl"] = "file:///etc/passwd"; },
       "[global] firstUrl", "not an http:// or https:// address", 1},
      {"link button opening a program",
       [](Package& p) { p.settings["link2"]["type"] = "1"; p.settings["link2"]["url"] = "calc.exe"; },
       "[link2] url", "is refused by the button", 1},
      {"button naming no picture", [](Package& p) { p.settings["gamebutton1"]["image"] = "7"; },
       "[gamebutton1] image", "no button is made", 0},
      {"unknown key far from any", [](Package& p) { p.settings["global"]["favouriteColour"] = "1"; },
       "[global] favouriteColour", "unknown key", 0},
      {"hexadecimal colour", [](Package& p) { p.settings["global"]["titleColor"] = "0xFFFFFF"; },
       "[global] titleColor", "reads as 0", 0},
      {"count beyond its sections", [](Package& p) { p.settings["global"]["linkCount"] = "3"; },
       "[global] linkCount", "1 of its sections are missing (first [link3])", 0},
      {"section beyond its count", [](Package& p) { p.settings["gamePic3"] = {{"x", "1"}}; },
       "[gamePic3]", "beyond picCount=2", 0},
      {"misspelt section", [](Package& p) { p.settings["gamebuton1"] = {{"x", "1"}}; },
       "[gamebuton1]", "did you mean [gamebutton1]?", 0},
      {"count cut at the bound", [](Package& p) { p.settings["global"]["menuCount"] = "99999"; },
       "[global] menuCount", "99999 is cut to " + std::to_string(bounds::kMaxMenus), 0},
      {"section beyond the bound",
       [](Package& p) {
         p.settings["global"]["menuCount"] = "99999";
         p.settings["menu" + std::to_string(bounds::kMaxMenus + 1)] = {{"title", "x"}};
       },
       "[menu" + std::to_string(bounds::kMaxMenus + 1) + "]",
       "(cut to " + std::to_string(bounds::kMaxMenus) + "): the program does not read it", 0},
      {"frame piece without picture", [](Package& p) { p.settings["global"]["edgeImage3"] = "9"; },
       "[global] edgeImage3", "frame piece 3 stays empty", 0},
      {"empty maxheader", [](Package& p) { p.settings["global"]["maxheader"] = ""; },
       "[global] maxheader", "every completed page", 0},
  };
  for (const BrokenCase& c : cases) {
    Package package;
    c.breakIt(package);
    std::string zip = package.Zip();
    if (std::string(c.name) == "settings member with a capital") {
      ZipWriter w;
      w.Add("Config/cg.txt", package.SettingsText());
      for (const auto& [name, data] : package.members) w.Add(name, data);
      zip = w.Finish();
    }
    const Report report = CheckBytes(zip);
    bool found = false;
    for (const auto& p : report.problems)
      found = found || (p.where == c.where && p.message.find(c.message) != std::string::npos);
    EXPECT_TRUE(found) << c.name << ": want " << c.where << ": " << c.message << "\n"
                       << Problems(report);
    EXPECT_EQ(report.ExitCode(), c.exitCode) << c.name << "\n" << Problems(report);
  }
}

TEST_F(PackageCheck, LinkButtonsAreJudgedByTheButtonsOwnRule) {
  const struct {
    const char* url;
    bool refused;
  } cases[] = {
      {"http://127.0.0.1/pay", false},
      {"mailto:help@example.com", false},
      {"yychat://room/1", false},
      {"www.example.com/pay?a=1;b=2", false},
      {"calc.exe", true},
      {"file:///etc/passwd", true},
      {"javascript:alert(1)", true},
      {"C:\\game\\a.exe", true},
  };
  for (const auto& c : cases) {
    for (const char* section : {"link2", "gamebutton1"}) {
      Package package;
      package.settings[section]["type"] = "1";  // a button that opens its address
      package.settings[section]["url"] = c.url;
      const Report report = CheckBytes(package.Zip());
      bool flagged = false;
      for (const auto& p : report.problems)
        flagged = flagged || p.where == std::string("[") + section + "] url";
      EXPECT_EQ(flagged, c.refused) << section << " " << c.url << "\n" << Problems(report);
      EXPECT_EQ(flagged, skin::PackageLinkTarget(skin::LinkFromSetting(c.url)).empty()) << c.url;
    }
  }
}

TEST_F(PackageCheck, FileFailuresOfTheProgramsStart) {
  TemporaryWorkingDirectory dir;
  ASSERT_FALSE(dir.path().empty());
  const struct {
    const char* name;
    std::string bytes;  // written to config.zip unless null content marker
    bool write;
    const char* message;
  } cases[] = {
      {"missing", "", false, "without a message"},
      {"empty", "", true, "没有附加配置文件,请打包配置文件"},
      {"not a zip", "this is no archive, just text that is long enough", true, "OpenZip失败"},
  };
  for (const auto& c : cases) {
    std::remove("config.zip");
    if (c.write) {
      ASSERT_TRUE(ZipWriter::WriteFile("config.zip", c.bytes));
    }
    const Report report = CheckFile("config.zip");
    ASSERT_EQ(report.problems.size(), 1u) << c.name << "\n" << Problems(report);
    EXPECT_EQ(report.problems[0].where, "config.zip") << c.name;
    EXPECT_NE(report.problems[0].message.find(c.message), std::string::npos)
        << c.name << ": " << report.problems[0].message;
    EXPECT_EQ(report.ExitCode(), 1) << c.name;
  }
}

TEST_F(PackageCheck, MembersTheReaderRefuses) {
  Package package;
  ZipWriter w;
  w.Add("config/cg.txt", package.SettingsText());
  for (const auto& [name, data] : package.members) w.Add(name, data);
  const std::string payload = "EXTRA-MEMBER-PAYLOAD";
  w.Add("extra.txt", payload, ZipWriter::Stored);
  std::string zip = w.Finish();
  const std::size_t at = zip.find(payload);
  ASSERT_NE(at, std::string::npos);
  zip[at] = 'X';  // the stored data no longer matches its CRC-32
  const Report report = CheckBytes(zip);
  ASSERT_EQ(report.problems.size(), 1u) << Problems(report);
  EXPECT_EQ(report.problems[0].where, "extra.txt");
  EXPECT_EQ(report.problems[0].severity, Severity::Warning);
  EXPECT_NE(report.problems[0].message.find("refuses"), std::string::npos);
  EXPECT_EQ(report.ExitCode(), 0);
  const packagecheck::Member& extra = report.members.back();
  EXPECT_EQ(extra.name, "extra.txt");
  EXPECT_EQ(extra.method, 0);
  EXPECT_EQ(extra.uncompressedSize, payload.size());
  EXPECT_EQ(extra.crc32, ZipWriter::Crc32(payload));
  EXPECT_FALSE(extra.readable);
}

// Hundreds of members each declaring 60 MiB for a few compressed bytes: each is refused from
// its numbers, without inflating (or allocating) what it declares.
TEST_F(PackageCheck, ForgedMemberSizesAreRefusedFromTheirNumbers) {
  Package package;
  ZipWriter w;
  w.Add("config/cg.txt", package.SettingsText());
  for (const auto& [name, data] : package.members) w.Add(name, data);
  const int first = static_cast<int>(package.members.size()) + 1;
  constexpr int kForged = 400;
  for (int i = 0; i < kForged; ++i)
    w.Add("junk/" + std::to_string(i), std::string(64, 'a'), ZipWriter::Deflated);
  std::string zip = w.Finish();
  for (int i = first; i < first + kForged; ++i) {
    zipfix::Set32(zip, zipfix::Central(zip, i) + zipfix::kCentralSize, 60u * 1024u * 1024u);
    zipfix::Set32(zip, zipfix::Local(zip, i) + zipfix::kLocalSize, 60u * 1024u * 1024u);
  }
  const Report report = CheckBytes(zip);
  ASSERT_EQ(report.problems.size(), std::size_t{kForged}) << Problems(report);
  EXPECT_EQ(report.problems[0].where, "junk/0");
  EXPECT_NE(report.problems[0].message.find("declared size of 62914560 bytes cannot come from"),
            std::string::npos)
      << report.problems[0].message;
  EXPECT_EQ(report.ExitCode(), 0);
}

TEST_F(PackageCheck, SignatureBeforeTheGlobalHeaderHidesIt) {
  Package package;
  package.settingsText = "\xEF\xBB\xBF[global]\nlinkCount=2\n";
  const Report report = CheckBytes(package.Zip());
  EXPECT_EQ(report.ExitCode(), 1);
  EXPECT_NE(Problems(report).find("UTF-8 signature"), std::string::npos) << Problems(report);
}

// The commonest ways an archive tool misplaces the members: each names the member it holds and
// what the program expects instead.
TEST_F(PackageCheck, MisplacedMembersAreNamed) {
  const struct {
    const char* name;
    std::string prefix;      // put before every member's name
    bool backslashes;        // "config\\cg.txt"
    std::string where;
    std::string message;
  } cases[] = {
      {"zipped with the folder above", "client/", false, "config/cg.txt",
       "holds \"client/config/cg.txt\", inside the folder \"client/\": the program reads "
       "\"config/cg.txt\" from the top of the archive"},
      {"two folders above", "a/b/", false, "config/cg.txt", "inside the folder \"a/b/\""},
      {"backslashes", "", true, "config/cg.txt",
       "holds \"config\\cg.txt\", named with backslashes: the program expects \"config/cg.txt\" "
       "with \"/\""},
      {"backslashes inside a folder", "client\\", true, "config/cg.txt",
       "inside the folder \"client/\""},
  };
  for (const auto& c : cases) {
    Package package;
    ZipWriter w;
    auto name = [&](std::string n) {
      if (c.backslashes) std::replace(n.begin(), n.end(), '/', '\\');
      return c.prefix + n;
    };
    w.Add(name("config/cg.txt"), package.SettingsText());
    for (const auto& [member, data] : package.members) w.Add(name(member), data);
    const Report report = CheckBytes(w.Finish());
    ASSERT_FALSE(report.problems.empty()) << c.name;
    EXPECT_EQ(report.problems[0].where, c.where) << c.name;
    EXPECT_NE(report.problems[0].message.find("读取ini文件失败"), std::string::npos) << c.name;
    EXPECT_NE(report.problems[0].message.find(c.message), std::string::npos)
        << c.name << "\n" << Problems(report);
    EXPECT_EQ(report.ExitCode(), 1);
  }
  // An image alone in the wrong place is named the same way.
  Package package;
  ZipWriter w;
  w.Add("config/cg.txt", package.SettingsText());
  for (const auto& [member, data] : package.members)
    w.Add(member == "config/logo.png" ? "config\\logo.png" : member, data);
  const Report report = CheckBytes(w.Finish());
  EXPECT_NE(Problems(report).find("config/logo.png: missing (the game window's logo): the player "
                                  "sees \"读取图片失败\" and the game window's set-up stops (the "
                                  "package holds \"config\\logo.png\", named with backslashes"),
            std::string::npos)
      << Problems(report);
}

TEST_F(PackageCheck, SettingsSavedAsUtf8GetOneCauseAndItsRemedy) {
  unsetenv("LAUNCHER_CODEPAGE");
  Package package;
  package.settings["global"]["title"] = "龙域传说";
  package.settings["global"]["closeMsg"] = "确定要退出游戏吗？";
  package.settings["global"]["notityTitle"] = "龙域传说 正在运行";
  package.settings["global"]["clearFlashMsg"] = "清除缓存";
  Report report = CheckBytes(package.Zip());
  ASSERT_EQ(report.problems.size(), 1u) << Problems(report);
  EXPECT_EQ(report.problems[0].where, "config/cg.txt");
  // "清除缓存" in UTF-8 happens to be valid GBK: three of the four values are caught.
  EXPECT_NE(report.problems[0].message.find("is saved as UTF-8 but read as GBK: 3 values hold "
                                            "bytes that are not GBK ([global] "),
            std::string::npos)
      << report.problems[0].message;
  EXPECT_NE(report.problems[0].message.find("codePage=UTF-8 in [global] fixes it"),
            std::string::npos);
  EXPECT_EQ(report.ExitCode(), 1);

  // The remedy works: the same file with the setting is clean.
  package.settings["global"]["codePage"] = "UTF-8";
  report = CheckBytes(package.Zip());
  EXPECT_EQ(Problems(report), "");
  codepage::SetSystemCodePage("GBK");

  // The environment overrides the setting: the remedy says so.
  setenv("LAUNCHER_CODEPAGE", "GBK", 1);
  report = CheckBytes(package.Zip());
  unsetenv("LAUNCHER_CODEPAGE");
  codepage::SetSystemCodePage("GBK");
  EXPECT_NE(Problems(report).find("LAUNCHER_CODEPAGE=GBK overrides the package's codePage"),
            std::string::npos)
      << Problems(report);

  // Text that is not UTF-8 keeps its errors, each named.
  Package gbk;
  gbk.settings["global"]["closeMsg"] = "ok \x81\x20";
  report = CheckBytes(gbk.Zip());
  EXPECT_NE(Problems(report).find("error: [global] closeMsg: byte 0x81"), std::string::npos)
      << Problems(report);
  EXPECT_EQ(Problems(report).find("UTF-8"), std::string::npos);
}

TEST_F(PackageCheck, PasswordProtectedArchiveIsOneLine) {
  Package package;
  std::string zip = package.Zip();
  const int count = static_cast<int>(package.members.size()) + 1;
  for (int i = 0; i < count; ++i) {
    zipfix::Set16(zip, zipfix::Local(zip, i) + 6, 1);
    zipfix::Set16(zip, zipfix::Central(zip, i) + 8, 1);
  }
  const Report report = CheckBytes(zip);
  ASSERT_FALSE(report.problems.empty());
  EXPECT_EQ(report.problems[0].where, "config.zip");
  EXPECT_EQ(report.problems[0].message,
            "is password-protected (" + std::to_string(count) + " of " + std::to_string(count) +
                " members encrypted), which the program cannot read: make the archive again "
                "without a password");
  // Then only what follows from it: the settings cannot be read.
  ASSERT_EQ(report.problems.size(), 2u) << Problems(report);
  EXPECT_EQ(report.problems[1].where, "config/cg.txt");
  EXPECT_EQ(report.ExitCode(), 1);
  for (const auto& m : report.members) EXPECT_FALSE(m.readable) << m.name;
}

TEST_F(PackageCheck, TextsNoFontDrawsAreNamed) {
  Package package;
  package.settings["global"]["closeMsg"] = "\xCD\xCB\xB3\xF6";  // "退出"
  std::u32string asked;
  auto without = [&asked](std::u32string lacking) {
    return [&asked, lacking](const std::u32string& text) {
      asked = text;
      std::u32string missing;
      for (char32_t c : text)
        if (lacking.find(c) != std::u32string::npos && missing.find(c) == std::u32string::npos)
          missing += c;
      return missing;
    };
  };
  Report report = packagecheck::CheckPackageBytes(package.Zip(), "config.zip", DecodePackageImage,
                                                  without(U"退出龙启"));
  EXPECT_NE(asked.find(U"启动失败"), std::u32string::npos);  // the program's own messages
  EXPECT_NE(asked.find(U"退出"), std::u32string::npos);
  EXPECT_NE(asked.find(U"龙"), std::u32string::npos);      // [global] title
  ASSERT_EQ(report.problems.size(), 1u) << Problems(report);
  EXPECT_EQ(report.problems[0].where, "fonts");
  EXPECT_EQ(report.problems[0].severity, Severity::Warning);
  EXPECT_NE(report.problems[0].message.find("no installed font has 4 of the characters"),
            std::string::npos)
      << report.problems[0].message;
  EXPECT_NE(report.problems[0].message.find("fonts-noto-cjk"), std::string::npos);
  EXPECT_EQ(report.ExitCode(), 0);

  report = packagecheck::CheckPackageBytes(package.Zip(), "config.zip", DecodePackageImage,
                                           without(U""));
  EXPECT_EQ(Problems(report), "");
}

TEST_F(PackageCheck, JsonCarriesTheSameReport) {
  Package package;
  package.settings["global"]["gameheader"] = "";
  const Report report = CheckBytes(package.Zip());
  Json::Value root;
  Json::CharReaderBuilder builder;
  std::string errors;
  const std::string text = packagecheck::FormatJson(report);
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  ASSERT_TRUE(reader->parse(text.data(), text.data() + text.size(), &root, &errors)) << errors;
  EXPECT_FALSE(root["ok"].asBool());
  EXPECT_EQ(root["exitCode"].asInt(), 1);
  EXPECT_EQ(root["members"].size(), report.members.size());
  EXPECT_EQ(root["problems"].size(), report.problems.size());
  EXPECT_EQ(root["problems"][0]["where"].asString(), "[global] gameheader");
  EXPECT_EQ(root["images"][0]["width"].asInt(), 300);
  bool title = false;
  for (const auto& s : root["settings"])
    title = title || (s["key"].asString() == "title" && s["value"].asString() == "龙 Demo");
  EXPECT_TRUE(title);
}

TEST_F(PackageCheck, TextReportNamesEverything) {
  const std::string text = packagecheck::FormatText(CheckBytes(Package().Zip()));
  for (const char* part : {"config/cg.txt  deflated", "[global] minGameWidth = 800  (default)",
                           "config/main1.png  300x200", "Problems:\n  none",
                           "0 errors, 0 warnings"})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

TEST(NearestName, Table) {
  const std::vector<std::string> known{"gameheader", "maxheader", "linkCount", "x", "url"};
  EXPECT_EQ(packagecheck::NearestName("gamehaeder", known), "gameheader");
  EXPECT_EQ(packagecheck::NearestName("gameheadr", known), "gameheader");
  EXPECT_EQ(packagecheck::NearestName("maxHeadr", known), "maxheader");
  EXPECT_EQ(packagecheck::NearestName("linkcont", known), "linkCount");
  EXPECT_EQ(packagecheck::NearestName("uri", known), "url");
  EXPECT_EQ(packagecheck::NearestName("widht", {"x", "width", "height"}), "width");
  EXPECT_EQ(packagecheck::NearestName("tpye", {"type", "title"}), "type");
  EXPECT_EQ(packagecheck::NearestName("favouriteColour", known), "");
  EXPECT_EQ(packagecheck::NearestName("GAMEHEADER", known), "");  // the same key
}

#ifdef DEMO_PACKAGE
TEST_F(PackageCheck, DemoPackageIsClean) {
  const Report report = CheckFile(DEMO_PACKAGE);
  EXPECT_EQ(Problems(report), "");
  EXPECT_EQ(report.ExitCode(), 0);
}
#endif

}  // namespace
