// What the game window does for the page's window.external calls, the chat button's blink, and
// the right-button reports to the page.
#include <QImage>
#include <QMouseEvent>
#include <QTimer>

#include "core/config/LauncherConfig.h"
#include "core/game/GameBridgeRules.h"
#include "core/game/GameButtonRules.h"
#include "core/game/GameTitleRules.h"
#include "core/web/ExternalDispatch.h"
#include "skin/QtConvert.h"
#include "skin/SkinButton.h"
#include "web/GmChatWnd.h"
#include "web/WebBrowser.h"
#include "windows/game/GameDialog.h"

namespace {

// The package's style image without the loader's message: set-up has already reported a
// missing one, and the blink asks again every tick.
bool DecodeStyleImage(const CLauncherConfig& config, QImage& image) {
  std::vector<unsigned char> bytes;
  if (!config.ReadMember("config/style.png", bytes)) return false;
  image = QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "PNG");
  if (image.isNull()) return false;
  image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  return true;
}

}  // namespace

void CGameDialog::OnPageCommand(const std::vector<PageArg>& args) {
  const game::PageCommand command = game::ParsePageCommand(args);
  switch (command.action) {
    case game::PageAction::Close:
      EndDialog();
      break;
    case game::PageAction::RestartAndClose:
      RestartProgram();
      EndDialog();
      break;
    case game::PageAction::SetPageLink:
      if (CxSkinButton* button = FindButtonByType(game::kTypePageLink))
        button->SetPageLink(command.parameter);
      break;
    case game::PageAction::ExtendTitle:
      titleBand.SetTitleText(game::PageCommandTitle(config->GetSettings().title.view(), command.parameter));
      titleReplaced = true;
      LayoutChildren();
      if (browser != nullptr) browser->update();
      break;
    case game::PageAction::Accepted:
    case game::PageAction::None:
      break;
  }
}

void CGameDialog::OnGsName(const std::vector<PageArg>& args) {
  awaitingGmName = false;
  if (chatWindow != nullptr) chatWindow->HandlePageCall(external::kGetGsName, args);
}

void CGameDialog::OnNewMsg() {
  if (chatWindow != nullptr) chatWindow->HandlePageCall(external::kGetNewMsg, {});
}

void CGameDialog::RelayoutIfPlaced() {
  if (hasNormalRect) LayoutChildren();
}

void CGameDialog::StartChatBlink() {
  if (blinkTimer == nullptr) {
    // A child timer on the window's thread: no tick can outlive the window.
    blinkTimer = new QTimer(this);
    blinkTimer->setInterval(game::kBlinkPeriodMs);
    blinkTimer->setTimerType(Qt::PreciseTimer);
    connect(blinkTimer, &QTimer::timeout, this, &CGameDialog::BlinkStep);
  }
  blinkTimer->stop();
  blinkPhase = true;
  blinkTimer->start();
}

bool CGameDialog::SetChatButtonImages(CxSkinButton* chatButton, bool blinkShown) {
  QImage style;
  if (!DecodeStyleImage(*config, style)) return false;
  const std::vector<GameButtonItem>& records = config->GetGameButtons();
  const auto index = static_cast<std::size_t>(chatButton->GetIndex());
  if (index >= records.size()) return false;
  const GamePicItem* picture = game::ButtonPicture(records[index], config->GetPictures());
  if (picture == nullptr) return false;
  std::array<QImage, 3> images = CutButtonImages(style, *picture);
  const std::array<int, 3> order = game::BlinkImageOrder(blinkShown);
  chatButton->SetImages(&images[order[0]], &images[order[1]], &images[order[2]], nullptr, nullptr,
                        nullptr, game::ButtonDrawMode(chatButton->GetKind()));
  return true;
}

void CGameDialog::BlinkStep() {
  // Hidden (boss key, tray, minimised) nothing shows the button: the blink goes on when it shows.
  if (!isVisible() || isMinimized()) return;
  CxSkinButton* chatButton = FindButtonByType(game::kTypeGmChat);
  if (chatButton == nullptr || !SetChatButtonImages(chatButton, blinkPhase)) return;
  blinkPhase = !blinkPhase;
  chatButton->show();
  chatButton->repaint();
}

void CGameDialog::OpenChatWindow() {
  if (chatWindow == nullptr) return;
  chatWindow->showNormal();
  chatWindow->raise();
  chatWindow->activateWindow();
  if (blinkTimer == nullptr || !blinkTimer->isActive()) return;
  CxSkinButton* chatButton = FindButtonByType(game::kTypeGmChat);
  // Without its images the button keeps blinking.
  if (chatButton != nullptr) {
    if (!SetChatButtonImages(chatButton, false)) return;
    chatButton->repaint();
  }
  blinkTimer->stop();
}

void CGameDialog::HideChatWindow() {
  if (chatWindow != nullptr) chatWindow->hide();
}

void CGameDialog::ReportMouseToPage(int code, int screenX, int screenY, int shift) {
  const std::optional<game::Point> point =
      game::BrowserPointForReport(game::Point{screenX, screenY}, skin::ToRect(geometry()),
                                  frameSkin.Sizes(), maximized, fullScreen);
  if (!point) return;
  CallClientJs(code, game::MouseReportValues(*point, shift != 0));
  page.CallScript("isReady");
}

void CGameDialog::CallClientJs(int code, const std::string& valuesText) {
  const std::string text =
      valuesText.empty() ? game::ClientCallJsText(code)
                         : game::ClientCallJsText(code, std::string_view(valuesText));
  page.CallScript("clientCallJs", text.c_str());
}

bool CGameDialog::PreTranslateMouseReport(QObject* target, QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
    return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() != Qt::RightButton) return false;
  // The chat window is this window's child but keeps its own clicks.
  if (IsInChatWindow(target)) return false;
  const QPoint global = mouse->globalPosition().toPoint();
  const int shift = (mouse->modifiers() & Qt::ShiftModifier) ? 1 : 0;
  ReportMouseToPage(event->type() == QEvent::MouseButtonPress ? game::kMouseRightDown
                                                              : game::kMouseRightUp,
                    global.x(), global.y(), shift);
  return true;
}
