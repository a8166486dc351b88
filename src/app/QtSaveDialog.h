#pragma once
// The program's "save as" question on Qt: the desktop's file dialog, application-modal, opened
// without a run of its own; the answer comes when the dialog closes.
#include "core/platform/SaveDialog.h"

void AskQtSavePath(const platform::SaveDialogRequest& request, platform::SaveDialogAnswer answer);
