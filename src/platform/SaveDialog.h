#pragma once
// The program's one "save as" question. Paths and texts are UTF-8. Tests replace the handler to
// answer and record.
#include <functional>
#include <string>

namespace platform {

struct SaveDialogRequest {
  std::string caption;
  std::string suggestedPath;  // folder and file name offered first
  void* owner = nullptr;      // a QWidget* in the Qt program, null for none
};

// The chosen path; empty when the user cancelled.
using SaveDialogHandler = std::function<std::string(const SaveDialogRequest&)>;

// Installs the handler and returns the previous one. Without a handler nothing is chosen.
SaveDialogHandler SetSaveDialogHandler(SaveDialogHandler handler);
std::string AskSavePath(const SaveDialogRequest& request);

}  // namespace platform
