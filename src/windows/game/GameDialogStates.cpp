// The game window's states: filling the work area, the normal rectangle, full screen (the
// window's and the page's own), minimised and in the tray; the questions before closing,
// restarting and purging the cache, which come up over a shown window.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWebEngineView>

#include "core/config/LauncherConfig.h"
#include "core/game/GameButtonRules.h"
#include "core/game/GameStateRules.h"
#include "core/platform/CodePage.h"
#include "core/platform/MessageBox.h"
#include "core/platform/Paths.h"
#include "core/platform/Restart.h"
#include "skin/QtConvert.h"
#include "skin/SkinButton.h"
#include "skin/desktop/Windowing.h"
#include "web/WebBrowser.h"
#include "web/WebProfile.h"
#include "windows/game/GameDialog.h"

Q_DECLARE_LOGGING_CATEGORY(lcGame)

using skin::ToQRect;
using skin::ToRect;

namespace {

game::TrayClick TrayClickOf(int reason) {
  switch (static_cast<QSystemTrayIcon::ActivationReason>(reason)) {
    case QSystemTrayIcon::Trigger:
      return game::TrayClick::LeftUp;
    case QSystemTrayIcon::DoubleClick:
      return game::TrayClick::LeftDoubleClick;
    case QSystemTrayIcon::Context:
      return game::TrayClick::RightUp;
    default:
      return game::TrayClick::Other;
  }
}

}  // namespace

void CGameDialog::FillWorkArea() {
  if (hasNormalRect && !maximized) normalPlacement.normalRect = geometry();
  maximized = true;
  ShowStateButtons();
  setMinimumSize(minWidth, minHeight);
  if (isMinimized()) showNormal();
  if (!platform::TopLevelsPlaceThemselves()) {
    // Only the compositor knows the work area and places windows: its maximised state is it.
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    return;
  }
  setGeometry(WorkArea());
}

void CGameDialog::ShowStateButtons() {
  // The first restore (10) and fill (6) button follow the state; other buttons keep theirs.
  for (const int type : {game::kTypeRestore, game::kTypeFill}) {
    CxSkinButton* button = FindButtonByType(type);
    if (button == nullptr) continue;
    const game::ButtonShow show = game::StateButtonShow(type, maximized);
    if (show != game::ButtonShow::Keep) button->setVisible(show == game::ButtonShow::Show);
  }
}

void CGameDialog::RestoreNormal() {
  maximized = false;
  if (!hasNormalRect) {
    const LauncherSettings& settings = config->GetSettings();
    normalPlacement.normalRect = ToQRect(
        game::FirstNormalRect(ToRect(WorkArea()), settings.minGameWidth, settings.minGameHeight));
    hasNormalRect = true;
  }
  ShowStateButtons();
  setMinimumSize(minWidth, minHeight);
  if (isMinimized()) showNormal();
  if (windowState() & Qt::WindowMaximized) setWindowState(windowState() & ~Qt::WindowMaximized);
  setGeometry(normalPlacement.normalRect);
}

void CGameDialog::EnterFullScreen() {
  fullScreenPlacement.normalRect = geometry();
  if (!maximized) normalPlacement = fullScreenPlacement;

  const QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
  const QRect screenRect = where ? where->geometry() : WorkArea();
  const QRect client(mapToGlobal(QPoint(0, 0)), size());
  fullScreenRect = ToQRect(game::FullScreenRect(ToRect(frameGeometry()), ToRect(client),
                                                screenRect.width(), screenRect.height()))
                       .translated(screenRect.topLeft());

  for (CxSkinButton* button : buttons) button->hide();
  if (logo != nullptr) logo->hide();
  // Set before the geometry changes, so the resize does not lay the frame out again.
  fullScreen = true;
  if (browser != nullptr) browser->setGeometry(BrowserRectNow());

  // A window brought back from the tray or the taskbar by this command shows in full screen.
  const bool wasHidden = !isVisible() || isMinimized();
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowFullScreen);
  setGeometry(fullScreenRect);
  if (wasHidden) ShowFromTray();
}

void CGameDialog::FillAndLayout() {
  FillWorkArea();
  LayoutChildren();
}

void CGameDialog::RestoreAndLayout() {
  RestoreNormal();
  LayoutChildren();
}

void CGameDialog::MinimizeWindow() { showMinimized(); }

bool CGameDialog::PreTranslateTitleDoubleClick(QObject* target, QEvent* event) {
  if (event->type() != QEvent::MouseButtonDblClick || fullScreen) return false;
  // The chat window is this window's child but keeps its own clicks.
  if (IsInChatWindow(target)) return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint global = mouse->globalPosition().toPoint();
  for (CxSkinButton* button : buttons)
    if (button->isVisible() && button->rect().contains(button->mapFromGlobal(global)))
      return false;
  // In the normal state the band is the caption: the system's handling applies.
  if (OnNcHitTest(global) != game::kHitClient) return false;
  if (!game::IsTitleBandDoubleClick(global.y(), geometry().top(), frameSkin.Sizes().H(2)))
    return false;
  if (maximized)
    RestoreNormal();
  else
    FillWorkArea();
  LayoutChildren();
  return true;
}

bool CGameDialog::OnPageFullScreen(bool on) {
  if (on) {
    if (!pageFullScreen) pageEnteredFullScreen = !fullScreen;
    pageFullScreen = true;
    if (!fullScreen) EnterFullScreen();
    return true;
  }
  if (!pageFullScreen) return true;
  pageFullScreen = false;
  if (pageEnteredFullScreen && fullScreen) LeaveFullScreen();
  pageEnteredFullScreen = false;
  return true;
}

void CGameDialog::ExitPageFullScreen() {
  if (browser != nullptr) browser->ExitPageFullScreen();
}

void CGameDialog::LeaveFullScreen() {
  if (pageFullScreen) {
    // Leaving by key, button or command takes the page out of its full screen as well.
    pageFullScreen = false;
    pageEnteredFullScreen = false;
    ExitPageFullScreen();
  }
  for (CxSkinButton* button : buttons) {
    button->setVisible(game::ShownOnLeavingFullScreen(button->GetKind(), awaitingGmName));
  }
  if (logo != nullptr) logo->show();
  fullScreen = false;
  setWindowState(windowState() & ~Qt::WindowFullScreen);
  setGeometry(fullScreenPlacement.normalRect);
  if (maximized)
    FillWorkArea();
  else
    RestoreNormal();
  LayoutChildren();
}

void CGameDialog::ToggleFullScreen() {
  if (fullScreen)
    LeaveFullScreen();
  else
    EnterFullScreen();
}

void CGameDialog::MinimizeToTray() {
  if (trayIcon == nullptr) {
    trayIcon = new QSystemTrayIcon(this);
    connect(trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { OnTrayActivated(reason); });
  }
  trayIcon->setIcon(icon);
  trayIcon->setToolTip(QString::fromStdString(
      codepage::SystemToUtf8(game::TrayTip(config->GetSettings().notityTitle.view()))));
  trayIcon->show();
  // Neither a tray nor the boss key could ever bring a hidden window back: it goes to the
  // taskbar instead.
  const bool returnable =
      QSystemTrayIcon::isSystemTrayAvailable() || bossKey->IsRegistered();
  if (!returnable) {
    qCInfo(lcGame) << "no tray and no boss key: minimised instead of hidden";
    showMinimized();
    return;
  }
  // QWidget's own hide: the dialog's would end its modal run.
  QWidget::setVisible(false);
}

void CGameDialog::OnTrayActivated(int reason) {
  if (!game::TrayClickShowsWindow(TrayClickOf(reason))) return;
  ShowFromTray();
}

void CGameDialog::ShowFromTray() {
  if (fullScreen)
    showFullScreen();
  else if (isMinimized())
    showNormal();
  else
    show();
  raise();
  activateWindow();
  if (trayIcon != nullptr) trayIcon->hide();
  bossKey->RestoreSound();
}

void CGameDialog::BringUpForQuestion() {
  // A question must never wait where nobody sees it.
  if (!isVisible() || isMinimized()) ShowFromTray();
}

QRect CGameDialog::WorkArea() const {
  const QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
  return where ? where->availableGeometry() : QRect(0, 0, 1024, 768);
}

void CGameDialog::ConfirmRestart() {
  AskAndRestart(codepage::SystemToUtf8(config->GetSettings().title.view()));
}

void CGameDialog::RestartProgram() {
  // This window ends next: the new copy may take the boss key at once.
  bossKey->Unregister();
  if (!platform::StartProgramCopy()) qCInfo(lcGame) << "the new copy of the program did not start";
}

void CGameDialog::AskAndRestart(const std::string& utf8Caption) {
  const std::string text = codepage::SystemToUtf8(config->GetSettings().closeMsg.view());
  BringUpForQuestion();
  if (platform::ShowMessageBox(utf8Caption, text, platform::MessageBoxButtons::OkCancel, this) !=
      platform::MessageBoxResult::Ok)
    return;
  RestartProgram();
  EndDialog();
}

void CGameDialog::EndDialog() { QDialog::accept(); }

void CGameDialog::accept() { reject(); }

void CGameDialog::reject() {
  AskAndRestart(platform::ProgramBaseName(platform::ProgramPath()));
}

void CGameDialog::closeEvent(QCloseEvent* event) {
  // The window's close command is a question; an ended dialog closes as it is.
  event->ignore();
  if (!isVisible()) return;
  reject();
}

void CGameDialog::ConfirmClearCache() {
  const LauncherSettings& settings = config->GetSettings();
  BringUpForQuestion();
  if (platform::ShowMessageBox(codepage::SystemToUtf8(settings.clearFlashTitle.view()),
                               codepage::SystemToUtf8(settings.clearFlashMsg.view()),
                               platform::MessageBoxButtons::OkCancel,
                               this) == platform::MessageBoxResult::Ok)
    PurgeUrlCache();
}

void CGameDialog::PurgeUrlCache() { ClearLauncherHttpCache(); }
