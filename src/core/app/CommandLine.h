#pragma once
// The program's command line: what a run is asked to do, decided before any window exists.
#include <string>
#include <string_view>

namespace cli {

enum class Mode {
  Run,      // the launcher; `startAddress` is its start parameter (may be empty)
  Help,     // usage on stdout, exit 0
  Version,  // version on stdout, exit 0
  Command,  // hand `commandId` to the running game window
  Check,    // check the package at `packagePath`
  Preview,  // render the skin into `previewDir`
  Misuse,   // `error` and a pointer to --help on stderr, exit 2
};

struct Options {
  Mode mode = Mode::Run;
  std::string startAddress;
  std::string commandId;
  std::string packagePath = "config.zip";
  bool json = false;
  std::string previewDir;
  int previewWidth = 0;   // 0: the window's own size
  int previewHeight = 0;
  std::string error;
};

// Options are recognised when the first argument starts with "-"; any other first argument is the
// start address, and the arguments after it are ignored.
Options ParseCommandLine(int argc, const char* const* argv);

// "WxH" with both sides from 1 to 16384; false otherwise.
bool ParseSize(std::string_view text, int& width, int& height);

std::string UsageText(std::string_view program);
// The one line a misused command line gets on stderr.
std::string MisuseText(std::string_view program, const std::string& error);
std::string VersionText();

}  // namespace cli
