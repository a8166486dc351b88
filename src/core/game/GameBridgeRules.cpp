#include "core/game/GameBridgeRules.h"

#include <cstdio>

#include "core/game/GameTitleRules.h"
#include "core/platform/CodePage.h"
#include "core/web/ExternalDispatch.h"

namespace game {

// ---------------------------------------------------------------------------------------------
// Page commands

PageCommand ParsePageCommand(const std::vector<PageArg>& args) {
  PageCommand command;
  if (args.empty()) return command;
  command.number = external::PageCommandNumber(args.front());
  switch (command.number) {
    case 1: command.action = PageAction::Close; break;
    case 2: command.action = PageAction::RestartAndClose; break;
    case 3:
    case 5: command.action = PageAction::Accepted; break;
    case 4:
    case 6: {
      if (args.size() < 2) break;
      const PageArg& parameter = args[args.size() - 2];
      if (parameter.kind != PageArg::Kind::String) break;
      std::string text = codepage::Utf8ToSystem(parameter.text);
      if (text.size() > static_cast<std::size_t>(kTitleTextLimit)) break;
      command.parameter = std::move(text);
      command.action = command.number == 4 ? PageAction::SetPageLink : PageAction::ExtendTitle;
      break;
    }
    default: break;
  }
  return command;
}

// ---------------------------------------------------------------------------------------------
// Reports to the page

std::optional<Point> BrowserPointForReport(Point screen, const Rect& placementRect,
                                           const FrameSizes& sizes, bool maximized,
                                           bool fullScreen) {
  Point p = screen;
  if (!fullScreen) {
    p.y = screen.y - placementRect.top - sizes.H(2);
    p.x = screen.x - placementRect.left - (maximized ? 0 : sizes.W(4));
  }
  if (p.y < 0) return std::nullopt;
  return p;
}

std::string ClientCallJsText(int code, std::optional<std::string_view> formattedValues) {
  std::string text = std::to_string(code);
  if (formattedValues) {
    text += ',';
    text += formattedValues->substr(0, kCallValuesLimit);
  }
  return text;
}

std::string MouseReportValues(Point browserPoint, bool shift) {
  char values[64];
  std::snprintf(values, sizeof values, "%d,%d,%d", browserPoint.x, browserPoint.y, shift ? 1 : 0);
  return values;
}

// ---------------------------------------------------------------------------------------------
// GM chat button's blink

std::array<int, 3> BlinkImageOrder(bool phase) {
  return phase ? std::array<int, 3>{2, 1, 0} : std::array<int, 3>{0, 1, 2};
}

}  // namespace game
