#pragma once
// The region of an image's pixels that satisfy a test: window shapes and input masks.
#include <QImage>
#include <QRegion>

#include <functional>

QRegion RegionWhere(const QImage& image, const std::function<bool(QRgb)>& inside);
