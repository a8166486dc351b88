#include "game/GameRules.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <cstdio>

#include "platform/CodePage.h"
#include "web/ExternalDispatch.h"

namespace game {

namespace {

int Saturate(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Settings may hold any 32-bit numbers: sums saturate instead of overflowing.
Rect RectOfSize(int left, int top, int width, int height) {
  return Rect{left, top, Saturate(static_cast<long long>(left) + width),
              Saturate(static_cast<long long>(top) + height)};
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Frame pieces

FrameCut CutFramePieces(const std::vector<int>& edgeImages, const std::vector<GamePicItem>& pictures) {
  FrameCut cut;
  for (int i = 0; i < kPieceCount; ++i) {
    if (static_cast<std::size_t>(i) >= edgeImages.size()) break;
    const long long k = static_cast<long long>(edgeImages[i]) - 1;
    if (k < 0 || k >= static_cast<long long>(pictures.size())) continue;
    const GamePicItem& p = pictures[static_cast<std::size_t>(k)];
    cut.present[i] = true;
    cut.sources[i] = RectOfSize(p.x, p.y, p.width, p.height);
    cut.sizes.widths[i] = p.width;
    cut.sizes.heights[i] = p.height;
  }
  return cut;
}

std::array<Rect, kPieceCount> FramePieceDestinations(const FrameSizes& s, int cw, int ch) {
  return {{
      RectOfSize(0, 0, s.W(1), s.H(1)),
      RectOfSize(s.W(1), 0, cw - s.W(1) - s.W(3), s.H(2)),
      RectOfSize(cw - s.W(3), 0, s.W(3), s.H(3)),
      RectOfSize(0, s.H(1), s.W(4), ch - s.H(1) - s.H(6)),
      RectOfSize(cw - s.W(5), s.H(3), s.W(5), ch - s.H(3) - s.H(8)),
      RectOfSize(0, ch - s.H(6), s.W(6), s.H(6)),
      RectOfSize(s.W(6), ch - s.H(7), cw - s.W(6) - s.W(8), s.H(7)),
      RectOfSize(cw - s.W(8), ch - s.H(8), s.W(8), s.H(8)),
  }};
}

std::vector<PieceDraw> FramePaintPlan(const FrameSizes& sizes, int cw, int ch, bool maximized,
                                      bool fullScreen) {
  if (fullScreen) return {};
  if (maximized) return {PieceDraw{2, Rect{0, 0, cw, sizes.H(2)}}};
  const auto destinations = FramePieceDestinations(sizes, cw, ch);
  std::vector<PieceDraw> plan;
  for (int piece : {1, 3, 2, 4, 5, 6, 8, 7}) plan.push_back(PieceDraw{piece, destinations[piece - 1]});
  return plan;
}

// ---------------------------------------------------------------------------------------------
// Title band

Rect TitleBandRect(const LauncherSettings& settings) {
  return RectOfSize(settings.titlex, settings.titley, settings.titleWidth, settings.titleHeight);
}

Rect UserNameBox(int userNameRight, const Rect& titleRect) {
  return Rect{userNameRight - kUserNameBoxWidth, titleRect.top, userNameRight, titleRect.bottom};
}

// ---------------------------------------------------------------------------------------------
// Hit test and cursors

int HitTest(Point p, const Rect& w, const FrameSizes& s, bool maximized, bool fullScreen) {
  if (fullScreen || maximized) return kHitClient;
  const int x = p.x;
  const int y = p.y;
  if (x <= w.left + s.W(1) && y <= w.top + s.H(1)) return kHitTopLeft;
  if (x >= w.right - s.W(3) && y <= w.top + s.H(3)) return kHitTopRight;
  if (x <= w.left + s.W(6) && y >= w.bottom - s.H(6)) return kHitBottomLeft;
  if (x >= w.right - s.W(8) && y >= w.bottom - s.H(8)) return kHitBottomRight;
  if (x <= w.left + s.W(4)) return kHitLeft;
  if (x >= w.right - s.W(5)) return kHitRight;
  if (y >= w.bottom - s.H(7)) return kHitBottom;
  if (y >= w.top && y <= w.top + s.H(2)) return kHitCaption;
  return kHitClient;
}

CursorShape CursorForHit(int hitCode) {
  switch (hitCode) {
    case kHitTop:
    case kHitBottom:
      return CursorShape::SizeVertical;
    case kHitLeft:
    case kHitRight:
      return CursorShape::SizeHorizontal;
    case kHitTopLeft:
    case kHitBottomRight:
      return CursorShape::SizeNwSe;
    case kHitTopRight:
    case kHitBottomLeft:
      return CursorShape::SizeNeSw;
    default:
      return CursorShape::Arrow;
  }
}

int ResizeEdgesForHit(int hitCode) {
  switch (hitCode) {
    case kHitLeft: return kEdgeLeft;
    case kHitRight: return kEdgeRight;
    case kHitTop: return kEdgeTop;
    case kHitBottom: return kEdgeBottom;
    case kHitTopLeft: return kEdgeTop | kEdgeLeft;
    case kHitTopRight: return kEdgeTop | kEdgeRight;
    case kHitBottomLeft: return kEdgeBottom | kEdgeLeft;
    case kHitBottomRight: return kEdgeBottom | kEdgeRight;
    default: return 0;
  }
}

bool IsMoveHit(int hitCode) { return hitCode == kHitCaption; }

// ---------------------------------------------------------------------------------------------
// Game buttons

Operation ButtonClickOperation(int type) {
  switch (type) {
    case kTypeLink:
    case kTypePageLink: return Operation::OpenLink;
    case kTypeClose: return Operation::CloseChatAndConfirmRestart;
    case kTypeFill: return Operation::FillWorkArea;
    case kTypeMinimise: return Operation::Minimize;
    case kTypeTray: return Operation::MinimizeToTray;
    case kTypeRestore: return Operation::RestoreNormal;
    case kTypeFullScreen: return Operation::ToggleFullScreen;
    case kTypeGmChat: return Operation::OpenChatWindow;
    case kTypeReload: return Operation::ReloadGamePage;
    case kTypeClearCache: return Operation::ConfirmClearCache;
    default: return Operation::None;
  }
}

Operation ButtonShortcutOperation(int type) {
  switch (type) {
    case kTypeClose:
    case kTypeFill:
    case kTypeMinimise:
    case kTypeTray:
    case kTypeRestore:
    case kTypeFullScreen:
      return ButtonClickOperation(type);
    default:
      return Operation::None;
  }
}

Operation MenuShortcutOperation(int type) {
  switch (type) {
    case 1: return Operation::ConfirmRestart;
    case 2: return Operation::ConfirmClearCache;
    case 3: return Operation::ToggleFullScreen;
    default: return Operation::None;
  }
}

Operation OutsideCommandOperation(int commandId) {
  switch (commandId) {
    case 1526: return Operation::ConfirmRestart;
    case 1527: return Operation::ConfirmClearCache;
    case 1528: return Operation::ToggleFullScreen;
    case 1530: return Operation::MinimizeToTray;
    default: return Operation::None;
  }
}

int OutsideCommandFromLine(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' '))
    --end;
  if (begin == end || end - begin > 5) return 0;
  int id = 0;
  for (std::size_t i = begin; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    id = id * 10 + (text[i] - '0');
  }
  return OutsideCommandOperation(id) == Operation::None ? 0 : id;
}

int ButtonDrawMode(int type) { return (type == kTypeUserName || type == kTypeGmChat) ? 1 : 0; }

bool ButtonStartsHidden(int type) { return type == kTypeUserName || type == kTypeGmChat; }

bool ButtonHasLink(int type) { return type == kTypeLink || type == kTypePageLink; }

Rect InitialButtonRect(const GameButtonItem& record, const GamePicItem& picture, const Rect& work) {
  const int x = record.type == kTypeUserName ? record.x : work.right + record.x;
  return RectOfSize(x, work.top + record.y, picture.width, picture.height);
}

Rect InitialCheckBoxRect(const Rect& buttonRect) {
  return Rect{buttonRect.left - 20, buttonRect.top, buttonRect.left - 5, buttonRect.bottom};
}

Rect PlacedButtonRect(const GameButtonItem& record, int windowWidth, const FrameSizes& sizes,
                      bool maximized) {
  const int x = record.type == kTypeUserName
                    ? record.x + (maximized ? 0 : sizes.W(4))
                    : windowWidth + record.x - (maximized ? 0 : sizes.W(5));
  return RectOfSize(x, record.y, record.width, record.height);
}

Rect PlacedCheckBoxRect(const Rect& placedButton) {
  return RectOfSize(placedButton.left - 20, placedButton.top + 3, 14, 14);
}

// ---------------------------------------------------------------------------------------------
// Shortcuts

ShortcutTable BuildShortcutTable(const std::vector<GameButtonItem>& buttons,
                                 const std::vector<MenuItem>& menus) {
  ShortcutTable table;
  table.fill(Operation::None);
  auto bind = [&table](int shortCut, Operation operation) {
    if (shortCut >= 1 && shortCut <= 12) table[shortCut] = operation;
  };
  for (int type : {kTypeClose, kTypeTray, kTypeFullScreen, kTypeMinimise, kTypeFill, kTypeRestore})
    for (const GameButtonItem& b : buttons)
      if (b.type == type) bind(b.shortCut, ButtonShortcutOperation(type));
  for (int type : {2, 1, 3})
    for (const MenuItem& m : menus)
      if (m.type == type) bind(m.shortCut, MenuShortcutOperation(type));
  return table;
}

int FunctionKeySlot(int virtualKey) {
  return (virtualKey >= kKeyF1 && virtualKey <= kKeyF12) ? virtualKey - (kKeyF1 - 1) : 0;
}

Operation FunctionKeyOperation(const ShortcutTable& table, int virtualKey) {
  const int slot = FunctionKeySlot(virtualKey);
  if (slot == 0 || virtualKey == kKeyF9) return Operation::None;
  return table[slot];
}

KeyDecision GameKeyFilter(int virtualKey, bool chatNotedReturn) {
  if (FunctionKeySlot(virtualKey) != 0) return KeyDecision::Consumed;
  if (virtualKey == kKeyReturn) return chatNotedReturn ? KeyDecision::Base : KeyDecision::NotConsumed;
  if (virtualKey == kKeyEscape) return KeyDecision::NotConsumed;
  return KeyDecision::Base;
}

// ---------------------------------------------------------------------------------------------
// Window states and sizes

int MinimumExtent(int configured, int workExtent) { return std::min(configured, workExtent); }

Rect FirstNormalRect(const Rect& work, int minGameWidth, int minGameHeight) {
  const int x = std::max(0, (work.right - work.left - minGameWidth) / 2);
  const int y = std::max(0, (work.bottom - work.top - minGameHeight) / 2);
  return RectOfSize(x, y, minGameWidth, minGameHeight);
}

Rect ClampSizingRect(const Rect& proposed, int minWidth, int minHeight) {
  Rect r = proposed;
  if (r.width() < minWidth) r.right = r.left + minWidth;
  if (r.height() < minHeight) r.bottom = r.top + minHeight;
  return r;
}

Rect BrowserRectForState(int ww, int wh, const FrameSizes& s, bool maximized) {
  if (maximized) return RectOfSize(0, s.H(2), ww, wh - s.H(2));
  return RectOfSize(s.W(4), s.H(2), ww - s.W(4) - s.W(5), wh - s.H(2) - s.H(7));
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

HotKeyAction HotKeyDecision(const ShortcutTable& table, bool windowVisible) {
  if (!windowVisible) return HotKeyAction::ShowFromTray;
  return table[kHotKeySlot] != Operation::None ? HotKeyAction::RunSlot : HotKeyAction::Nothing;
}

bool TrayClickShowsWindow(TrayClick click) { return click != TrayClick::Other; }

std::string TrayTip(std::string_view notifyTitle) {
  return std::string(codepage::CutAtCharacter(notifyTitle, kTrayTipLimit));
}

// ---------------------------------------------------------------------------------------------
// Completed pages and the title

CompletedPage ClassifyCompletedPage(std::string_view address, std::string_view maxheader) {
  if (Contains(address, maxheader)) return CompletedPage::Game;
  if (Contains(address, "192.168.1")) return CompletedPage::LocalDevice;
  return CompletedPage::Ignored;
}

std::optional<std::string> FindServerIdentifier(std::string_view address) {
  static constexpr std::string_view kMarkers[] = {
      "467/s",      "serverid=s", "server_id=s", "skey=s", "sid=s",
      "serverid=S", "server_id=S", "skey=S",     "sid=S",  "serverid=",
      "server_id=", "skey=",      "sid=",        "serveridx=",
  };
  for (std::size_t m = 0; m < std::size(kMarkers); ++m) {
    const std::size_t start = address.find(kMarkers[m]);
    if (start == std::string_view::npos) continue;
    const std::size_t end = m == 0 ? address.size() : address.find('&', start);
    if (end == std::string_view::npos) continue;
    const std::size_t from = start + kMarkers[m].size();
    return std::string(address.substr(from, end - from));
  }
  return std::nullopt;
}

std::string ServerSuffix(std::string_view identifier) {
  const std::string id(identifier);
  const int number = ParseDecimal(id.c_str());
  auto at = [&id](std::size_t i) { return i < id.size() ? id[i] : '\0'; };
  if (number <= 8000) return codepage::Utf8ToSystem(" [双线") + id + codepage::Utf8ToSystem("服]");
  // The server number is the third to fifth characters; at most two leading zeros are dropped.
  std::size_t first = 2;
  if (at(2) == '0') first = at(3) != '0' ? 3 : (at(4) != '0' ? 4 : 5);
  std::string digits;
  for (std::size_t i = first; i <= 4; ++i)
    if (at(i) != '\0') digits += at(i);
  return codepage::Utf8ToSystem(" [不删档") + digits + codepage::Utf8ToSystem("服]");
}

std::optional<std::string> ComposeServerTitle(std::string_view address, std::string_view storedTitle) {
  const std::optional<std::string> identifier = FindServerIdentifier(address);
  if (!identifier) return std::nullopt;
  return std::string(storedTitle) + ServerSuffix(*identifier);
}

std::string TitleText(std::string_view text) {
  return std::string(codepage::CutAtCharacter(text, kTitleTextLimit));
}

std::string StoredTitle(std::string_view text) {
  return std::string(codepage::CutAtCharacter(text, kStoredTitleLimit));
}

std::string TitleWithServerName(std::string_view title, std::string_view serverName) {
  std::string text(title);
  text += serverName;
  return TitleText(text);
}

std::string PageCommandTitle(std::string_view storedTitle, std::string_view parameter) {
  std::string text(storedTitle);
  text += '-';
  text += parameter;
  return TitleText(text);
}

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
// GM chat window

ChatButtonFit FitChatButton(const GameButtonItem& record, int captionWidth,
                            const std::vector<Rect>& others) {
  const Rect own = ButtonRecordRect(record);
  // Repeated namings keep the same right edge: each fit starts from the current record.
  int leftLimit = std::numeric_limits<int>::min();
  for (const Rect& other : others) {
    const bool sameRows = other.top < own.bottom && own.top < other.bottom;
    if (sameRows && other.right <= own.right && other.left < own.right)
      leftLimit = std::max(leftLimit, other.right);
  }
  int width = std::max(0, captionWidth);
  if (leftLimit != std::numeric_limits<int>::min()) width = std::min(width, own.right - leftLimit);
  return ChatButtonFit{own.right - width, width};
}

Rect ButtonRecordRect(const GameButtonItem& record) {
  return RectOfSize(record.x, record.y, record.width, record.height);
}

std::array<int, 3> BlinkImageOrder(bool phase) {
  return phase ? std::array<int, 3>{2, 1, 0} : std::array<int, 3>{0, 1, 2};
}

}  // namespace game
