#include "web/ClientCall.h"

#include "core/web/ExternalDispatch.h"
#include "web/GameWindow.h"

int ClientCall::GetIDsOfNames(const std::string& /*name*/) { return 0; }

long ClientCall::Invoke(int /*dispId*/, const std::vector<PageArg>& /*args*/) {
  return external::kNotImplemented;
}

int GameDialogCallback::GetIDsOfNames(const std::string& name) { return external::DispIdOf(name); }

long GameDialogCallback::Invoke(int dispId, const std::vector<PageArg>& args) {
  IGameWindow* game = games.CurrentGameWindow();
  switch (dispId) {
    case external::kJsCallClient:
      if (game != nullptr && !args.empty()) game->OnPageCommand(args);
      return external::kOk;
    case external::kGetGsName:
      if (game == nullptr) return external::kFalse;
      // awaitingGmName clears on any getGsName; the chat window reads the name only from a
      // string first argument (external::GsNameArgument).
      game->OnGsName(args);
      return external::kOk;
    case external::kGetNewMsg:
      if (game == nullptr) return external::kFalse;
      game->OnNewMsg();
      return external::kOk;
    case external::kIs360Game:
      if (game == nullptr) return external::kFalse;
      game->RelayoutIfPlaced();
      return external::kOk;
    default:
      return external::kOk;
  }
}
