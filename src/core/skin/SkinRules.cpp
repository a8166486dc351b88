#include "core/skin/SkinRules.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>

#include "core/net/WebAddress.h"

namespace skin {
namespace {

// The lower-cased scheme: a letter, then letters, digits, '+', '-' or '.', before the first ':'.
std::string LinkScheme(const std::string& address) {
  const std::size_t colon = address.find(':');
  if (colon == std::string::npos || colon == 0) return {};
  std::string scheme;
  for (std::size_t i = 0; i < colon; ++i) {
    const auto c = static_cast<unsigned char>(address[i]);
    const bool fits = i == 0 ? std::isalpha(c) != 0 : (std::isalnum(c) != 0 || c == '+' || c == '-' || c == '.');
    if (!fits) return {};
    scheme += static_cast<char>(std::tolower(c));
  }
  return scheme;
}

}  // namespace

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

bool IsOperatorLink(const std::string& address) {
  if (IsOpenableLink(address)) return true;
  const bool blanks = std::any_of(address.begin(), address.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7F;
  });
  if (blanks) return false;
  const std::string scheme = LinkScheme(address);
  if (scheme == "http" || scheme == "https") return false;
  if (scheme == "mailto") return address.size() > 7;
  // Local files, shares and script never; a one-letter scheme is a drive path ("C:\...").
  static const std::array<const char*, 12> kRefused = {
      "file", "javascript", "vbscript", "data", "about", "blob", "filesystem", "view-source",
      "smb", "nfs", "ftp", "jar"};
  if (scheme.size() < 2) return false;
  if (std::find(kRefused.begin(), kRefused.end(), scheme) != kRefused.end()) return false;
  const std::size_t colon = address.find(':');
  return address.compare(colon + 1, 2, "//") == 0 && address.size() > colon + 3;
}

std::string PackageLinkTarget(const std::string& address) {
  static const char kBareWeb[] = "www.";
  const std::size_t prefix = sizeof kBareWeb - 1;
  bool bare = address.size() > prefix;
  for (std::size_t i = 0; bare && i < prefix; ++i)
    bare = std::tolower(static_cast<unsigned char>(address[i])) == kBareWeb[i];
  std::string target = bare ? "http://" + address : address;
  if (!IsOperatorLink(target)) target.clear();
  return target;
}

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
