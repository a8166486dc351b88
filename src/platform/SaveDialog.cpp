#include "platform/SaveDialog.h"

#include <cstdio>
#include <utility>

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

std::string AskSavePath(const SaveDialogRequest& request) {
  if (Handler()) return Handler()(request);
  std::fprintf(stderr, "[%s] not saved: %s\n", request.caption.c_str(), request.suggestedPath.c_str());
  return {};
}

}  // namespace platform
