#pragma once
// Geometry shared by the demo package's artwork and its settings.

namespace demo::layout {

struct Rect {
  int x, y, width, height;
};

// Launcher artwork (config/main1.png): shadow margin around a rounded body.
inline constexpr int kLauncherWidth = 880;
inline constexpr int kLauncherHeight = 560;
inline constexpr int kShadow = 16;
inline constexpr int kBodyRadius = 18;
inline constexpr Rect kBrowser{36, 104, 808, 392};  // the login page sits here

// Launcher link buttons, numbered as their link sections (link1 is the browser).
struct LinkButton {
  int number;
  int type;  // 1 web link, 2 minimise, 3 close
  Rect rect;
  const char* caption;  // UTF-8; empty for glyph buttons
  const char* path;     // site path for web links
};
inline constexpr LinkButton kLinkButtons[] = {
    {2, 1, {36, 510, 104, 32}, "官方网站", "/news?from=launcher;lang=zh"},
    {3, 1, {150, 510, 104, 32}, "充值中心", "/pay?from=launcher"},
    {4, 2, {780, 30, 30, 26}, "", ""},
    {5, 3, {814, 30, 30, 26}, "", ""},
};

// Game window style image (config/style.png): pictures in the order of their gamePic sections.
inline constexpr int kTitleBand = 44;  // height of the top frame piece
inline constexpr int kEdge = 6;        // width of the side pieces, height of the bottom ones
inline constexpr int kCorner = 12;
inline constexpr int kButtonHeight = 26;
inline constexpr int kButtonInterval = 2;
inline constexpr int kStripHeight = 3 * kButtonHeight + 2 * kButtonInterval;
inline constexpr int kStripTop = 52;
inline constexpr int kPillTop = 9;  // y of the captioned buttons in the band; caption buttons use 0

enum class Glyph { None, Close, Minimise, Fill, Restore, FullScreen, Tray, Reload, ClearCache, Chat, Link };

struct Picture {
  Rect rect;
  Glyph glyph;  // button pictures only
};
inline constexpr Picture kPictures[] = {
    {{0, 0, kCorner, kTitleBand}, Glyph::None},                 // 1 top-left
    {{14, 0, 64, kTitleBand}, Glyph::None},                     // 2 top edge, title band
    {{80, 0, kCorner, kTitleBand}, Glyph::None},                // 3 top-right
    {{94, 0, kEdge, 40}, Glyph::None},                          // 4 left edge
    {{102, 0, kEdge, 40}, Glyph::None},                         // 5 right edge
    {{110, 0, kCorner, kEdge}, Glyph::None},                    // 6 bottom-left
    {{124, 0, 64, kEdge}, Glyph::None},                         // 7 bottom edge
    {{190, 0, kCorner, kEdge}, Glyph::None},                    // 8 bottom-right
    {{0, kStripTop, 30, kButtonHeight}, Glyph::Close},          // 9
    {{32, kStripTop, 30, kButtonHeight}, Glyph::Minimise},      // 10
    {{64, kStripTop, 30, kButtonHeight}, Glyph::Fill},          // 11
    {{96, kStripTop, 30, kButtonHeight}, Glyph::Restore},       // 12
    {{128, kStripTop, 30, kButtonHeight}, Glyph::FullScreen},   // 13
    {{160, kStripTop, 30, kButtonHeight}, Glyph::Tray},         // 14
    {{192, kStripTop, 30, kButtonHeight}, Glyph::Reload},       // 15
    {{224, kStripTop, 30, kButtonHeight}, Glyph::ClearCache},   // 16
    {{256, kStripTop, 64, kButtonHeight}, Glyph::Chat},         // 17 GM chat (caption: GM name)
    {{322, kStripTop, 60, kButtonHeight}, Glyph::Link},         // 18 web link (caption)
    {{384, kStripTop, 60, kButtonHeight}, Glyph::Link},         // 19 recharge link (caption)
};
inline constexpr int kPictureCount = sizeof kPictures / sizeof kPictures[0];
inline constexpr int kStyleWidth = 448;
inline constexpr int kStyleHeight = kStripTop + kStripHeight;

// Game window title band.
inline constexpr Rect kLogo{10, 6, 32, 32};
inline constexpr Rect kTitle{50, 11, 360, 22};
inline constexpr int kUserNameRight = 560;

}  // namespace demo::layout
