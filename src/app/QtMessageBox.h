#pragma once
// The program's message box on Qt: application-modal, OK or OK/Cancel with Cancel preselected.
#include <string>

#include "core/platform/MessageBox.h"

platform::MessageBoxResult ShowQtMessageBox(const platform::MessageBoxRequest& request);

// For tests of the whole program: a handler that appends "caption<TAB>text" lines to the file at
// `path`, shows nothing and answers at once (Cancel where there is a choice, like the default,
// or OK with `okToQuestions`).
platform::MessageBoxHandler MessageLogHandler(const std::string& path, bool okToQuestions = false);
