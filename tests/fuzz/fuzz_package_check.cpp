// Fuzz target: the package checker over arbitrary archive bytes, and both of its reports.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/check/CheckReport.h"
#include "core/check/PackageCheck.h"
#include "core/config/LauncherConfig.h"

namespace {

std::uint32_t BigEndian(const unsigned char* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

// Stands in for the windows' decoder: the size from a PNG header, refused past the same bound.
packagecheck::DecodedImage HeaderOnly(const std::vector<unsigned char>& bytes) {
  static const unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  packagecheck::DecodedImage image;
  if (bytes.size() < 24) return image;
  for (std::size_t i = 0; i < sizeof kSignature; ++i)
    if (bytes[i] != kSignature[i]) return image;
  const std::uint32_t width = BigEndian(&bytes[16]);
  const std::uint32_t height = BigEndian(&bytes[20]);
  if (width == 0 || height == 0) return image;
  image.width = static_cast<int>(width & 0x7fffffff);
  image.height = static_cast<int>(height & 0x7fffffff);
  image.tooLarge = !IsImageSizeAccepted(width, height);
  image.ok = !image.tooLarge;
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const packagecheck::Report report = packagecheck::CheckPackageBytes(bytes, "config.zip", HeaderOnly);
  packagecheck::FormatText(report);
  packagecheck::FormatJson(report);
  return 0;
}
