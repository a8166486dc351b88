// The game window's states (fill, normal, full screen, tray), the boss key, the close question
// with its restart, and the outside-command channel.
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QWebEnginePage>  // before web/WebBrowser.h, which keeps a QPointer to one
#include <QWebEngineView>

#include "config/LauncherConfig.h"
#include "game/GameCommandChannel.h"
#include "game/GameDialog.h"
#include "game/GameRules.h"
#include "platform/CodePage.h"
#include "platform/HotKey.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Restart.h"
#include "skin/SkinButton.h"
#include "web/GmChatWnd.h"
#include "web/WebBrowser.h"

Q_DECLARE_LOGGING_CATEGORY(lcGame)

namespace {

QRect ToQRect(const game::Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

game::Rect ToRect(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}


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

void CGameDialog::LayoutChildren() {
  PlaceButtons();
  if (browser != nullptr) browser->setGeometry(BrowserRectNow());
  update();
}

QRect CGameDialog::BrowserRectNow() const {
  if (fullScreen) return QRect(QPoint(0, 0), fullScreenRect.size());
  return ToQRect(game::BrowserRectForState(width(), height(), Sizes(), maximized));
}

void CGameDialog::FillWorkArea() {
  if (hasNormalRect && !maximized) normalPlacement.normalRect = geometry();
  maximized = true;
  ShowStateButtons();
  setMinimumSize(minWidth, minHeight);
  if (isMinimized()) showNormal();
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
  if (browser != nullptr && browser->view() != nullptr)
    browser->view()->page()->triggerAction(QWebEnginePage::ExitFullScreen);
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
      QSystemTrayIcon::isSystemTrayAvailable() || (hotKey && hotKey->IsRegistered());
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
  RestorePageSound();
}

void CGameDialog::BringUpForQuestion() {
  // A question must never wait where nobody sees it.
  if (!isVisible() || isMinimized()) ShowFromTray();
}

void CGameDialog::OnHotKey() {
  switch (game::HotKeyDecision(shortcutTable, isVisible())) {
    case game::HotKeyAction::RunSlot:
      RunShortcut(game::kHotKeySlot);
      // Hidden by the boss key: its pages fall silent too.
      if (!isVisible()) MutePageSound();
      break;
    case game::HotKeyAction::ShowFromTray:
      ShowFromTray();
      break;
    case game::HotKeyAction::Nothing:
      break;
  }
}

std::vector<QWebEnginePage*> CGameDialog::SoundPages() const {
  std::vector<QWebEnginePage*> pages;
  if (browser != nullptr && browser->view() != nullptr) pages.push_back(browser->view()->page());
  if (CWebBrowser* chat = chatWindow != nullptr ? chatWindow->browser : nullptr)
    if (chat->view() != nullptr) pages.push_back(chat->view()->page());
  return pages;
}

void CGameDialog::MutePageSound() {
  if (!mutedPages.empty()) return;
  for (QWebEnginePage* page : SoundPages()) {
    mutedPages.emplace_back(page, page->isAudioMuted());
    page->setAudioMuted(true);
  }
}

void CGameDialog::RestorePageSound() {
  // Each page gets back what it had, so a page muted before stays muted.
  for (auto& [page, wasMuted] : mutedPages)
    if (page) page->setAudioMuted(wasMuted);
  mutedPages.clear();
}

void CGameDialog::ConfirmRestart() {
  AskAndRestart(codepage::SystemToUtf8(config->GetSettings().title.view()));
}

void CGameDialog::RestartProgram() {
  // This window ends next: the new copy may take the boss key at once. The notifier goes first,
  // before its descriptor is closed.
  delete hotKeyNotifier;
  hotKeyNotifier = nullptr;
  if (hotKey) hotKey->Unregister();
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

void CGameDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (!layoutReady) return;
  if (!fullScreen) LayoutChildren();
  if (browser != nullptr) browser->update();
}

void CGameDialog::ListenForOutsideCommands() {
  if (commandChannel != nullptr) return;
  commandChannel = new GameCommandChannel(this);
  if (!commandChannel->Listen()) {
    qCInfo(lcGame) << "outside-command channel unavailable";
    return;
  }
  connect(commandChannel, &GameCommandChannel::Command, this, [this](int id) { OnCommand(id); });
}

bool CGameDialog::PreTranslateWindowEvent(QObject* target, QEvent* event) {
  // The chat window is this window's child but keeps its own keys and clicks.
  if (chatWindow != nullptr && target->isWidgetType() &&
      (target == chatWindow || chatWindow->isAncestorOf(static_cast<QWidget*>(target)))) {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if ((key == Qt::Key_Return || key == Qt::Key_Enter) && chatWindow->enterPressed)
        chatWindow->enterPressed = false;
    }
    return false;
  }
  switch (event->type()) {
    case QEvent::KeyPress: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      int virtualKey = 0;
      if (key == Qt::Key_Return || key == Qt::Key_Enter) virtualKey = game::kKeyReturn;
      if (key == Qt::Key_Escape) virtualKey = game::kKeyEscape;
      if (virtualKey == 0) return false;
      const bool noted = chatWindow != nullptr && chatWindow->enterPressed;
      const game::KeyDecision decision = game::GameKeyFilter(virtualKey, noted);
      if (decision == game::KeyDecision::Base) {
        if (chatWindow != nullptr) chatWindow->enterPressed = false;
        return false;
      }
      // Return and Escape belong to the page: the dialog itself never acts on them (no default
      // button, no cancel). Only a key the page left unhandled reaches the dialog.
      return target == this;
    }
    case QEvent::MouseButtonDblClick: {
      if (fullScreen) return false;
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint global = mouse->globalPosition().toPoint();
      for (CxSkinButton* button : buttons)
        if (button->isVisible() && button->rect().contains(button->mapFromGlobal(global)))
          return false;
      // In the normal state the band is the caption: the system's handling applies.
      if (OnNcHitTest(global) != game::kHitClient) return false;
      if (!game::IsTitleBandDoubleClick(global.y(), geometry().top(), edgeHeights[2]))
        return false;
      if (maximized)
        RestoreNormal();
      else
        FillWorkArea();
      LayoutChildren();
      return true;
    }
    default:
      return false;
  }
}
