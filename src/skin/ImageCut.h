#pragma once
// Cutting pictures out of the package's artwork.
#include <QImage>

#include "skin/SkinRules.h"

namespace skin {

// The pixels of `source` inside the area (x, y, width, height), clipped to the image: a cut never
// allocates more than the image holds. An area that covers no pixel gives a null image (a
// missing picture).
QImage CutImage(const QImage& source, int x, int y, int width, int height);
QImage CutImage(const QImage& source, const Rect& area);

}  // namespace skin
