#pragma once
// The operator's package checked the way the program reads it, without a display or network:
// the archive, every setting, the artwork and the addresses, each problem named by member or
// by section and key.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace packagecheck {

enum class Severity { Warning, Error };

struct Problem {
  Severity severity = Severity::Error;
  std::string where;    // "config/main1.png", "[global] gameheader", "config.zip"
  std::string message;  // UTF-8
};

struct Member {
  std::string name;
  std::uint16_t method = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t uncompressedSize = 0;
  std::uint32_t crc32 = 0;
  bool readable = false;  // the program's reader inflates it and its CRC matches
};

struct Setting {
  std::string section;  // as the program asks for it: "global", "link1", ...
  std::string key;
  std::string value;    // UTF-8; the default when not given
  bool given = false;
};

struct Image {
  std::string member;
  int width = 0;
  int height = 0;
  bool decoded = false;
};

struct Report {
  std::string path;
  std::vector<Member> members;
  std::vector<Setting> settings;
  std::vector<Image> images;
  std::vector<Problem> problems;

  int Count(Severity severity) const;
  // 0 when the program would run with the package as intended, 1 when it would fail or misbehave.
  int ExitCode() const { return Count(Severity::Error) > 0 ? 1 : 0; }
};

struct DecodedImage {
  bool ok = false;
  int width = 0;
  int height = 0;
  bool tooLarge = false;  // refused for its size, which width and height give
};
// Decodes a PNG member's bytes as the windows do.
using ImageDecoder = std::function<DecodedImage(const std::vector<unsigned char>& bytes)>;

// The characters of a text that no installed font draws.
using FontCoverage = std::function<std::u32string(const std::u32string& text)>;

// Checks the package file at `path`; with `fonts`, also whether its texts can be drawn.
Report CheckPackageFile(const std::string& path, const ImageDecoder& decode,
                        const FontCoverage& fonts = {});
// Checks a package held in memory; `path` only names it in the report.
Report CheckPackageBytes(const std::string& bytes, const std::string& path,
                         const ImageDecoder& decode, const FontCoverage& fonts = {});

// The known name closest to `name` (ASCII case ignored), or "" when none is close enough to be
// a likely misspelling.
std::string NearestName(const std::string& name, const std::vector<std::string>& known);

}  // namespace packagecheck
