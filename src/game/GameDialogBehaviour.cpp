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
