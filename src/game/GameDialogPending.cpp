// Temporary empty definitions of the window-behaviour and page-bridge operations, so the
// program links until their own files arrive.
#include <QCloseEvent>
#include <QResizeEvent>

#include "game/GameDialog.h"

void CGameDialog::LayoutChildren() {}
void CGameDialog::FillWorkArea() {}
void CGameDialog::RestoreNormal() {}
void CGameDialog::EnterFullScreen() {}
void CGameDialog::LeaveFullScreen() {}
void CGameDialog::ToggleFullScreen() {}
void CGameDialog::MinimizeToTray() {}
void CGameDialog::OnTrayActivated(int) {}
void CGameDialog::OnHotKey() {}
void CGameDialog::ConfirmRestart() {}
void CGameDialog::RestartProgram() {}
void CGameDialog::accept() { QDialog::accept(); }
void CGameDialog::reject() { QDialog::reject(); }
bool CGameDialog::PreTranslateWindowEvent(QObject*, QEvent*) { return false; }
void CGameDialog::resizeEvent(QResizeEvent* event) { QDialog::resizeEvent(event); }
void CGameDialog::closeEvent(QCloseEvent* event) { QDialog::closeEvent(event); }

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
