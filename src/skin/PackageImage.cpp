#include "skin/PackageImage.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <vector>

#include "core/config/LauncherConfig.h"

namespace {

enum class Decoded { Image, Undecodable, TooLarge };

// `seen`, when given, receives the size the image declares (or has), also when it is refused.
Decoded DecodeBounded(const std::vector<unsigned char>& bytes, QImage& image,
                      QSize* seen = nullptr) {
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                            static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  // The header's size decides before a single pixel is allocated.
  const QSize size = reader.size();
  if (seen) *seen = size;
  if (size.isValid() && !IsImageSizeAccepted(size.width(), size.height())) return Decoded::TooLarge;
  QImage decoded;
  if (!reader.read(&decoded)) return Decoded::Undecodable;
  if (seen) *seen = decoded.size();
  if (!IsImageSizeAccepted(decoded.width(), decoded.height())) return Decoded::TooLarge;
  image = decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  return image.isNull() ? Decoded::Undecodable : Decoded::Image;
}

// `required`: the program cannot go on without this image, so an undecodable one is reported
// like a missing one.
bool Decode(CLauncherConfig& config, const char* member, const char* caption, bool required,
            QImage& image) {
  std::vector<unsigned char> bytes;
  if (!config.ReadImageMember(member, bytes, caption, required)) return false;
  switch (DecodeBounded(bytes, image)) {
    case Decoded::Image:
      return true;
    case Decoded::TooLarge:
      ReportImageFailure(caption);
      return false;
    case Decoded::Undecodable:
      if (required) ReportImageFailure(caption);
      return false;
  }
  return false;
}

}  // namespace

bool DecodePackageImageBytes(const std::vector<unsigned char>& bytes, QImage& image) {
  return DecodeBounded(bytes, image) == Decoded::Image;
}

packagecheck::DecodedImage DecodePackageImage(const std::vector<unsigned char>& bytes) {
  QImage image;
  QSize size;
  const Decoded result = DecodeBounded(bytes, image, &size);
  packagecheck::DecodedImage decoded;
  decoded.ok = result == Decoded::Image;
  decoded.tooLarge = result == Decoded::TooLarge;
  if (result != Decoded::Undecodable) {
    decoded.width = size.width();
    decoded.height = size.height();
  }
  return decoded;
}

bool LoadImageFromPackage(CLauncherConfig& config, const char* member, QImage& image) {
  return Decode(config, member, "启动失败", false, image);
}

bool LoadBitmapFromPackage(CLauncherConfig& config, const char* member, QImage& image) {
  return Decode(config, member, "启动失败！", true, image);
}
