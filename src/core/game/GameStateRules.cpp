#include "core/game/GameStateRules.h"

#include <algorithm>

#include "core/game/GameButtonRules.h"
#include "core/platform/CodePage.h"

namespace game {

// ---------------------------------------------------------------------------------------------
// Window states and sizes

int MinimumExtent(int configured, int workExtent) { return std::min(configured, workExtent); }

Rect FirstNormalRect(const Rect& work, int minGameWidth, int minGameHeight) {
  const int x = std::max(0, (work.right - work.left - minGameWidth) / 2);
  const int y = std::max(0, (work.bottom - work.top - minGameHeight) / 2);
  return RectOfSize(x, y, minGameWidth, minGameHeight);
}

Rect FullScreenRect(const Rect& wr, const Rect& cr, int screenWidth, int screenHeight) {
  return Rect{wr.left - cr.left, wr.top - cr.top, wr.right - cr.right + screenWidth,
              wr.bottom - cr.bottom + screenHeight};
}

bool IsTitleBandDoubleClick(int y, int placementTop, int topBandHeight) {
  return placementTop < y && y < placementTop + topBandHeight;
}

ButtonShow StateButtonShow(int type, bool maximized) {
  if (type == kTypeRestore) return maximized ? ButtonShow::Show : ButtonShow::Hide;
  if (type == kTypeFill) return maximized ? ButtonShow::Hide : ButtonShow::Show;
  return ButtonShow::Keep;
}

bool ShownOnLeavingFullScreen(int type, bool awaitingGmName) {
  if (type == kTypeUserName) return false;
  return !(type == kTypeGmChat && awaitingGmName);
}

bool TrayClickShowsWindow(TrayClick click) { return click != TrayClick::Other; }

std::string TrayTip(std::string_view notifyTitle) {
  return std::string(codepage::CutAtCharacter(notifyTitle, kTrayTipLimit));
}

}  // namespace game
