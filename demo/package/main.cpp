// demo_package: writes the demo operator's config.zip for a demo site address.
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "Artwork.h"
#include "PackageSettings.h"
#include "ZipWriter.h"

namespace {

const char kUsage[] =
    "usage: demo_package --site http://127.0.0.1:PORT --out DIR/config.zip\n"
    "                    [--set key=value ...] [--set-in section.key=value ...]\n"
    "                    [--omit member ...] [--stored-only]\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "demo_package: %s\n%s", message.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string site;
  std::string out;
  std::vector<std::string> sets;
  std::vector<std::string> setsIn;
  std::set<std::string> omitted;
  bool storedOnly = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--stored-only") {
      storedOnly = true;
    } else if (!hasValue) {
      return Fail("missing value or unknown option " + arg);
    } else if (arg == "--site") {
      site = argv[++i];
    } else if (arg == "--out") {
      out = argv[++i];
    } else if (arg == "--set") {
      sets.push_back(argv[++i]);
    } else if (arg == "--set-in") {
      setsIn.push_back(argv[++i]);
    } else if (arg == "--omit") {
      omitted.insert(argv[++i]);
    } else {
      return Fail("unknown option " + arg);
    }
  }
  if (site.empty() || out.empty()) return Fail("--site and --out are required");
  while (!site.empty() && site.back() == '/') site.pop_back();

  demo::PackageSettings settings = demo::PackageSettings::ForSite(site);
  for (const std::string& assignment : sets) {
    if (!settings.SetGlobal(assignment)) return Fail("bad --set " + assignment);
  }
  for (const std::string& assignment : setsIn) {
    if (!settings.SetIn(assignment)) return Fail("bad --set-in " + assignment);
  }

  // Drawing needs fonts but no display.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);

  ZipWriter zip;
  if (!omitted.count("config/cg.txt")) {
    zip.Add("config/cg.txt", settings.ToSystemCodePage(),
            storedOnly ? ZipWriter::Stored : ZipWriter::Deflated);
  }
  for (const auto& [name, png] : demo::DrawAllArtwork()) {
    if (omitted.count(name)) continue;
    if (png.isEmpty()) {
      std::fprintf(stderr, "demo_package: could not draw %s\n", name.c_str());
      return 1;
    }
    // PNG data is already compressed: stored.
    zip.Add(name, std::string_view(png.constData(), static_cast<size_t>(png.size())),
            ZipWriter::Stored);
  }
  if (!ZipWriter::WriteFile(out, zip.Finish())) {
    std::fprintf(stderr, "demo_package: cannot write %s\n", out.c_str());
    return 1;
  }
  std::printf("demo_package: wrote %s for %s\n", out.c_str(), site.c_str());
  return 0;
}
