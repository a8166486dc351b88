#include "game/GameDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QWebEnginePage>

#include "app/LauncherApp.h"
#include "skin/SkinButton.h"
#include "web/ClientCall.h"
#include "web/WebBrowser.h"

CGameDialog::CGameDialog(QWidget* parent, CLauncherConfig* cfg)
    : QDialog(parent), external(std::make_unique<GameDialogCallback>()),
      config(cfg ? cfg : &theApp.GetConfig()) {}

CGameDialog::~CGameDialog() = default;

void CGameDialog::SetGameUrl(const std::string& address) { gameUrl = address; }
bool CGameDialog::OnInitDialog() { return false; }
void CGameDialog::OnDocumentComplete(const QString&, bool) {}
bool CGameDialog::OnCommand(int) { return false; }
void CGameDialog::CutFrameBitmaps(const QImage&) {}
QImage CGameDialog::CutBitmap(const QImage& source, int x, int y, int width, int height) {
  return source.copy(x, y, width, height);
}
void CGameDialog::DrawTitle() {}
int CGameDialog::OnNcHitTest(const QPoint&) const { return 1; }
void CGameDialog::OnSetCursor(int) {}
bool CGameDialog::CreateGameButtons(const QImage&, const QRect&) { return true; }
void CGameDialog::PlaceButtons() {}
void CGameDialog::RegisterShortcuts() {}
CxSkinButton* CGameDialog::FindButtonByType(int) const { return nullptr; }
bool CGameDialog::RunShortcut(int) { return false; }
void CGameDialog::CloseChatAndConfirmRestart() {}
void CGameDialog::ReloadGamePage() {}
void CGameDialog::ComposeServerTitle(const std::string&) {}
void CGameDialog::ConfirmClearCache() {}
void CGameDialog::PurgeUrlCache() {}
void CGameDialog::setVisible(bool visible) { QDialog::setVisible(visible); }
void CGameDialog::paintEvent(QPaintEvent*) {}
void CGameDialog::mousePressEvent(QMouseEvent*) {}
void CGameDialog::mouseMoveEvent(QMouseEvent*) {}
void CGameDialog::mouseReleaseEvent(QMouseEvent*) {}
bool CGameDialog::eventFilter(QObject*, QEvent*) { return false; }
bool CGameDialog::PreTranslateMessage(QObject*, QEvent*) { return false; }
bool CGameDialog::PreTranslateFunctionKey(QKeyEvent*) { return false; }
bool CGameDialog::IsOwnWidget(QObject*) const { return false; }
void CGameDialog::OnPaint(QPainter&) {}
void CGameDialog::DrawTitle(QPainter&) {}
void CGameDialog::SetTitleText(const std::string& text) { titleText = text; }
QRect CGameDialog::WorkArea() const { return {}; }
