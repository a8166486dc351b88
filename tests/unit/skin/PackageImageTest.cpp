#include "skin/PackageImage.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ConfigTestSupport.h"
#include "ZipWriter.h"
#include "core/config/LauncherConfig.h"

namespace {

std::string Png() {
  QImage image(4, 3, QImage::Format_ARGB32);
  image.fill(QColor(255, 0, 0, 128));
  image.setPixelColor(0, 0, QColor(0, 0, 255, 255));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

// A small PNG whose header claims width x height: decoders size their buffers from it.
std::string PngClaiming(std::uint32_t width, std::uint32_t height) {
  std::string png = Png();
  const std::size_t ihdr = png.find("IHDR");
  for (int i = 0; i < 4; ++i) {
    png[ihdr + 4 + i] = static_cast<char>(width >> (24 - 8 * i));
    png[ihdr + 8 + i] = static_cast<char>(height >> (24 - 8 * i));
  }
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + ihdr), 17);
  for (int i = 0; i < 4; ++i) png[ihdr + 17 + i] = static_cast<char>(crc >> (24 - 8 * i));
  return png;
}

class PackageImage : public ::testing::Test {
 protected:
  void SetUp() override {
    ZipWriter w;
    w.Add("config/main1.png", Png(), ZipWriter::Stored);
    w.Add("config/style.png", Png(), ZipWriter::Deflated);
    w.Add("config/broken.png", "not a picture at all", ZipWriter::Deflated);
    w.Add("config/wide.png", PngClaiming(8193, 1), ZipWriter::Deflated);
    w.Add("config/tall.png", PngClaiming(1, 100000), ZipWriter::Deflated);
    w.Add("config/huge.png", PngClaiming(5790, 5790), ZipWriter::Deflated);
    w.Add("config/side.png", PngClaiming(8192, 2048), ZipWriter::Deflated);
    zip = w.Finish();
    ASSERT_TRUE(config.OpenPackageFromMemory(zip.data(), static_cast<unsigned>(zip.size())));
  }
  std::string zip;
  CLauncherConfig config;
  RecordingMessages box;
};

TEST_F(PackageImage, DecodesPremultiplied) {
  QImage image;
  ASSERT_TRUE(LoadImageFromPackage(config, "config/style.png", image));
  EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
  EXPECT_EQ(image.size(), QSize(4, 3));
  EXPECT_EQ(qAlpha(image.pixel(1, 1)), 128);
  EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 0, 255, 255));
  QImage bitmap;
  ASSERT_TRUE(LoadBitmapFromPackage(config, "config/main1.png", bitmap));
  EXPECT_EQ(bitmap.format(), QImage::Format_ARGB32_Premultiplied);
  EXPECT_TRUE(box.messages.empty());
}

TEST_F(PackageImage, MissingMembersShowTheirCaptions) {
  QImage image;
  EXPECT_FALSE(LoadImageFromPackage(config, "config/logo.png", image));
  EXPECT_FALSE(LoadBitmapFromPackage(config, "config/Main1.png", image));
  EXPECT_EQ(box.messages, (std::vector<RecordedMessage>{{"启动失败", "读取图片失败"},
                                                        {"启动失败！", "读取图片失败"}}));
}

TEST_F(PackageImage, UndecodableIsFalse) {
  QImage image;
  EXPECT_FALSE(LoadImageFromPackage(config, "config/broken.png", image));
  EXPECT_TRUE(box.messages.empty());
  // The launcher's artwork cannot be done without: a damaged one is reported like a missing one.
  EXPECT_FALSE(LoadBitmapFromPackage(config, "config/broken.png", image));
  EXPECT_EQ(box.messages, (std::vector<RecordedMessage>{{"启动失败！", "读取图片失败"}}));
}

TEST_F(PackageImage, OversizedImagesAreRefusedWithTheImageMessage) {
  QImage image;
  EXPECT_FALSE(LoadImageFromPackage(config, "config/wide.png", image));
  EXPECT_FALSE(LoadImageFromPackage(config, "config/tall.png", image));
  EXPECT_FALSE(LoadBitmapFromPackage(config, "config/huge.png", image));
  EXPECT_EQ(box.messages, (std::vector<RecordedMessage>{{"启动失败", "读取图片失败"},
                                                        {"启动失败", "读取图片失败"},
                                                        {"启动失败！", "读取图片失败"}}));
  EXPECT_TRUE(image.isNull());
}

TEST(ImageBounds, SidesAndArea) {
  EXPECT_TRUE(IsImageSizeAccepted(1, 1));
  EXPECT_TRUE(IsImageSizeAccepted(8192, 2048));
  EXPECT_TRUE(IsImageSizeAccepted(4096, 4096));
  EXPECT_FALSE(IsImageSizeAccepted(4097, 4096));
  EXPECT_FALSE(IsImageSizeAccepted(8193, 1));
  EXPECT_FALSE(IsImageSizeAccepted(1, 8193));
  EXPECT_FALSE(IsImageSizeAccepted(0, 10));
  EXPECT_FALSE(IsImageSizeAccepted(-5, 10));
}

}  // namespace
