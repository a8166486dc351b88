#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ConfigTestSupport.h"
#include "ZipFixtures.h"
#include "core/config/LauncherConfig.h"

namespace {

const std::string kCaption = "启动失败";

void WriteBytes(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(ZipWriter::WriteFile(path, bytes));
}

std::string PackageWith(const std::string& settings, const char* name = "config/cg.txt") {
  ZipWriter w;
  w.Add(name, settings);
  w.Add("config/main1.png", zipfix::Payload(3000), ZipWriter::Stored);
  return w.Finish();
}

TEST(Package, MissingFileFailsWithoutMessage) {
  TemporaryWorkingDirectory dir;
  RecordingMessages box;
  CLauncherConfig config;
  EXPECT_FALSE(config.OpenPackage());
  EXPECT_TRUE(box.messages.empty());
  EXPECT_FALSE(config.IsPackageOpen());
}

TEST(Package, OpenFailuresShowTheirMessages) {
  struct Case {
    const char* label;
    std::string bytes;
    const char* text;
  } cases[] = {
      {"empty", "", "没有附加配置文件,请打包配置文件"},
      {"not a zip", "this is plain text, not an archive\n", "OpenZip失败"},
      {"truncated", PackageWith("[global]\n").substr(0, 40), "OpenZip失败"},
  };
  for (const Case& c : cases) {
    TemporaryWorkingDirectory dir;
    WriteBytes(dir.path() + "/config.zip", c.bytes);
    RecordingMessages box;
    CLauncherConfig config;
    EXPECT_FALSE(config.OpenPackage()) << c.label;
    ASSERT_EQ(box.messages.size(), 1u) << c.label;
    EXPECT_EQ(box.messages[0], (RecordedMessage{kCaption, c.text})) << c.label;
    EXPECT_FALSE(config.IsPackageOpen()) << c.label;
  }
}

TEST(Package, FileTooLargeToMapShowsTheMappingMessage) {
  TemporaryWorkingDirectory dir;
  const std::string path = dir.path() + "/config.zip";
  // A sparse file just over the largest package the program copies into memory.
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  const bool sized =
      ftruncate(fileno(f), static_cast<off_t>(platform::MappedFile::kMaxSize) + 1) == 0;
  std::fclose(f);
  if (!sized) GTEST_SKIP() << "no sparse files here";
  RecordingMessages box;
  CLauncherConfig config;
  EXPECT_FALSE(config.OpenPackage());
  EXPECT_EQ(box.messages, (std::vector<RecordedMessage>{{kCaption, "CreateMapFile fail"}}));
}

TEST(Package, OpensFromTheWorkingDirectoryAndLoadsSettings) {
  TemporaryWorkingDirectory dir;
  WriteBytes(dir.path() + "/config.zip", PackageWith("[global]\nlinkCount=1\ntitle=Demo\n"));
  RecordingMessages box;
  CLauncherConfig config;
  ASSERT_TRUE(config.OpenPackage());
  ASSERT_TRUE(config.LoadSettingsFile("config/cg.txt"));
  ASSERT_TRUE(config.ReadSettings());
  EXPECT_EQ(config.GetSettings().title, "Demo");
  std::vector<unsigned char> bytes;
  EXPECT_TRUE(config.ReadImageMember("config/main1.png", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), zipfix::Payload(3000));
  EXPECT_TRUE(box.messages.empty());
}

TEST(Package, SettingsMemberMissingOrWronglyCased) {
  for (const char* name : {"config/other.txt", "Config/cg.txt"}) {
    const std::string zip = PackageWith("[global]\nlinkCount=1\n", name);
    RecordingMessages box;
    CLauncherConfig config;
    ASSERT_TRUE(config.OpenPackageFromMemory(zip.data(), static_cast<unsigned>(zip.size())));
    EXPECT_FALSE(config.LoadSettingsFile("config/cg.txt")) << name;
    ASSERT_EQ(box.messages.size(), 1u);
    EXPECT_EQ(box.messages[0], (RecordedMessage{kCaption, "读取ini文件失败"}));
  }
}

TEST(Package, SettingsWithoutPackageOrDamagedAreNotRead) {
  RecordingMessages box;
  CLauncherConfig none;
  EXPECT_FALSE(none.LoadSettingsFile("config/cg.txt"));

  std::string zip = PackageWith("[global]\nlinkCount=1\n");
  zipfix::Set32(zip, zipfix::Central(zip) + zipfix::kCentralCrc, 1);
  zipfix::Set32(zip, zipfix::Local(zip) + zipfix::kLocalCrc, 1);
  CLauncherConfig damaged;
  ASSERT_TRUE(damaged.OpenPackageFromMemory(zip.data(), static_cast<unsigned>(zip.size())));
  EXPECT_FALSE(damaged.LoadSettingsFile("config/cg.txt"));
  EXPECT_EQ(box.messages, (std::vector<RecordedMessage>{{kCaption, "读取ini文件失败"},
                                                        {kCaption, "读取ini文件失败"}}));
}

TEST(Package, ImageMessagesCarryTheCallersCaption) {
  const std::string zip = PackageWith("[global]\n");
  RecordingMessages box;
  CLauncherConfig config;
  ASSERT_TRUE(config.OpenPackageFromMemory(zip.data(), static_cast<unsigned>(zip.size())));
  std::vector<unsigned char> bytes;
  EXPECT_FALSE(config.ReadImageMember("config/logo.png", bytes));
  EXPECT_FALSE(config.ReadImageMember("config/main1.PNG", bytes, "启动失败！"));
  EXPECT_FALSE(config.ReadMember("config/logo.png", bytes));  // silent
  EXPECT_EQ(box.messages, (std::vector<RecordedMessage>{{kCaption, "读取图片失败"},
                                                        {"启动失败！", "读取图片失败"}}));
}

TEST(Package, DeclaredHugeMemberIsRefusedWithoutAllocating) {
  std::string zip = PackageWith("[global]\n");
  zipfix::Set32(zip, zipfix::Central(zip, 1) + zipfix::kCentralSize, 0xFFFFFFFFu);
  zipfix::Set32(zip, zipfix::Local(zip, 1) + zipfix::kLocalSize, 0xFFFFFFFFu);
  RecordingMessages box;
  CLauncherConfig config;
  ASSERT_TRUE(config.OpenPackageFromMemory(zip.data(), static_cast<unsigned>(zip.size())));
  std::vector<unsigned char> bytes;
  EXPECT_FALSE(config.ReadImageMember("config/main1.png", bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_TRUE(box.messages.empty());  // present but unreadable: the caller decides
  // ...unless the program cannot go on without it.
  EXPECT_FALSE(config.ReadImageMember("config/main1.png", bytes, "启动失败！", true));
  EXPECT_EQ(box.messages, (std::vector<RecordedMessage>{{"启动失败！", "读取图片失败"}}));
}

TEST(Package, DeclaredSizeMustFitTheMembersRealBytes) {
  auto package = [](std::uint32_t declared) {
    ZipWriter w;
    w.Add("config/cg.txt", "[global]\n");
    w.Add("config/main1.png", std::string(100000, 'a'), ZipWriter::Deflated);  // about 1000 to 1
    std::string zip = w.Finish();
    if (declared != 0) {
      zipfix::Set32(zip, zipfix::Central(zip, 1) + zipfix::kCentralSize, declared);
      zipfix::Set32(zip, zipfix::Local(zip, 1) + zipfix::kLocalSize, declared);
    }
    return zip;
  };
  const std::string intact = package(0);
  CLauncherConfig good;
  ASSERT_TRUE(good.OpenPackageFromMemory(intact.data(), static_cast<unsigned>(intact.size())));
  std::vector<unsigned char> bytes;
  EXPECT_TRUE(good.ReadMember("config/main1.png", bytes));
  EXPECT_EQ(bytes.size(), 100000u);
  // 60 MiB declared for the same few hundred compressed bytes: more than deflate can make.
  const std::string forged = package(60u * 1024u * 1024u);
  CLauncherConfig bad;
  ASSERT_TRUE(bad.OpenPackageFromMemory(forged.data(), static_cast<unsigned>(forged.size())));
  std::vector<unsigned char> none;
  EXPECT_FALSE(bad.ReadMember("config/main1.png", none));
  EXPECT_TRUE(none.empty());
}

TEST(Package, StoredAndDeflatedSettingsBothLoad) {
  for (ZipWriter::Method method : {ZipWriter::Stored, ZipWriter::Deflated}) {
    ZipWriter w;
    w.Add("config/cg.txt", "[global]\nlinkCount=2\n", method);
    const std::string zip = w.Finish();
    CLauncherConfig config;
    ASSERT_TRUE(config.OpenPackageFromMemory(zip.data(), static_cast<unsigned>(zip.size())));
    ASSERT_TRUE(config.LoadSettingsFile("config/cg.txt"));
    ASSERT_TRUE(config.ReadSettings());
    EXPECT_EQ(config.GetLinks().size(), 2u);
  }
}

}  // namespace
