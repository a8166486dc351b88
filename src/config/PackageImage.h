#pragma once
// Decoding the package's PNG artwork into Qt images (premultiplied ARGB32).
#include <QImage>

class CLauncherConfig;

// Missing member: message "读取图片失败" (caption "启动失败"), false. Undecodable: false, no message.
bool LoadImageFromPackage(CLauncherConfig& config, const char* member, QImage& image);
// The same with the caption "启动失败！" for a missing member.
bool LoadBitmapFromPackage(CLauncherConfig& config, const char* member, QImage& image);
