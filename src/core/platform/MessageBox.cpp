#include "core/platform/MessageBox.h"

#include "core/platform/TerminationSignal.h"

#include <cstdio>
#include <utility>

namespace platform {
namespace {
MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}
}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  return std::exchange(Handler(), std::move(handler));
}

MessageBoxResult ShowMessageBox(const MessageBoxRequest& request) {
  // The program is ending: nobody is left to answer, and a question must not hold it.
  if (TerminationRequested()) return MessageBoxResult::Cancel;
  if (Handler()) return Handler()(request);
  std::fprintf(stderr, "[%s] %s\n", request.caption.c_str(), request.text.c_str());
  return MessageBoxResult::Ok;
}

MessageBoxResult ShowMessageBox(const std::string& caption, const std::string& text,
                                MessageBoxButtons buttons, void* owner) {
  MessageBoxRequest request;
  request.caption = caption;
  request.text = text;
  request.buttons = buttons;
  request.owner = owner;
  return ShowMessageBox(request);
}

}  // namespace platform
