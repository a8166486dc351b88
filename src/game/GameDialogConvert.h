#pragma once
// Conversions between the game rules' terms and Qt's, shared by the game window's files.
#include <QColor>
#include <QRect>
#include <QString>
#include <string_view>

#include "game/GameFrameRules.h"
#include "platform/CodePage.h"

namespace game {

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

}  // namespace game
