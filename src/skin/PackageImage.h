#pragma once
// Decoding the package's PNG artwork into Qt images (premultiplied ARGB32).
#include <QImage>
#include <vector>

#include "core/check/PackageCheck.h"

class CLauncherConfig;

// Missing member: message "读取图片失败" (caption "启动失败"), false. Undecodable: false, no message.
bool LoadImageFromPackage(CLauncherConfig& config, const char* member, QImage& image);
// The same with the caption "启动失败！" for a missing member; an undecodable one gets the same
// message, since the launcher cannot start without this artwork.
bool LoadBitmapFromPackage(CLauncherConfig& config, const char* member, QImage& image);
// The member bytes decoded exactly as the two above do; false when they are no usable image.
bool DecodePackageImageBytes(const std::vector<unsigned char>& bytes, QImage& image);
// The package checker's view of the same decoding.
packagecheck::DecodedImage DecodePackageImage(const std::vector<unsigned char>& bytes);
