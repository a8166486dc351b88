#pragma once
// Conversions between the core's terms (8-bit text, rectangles, colour values, keys) and Qt's.
#include <QColor>
#include <QRect>
#include <QString>
#include <string_view>

#include "core/platform/CodePage.h"
#include "core/platform/VirtualKeys.h"
#include "core/skin/SkinRules.h"

namespace skin {

inline QString ToQt(std::string_view systemText) {
  return QString::fromStdString(codepage::SystemToUtf8(systemText));
}

inline QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

inline Rect ToRect(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// A colour value 0x00BBGGRR.
inline QColor FromColourRef(unsigned value) {
  return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// The virtual-key code of a Qt key, for the key rules; platform::kKeyOther for a key they do not
// single out.
int VirtualKeyFromQt(int qtKey);

}  // namespace skin
