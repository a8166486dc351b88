#include "core/app/CommandLine.h"

#include <cstdlib>

#ifndef LAUNCHER_VERSION
#define LAUNCHER_VERSION "unknown"
#endif

namespace cli {

namespace {

constexpr int kMaxPreviewSide = 16384;

// "-v", "-" and "--anything": never taken for a start address.
bool LooksLikeOption(std::string_view arg) { return !arg.empty() && arg[0] == '-'; }

Options Misuse(std::string error) {
  Options o;
  o.mode = Mode::Misuse;
  o.error = std::move(error);
  return o;
}

bool ParseSide(std::string_view text, int& value) {
  if (text.empty() || text.size() > 5) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < 1 || v > kMaxPreviewSide) return false;
  value = v;
  return true;
}

}  // namespace

bool ParseSize(std::string_view text, int& width, int& height) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string_view::npos) return false;
  int w = 0;
  int h = 0;
  if (!ParseSide(text.substr(0, x), w) || !ParseSide(text.substr(x + 1), h)) return false;
  width = w;
  height = h;
  return true;
}

Options ParseCommandLine(int argc, const char* const* argv) {
  Options o;
  if (argc < 2 || argv[1] == nullptr) return o;
  const std::string_view first = argv[1];
  if (!LooksLikeOption(first)) {
    o.startAddress = std::string(first);
    return o;
  }

  bool sizeGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i] ? argv[i] : "";
    const bool hasValue = i + 1 < argc && argv[i + 1] != nullptr && !LooksLikeOption(argv[i + 1]);
    auto setMode = [&o](Mode mode) {
      if (o.mode != Mode::Run && o.mode != mode) return false;
      o.mode = mode;
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      Options help;
      help.mode = Mode::Help;
      return help;
    } else if (arg == "--version") {
      if (!setMode(Mode::Version)) return Misuse("--version stands alone");
    } else if (arg == "--command") {
      if (!setMode(Mode::Command)) return Misuse("--command cannot be combined with " + std::string(first));
      if (hasValue) o.commandId = argv[++i];
    } else if (arg == "--check") {
      if (!setMode(Mode::Check)) return Misuse("--check cannot be combined with " + std::string(first));
      if (hasValue) o.packagePath = argv[++i];
    } else if (arg == "--json") {
      o.json = true;
    } else if (arg == "--preview") {
      if (!setMode(Mode::Preview)) return Misuse("--preview cannot be combined with " + std::string(first));
      if (!hasValue) return Misuse("--preview needs a folder");
      o.previewDir = argv[++i];
    } else if (arg == "--size") {
      if (!hasValue || !ParseSize(argv[i + 1], o.previewWidth, o.previewHeight))
        return Misuse("--size needs WIDTHxHEIGHT, e.g. 1280x800");
      ++i;
      sizeGiven = true;
    } else if (LooksLikeOption(arg)) {
      return Misuse("unknown option " + std::string(arg));
    } else {
      return Misuse("unexpected argument " + std::string(arg));
    }
  }
  if (o.json && o.mode != Mode::Check) return Misuse("--json belongs to --check");
  if (sizeGiven && o.mode != Mode::Preview) return Misuse("--size belongs to --preview");
  if (o.mode == Mode::Run) return Misuse("no option given");
  return o;
}

std::string UsageText(std::string_view program) {
  const std::string p(program.empty() ? "Launcher" : program);
  return "Usage: " + p + " [START-ADDRESS]\n"
         "  or:  " + p + " --command 1526|1527|1528|1530\n"
         "  or:  " + p + " --check [PATH/TO/config.zip] [--json]\n"
         "  or:  " + p + " --preview DIR [--size WIDTHxHEIGHT]\n"
         "  or:  " + p + " --help | --version\n"
         "\n"
         "A desktop client for browser games. It reads the operator's package config.zip\n"
         "(settings config/cg.txt and the PNG artwork) from the working directory, shows the\n"
         "operator's login page in the launcher window and then runs the game page in the\n"
         "game window.\n"
         "\n"
         "  START-ADDRESS         the address the launcher's page opens first, instead of the\n"
         "                        one the package names\n"
         "  --command ID          hand a command to this user's running game window: 1526\n"
         "                        restart, 1527 clear the browser cache, 1528 full screen on or\n"
         "                        off, 1530 hide to the tray; exit 0 taken, 1 no window, 2 bad id\n"
         "  --check [PATH]        check a package (default: config.zip in the working\n"
         "                        directory) without a display or network and report every\n"
         "                        problem; exit 0 when the program would run with it as\n"
         "                        intended, 1 when not\n"
         "  --json                with --check: the report as one JSON document\n"
         "  --preview DIR         render the launcher window and the game window's frame from\n"
         "                        config.zip in the working directory into PNG files in DIR,\n"
         "                        without a display or network\n"
         "  --size WxH            with --preview: the game window's size (default 1280x800)\n"
         "  -h, --help            this text\n"
         "  --version             the program's version\n"
         "\n"
         "Environment:\n"
         "  LAUNCHER_CODEPAGE         encoding of the package's texts (default GBK, or the\n"
         "                            package's codePage setting), e.g. UTF-8, BIG5\n"
         "  LAUNCHER_COMMAND_CHANNEL  name of the game window's command channel\n"
         "                            (default launcher-game-<uid>)\n"
         "  QT_LOGGING_RULES          e.g. \"launcher*.debug=true\" to log decisions\n"
         "  http_proxy, https_proxy, no_proxy   proxies for the operator's API\n"
         "  QTWEBENGINE_DISABLE_SANDBOX  set by the program only when it runs as root\n"
         "  QTWEBENGINE_CHROMIUM_FLAGS   engine switches; the program adds those that keep\n"
         "                               a hidden game's timers running\n";
}

std::string MisuseText(std::string_view program, const std::string& error) {
  const std::string p(program.empty() ? "Launcher" : program);
  return p + ": " + error + " (see " + p + " --help)\n";
}

std::string VersionText() { return std::string("Launcher ") + LAUNCHER_VERSION + "\n"; }

}  // namespace cli
