#include "skin/PixelRegion.h"

#include <QBitmap>

QRegion RegionWhere(const QImage& image, const std::function<bool(QRgb)>& inside) {
  const QImage argb = image.format() == QImage::Format_ARGB32_Premultiplied ||
                              image.format() == QImage::Format_ARGB32 ||
                              image.format() == QImage::Format_RGB32
                          ? image
                          : image.convertToFormat(QImage::Format_ARGB32);
  QImage bits(argb.size(), QImage::Format_MonoLSB);
  bits.fill(0);
  bits.setColorCount(2);
  bits.setColor(0, qRgb(255, 255, 255));
  bits.setColor(1, qRgb(0, 0, 0));
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    uchar* out = bits.scanLine(y);
    for (int x = 0; x < argb.width(); ++x)
      if (inside(row[x])) out[x >> 3] |= static_cast<uchar>(1u << (x & 7));
  }
  return QRegion(QBitmap::fromImage(bits));
}
