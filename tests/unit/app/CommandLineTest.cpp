#include "core/app/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

cli::Options Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "Launcher");
  return cli::ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, NoArgumentRunsWithoutStartAddress) {
  const cli::Options o = Parse({});
  EXPECT_EQ(o.mode, cli::Mode::Run);
  EXPECT_EQ(o.startAddress, "");
}

TEST(CommandLine, FirstArgumentThatIsNoOptionIsTheStartAddress) {
  for (const char* address : {"http://127.0.0.1:8765/login", "x-", "plain text", "", "www.a.com/-v"}) {
    const cli::Options o = Parse({address, "--help", "--bogus"});
    EXPECT_EQ(o.mode, cli::Mode::Run) << address;
    EXPECT_EQ(o.startAddress, address);
  }
}

TEST(CommandLine, Modes) {
  struct Case {
    std::vector<const char*> args;
    cli::Mode mode;
  } cases[] = {
      {{"--help"}, cli::Mode::Help},
      {{"-h"}, cli::Mode::Help},
      {{"--check", "--help"}, cli::Mode::Help},
      {{"--version"}, cli::Mode::Version},
      {{"--command", "1528"}, cli::Mode::Command},
      {{"--command"}, cli::Mode::Command},
      {{"--check"}, cli::Mode::Check},
      {{"--check", "a.zip", "--json"}, cli::Mode::Check},
      {{"--json", "--check"}, cli::Mode::Check},
      {{"--preview", "out"}, cli::Mode::Preview},
      {{"--preview", "out", "--size", "800x600"}, cli::Mode::Preview},
      {{"--helpme"}, cli::Mode::Misuse},
      {{"-v"}, cli::Mode::Misuse},
      {{"-V"}, cli::Mode::Misuse},
      {{"-x", "http://a/"}, cli::Mode::Misuse},
      {{"-"}, cli::Mode::Misuse},
      {{"--check", "-x"}, cli::Mode::Misuse},
      {{"-h", "-v"}, cli::Mode::Help},
      {{"--"}, cli::Mode::Misuse},
      {{"--json"}, cli::Mode::Misuse},
      {{"--preview"}, cli::Mode::Misuse},
      {{"--preview", "out", "--size", "800"}, cli::Mode::Misuse},
      {{"--preview", "out", "--size", "0x600"}, cli::Mode::Misuse},
      {{"--check", "--size", "800x600"}, cli::Mode::Misuse},
      {{"--check", "--preview", "out"}, cli::Mode::Misuse},
      {{"--check", "a.zip", "b.zip"}, cli::Mode::Misuse},
      {{"--version", "--check"}, cli::Mode::Misuse},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const char* a : c.args) joined += std::string(a) + " ";
    EXPECT_EQ(Parse(c.args).mode, c.mode) << joined;
  }
}

TEST(CommandLine, Values) {
  cli::Options o = Parse({"--check", "dir/config.zip", "--json"});
  EXPECT_EQ(o.packagePath, "dir/config.zip");
  EXPECT_TRUE(o.json);
  EXPECT_EQ(Parse({"--check"}).packagePath, "config.zip");
  EXPECT_FALSE(Parse({"--check"}).json);

  o = Parse({"--preview", "shots", "--size", "1024x640"});
  EXPECT_EQ(o.previewDir, "shots");
  EXPECT_EQ(o.previewWidth, 1024);
  EXPECT_EQ(o.previewHeight, 640);

  EXPECT_EQ(Parse({"--command", "1526"}).commandId, "1526");
  EXPECT_EQ(Parse({"--command"}).commandId, "");
  EXPECT_NE(Parse({"--frobnicate"}).error.find("--frobnicate"), std::string::npos);
  EXPECT_EQ(Parse({"-v"}).error, "unknown option -v");
  EXPECT_EQ(cli::MisuseText("Launcher", "unknown option -v"),
            "Launcher: unknown option -v (see Launcher --help)\n");
}

TEST(CommandLine, UsageNamesEveryOptionAndTheEnvironment) {
  const std::string usage = cli::UsageText("Launcher");
  for (const char* word : {"config.zip", "START-ADDRESS", "--command", "--check", "--json",
                           "--preview", "--size", "--version", "LAUNCHER_CODEPAGE",
                           "LAUNCHER_COMMAND_CHANNEL", "QT_LOGGING_RULES", "http_proxy"})
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  EXPECT_EQ(cli::VersionText().rfind("Launcher ", 0), 0u);
}

}  // namespace
