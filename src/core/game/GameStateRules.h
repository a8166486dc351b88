#pragma once
// Pure rules of the game window's states: filling the work area, the normal rectangle, full
// screen, the state buttons and the tray. No Qt.

#include <string>
#include <string_view>

#include "core/game/GameFrameRules.h"

namespace game {

// ---------------------------------------------------------------------------------------------
// Window states and sizes

// The smaller of a configured minimum and the work area's extent.
int MinimumExtent(int configured, int workExtent);

// The first normal rectangle: a minGameWidth x minGameHeight window centred in the work area's
// size (offsets truncated, raised to 0 when negative), not shifted by the work area's origin.
Rect FirstNormalRect(const Rect& work, int minGameWidth, int minGameHeight);

// Window rectangle whose client area covers a screen of screenWidth x screenHeight.
Rect FullScreenRect(const Rect& windowRect, const Rect& clientRectOnScreen, int screenWidth,
                    int screenHeight);

// A double click at screen y toggles fill/normal when strictly inside the top band of a window
// whose placement top is `placementTop`.
bool IsTitleBandDoubleClick(int y, int placementTop, int topBandHeight);

// Visibility of the fill (6) and restore (10) buttons in the state entered: restore shown while
// filling the work area, fill shown in the normal state; other types are left as they are.
enum class ButtonShow { Keep, Show, Hide };
ButtonShow StateButtonShow(int type, bool maximized);
// Whether a button is shown again on leaving full screen: never type 13, type 14 only once the
// page has named the GM.
bool ShownOnLeavingFullScreen(int type, bool awaitingGmName);

enum class TrayClick { LeftUp, LeftDoubleClick, RightUp, Other };
// The tray icon brings the window back on left release, left double click and right release.
bool TrayClickShowsWindow(TrayClick click);

constexpr int kTrayTipLimit = 63;
// The tray tip: the notification title, cut to the tip's capacity on a character boundary.
std::string TrayTip(std::string_view notifyTitle);

}  // namespace game
