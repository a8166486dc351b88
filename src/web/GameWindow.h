#pragma once
// What the page bridge (window.external) acts on: the application's current game window.
#include <vector>

#include "web/PageArg.h"

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
};
