#pragma once
// The objects pages reach as window.external: ClientCall answers nothing, GameDialogCallback
// carries the four methods to the application's current game window.
#include <string>
#include <vector>

#include "core/web/PageArg.h"

class IGameWindowProvider;

class ClientCall {
 public:
  virtual ~ClientCall() = default;
  // Dispatch id of a method name; 0 when unknown.
  virtual int GetIDsOfNames(const std::string& name);
  // Runs a call with the arguments in the page's order; returns an external::Result code.
  virtual long Invoke(int dispId, const std::vector<PageArg>& args);
};

// One instance per host; every instance acts on the application's current game window, not on
// its host.
class GameDialogCallback : public ClientCall {
 public:
  explicit GameDialogCallback(const IGameWindowProvider& games) : games(games) {}
  int GetIDsOfNames(const std::string& name) override;
  long Invoke(int dispId, const std::vector<PageArg>& args) override;

 private:
  const IGameWindowProvider& games;
};
