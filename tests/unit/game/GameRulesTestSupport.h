#pragma once
// Record builders and a usual frame shared by the game rules' tests.
#include <array>
#include <string>

#include "core/config/LauncherConfig.h"
#include "core/game/GameFrameRules.h"
#include "core/platform/CodePage.h"
#include "core/web/PageArg.h"

namespace gamerules_test {

inline GamePicItem Pic(int x, int y, int w, int h, int interval = 0) {
  GamePicItem p;
  p.x = x;
  p.y = y;
  p.width = w;
  p.height = h;
  p.interval = interval;
  return p;
}

inline GameButtonItem Button(int type, int x, int y = 0, int shortCut = 0, int w = 0, int h = 0) {
  GameButtonItem b;
  b.type = type;
  b.x = x;
  b.y = y;
  b.shortCut = shortCut;
  b.width = w;
  b.height = h;
  return b;
}

inline MenuItem Menu(int type, int shortCut) {
  MenuItem m;
  m.type = type;
  m.shortCut = shortCut;
  return m;
}

inline PageArg Str(const std::string& text) {
  PageArg a;
  a.kind = PageArg::Kind::String;
  a.text = text;
  return a;
}

inline game::FrameSizes Sizes(std::array<int, 8> w, std::array<int, 8> h) {
  game::FrameSizes s;
  s.widths = w;
  s.heights = h;
  return s;
}

// Frame of the usual shape: corners 10 x 10, top band 30 high, side edges 5 wide, bottom 6 high.
inline const game::FrameSizes kFrame = Sizes({10, 1, 10, 5, 5, 10, 1, 10}, {10, 30, 10, 1, 1, 10, 6, 10});

inline std::string Utf8(const std::string& system) { return codepage::SystemToUtf8(system); }

}  // namespace gamerules_test
