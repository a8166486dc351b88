#pragma once
// What the page bridge (window.external) and the GM chat window act on: the application's
// current game window. The browser layer knows the game window only through these interfaces.
#include <string>
#include <vector>

#include "core/web/PageArg.h"

class IGameWindow {
 public:
  virtual ~IGameWindow() = default;
  // JsCallClient(command, [parameters...]): arguments in the page's order.
  virtual void OnPageCommand(const std::vector<PageArg>& args) = 0;
  // getGsName(name): clears awaitingGmName and passes the call to the chat window (101), which
  // takes the name only from a string first argument (external::GsNameArgument).
  virtual void OnGsName(const std::vector<PageArg>& args) = 0;
  // getNewMsg(): the chat window starts the chat-button blink (102).
  virtual void OnNewMsg() = 0;
  // Is360Game()
  virtual void RelayoutIfPlaced() = 0;

  // From the chat window: the page named the GM (system code page); the chat button takes the
  // name as its caption, fitted to it, and shows.
  virtual void ShowChatButton(const std::string& name) = 0;
  // From the chat window: a new GM message; the chat button blinks until the chat is opened.
  virtual void StartChatBlink() = 0;
  // From the chat window's close button.
  virtual void HideChatWindow() = 0;
};

// The application's current game window (null while none runs), as the page bridge and the GM
// chat window reach it. The application implements it; lower layers are handed a reference.
class IGameWindowProvider {
 public:
  virtual ~IGameWindowProvider() = default;
  virtual IGameWindow* CurrentGameWindow() const = 0;
};
