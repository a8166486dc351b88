#include "config/PackageImage.h"

#include <vector>

#include "config/LauncherConfig.h"

namespace {

bool Decode(CLauncherConfig& config, const char* member, const char* caption, QImage& image) {
  std::vector<unsigned char> bytes;
  if (!config.ReadImageMember(member, bytes, caption)) return false;
  return DecodePackageImageBytes(bytes, image);
}

}  // namespace

bool DecodePackageImageBytes(const std::vector<unsigned char>& bytes, QImage& image) {
  QImage decoded;
  if (!decoded.loadFromData(bytes.data(), static_cast<int>(bytes.size()))) return false;
  image = decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  return !image.isNull();
}

packagecheck::DecodedImage DecodePackageImage(const std::vector<unsigned char>& bytes) {
  QImage image;
  if (!DecodePackageImageBytes(bytes, image)) return {};
  return {true, image.width(), image.height()};
}

bool LoadImageFromPackage(CLauncherConfig& config, const char* member, QImage& image) {
  return Decode(config, member, "启动失败", image);
}

bool LoadBitmapFromPackage(CLauncherConfig& config, const char* member, QImage& image) {
  return Decode(config, member, "启动失败！", image);
}
