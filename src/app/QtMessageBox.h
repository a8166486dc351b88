#pragma once
// The program's message box on Qt: application-modal, OK or OK/Cancel with Cancel preselected.
#include "platform/MessageBox.h"

platform::MessageBoxResult ShowQtMessageBox(const platform::MessageBoxRequest& request);
