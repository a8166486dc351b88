#include "skin/SkinRules.h"

#include <algorithm>
#include <cctype>

namespace skin {

Rect ClampToWorkArea(const Rect& proposed, const Rect& workArea) {
  Rect result = proposed;
  const int width = proposed.width();
  const int height = proposed.height();
  if (proposed.left <= workArea.left) {
    result.left = workArea.left;
    result.right = workArea.left + width;
  } else if (proposed.right >= workArea.right) {
    result.right = workArea.right;
    result.left = workArea.right - width;
  }
  if (proposed.top <= workArea.top) {
    result.top = workArea.top;
    result.bottom = workArea.top + height;
  } else if (proposed.bottom >= workArea.bottom) {
    result.bottom = workArea.bottom;
    result.top = workArea.bottom - height;
  }
  return result;
}

Point CentreInWorkArea(int width, int height, const Rect& workArea) {
  return Point{workArea.left + (workArea.width() - width) / 2,
               workArea.top + (workArea.height() - height) / 2};
}

std::string LinkFromSetting(const std::string& text) {
  std::string link = text;
  std::replace(link.begin(), link.end(), ';', '&');
  return link;
}

bool IsOpenableLink(const std::string& address) {
  std::string scheme;
  const std::size_t colon = address.find(':');
  if (colon == std::string::npos) return false;
  for (std::size_t i = 0; i < colon; ++i)
    scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(address[i])));
  if (scheme != "http" && scheme != "https") return false;
  // A host must follow; control characters and blanks have no place in an address.
  if (address.compare(colon + 1, 2, "//") != 0 || address.size() <= colon + 3) return false;
  return std::none_of(address.begin(), address.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7F;
  });
}

ButtonMode ButtonModeFromStyle(unsigned style) {
  const unsigned s = style & 0xFFFFu;
  if ((s & 3u) == 3u) return ButtonMode::Toggle;
  if ((s & 9u) == 9u) return ButtonMode::Radio;
  return ButtonMode::Push;
}

DrawMode ClampDrawMode(int mode) { return static_cast<DrawMode>(std::clamp(mode, 0, 2)); }

int ClampFocusMargin(int margin) { return std::max(margin, 0); }

}  // namespace skin
