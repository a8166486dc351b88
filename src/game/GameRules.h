#pragma once
// Pure rules of the game window and its GM chat window: geometry, hit test, button types,
// shortcuts, window states, server title, page commands and page reports. No Qt.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/LauncherConfig.h"
#include "skin/SkinRules.h"
#include "web/ChatRules.h"
#include "web/PageArg.h"

namespace game {

using Rect = skin::Rect;
using Point = skin::Point;

// ---------------------------------------------------------------------------------------------
// Frame pieces (numbered 1..8: corners 1 3 6 8, edges 2 top, 4 left, 5 right, 7 bottom)

constexpr int kPieceCount = 8;

// Width and height of each frame piece; a piece without a picture is 0 x 0.
struct FrameSizes {
  std::array<int, kPieceCount> widths{};   // piece i at [i - 1]
  std::array<int, kPieceCount> heights{};
  int W(int piece) const { return widths[piece - 1]; }
  int H(int piece) const { return heights[piece - 1]; }
};

// Where each piece comes from in the style image.
struct FrameCut {
  std::array<bool, kPieceCount> present{};  // false: edgeImage<i> names no picture; nothing to cut
  std::array<Rect, kPieceCount> sources{};  // area of the style image, piece i at [i - 1]
  FrameSizes sizes;
};

// Piece i is picture edgeImages[i-1] (counted from 1). A number naming no picture (0, negative,
// beyond the list, or a missing edgeImage entry) leaves that piece empty and reads nothing.
FrameCut CutFramePieces(const std::vector<int>& edgeImages, const std::vector<GamePicItem>& pictures);

// Destination of piece i (at [i - 1]) in the normal state, for a client area of cw x ch.
std::array<Rect, kPieceCount> FramePieceDestinations(const FrameSizes& sizes, int cw, int ch);

struct PieceDraw {
  int piece = 0;  // 1..8
  Rect destination;
};

// The pieces to stretch onto the window, in painting order: none in full screen, only piece 2
// across (0, 0, cw, H2) when filling the work area, else all eight in the order 1 3 2 4 5 6 8 7.
std::vector<PieceDraw> FramePaintPlan(const FrameSizes& sizes, int cw, int ch, bool maximized,
                                      bool fullScreen);

// ---------------------------------------------------------------------------------------------
// Title band

constexpr unsigned kTitleBandColour = 0x000B0752;  // 0x00BBGGRR: red 82, green 7, blue 11
constexpr int kUserNameBoxWidth = 100;
constexpr int kTitleTextLimit = 255;  // titleText holds at most this many bytes
constexpr int kStoredTitleLimit = 127;  // the stored title setting holds at most this many

// (titlex, titley, titlex + titleWidth, titley + titleHeight).
Rect TitleBandRect(const LauncherSettings& settings);

// The player-name box: 100 pixels ending at userNameRight, as high as the title band.
Rect UserNameBox(int userNameRight, const Rect& titleRect);

// ---------------------------------------------------------------------------------------------
// Hit test and cursors (Windows hit-test codes)

enum HitCode : int {
  kHitClient = 1,
  kHitCaption = 2,
  kHitSysMenu = 3,
  kHitMenu = 5,
  kHitLeft = 10,
  kHitRight = 11,
  kHitTop = 12,
  kHitTopLeft = 13,
  kHitTopRight = 14,
  kHitBottom = 15,
  kHitBottomLeft = 16,
  kHitBottomRight = 17,
};

// The hit code of screen point p on a window at `window` (screen coordinates). Client everywhere
// in full screen or when filling the work area; there is no top sizing edge: the top band moves.
int HitTest(Point p, const Rect& window, const FrameSizes& sizes, bool maximized, bool fullScreen);

enum class CursorShape { Arrow, SizeVertical, SizeHorizontal, SizeNwSe, SizeNeSw };
CursorShape CursorForHit(int hitCode);

// Edges a press on a sizing code drags, as a bit set; 0 for move or client codes.
enum ResizeEdge : int { kEdgeLeft = 1, kEdgeTop = 2, kEdgeRight = 4, kEdgeBottom = 8 };
int ResizeEdgesForHit(int hitCode);
// A press on this code moves the window.
bool IsMoveHit(int hitCode);

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
// An outside command id (1526, 1527, 1528, 1530) and its operation; None for any other.
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
constexpr int kKeyF1 = 0x70;
constexpr int kKeyF9 = 0x78;
constexpr int kKeyF12 = 0x7B;
constexpr int kKeyReturn = 0x0D;
constexpr int kKeyEscape = 0x1B;
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

// ---------------------------------------------------------------------------------------------
// Window states and sizes

// The smaller of a configured minimum and the work area's extent.
int MinimumExtent(int configured, int workExtent);

// The first normal rectangle: a minGameWidth x minGameHeight window centred in the work area's
// size (offsets truncated, raised to 0 when negative), not shifted by the work area's origin.
Rect FirstNormalRect(const Rect& work, int minGameWidth, int minGameHeight);

// A rectangle proposed while the border is dragged, widened/heightened at its right/bottom edge
// to the minimum size.
Rect ClampSizingRect(const Rect& proposed, int minWidth, int minHeight);

// The browser's rectangle in a ww x wh window: below the top band across the full width when
// filling the work area, else inside pieces 4, 2, 5 and 7.
Rect BrowserRectForState(int ww, int wh, const FrameSizes& sizes, bool maximized);

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

// The hot key (Alt+D): runs slot 9 while the window is visible, else brings it back from the tray.
enum class HotKeyAction { Nothing, RunSlot, ShowFromTray };
HotKeyAction HotKeyDecision(const ShortcutTable& table, bool windowVisible);

enum class TrayClick { LeftUp, LeftDoubleClick, RightUp, Other };
// The tray icon brings the window back on left release, left double click and right release.
bool TrayClickShowsWindow(TrayClick click);

constexpr int kTrayTipLimit = 63;
// The tray tip: the notification title, cut to the tip's capacity on a character boundary.
std::string TrayTip(std::string_view notifyTitle);

// ---------------------------------------------------------------------------------------------
// Completed pages and the title (8-bit texts in the system code page)

enum class CompletedPage {
  Game,         // address contains maxheader: attach, compose the title, show the page
  LocalDevice,  // contains "192.168.1": attach and show only
  Ignored,
};
CompletedPage ClassifyCompletedPage(std::string_view address, std::string_view maxheader);

// The server identifier by the marker table: the first marker found with its end ("&" after it,
// or the address end for "467/s"); nullopt when no marker matches.
std::optional<std::string> FindServerIdentifier(std::string_view address);

// " [双线<id>服]" for numbers up to 8000, " [不删档<digits>服]" above, in the system code page.
std::string ServerSuffix(std::string_view identifier);

// The stored title followed by the server suffix of the address, or nullopt when no marker
// matches (nothing changes). The result is whole; callers store it and cut titleText with
// TitleText.
std::optional<std::string> ComposeServerTitle(std::string_view address, std::string_view storedTitle);

// titleText from a longer text: cut to 255 bytes on a character boundary of the code page.
std::string TitleText(std::string_view text);
// The stored title setting from a composed title: cut to 127 bytes the same way.
std::string StoredTitle(std::string_view text);

// titleText once the server's name is known: the title followed directly by the name.
std::string TitleWithServerName(std::string_view title, std::string_view serverName);

// titleText for page command 6: "<stored title>-<parameter>", cut like TitleText.
std::string PageCommandTitle(std::string_view storedTitle, std::string_view parameter);

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
// GM chat window

constexpr int kBlinkPeriodMs = 500;

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

// The three images (0 normal, 1 pressed, 2 hovered) in SetImages order for a blink step:
// (2, 1, 0) when `phase`, else (0, 1, 2).
std::array<int, 3> BlinkImageOrder(bool phase);

}  // namespace game
