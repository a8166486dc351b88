#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "core/platform/Paths.h"
#include "core/platform/Restart.h"

namespace {

class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/launcher-restart-XXXXXX";
    path = mkdtemp(pattern);
  }
  ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
  std::string path;
};

std::string ReadWhenPresent(const std::string& file) {
  // The copy runs on its own: wait, bounded, for the file it writes last.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream in(file);
    if (in) {
      std::stringstream text;
      text << in.rdbuf();
      return text.str();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return "<missing>";
}

class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path) : previous(platform::CurrentDirectory()) {
    EXPECT_EQ(chdir(path.c_str()), 0);
  }
  ~WorkingDirectory() { EXPECT_EQ(chdir(previous.c_str()), 0); }

 private:
  std::string previous;
};

TEST(Restart, StartsDetachedInTheWorkingDirectoryWithoutArgumentsOrHandles) {
  TempFolder folder;
  const std::string script = folder.path + "/copy.sh";
  {
    std::ofstream out(script);
    out << "#!/bin/sh\n"
           "ls /proc/$$/fd > fds.tmp\n"
           "echo \"$# $(pwd)\" > started.tmp\n"
           "mv fds.tmp fds\n"
           "mv started.tmp started\n";
  }
  ASSERT_EQ(chmod(script.c_str(), 0755), 0);
  // A handle without close-on-exec must still not reach the copy.
  const int open = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(open, 0);
  ASSERT_EQ(dup2(open, 57), 57);
  close(open);

  {
    WorkingDirectory inFolder(folder.path);
    EXPECT_TRUE(platform::StartDetachedProgram(script));
  }
  close(57);
  EXPECT_EQ(ReadWhenPresent(folder.path + "/started"), "0 " + folder.path + "\n");
  const std::string fds = ReadWhenPresent(folder.path + "/fds");
  EXPECT_EQ(fds.find("\n57\n"), std::string::npos) << fds;
}

TEST(Restart, FailuresAreReported) {
  TempFolder folder;
  EXPECT_FALSE(platform::StartDetachedProgram(""));
  EXPECT_FALSE(platform::StartDetachedProgram(folder.path + "/missing"));
  const std::string plain = folder.path + "/plain.txt";
  std::ofstream(plain) << "not a program\n";
  EXPECT_FALSE(platform::StartDetachedProgram(plain));
}

TEST(Restart, InstalledStarterIsAskedInsteadOfStartingACopy) {
  int asked = 0;
  platform::ProgramStarter previous = platform::SetProgramStarter([&asked] {
    ++asked;
    return false;
  });
  EXPECT_FALSE(platform::StartProgramCopy());
  EXPECT_EQ(asked, 1);
  platform::SetProgramStarter(std::move(previous));
}

}  // namespace
