#pragma once
// Pure rules of the page bridge: the page's commands (JsCallClient), the reports the window
// sends to the page (clientCallJs) and the GM chat button's blink. No Qt.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/game/GameFrameRules.h"
#include "core/web/PageArg.h"

namespace game {

// ---------------------------------------------------------------------------------------------
// Page commands (JsCallClient)

enum class PageAction {
  None,
  Close,            // 1: end at once, no question, no restart
  RestartAndClose,  // 2
  Accepted,         // 3, 5: no effect
  SetPageLink,      // 4: parameter becomes the type-12 button's link
  ExtendTitle,      // 6: PageCommandTitle(stored title, parameter)
};

struct PageCommand {
  int number = 0;
  PageAction action = PageAction::None;
  std::string parameter;  // system code page; set for SetPageLink and ExtendTitle
};

// Arguments in the page's order. The number comes from the first; commands 4 and 6 take the
// next-to-last argument, which must be a string of at most 255 bytes once converted, else the
// command does nothing.
PageCommand ParsePageCommand(const std::vector<PageArg>& args);

// ---------------------------------------------------------------------------------------------
// Reports to the page (clientCallJs)

constexpr int kMouseRightDown = 2;
constexpr int kMouseRightUp = 3;
constexpr int kCallValuesLimit = 63;

// A screen point turned into a browser-area point: unchanged in full screen, else less the
// placement's top-left, H2, and W4 unless maximized. nullopt above the browser area (y < 0).
std::optional<Point> BrowserPointForReport(Point screen, const Rect& placementRect,
                                           const FrameSizes& sizes, bool maximized,
                                           bool fullScreen);

// clientCallJs's text: the code in decimal, then "," and the formatted values (cut to 63 bytes)
// when there are any.
std::string ClientCallJsText(int code, std::optional<std::string_view> formattedValues = {});
// The right-button report's values: "<x>,<y>,<shift>" (clientCallJs gets "<code>,<values>").
std::string MouseReportValues(Point browserPoint, bool shift);

// ---------------------------------------------------------------------------------------------
// GM chat button's blink

constexpr int kBlinkPeriodMs = 500;

// The three images (0 normal, 1 pressed, 2 hovered) in SetImages order for a blink step:
// (2, 1, 0) when `phase`, else (0, 1, 2).
std::array<int, 3> BlinkImageOrder(bool phase);

}  // namespace game
