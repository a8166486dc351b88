#pragma once
// The region of an image's pixels that satisfy a test: window shapes and input masks.
#include <QImage>
#include <QRegion>

#include <functional>

// Most rectangles a shape may have: far below what the display connection takes in one request.
constexpr int kMaxRegionRects = 8192;

// The pixels where `inside` holds, as at most `maxRects` rectangles, in logical pixels: an image
// drawn for a scaled screen (device pixel ratio other than 1) counts a logical pixel in when any
// device pixel it overlaps does. Artwork too intricate for that is shaped on a coarser grid
// (2x2, 4x4, ... pixel cells, a cell counting as inside when any of its pixels does), so the
// region only ever grows to cover what it cannot describe exactly.
QRegion RegionWhere(const QImage& image, const std::function<bool(QRgb)>& inside,
                    int maxRects = kMaxRegionRects);

// The size in logical pixels of an image drawn at its own device pixel ratio.
QSize LogicalSize(const QImage& image);
