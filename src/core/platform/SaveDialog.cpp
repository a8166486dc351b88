#include "core/platform/SaveDialog.h"

#include <cstdio>
#include <utility>

#include "core/platform/TerminationSignal.h"

namespace platform {
namespace {
SaveDialogHandler& Handler() {
  static SaveDialogHandler handler;
  return handler;
}
}  // namespace

SaveDialogHandler SetSaveDialogHandler(SaveDialogHandler handler) {
  return std::exchange(Handler(), std::move(handler));
}

void AskSavePath(const SaveDialogRequest& request, SaveDialogAnswer answer) {
  if (Handler() && !TerminationRequested()) {
    Handler()(request, std::move(answer));
    return;
  }
  std::fprintf(stderr, "[%s] not saved: %s\n", request.caption.c_str(), request.suggestedPath.c_str());
  answer({});
}

}  // namespace platform
