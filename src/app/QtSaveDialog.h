#pragma once
// The program's "save as" question on Qt: the desktop's file dialog, application-modal.
#include <string>

#include "platform/SaveDialog.h"

std::string AskQtSavePath(const platform::SaveDialogRequest& request);
