#pragma once
// The GM chat window: a small borderless window around the operator's chat page, made hidden by
// the game window and shown when the player opens the chat.
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/web/PageArg.h"
#include "web/WebPage.h"

struct LookupResult;
class CLauncherConfig;
class IGameWindowProvider;
class IGameWindow;
class CWebBrowserEx;
class CxSkinButton;
class GameDialogCallback;

class CGmChatWnd : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kBrowserId = 170;

  // `gameWindow` is not owned; `owner` (the game window's widget) owns this window, so the chat
  // stays usable while the game window runs modally. The page's window.external acts on the
  // application's current game window, as `games` gives it.
  CGmChatWnd(IGameWindow* gameWindow, QWidget* owner, CLauncherConfig& config,
             const IGameWindowProvider& games);
  ~CGmChatWnd() override;

  // Makes the close button and the browser for a chat page of chatWidth x chatHeight inside a
  // border of chatBorder, then centres the window in `workArea` and leaves it hidden. False when
  // creation stopped early (the window itself stays). The chat page follows with its address
  // (OnChatAddress).
  bool CreateChatWindow(const QRect& workArea, int chatWidth, int chatHeight, int chatBorder);

  // The answer of the chat address lookup: a non-empty address starts the chat page. Without a
  // browser, or once a page has been started, nothing happens.
  void OnChatAddress(const LookupResult& address);

  // The page's getGsName (101) and getNewMsg (102); other ids do nothing.
  void HandlePageCall(int dispId, const std::vector<PageArg>& args);

  // The title painted in the title strip (system code page).
  const std::string& GetTitleText() const { return titleText; }

  // Fields of the window's data model.
  std::unique_ptr<GameDialogCallback> external;
  CWebBrowserEx* browser = nullptr;        // child of this window
  CxSkinButton* closeButton = nullptr;     // child of this window
  IGameWindow* gameWindow = nullptr;
  CWebPage page;
  QRect browserRect;
  bool enterPressed = false;  // a Return went down here; the game window reads and clears it

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;  // Return notes enterPressed

 private:
  bool OnCreate(int chatWidth, int chatHeight, int chatBorder);
  void OnDocumentComplete();
  void OnButtonCommand(int controlId);
  void SetChatName(const std::vector<PageArg>& args);

  CLauncherConfig* config = nullptr;
  std::string titleText;
  bool pageStarted = false;
  bool dragging = false;
  QPoint dragOffset;
};
