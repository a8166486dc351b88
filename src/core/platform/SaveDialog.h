#pragma once
// The program's one "save as" question, asked without blocking. Paths and texts are UTF-8. Tests
// replace the handler to answer and record.
#include <functional>
#include <string>

namespace platform {

struct SaveDialogRequest {
  std::string caption;
  std::string suggestedPath;  // folder and file name offered first
  void* owner = nullptr;      // a QWidget* in the Qt program, null for none
};

// Receives the chosen path, empty when the user cancelled; called exactly once, possibly before
// the asking call returns.
using SaveDialogAnswer = std::function<void(const std::string& chosen)>;
using SaveDialogHandler = std::function<void(const SaveDialogRequest&, SaveDialogAnswer)>;

// Installs the handler and returns the previous one. Without a handler, or once the program is
// asked to end, nothing is chosen.
SaveDialogHandler SetSaveDialogHandler(SaveDialogHandler handler);
void AskSavePath(const SaveDialogRequest& request, SaveDialogAnswer answer);

}  // namespace platform
