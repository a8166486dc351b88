#pragma once
// The program's one message box. Texts are UTF-8. Tests replace the handler to answer and record.
#include <functional>
#include <string>

namespace platform {

enum class MessageBoxButtons { Ok, OkCancel };  // OkCancel: Cancel preselected, application-modal
enum class MessageBoxResult { Ok, Cancel };

struct MessageBoxRequest {
  std::string caption;
  std::string text;
  MessageBoxButtons buttons = MessageBoxButtons::Ok;
  void* owner = nullptr;  // a QWidget* in the Qt program, null for none
  std::string* input = nullptr;  // non-null: a text field showing *input, written back on Ok
  std::string okText;      // the buttons' own words, when not the system's OK and Cancel
  std::string cancelText;
};

using MessageBoxHandler = std::function<MessageBoxResult(const MessageBoxRequest&)>;

// Installs the handler and returns the previous one. Without a handler the text goes to stderr
// and the answer is Ok.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
MessageBoxResult ShowMessageBox(const MessageBoxRequest& request);
MessageBoxResult ShowMessageBox(const std::string& caption, const std::string& text,
                                MessageBoxButtons buttons = MessageBoxButtons::Ok,
                                void* owner = nullptr);

}  // namespace platform
