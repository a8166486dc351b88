#pragma once
// The game window: the game page inside the operator's frame, title band and image buttons.
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/config/FixedText.h"
#include "core/game/GameButtonRules.h"
#include "core/game/GameFrameRules.h"
#include "core/net/PlatformApi.h"
#include "web/GameWindow.h"
#include "web/WebPage.h"
#include "windows/game/BossKey.h"
#include "windows/game/FrameSkin.h"
#include "windows/game/TitleBand.h"

class CGmChatWnd;
class CLauncherConfig;
class CWebBrowser;
class CWebBrowserEx;
class CxSkinButton;
class GameDialogCallback;
class QCheckBox;
class QCloseEvent;
class QEvent;
class QKeyEvent;
class QLabel;
class QMouseEvent;
class QPaintEvent;
class QPainter;
class QResizeEvent;
class QSystemTrayIcon;
class QSocketNotifier;
class GameCommandChannel;
class QTimer;
class QWebEnginePage;

namespace net {
class BackgroundWork;
class Cancellation;
}  // namespace net

// The part of a window placement the window states use: the rectangle of the normal position.
struct GameWindowPlacement {
  QRect normalRect;
};

class CGameDialog : public QDialog, public IGameWindow {
  Q_OBJECT

 public:
  // An operation a function key, a button or an outside command runs.
  using Operation = void (CGameDialog::*)();

  // Control ids (kept as object names "control<id>" and property "controlId").
  static constexpr int kBrowserId = game::kBrowserId;
  static constexpr int kButtonIdBase = game::kButtonIdBase;  // + button type
  static constexpr int kCheckBoxId = game::kCheckBoxId;
  static constexpr int kLogoId = game::kLogoId;
  // Command ids accepted from outside the program.
  static constexpr int kCommandRestart = game::kCommandRestart;
  static constexpr int kCommandClearCache = game::kCommandClearCache;
  static constexpr int kCommandFullScreen = game::kCommandFullScreen;
  static constexpr int kCommandTray = game::kCommandTray;

  // `config` outlives the window; the page bridge of the window's pages acts on the application's
  // current game window, as `games` gives it.
  CGameDialog(CLauncherConfig& config, const IGameWindowProvider& games, QWidget* parent = nullptr);
  ~CGameDialog() override;

  // --- set-up (GameDialog.cpp) ---

  // The game page's address (8-bit text, at most 255 characters kept); before the window runs.
  void SetGameUrl(const std::string& address);

  // Set-up in its fixed order; false when it stopped early (the window stays as far as made).
  // Runs once, the first time the window is shown.
  bool OnInitDialog();
  bool IsSetUpComplete() const { return setUpComplete; }
  // The skin alone, for a preview: frame pieces, title band showing `title`, buttons and logo
  // laid out in the normal state at `size`. No browser, lookups, keys or channels; the window
  // is never shown (render it with grab()).
  bool SetUpSkinPreview(const QSize& size, const std::string& title);

  // Answers of the set-up's lookups, applied on the window's thread in whatever order they
  // arrive: the player's name to the title band, the server's name to the title while set-up's
  // title stands (both in GameDialogTitle.cpp), the chat address to the chat window. A failure
  // shows its text under set-up's title once the window is shown: the player name's before the
  // server name's.
  void OnUserNameLookup(const LookupResult& result);
  void OnServerNameLookup(const LookupResult& result);
  void OnChatAddressLookup(const LookupResult& result);
  // Set-up lookups whose answer has not been applied yet.
  int OutstandingLookups() const;

  // The game browser finished a document at `url`: the top one or a sub-frame's (`document` is
  // the one to attach for script calls).
  void OnDocumentComplete(const QString& url, bool topFrame, CWebPageDocument* document);

  // --- frame: pieces, painting, layout, hit test, moving and sizing (GameDialogFrame.cpp) ---
  void LayoutChildren();
  int OnNcHitTest(const QPoint& globalPos) const;  // hit-test code of a screen point
  void OnSetCursor(int hitCode);

  // --- buttons and keys (GameDialogButtons.cpp) ---
  bool CreateGameButtons(const QImage& style, const QRect& workArea);
  // Button ids 180+type and the outside ids 1526, 1527, 1528, 1530; false when not handled.
  bool OnCommand(int id);
  void PlaceButtons();
  void RegisterShortcuts();
  CxSkinButton* FindButtonByType(int type) const;
  bool RunShortcut(int slot);  // runs shortcuts[slot] when it holds an operation
  void CloseChatAndConfirmRestart();
  void ReloadGamePage();
  void ShowChatButton(const std::string& name) override;
  void OnHotKey();
  // Opens the per-user channel through which other programs send 1526, 1527, 1528 and 1530.
  void ListenForOutsideCommands();

  // --- window states and questions (GameDialogStates.cpp) ---
  void FillWorkArea();
  void RestoreNormal();
  void EnterFullScreen();
  void LeaveFullScreen();
  void ToggleFullScreen();
  // The page's own full-screen request (on) or its leaving it (off); true when followed.
  bool OnPageFullScreen(bool on);
  void ExitPageFullScreen();  // asks the page to leave its own full screen
  void MinimizeToTray();
  void OnTrayActivated(int reason);  // QSystemTrayIcon::ActivationReason
  void ConfirmRestart();
  void RestartProgram();
  void accept() override;  // OnOK: runs OnCancel
  void reject() override;  // OnCancel: close question, restart on OK
  // Ends the modal run with OK at once: no question, no restart.
  void EndDialog();
  void ConfirmClearCache();
  void PurgeUrlCache();

  // --- title band (GameDialogTitle.cpp) ---
  void ComposeServerTitle(const std::string& address);
  void DrawTitle();            // repaints the title band now (nothing in full screen)

  // --- page bridge (GameDialogBridge.cpp) ---
  void OnPageCommand(const std::vector<PageArg>& args) override;
  void OnGsName(const std::vector<PageArg>& args) override;
  void OnNewMsg() override;
  void RelayoutIfPlaced() override;
  void StartChatBlink() override;
  void HideChatWindow() override;
  void BlinkStep();
  void OpenChatWindow();
  // The chat button's images in resting order, or blinking (third image at rest); false when the
  // style image or the button's picture is missing.
  bool SetChatButtonImages(CxSkinButton* chatButton, bool blinkShown);
  void ReportMouseToPage(int code, int screenX, int screenY, int shift);
  void CallClientJs(int code, const std::string& valuesText = std::string());
  // Right-button press and release reports; true when consumed.
  bool PreTranslateMouseReport(QObject* target, QEvent* event);

  // Read access for tests and the other parts.
  CWebBrowserEx* GetBrowser() const { return browser; }
  CGmChatWnd* GetChatWindow() const { return chatWindow; }
  const std::vector<CxSkinButton*>& GetButtons() const { return buttons; }
  const char* GetTitleText() const { return titleBand.GetTitleText().c_str(); }
  const char* GetUserName() const { return titleBand.GetUserName().c_str(); }
  const char* GetServerName() const { return titleBand.GetServerName().c_str(); }
  CTitleBand& TitleBand() { return titleBand; }
  const char* GetGameUrl() const { return gameUrl.c_str(); }
  QRect GetTitleRect() const { return titleBand.GetRect(); }
  int GetEdgeWidth(int piece) const { return IsPiece(piece) ? frameSkin.Sizes().W(piece) : 0; }
  int GetEdgeHeight(int piece) const { return IsPiece(piece) ? frameSkin.Sizes().H(piece) : 0; }
  const game::FrameSizes& GetFrameSizes() const { return frameSkin.Sizes(); }
  Operation GetShortcut(int slot) const { return shortcuts.at(slot); }
  bool IsFullScreen() const { return fullScreen; }
  bool IsSoundHeldByBossKey() const { return bossKey->IsSoundHeld(); }
  CBossKey* GetBossKey() const { return bossKey; }
  bool IsMaximized() const { return maximized; }
  bool IsLayoutReady() const { return layoutReady; }
  int GetMinWidth() const { return minWidth; }
  int GetMinHeight() const { return minHeight; }
  CWebPage& GetPage() { return page; }
  QLabel* GetLogo() const { return logo; }
  QCheckBox* GetCheckBox() const { return checkBox; }
  const QImage& GetEdgeBitmap(int piece) const { return frameSkin.Piece(piece); }

 protected:
  void setVisible(bool visible) override;  // runs OnInitDialog before the first showing
  bool eventFilter(QObject* watched, QEvent* event) override;  // PreTranslateMessage
  // Frame (GameDialogFrame.cpp).
  void paintEvent(QPaintEvent* event) override;  // OnPaint
  void resizeEvent(QResizeEvent* event) override;  // OnSize
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // Window states (GameDialogStates.cpp).
  void closeEvent(QCloseEvent* event) override;    // the close command: OnCancel

 private:
  // Set-up and the message filter (GameDialog.cpp).
  using Lookup = std::function<LookupResult(const net::Cancellation&)>;
  // Runs `lookup` on a thread of its own; `apply` gets its answer on the window's thread.
  std::unique_ptr<net::BackgroundWork> StartLookup(Lookup lookup,
                                                   void (CGameDialog::*apply)(const LookupResult&));
  void ShowLookupFailures();
  bool PreTranslateMessage(QObject* target, QEvent* event);
  bool IsOwnWidget(QObject* target) const;
  // The chat window is this window's child but keeps its own keys and clicks.
  bool IsInChatWindow(QObject* target) const;

  // Frame.
  static bool IsPiece(int piece) { return piece >= 1 && piece <= game::kPieceCount; }
  void OnPaint(QPainter& painter);
  // The browser's rectangle for the window's current state.
  QRect BrowserRectNow() const;

  // Buttons and keys.
  static Operation MemberOperation(game::Operation operation);
  bool CreateLogo();
  bool PreTranslateFunctionKey(QKeyEvent* event);
  // Return and Escape go to the page; true when consumed.
  bool PreTranslateReturnEscape(QObject* target, QEvent* event);
  // The pages the boss key silences: the game page and the chat page.
  std::vector<CWebBrowser*> SoundPages() const;

  // Window states.
  void FillAndLayout();     // type 6
  void RestoreAndLayout();  // type 10
  void MinimizeWindow();    // type 7
  void ShowStateButtons();  // the fill and restore buttons for the current state
  void ShowFromTray();
  // Shows the window first when it is in the tray or minimised (before a question).
  void BringUpForQuestion();
  void AskAndRestart(const std::string& utf8Caption);
  // The double click on the title band toggles fill and normal; true when consumed.
  bool PreTranslateTitleDoubleClick(QObject* target, QEvent* event);
  QRect WorkArea() const;


 public:
  // Fields, in the order of the window's data model.
  CGmChatWnd* chatWindow = nullptr;
  bool awaitingGmName = true;
  CWebBrowserEx* browser = nullptr;
  FixedText<256> gameUrl;
  QTimer* blinkTimer = nullptr;  // running = the chat button blinks
  QLabel* logo = nullptr;
  std::vector<CxSkinButton*> buttons;  // children of this window
  std::unique_ptr<GameDialogCallback> external;
  std::array<Operation, game::kShortcutSlots> shortcuts{};  // slots 1..12 = F1..F12; slot 9 also the hot key
  game::ShortcutTable shortcutTable{};  // what each slot runs, as the rules decide
  bool fullScreen = false;
  bool maximized = false;
  QRect fullScreenRect;
  GameWindowPlacement fullScreenPlacement;
  GameWindowPlacement normalPlacement;  // its normalRect is the normal state's rectangle
  bool hasNormalRect = false;
  int minWidth = 0;
  int minHeight = 0;
  bool layoutReady = false;
  QIcon icon;
  CWebPage page;
  int chatWidth = 434;
  int chatHeight = 383;
  int chatBorder = 4;
  bool blinkPhase = false;
  QRect browserRect;
  // Platform objects of the window.
  QCheckBox* checkBox = nullptr;  // id 197, made with a button of type 18
  QSystemTrayIcon* trayIcon = nullptr;
  CBossKey* bossKey = nullptr;  // Alt+D (hotKey) and the pages' held sound; child of this window
  GameCommandChannel* commandChannel = nullptr;  // child of this window
  bool pageFullScreen = false;         // the page is in its own full screen
  bool pageEnteredFullScreen = false;  // ... and the window entered full screen for it

 private:
  CLauncherConfig* config = nullptr;
  const IGameWindowProvider& games;
  bool initialised = false;
  bool filterInstalled = false;
  bool setUpComplete = false;
  // The set-up lookups in flight; dropping one cancels it and discards its answer.
  std::unique_ptr<net::BackgroundWork> userLookup;
  std::unique_ptr<net::BackgroundWork> serverLookup;
  std::unique_ptr<net::BackgroundWork> chatLookup;
  std::optional<LookupResult> chatAddress;  // arrived before the chat window was made
  // Something replaced set-up's title (a completed game page, page command 6): a server name
  // arriving later no longer extends it, just as it would not have had it come first.
  CFrameSkin frameSkin;  // the pieces 1..8 (edgeBitmaps) and their sizes
  CTitleBand titleBand;  // titleText, titleRect, userName, serverName and their painting
  bool titleReplaced = false;
  // A game page has completed; its renderer died and the page is being loaded again, so its
  // next completion leaves the title as it is.
  bool gamePageCompleted = false;
  bool titleKeptOnReload = false;
  // Failure texts of the user-name and server-name lookups not shown yet, and the caption
  // they are shown under: the title the window had at set-up (UTF-8).
  std::optional<std::string> userNameFailure;
  std::optional<std::string> serverNameFailure;
  std::string setUpTitle;
  bool showingLookupFailure = false;
  // Manual move/resize when the window system offers no system move.
  int dragCode = 0;
  QPoint dragStart;
  QRect dragStartGeometry;
};

