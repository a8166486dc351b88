#include "skin/PixelRegion.h"

#include <QRect>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// A grid of cells, each set when any pixel it covers is inside.
struct CellGrid {
  int cell = 1;  // cell side in pixels
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> set;

  bool at(int x, int y) const {
    return set[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x)] != 0;
  }

  // The same area with cells twice as large.
  CellGrid Coarser() const {
    CellGrid next;
    next.cell = cell * 2;
    next.width = (width + 1) / 2;
    next.height = (height + 1) / 2;
    next.set.assign(static_cast<std::size_t>(next.width) * static_cast<std::size_t>(next.height), 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (at(x, y))
          next.set[static_cast<std::size_t>(y / 2) * static_cast<std::size_t>(next.width) +
                   static_cast<std::size_t>(x / 2)] = 1;
    return next;
  }
};

struct Run {
  int from;
  int to;  // exclusive
  bool operator==(const Run& other) const { return from == other.from && to == other.to; }
};

std::vector<Run> RowRuns(const CellGrid& grid, int y) {
  std::vector<Run> runs;
  for (int x = 0; x < grid.width;) {
    if (!grid.at(x, y)) {
      ++x;
      continue;
    }
    const int from = x;
    while (x < grid.width && grid.at(x, y)) ++x;
    runs.push_back(Run{from, x});
  }
  return runs;
}

// The grid's region as Y-X banded rectangles (rows with equal runs merged into one band), in
// image pixels clipped to the image; false as soon as more than `limit` rectangles are needed.
bool BandedRects(const CellGrid& grid, int imageWidth, int imageHeight, std::size_t limit,
                 std::vector<QRect>& rects) {
  rects.clear();
  int y = 0;
  while (y < grid.height) {
    const std::vector<Run> runs = RowRuns(grid, y);
    int end = y + 1;
    while (end < grid.height && RowRuns(grid, end) == runs) ++end;
    if (!runs.empty()) {
      if (rects.size() + runs.size() > limit) return false;
      const int top = y * grid.cell;
      const int bottom = std::min(end * grid.cell, imageHeight);
      for (const Run& run : runs) {
        const int left = run.from * grid.cell;
        const int right = std::min(run.to * grid.cell, imageWidth);
        rects.emplace_back(left, top, right - left, bottom - top);
      }
    }
    y = end;
  }
  return true;
}

// The cells of a grid of device pixels, `ratio` of them to a logical pixel, as a grid of logical
// pixels: each set when any device pixel it overlaps is.
CellGrid ToLogical(const CellGrid& device, qreal ratio) {
  // A hair of slack so that an edge exactly on a logical pixel's border stays there.
  constexpr double kSlack = 1e-6;
  auto down = [ratio](int v) { return static_cast<int>(std::floor(v / ratio + kSlack)); };
  auto up = [ratio](int v) { return static_cast<int>(std::ceil(v / ratio - kSlack)); };
  CellGrid logical;
  logical.width = up(device.width);
  logical.height = up(device.height);
  logical.set.assign(static_cast<std::size_t>(logical.width) * static_cast<std::size_t>(logical.height), 0);
  for (int y = 0; y < device.height; ++y) {
    const int top = down(y);
    const int bottom = std::min(up(y + 1), logical.height);
    for (int x = 0; x < device.width; ++x) {
      if (!device.at(x, y)) continue;
      const int right = std::min(up(x + 1), logical.width);
      for (int ly = top; ly < bottom; ++ly)
        for (int lx = down(x); lx < right; ++lx)
          logical.set[static_cast<std::size_t>(ly) * static_cast<std::size_t>(logical.width) +
                      static_cast<std::size_t>(lx)] = 1;
    }
  }
  return logical;
}

}  // namespace

QRegion RegionWhere(const QImage& image, const std::function<bool(QRgb)>& inside, int maxRects) {
  const QImage argb = image.format() == QImage::Format_ARGB32_Premultiplied ||
                              image.format() == QImage::Format_ARGB32 ||
                              image.format() == QImage::Format_RGB32
                          ? image
                          : image.convertToFormat(QImage::Format_ARGB32);
  CellGrid grid;
  grid.width = argb.width();
  grid.height = argb.height();
  grid.set.assign(static_cast<std::size_t>(grid.width) * static_cast<std::size_t>(grid.height), 0);
  for (int y = 0; y < grid.height; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < grid.width; ++x)
      if (inside(row[x]))
        grid.set[static_cast<std::size_t>(y) * static_cast<std::size_t>(grid.width) +
                 static_cast<std::size_t>(x)] = 1;
  }
  // An image drawn for a scaled screen holds device pixels; the region is in logical ones.
  const qreal ratio = image.devicePixelRatio();
  if (ratio > 0 && !qFuzzyCompare(ratio, qreal(1))) grid = ToLogical(grid, ratio);
  const int width = grid.width;
  const int height = grid.height;
  const std::size_t limit = static_cast<std::size_t>(std::max(maxRects, 1));
  std::vector<QRect> rects;
  // A single cell covering everything always fits, so this ends.
  while (!BandedRects(grid, width, height, limit, rects)) grid = grid.Coarser();
  QRegion region;
  if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

QSize LogicalSize(const QImage& image) {
  const qreal ratio = image.devicePixelRatio() > 0 ? image.devicePixelRatio() : 1.0;
  return QSize(qRound(image.width() / ratio), qRound(image.height() / ratio));
}
