#pragma once
// Pure rules of the game window's buttons and keys: button types and what they run, where the
// buttons go, function keys, the hot key, outside commands and the GM chat button's width. No Qt.

#include <array>
#include <string_view>
#include <vector>

#include "core/config/LauncherConfig.h"
#include "core/game/GameFrameRules.h"
#include "core/platform/VirtualKeys.h"
#include "core/skin/SkinRules.h"
#include "core/web/ChatRules.h"

namespace game {

// ---------------------------------------------------------------------------------------------
// Game buttons

using skin::kButtonIdBase;
constexpr int kLogoId = 300;
constexpr int kCheckBoxId = 197;
constexpr int kBrowserId = chat::kBrowserId;  // the game's and the chat's browsers alike

enum ButtonType : int {
  kTypeLink = 1,
  kTypeClose = 5,
  kTypeFill = 6,
  kTypeMinimise = 7,
  kTypeTray = 8,
  kTypeRestore = 10,
  kTypeFullScreen = 11,
  kTypePageLink = 12,
  kTypeUserName = 13,
  kTypeGmChat = 14,
  kTypeReload = 15,
  kTypeClearCache = 16,
  kTypeNothing17 = 17,
  kTypeCheckBox = 18,
};

// Everything a button, a function key, a menu record or an outside command can run.
enum class Operation {
  None,
  OpenLink,                    // the button opens its own link (types 1 and 12)
  CloseChatAndConfirmRestart,  // type 5
  FillWorkArea,                // type 6: FillWorkArea, then LayoutChildren
  Minimize,                    // type 7
  MinimizeToTray,              // type 8
  RestoreNormal,               // type 10: RestoreNormal, then LayoutChildren
  ToggleFullScreen,            // type 11
  OpenChatWindow,              // type 14
  ReloadGamePage,              // type 15
  ConfirmClearCache,           // type 16
  ConfirmRestart,              // menu type 1, command 1526
};

using skin::ButtonIdForType;  // 180 + type
// What a click on a button of this type does.
Operation ButtonClickOperation(int type);
// What a function key bound to a button of this type runs; None for types without one.
Operation ButtonShortcutOperation(int type);
// What a function key bound to a menu record of this type runs.
Operation MenuShortcutOperation(int type);
// Command ids other programs send to the running game window.
constexpr int kCommandRestart = 1526;
constexpr int kCommandClearCache = 1527;
constexpr int kCommandFullScreen = 1528;
constexpr int kCommandTray = 1530;
// An outside command id (kCommand...) and its operation; None for any other.
Operation OutsideCommandOperation(int commandId);
// The id one line of the outside-command channel names: decimal digits with blanks before and
// a line end after; 0 when it is not exactly one of the accepted ids.
int OutsideCommandFromLine(std::string_view line);

int ButtonDrawMode(int type);     // 1 (stretched) for types 13 and 14, else 0
bool ButtonStartsHidden(int type);  // 13 (never shown) and 14 (until the GM is named)
bool ButtonHasLink(int type);     // 1 and 12

using skin::ButtonImageSources;
using skin::ButtonPicture;

// Rectangle of a button when created: type 13 at its own x, others at work.right + x; y counts
// from work.top.
Rect InitialButtonRect(const GameButtonItem& record, const GamePicItem& picture, const Rect& work);
// The type-18 check box when created: (x - 20, y, x - 5, bottom) of its button's rectangle.
Rect InitialCheckBoxRect(const Rect& buttonRect);

// Rectangle of a placed button in a window `windowWidth` wide: type 13 at x (+ W4 unless
// maximized), others at windowWidth + x (- W5 unless maximized); y is the record's own.
Rect PlacedButtonRect(const GameButtonItem& record, int windowWidth, const FrameSizes& sizes,
                      bool maximized);
// The type-18 check box beside a placed button: (x - 20, y + 3), 14 x 14.
Rect PlacedCheckBoxRect(const Rect& placedButton);

// ---------------------------------------------------------------------------------------------
// Shortcuts: slots 1..12 for F1..F12; slot 9 belongs to the hot key (Alt+D)

constexpr int kShortcutSlots = 13;
constexpr int kHotKeySlot = 9;
using platform::kKeyEscape;
using platform::kKeyF1;
using platform::kKeyF12;
using platform::kKeyF9;
using platform::kKeyReturn;
constexpr int kHotKeyVirtualKey = 0x44;  // D, with Alt

using ShortcutTable = std::array<Operation, kShortcutSlots>;

// Game-button types 5, 8, 11, 7, 6, 10, then menu types 2, 1, 3, each over all records; a record
// with 1 <= shortCut <= 12 sets its slot, later assignments replacing earlier ones.
ShortcutTable BuildShortcutTable(const std::vector<GameButtonItem>& buttons,
                                 const std::vector<MenuItem>& menus);

// 1..12 for F1..F12, 0 for any other key.
int FunctionKeySlot(int virtualKey);
// What a function-key press runs: the slot's operation, never anything for F9.
Operation FunctionKeyOperation(const ShortcutTable& table, int virtualKey);

enum class KeyDecision {
  Consumed,     // the key goes no further (function keys)
  NotConsumed,  // the key goes to the focused page untranslated (Return, Escape)
  Base,         // the dialog's ordinary handling decides
};
// The game window's filter of a key press; `chatNotedReturn`: the chat window noted a Return
// (the caller clears that flag when the decision is Base for Return).
KeyDecision GameKeyFilter(int virtualKey, bool chatNotedReturn);

// The hot key (Alt+D): runs slot 9 while the window is visible, else brings it back from the tray.
enum class HotKeyAction { Nothing, RunSlot, ShowFromTray };
HotKeyAction HotKeyDecision(const ShortcutTable& table, bool windowVisible);

// ---------------------------------------------------------------------------------------------
// GM chat button

// The chat button fitted to the GM's name. `captionWidth` is the name as the button draws it
// (its font, with its caption margins). The button keeps its right edge (x + width of the record)
// and its left edge moves, but never over a button of `others` (their record rectangles) that
// lies left of that edge in the same rows.
struct ChatButtonFit {
  int x = 0;
  int width = 0;
};
ChatButtonFit FitChatButton(const GameButtonItem& record, int captionWidth,
                            const std::vector<Rect>& others);
// A button record's rectangle in the title band's own terms: (x, y, x + width, y + height).
Rect ButtonRecordRect(const GameButtonItem& record);

}  // namespace game
