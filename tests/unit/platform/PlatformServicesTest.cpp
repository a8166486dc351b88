#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/platform/Fonts.h"
#include "core/platform/MappedFile.h"
#include "core/platform/MessageBox.h"
#include "core/platform/Paths.h"

namespace {

std::string TempFile(const std::string& bytes) {
  char pattern[] = "/tmp/launcher-mapped-XXXXXX";
  const int fd = mkstemp(pattern);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  close(fd);
  return pattern;
}

TEST(MappedFile, Statuses) {
  platform::MappedFile missing;
  EXPECT_EQ(missing.Open("/nonexistent/launcher/config.zip"), platform::MappedFile::Status::CannotOpen);
  platform::MappedFile directory;
  EXPECT_EQ(directory.Open("/tmp"), platform::MappedFile::Status::CannotOpen);

  const std::string empty = TempFile("");
  platform::MappedFile e;
  EXPECT_EQ(e.Open(empty), platform::MappedFile::Status::Empty);
  std::remove(empty.c_str());

  const std::string full = TempFile("PK\x05\x06 bytes");  // 10 bytes
  {
    platform::MappedFile f;
    ASSERT_EQ(f.Open(full), platform::MappedFile::Status::Ok);
    ASSERT_EQ(f.size(), 10u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(f.data()), f.size()), "PK\x05\x06 bytes");
  }
  std::remove(full.c_str());
}

TEST(MappedFile, OnlyRegularFilesAndAtOnce) {
  // A FIFO without a writer would block a plain open forever.
  char dir[] = "/tmp/launcher-fifo-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string fifo = std::string(dir) + "/config.zip";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/null"),
                                  std::string(dir)}) {
    platform::MappedFile file;
    EXPECT_EQ(file.Open(path), platform::MappedFile::Status::CannotOpen) << path;
  }
  std::remove(fifo.c_str());
  rmdir(dir);
}

TEST(MappedFile, KeepsItsOwnCopyWhenTheFileChanges) {
  const std::string original(100000, 'a');
  const std::string path = TempFile(original);
  platform::MappedFile file;
  ASSERT_EQ(file.Open(path), platform::MappedFile::Status::Ok);
  ASSERT_EQ(truncate(path.c_str(), 0), 0);  // a mapped file would fault on the next read
  const std::string replacement = TempFile("changed");
  ASSERT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data()), file.size()), original);
  std::remove(path.c_str());
}

TEST(MessageBox, HandlerAnswersAndIsRestored) {
  std::vector<platform::MessageBoxRequest> seen;
  auto previous = platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest& r) {
    seen.push_back(r);
    return platform::MessageBoxResult::Cancel;
  });
  EXPECT_EQ(platform::ShowMessageBox("启动失败", "OpenZip失败"), platform::MessageBoxResult::Cancel);
  EXPECT_EQ(platform::ShowMessageBox("t", "q", platform::MessageBoxButtons::OkCancel),
            platform::MessageBoxResult::Cancel);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].caption, "启动失败");
  EXPECT_EQ(seen[0].text, "OpenZip失败");
  EXPECT_EQ(seen[0].buttons, platform::MessageBoxButtons::Ok);
  EXPECT_EQ(seen[1].buttons, platform::MessageBoxButtons::OkCancel);
  platform::SetMessageBoxHandler(previous);
  // Without a handler the text goes to stderr and the answer is Ok.
  platform::SetMessageBoxHandler(nullptr);
  EXPECT_EQ(platform::ShowMessageBox("c", "t"), platform::MessageBoxResult::Ok);
}

TEST(Paths, NamesAndDirectories) {
  EXPECT_EQ(platform::PathSeparator(), '/');
  EXPECT_FALSE(platform::CurrentDirectory().empty());
  const std::string self = platform::ProgramPath();
  EXPECT_NE(self.find("platform_services_test"), std::string::npos) << self;
  EXPECT_EQ(platform::ProgramBaseName("/opt/game/Launcher"), "Launcher");
  EXPECT_EQ(platform::ProgramBaseName("/opt/game.d/Launcher.exe"), "Launcher");
  EXPECT_EQ(platform::ProgramBaseName("Launcher"), "Launcher");
}

TEST(Paths, UserStateFolder) {
  const char* saved = std::getenv("XDG_STATE_HOME");
  const std::string keep = saved ? saved : "";
  const char* home = std::getenv("HOME");
  const std::string homeState = home && home[0] == '/' ? std::string(home) + "/.local/state" : "";
  setenv("XDG_STATE_HOME", "/srv/state", 1);
  EXPECT_EQ(platform::UserStateFolder(), "/srv/state");
  // A relative setting is ignored, as the base directory rules say.
  setenv("XDG_STATE_HOME", "state", 1);
  EXPECT_EQ(platform::UserStateFolder(), homeState);
  unsetenv("XDG_STATE_HOME");
  EXPECT_EQ(platform::UserStateFolder(), homeState);
  if (saved) setenv("XDG_STATE_HOME", keep.c_str(), 1);

  char pattern[] = "/tmp/launcher-paths-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  EXPECT_TRUE(platform::IsWritableFolder(pattern));
  EXPECT_FALSE(platform::IsWritableFolder(std::string(pattern) + "/absent"));
  rmdir(pattern);
}

TEST(Fonts, CharactersWithoutFont) {
  // The machine's fonts (a CJK font among them) draw the program's Chinese texts.
  EXPECT_EQ(platform::CharactersWithoutFont(U"启动失败 Launcher 龙域传说"), U"");
  // With no font at all, every character is named once, in order.
  char pattern[] = "/tmp/launcher-fonts-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  std::ofstream(folder + "/fonts.conf")
      << "<?xml version=\"1.0\"?>\n<fontconfig><dir>" << folder << "/none</dir><cachedir>"
      << folder << "/cache</cachedir></fontconfig>\n";
  const char* saved = std::getenv("FONTCONFIG_FILE");
  const std::string keep = saved ? saved : "";
  setenv("FONTCONFIG_FILE", (folder + "/fonts.conf").c_str(), 1);
  const std::u32string missing = platform::CharactersWithoutFont(U"启动启a");
  if (saved) {
    setenv("FONTCONFIG_FILE", keep.c_str(), 1);
  } else {
    unsetenv("FONTCONFIG_FILE");
  }
  std::system(("rm -rf '" + folder + "'").c_str());
  EXPECT_EQ(missing, U"启动a");
}

}  // namespace
