#include "skin/SkinRules.h"

#include <algorithm>
#include <climits>

#include "net/WebAddress.h"

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

Rect ClipToImage(const Rect& area, int imageWidth, int imageHeight) {
  const Rect clipped{std::max(area.left, 0), std::max(area.top, 0),
                     std::min(area.right, std::max(imageWidth, 0)),
                     std::min(area.bottom, std::max(imageHeight, 0))};
  if (clipped.left >= clipped.right || clipped.top >= clipped.bottom) return Rect{};
  return clipped;
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

bool IsOpenableLink(const std::string& address) { return net::IsWebAddress(address); }

ButtonMode ButtonModeFromStyle(unsigned style) {
  const unsigned s = style & 0xFFFFu;
  if ((s & 3u) == 3u) return ButtonMode::Toggle;
  if ((s & 9u) == 9u) return ButtonMode::Radio;
  return ButtonMode::Push;
}

DrawMode ClampDrawMode(int mode) { return static_cast<DrawMode>(std::clamp(mode, 0, 2)); }

int ClampFocusMargin(int margin) { return std::max(margin, 0); }

int ButtonIdForType(int type) { return kButtonIdBase + type; }

const GamePicItem* ButtonPicture(const GameButtonItem& record,
                                 const std::vector<GamePicItem>& pictures) {
  const long long k = static_cast<long long>(record.image) - 1;
  if (k < 0 || k >= static_cast<long long>(pictures.size())) return nullptr;
  return &pictures[static_cast<std::size_t>(k)];
}

std::array<Rect, 3> ButtonImageSources(const GamePicItem& p) {
  // Settings may hold any 32-bit numbers: sums saturate instead of overflowing.
  auto saturate = [](long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
  };
  std::array<Rect, 3> sources;
  for (int k = 0; k < 3; ++k) {
    const int top = saturate(p.y + k * (static_cast<long long>(p.height) + p.interval));
    sources[static_cast<std::size_t>(k)] =
        Rect{p.x, top, saturate(static_cast<long long>(p.x) + p.width),
             saturate(static_cast<long long>(top) + p.height)};
  }
  return sources;
}

}  // namespace skin
