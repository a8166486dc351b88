#include "game/GameDialog.h"

void CGameDialog::OnPageCommand(const std::vector<PageArg>&) {}
void CGameDialog::OnGsName(const std::vector<PageArg>&) {}
void CGameDialog::OnNewMsg() {}
void CGameDialog::RelayoutIfPlaced() {}
void CGameDialog::StartChatBlink() {}
void CGameDialog::BlinkStep() {}
void CGameDialog::OpenChatWindow() {}
void CGameDialog::HideChatWindow() {}
void CGameDialog::ReportMouseToPage(int, int, int, int) {}
void CGameDialog::CallClientJs(int, const std::string&) {}
bool CGameDialog::PreTranslateMouseReport(QObject*, QEvent*) { return false; }
