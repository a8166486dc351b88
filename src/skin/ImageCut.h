#pragma once
// Cutting pictures out of the package's artwork.
#include <QImage>

#include "core/skin/SkinRules.h"

namespace skin {

// A new picture of the asked size holding the pixels of `source` from (x, y) on; whatever part
// of the area lies outside the image is transparent, also when that is all of it. A size that
// is not positive, or larger than an image may be (the package's image bounds), gives a null
// image (a missing picture).
QImage CutImage(const QImage& source, int x, int y, int width, int height);
// The same for the area's left, top, width and height.
QImage CutImage(const QImage& source, const Rect& area);

}  // namespace skin
