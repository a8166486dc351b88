#include "skin/ImageCut.h"

#include <algorithm>
#include <cstring>

#include "core/config/LauncherConfig.h"

namespace skin {

namespace {

QImage Cut(const QImage& source, long long x, long long y, long long width, long long height) {
  if (width <= 0 || height <= 0 || !IsImageSizeAccepted(width, height)) return QImage();
  const QImage::Format format = source.format() == QImage::Format_ARGB32
                                    ? QImage::Format_ARGB32
                                    : QImage::Format_ARGB32_Premultiplied;
  QImage cut(static_cast<int>(width), static_cast<int>(height), format);
  if (cut.isNull()) return QImage();
  cut.fill(Qt::transparent);
  // The part of the area the image covers, in the image's coordinates (64-bit: settings may
  // hold any 32-bit numbers).
  const long long left = std::max(x, 0LL);
  const long long top = std::max(y, 0LL);
  const long long right = std::min(x + width, static_cast<long long>(source.width()));
  const long long bottom = std::min(y + height, static_cast<long long>(source.height()));
  if (left >= right || top >= bottom) return cut;
  const QImage covered =
      source
          .copy(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                static_cast<int>(bottom - top))
          .convertToFormat(format);
  const int bytesPerPixel = 4;
  const std::size_t rowBytes = static_cast<std::size_t>(covered.width()) * bytesPerPixel;
  const int offsetX = static_cast<int>(left - x);
  const int offsetY = static_cast<int>(top - y);
  for (int row = 0; row < covered.height(); ++row)
    std::memcpy(cut.scanLine(offsetY + row) + static_cast<std::size_t>(offsetX) * bytesPerPixel,
                covered.constScanLine(row), rowBytes);
  return cut;
}

}  // namespace

QImage CutImage(const QImage& source, int x, int y, int width, int height) {
  return Cut(source, x, y, width, height);
}

QImage CutImage(const QImage& source, const Rect& area) {
  return Cut(source, area.left, area.top, static_cast<long long>(area.right) - area.left,
             static_cast<long long>(area.bottom) - area.top);
}

}  // namespace skin
