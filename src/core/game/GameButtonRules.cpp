#include "core/game/GameButtonRules.h"

#include <algorithm>
#include <limits>

namespace game {

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
    case kCommandRestart: return Operation::ConfirmRestart;
    case kCommandClearCache: return Operation::ConfirmClearCache;
    case kCommandFullScreen: return Operation::ToggleFullScreen;
    case kCommandTray: return Operation::MinimizeToTray;
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

HotKeyAction HotKeyDecision(const ShortcutTable& table, bool windowVisible) {
  if (!windowVisible) return HotKeyAction::ShowFromTray;
  return table[kHotKeySlot] != Operation::None ? HotKeyAction::RunSlot : HotKeyAction::Nothing;
}

// ---------------------------------------------------------------------------------------------
// GM chat button

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

}  // namespace game
