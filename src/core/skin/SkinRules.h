#pragma once
// Pure rules of the skinned windows: geometry of the translucent pair and the skin button's settings.
#include <array>
#include <string>
#include <vector>

#include "core/config/LauncherConfig.h"

namespace skin {

struct Rect {  // left, top inclusive; right, bottom exclusive
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
};

// Keeps a proposed window rectangle inside the work area; a window larger than the work area is
// held against its left (top) edge.
Rect ClampToWorkArea(const Rect& proposed, const Rect& workArea);

// The part of `area` that lies inside an image of width x height; empty (all zero) when none.
Rect ClipToImage(const Rect& area, int imageWidth, int imageHeight);

// Top-left corner that centres an outer size of width x height in the work area (truncating).
Point CentreInWorkArea(int width, int height, const Rect& workArea);

// A link address as written in the settings: every ';' stands for '&'.
std::string LinkFromSetting(const std::string& text);

// Only web addresses (http/https) are handed to the user's browser.
bool IsOpenableLink(const std::string& address);

// Whether an address from the operator's package (a link button) may be handed to the desktop:
// http and https with a host, mailto:, and the operator's program schemes written as
// "scheme://..." (a chat program's link). Never file:, bare or drive paths, javascript:, data:,
// or another scheme that reads local files or runs script.
bool IsOperatorLink(const std::string& address);

// What a link of the operator's package (a launcher link button, a game button) hands to the
// desktop: the address itself when IsOperatorLink allows it, "http://" + text for a web address
// written without a scheme ("www.example.com/pay"); empty when the link is refused. The program
// and the package checker both ask this.
std::string PackageLinkTarget(const std::string& address);

enum class ButtonMode { Push = 0, Toggle = 2, Radio = 4 };
// The button's behaviour from the low 16 bits of its window style.
ButtonMode ButtonModeFromStyle(unsigned style);

enum class DrawMode { Unscaled = 0, Stretched = 1, Tiled = 2 };
DrawMode ClampDrawMode(int mode);
int ClampFocusMargin(int margin);

// Image buttons made from the settings' button records: control id 180 + type, and the three
// images (normal, pressed, hovered) stacked in a picture of "config/style.png".
constexpr int kButtonIdBase = 180;
int ButtonIdForType(int type);
// Picture `image` (counted from 1) of a record; null when it names none (no button is made).
const GamePicItem* ButtonPicture(const GameButtonItem& record,
                                 const std::vector<GamePicItem>& pictures);
// Areas of the style image holding a picture's normal, pressed and hovered images.
std::array<Rect, 3> ButtonImageSources(const GamePicItem& picture);

}  // namespace skin
