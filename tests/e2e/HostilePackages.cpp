// Writes the hostile-package cases run by hostile_packages.sh: one folder per case with its
// config.zip (unless the case is about the file itself), "expect" (window, silent, or
// "message<TAB>caption<TAB>text") and, for cases the script sets up, "setup".
// usage: hostile_packages <output folder>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "ZipFixtures.h"
#include "ZipWriter.h"

namespace {

namespace fs = std::filesystem;

std::string Be32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
  return Be32(static_cast<std::uint32_t>(data.size())) + type + data +
         Be32(ZipWriter::Crc32(type + data));
}

// A PNG of width x height, RGBA (or grey when `grey`), pixels from `pixel` (0xAARRGGBB).
std::string Png(std::uint32_t width, std::uint32_t height,
                const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& pixel,
                bool grey = false) {
  const std::size_t channels = grey ? 1 : 4;
  std::string raw;
  raw.reserve((width * channels + 1) * height);
  for (std::uint32_t y = 0; y < height; ++y) {
    raw.push_back('\0');
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint32_t p = pixel(x, y);
      if (grey) {
        raw.push_back(static_cast<char>(p & 0xFF));
      } else {
        raw.push_back(static_cast<char>(p >> 16));
        raw.push_back(static_cast<char>(p >> 8));
        raw.push_back(static_cast<char>(p));
        raw.push_back(static_cast<char>(p >> 24));
      }
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
            reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 6);
  packed.resize(packedSize);
  const std::string header = Be32(width) + Be32(height) + std::string(1, 8) +
                             std::string(1, grey ? 0 : 6) + std::string(3, '\0');
  return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", header) + Chunk("IDAT", packed) + Chunk("IEND", "");
}

std::string Art(std::uint32_t width = 400, std::uint32_t height = 300) {
  return Png(width, height, [](std::uint32_t x, std::uint32_t) {
    return x < 20 ? 0x00000000u : 0xFF3060A0u;
  });
}

const std::string kBase =
    "[global]\ntitle=hostile\nlinkCount=1\nfirstUrl=\nmacCountApiUrl=\n[link1]\ntype=0\n";

std::string Package(const std::string& settings, const std::string& main1) {
  ZipWriter w;
  w.Add("config/cg.txt", settings);
  w.Add("config/main1.png", main1);
  return w.Finish();
}

// Link button images for links 1..count.
void AddLinkImages(ZipWriter& w, int count) {
  const std::string image = Png(8, 8, [](std::uint32_t, std::uint32_t) { return 0xFF808080u; });
  for (int n = 1; n <= count; ++n)
    for (const char* suffix : {"n", "d", "o"})
      w.Add("config/" + std::to_string(n) + "_" + suffix + ".png", image, ZipWriter::Stored);
}

class Cases {
 public:
  explicit Cases(fs::path root) : root_(std::move(root)) {}

  void Add(const std::string& name, const std::string* zip, const std::string& expect,
           const std::string& setup = "") {
    const fs::path dir = root_ / name;
    fs::create_directories(dir);
    if (zip != nullptr) ZipWriter::WriteFile((dir / "config.zip").string(), *zip);
    std::ofstream(dir / "expect") << expect << "\n";
    if (!setup.empty()) std::ofstream(dir / "setup") << setup << "\n";
  }
  void Add(const std::string& name, const std::string& zip, const std::string& expect,
           const std::string& setup = "") {
    Add(name, &zip, expect, setup);
  }

 private:
  fs::path root_;
};

std::string Message(const std::string& caption, const std::string& text) {
  return "message\t" + caption + "\t" + text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  Cases cases{fs::path(argv[1])};
  const std::string startFailed = "启动失败";
  const std::string good = Package(kBase, Art());

  cases.Add("ok", good, "window");
  cases.Add("missing", nullptr, "silent", "missing");
  cases.Add("fifo", nullptr, "silent", "fifo");
  cases.Add("directory", nullptr, "silent", "directory");
  cases.Add("device", nullptr, "silent", "device");
  cases.Add("empty", std::string(), Message(startFailed, "没有附加配置文件,请打包配置文件"));
  cases.Add("not_a_zip", std::string(5000, 'x'), Message(startFailed, "OpenZip失败"));
  cases.Add("truncated", good.substr(0, good.size() / 2), Message(startFailed, "OpenZip失败"));

  {  // the settings member's deflated bytes overwritten: the inflater fails part-way
    std::string zip = good;
    const std::size_t data = zipfix::Local(zip, 0) + 30 + 13;
    for (std::size_t i = data; i < data + 20; ++i) zip[i] = '\xFF';
    cases.Add("damaged_member", zip, Message(startFailed, "读取ini文件失败"));
  }
  {
    ZipWriter w;
    w.Add("config/main1.png", Art());
    cases.Add("no_settings", w.Finish(), Message(startFailed, "读取ini文件失败"));
  }
  cases.Add("link_count_zero", Package("[global]\nlinkCount=0\n", Art()), "silent");
  cases.Add("link_count_negative", Package("[global]\nlinkCount=-5\n", Art()), "silent");
  {
    ZipWriter w;
    w.Add("config/cg.txt", kBase);
    cases.Add("main1_missing", w.Finish(), Message("启动失败！", "读取图片失败"));
  }
  cases.Add("main1_garbage", Package(kBase, std::string(3000, '\x89')),
            Message("启动失败！", "读取图片失败"));
  cases.Add("main1_huge", Package(kBase, Png(5790, 5790, [](auto, auto) { return 0u; }, true)),
            Message("启动失败！", "读取图片失败"));
  cases.Add("main1_wide", Package(kBase, Png(9000, 4, [](auto, auto) { return 0xFFu; }, true)),
            Message("启动失败！", "读取图片失败"));
  cases.Add("main1_largest_accepted",
            Package(kBase, Png(4096, 4096, [](std::uint32_t x, std::uint32_t y) {
                      return ((x / 64 + y / 64) & 1) ? 0xFF2040A0u : 0x80000000u;
                    })),
            "window");
  cases.Add("main1_alpha_per_pixel",
            Package(kBase, Png(2100, 2100, [](std::uint32_t x, std::uint32_t y) {
                      return ((x + y) & 1) ? 0xFFC02020u : 0x00000000u;
                    })),
            "window");
  {  // 200 MiB of zeros as main1.png: declared beyond the member bound, never inflated
    ZipWriter w;
    w.Add("config/cg.txt", kBase);
    w.Add("config/main1.png", std::string(200u << 20, '\0'));
    cases.Add("bomb_over_bound", w.Finish(), Message("启动失败！", "读取图片失败"));
  }
  {  // 60 MiB of zeros: within the member bound, inflated, then not a picture
    ZipWriter w;
    w.Add("config/cg.txt", kBase);
    w.Add("config/main1.png", std::string(60u << 20, '\0'));
    cases.Add("bomb_within_bound", w.Finish(), Message("启动失败！", "读取图片失败"));
  }
  {  // 32 MiB of settings, almost all one comment
    std::string settings = kBase + ";";
    settings.append(32u << 20, 'c');
    settings += "\n";
    cases.Add("settings_bomb", Package(settings, Art()), "window");
  }
  {  // main1.png's directory entry points at the settings member's local header
    std::string zip = good;
    const std::size_t firstLocal = zipfix::Get32(zip, zipfix::Central(zip, 0) + 42);
    zipfix::Set32(zip, zipfix::Central(zip, 1) + 42, firstLocal);
    cases.Add("overlapping_members", zip, Message("启动失败！", "读取图片失败"));
  }
  {
    std::string zip = good;
    zipfix::Set16(zip, zipfix::Central(zip, 0) + 8, 1);
    zipfix::Set16(zip, zipfix::Local(zip, 0) + 6, 1);
    cases.Add("encrypted_settings", zip, Message(startFailed, "读取ini文件失败"));
  }
  {
    std::string zip = good;
    zipfix::Set32(zip, zipfix::Central(zip, 0) + 24, 0xFFFFFFF0u);
    zipfix::Set32(zip, zipfix::Local(zip, 0) + 22, 0xFFFFFFF0u);
    cases.Add("oversized_declared", zip, Message(startFailed, "读取ini文件失败"));
  }
  {
    const std::string big = "2147483647";
    const std::string settings =
        "[global]\ntitle=huge\nlinkCount=" + big + "\nmenuCount=" + big + "\npicCount=" + big +
        "\ngameButtonCount=" + big + "\nminGameWidth=" + big + "\ntitleColor=99999999999\n" +
        "[link1]\ntype=4\nurl=about:blank\nx=" + big + "\ny=" + big + "\nwidth=" + big +
        "\nheight=" + big + "\n[link2]\ntype=1\nx=" + big + "\ny=-" + big + "\n";
    ZipWriter w;
    w.Add("config/cg.txt", settings);
    w.Add("config/main1.png", Art());
    AddLinkImages(w, 2);
    cases.Add("huge_numbers", w.Finish(), "window");
  }
  {
    const std::string settings =
        "[global]\ntitle=negative\nlinkCount=2\nmenuCount=-1\npicCount=-7\n"
        "[link1]\ntype=4\nurl=about:blank\nx=-100000\ny=-5\nwidth=-50\nheight=-2147483648\n"
        "[link2]\ntype=1\nx=-2147483648\ny=-2147483648\n";
    ZipWriter w;
    w.Add("config/cg.txt", settings);
    w.Add("config/main1.png", Art());
    AddLinkImages(w, 2);
    cases.Add("negative_numbers", w.Finish(), "window");
  }
  {
    std::string settings = "[global]\ntitle=links\nlinkCount=4096\n";
    for (int n = 1; n <= 4096; ++n)
      settings += "[link" + std::to_string(n) + "]\ntype=1\nurl=http://127.0.0.1:9/\nx=" +
                  std::to_string(20 + (n % 40) * 9) + "\ny=" + std::to_string(20 + (n / 40) % 30 * 9) +
                  "\n";
    ZipWriter w;
    w.Add("config/cg.txt", settings);
    w.Add("config/main1.png", Art());
    AddLinkImages(w, 64);  // the program reads no more links than that
    cases.Add("many_links", w.Finish(), "window");
  }
  cases.Add("invalid_gbk",
            Package("[global]\ntitle=\x81\xFF\xFE\x80\xA1\x7F\x81\ncloseMsg=\xFF\xFF\nlinkCount=1\n"
                    "[link1]\ntype=0\n",
                    Art()),
            "window");
  {  // the game window straight away, with pictures far larger than style.png and many buttons
    std::string settings =
        "[global]\ntitle=game\nlinkCount=1\nfirstUrl=http://127.0.0.1:9/game\nmaxheader=/game\n"
        "picCount=2\ngameButtonCount=4096\nmenuCount=4096\n"
        "edgeImage1=1\nedgeImage2=1\nedgeImage3=1\nedgeImage4=1\nedgeImage5=1\nedgeImage6=1\n"
        "edgeImage7=1\nedgeImage8=1\n"
        "[gamePic1]\nx=0\ny=0\nwidth=20000\nheight=20000\n"
        "[gamePic2]\nx=-4000\ny=-4000\nwidth=8000\nheight=8000\ninterval=8000\n";
    for (int n = 1; n <= 4096; ++n)
      settings += "[gamebutton" + std::to_string(n) + "]\nimage=2\ntype=" +
                  std::to_string(n % 2 ? 6 : 15) + "\nx=-" + std::to_string(n % 300) + "\n";
    ZipWriter w;
    w.Add("config/cg.txt", settings);
    w.Add("config/main1.png", Art());
    w.Add("config/style.png", Png(64, 64, [](auto, auto) { return 0xFF406080u; }));
    w.Add("config/logo.png", Png(8, 8, [](auto, auto) { return 0xFF406080u; }));
    cases.Add("game_window_huge_pictures", w.Finish(), "window");
  }
  cases.Add("rewritten_while_running", good, "window", "rewrite");
  cases.Add("display_lost", good, "display-lost", "display-lost");
  return 0;
}
