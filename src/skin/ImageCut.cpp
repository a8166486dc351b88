#include "skin/ImageCut.h"

#include <algorithm>
#include <climits>

namespace skin {

QImage CutImage(const QImage& source, int x, int y, int width, int height) {
  auto end = [](int from, int size) {
    return static_cast<int>(
        std::clamp<long long>(static_cast<long long>(from) + size, INT_MIN, INT_MAX));
  };
  return CutImage(source, Rect{x, y, end(x, width), end(y, height)});
}

QImage CutImage(const QImage& source, const Rect& wanted) {
  const Rect area = ClipToImage(wanted, source.width(), source.height());
  if (area.width() <= 0 || area.height() <= 0) return QImage();
  return source.copy(area.left, area.top, area.width(), area.height());
}

}  // namespace skin
