// What the game window does for the page's window.external calls, the chat button's blink, and
// the right-button reports to the page.
#include <QImage>
#include <QMouseEvent>
#include <QTimer>
#include <QWebEnginePage>  // before web/WebBrowser.h, which keeps a QPointer to one

#include "config/LauncherConfig.h"
#include "game/GameDialog.h"
#include "game/GameRules.h"
#include "skin/SkinButton.h"
#include "web/ExternalDispatch.h"
#include "web/GmChatWnd.h"
#include "web/WebBrowser.h"

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
        button->SetLink(command.parameter);
      break;
    case game::PageAction::ExtendTitle:
      SetTitleText(game::PageCommandTitle(config->GetSettings().title.view(), command.parameter));
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

void CGameDialog::BlinkStep() {
  CxSkinButton* chatButton = FindButtonByType(game::kTypeGmChat);
  if (chatButton == nullptr) return;
  QImage style;
  if (!DecodeStyleImage(*config, style)) return;
  const std::vector<GameButtonItem>& records = config->GetGameButtons();
  const auto index = static_cast<std::size_t>(chatButton->GetIndex());
  if (index >= records.size()) return;
  const GamePicItem* picture = game::ButtonPicture(records[index], config->GetPictures());
  if (picture == nullptr) return;
  const std::array<game::Rect, 3> sources = game::ButtonImageSources(*picture);
  QImage images[3];
  for (std::size_t k = 0; k < 3; ++k)
    images[k] = CutBitmap(style, sources[k].left, sources[k].top, sources[k].width(),
                          sources[k].height());
  const std::array<int, 3> order = game::BlinkImageOrder(blinkPhase);
  chatButton->SetImages(&images[order[0]], &images[order[1]], &images[order[2]], nullptr, nullptr,
                        nullptr, game::ButtonDrawMode(chatButton->GetKind()));
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
  QImage style;
  if (!DecodeStyleImage(*config, style)) return;  // the button keeps blinking
  if (CxSkinButton* chatButton = FindButtonByType(game::kTypeGmChat)) {
    const std::vector<GameButtonItem>& records = config->GetGameButtons();
    const auto index = static_cast<std::size_t>(chatButton->GetIndex());
    const GamePicItem* picture =
        index < records.size() ? game::ButtonPicture(records[index], config->GetPictures())
                               : nullptr;
    if (picture != nullptr) {
      const std::array<game::Rect, 3> sources = game::ButtonImageSources(*picture);
      QImage images[3];
      for (std::size_t k = 0; k < 3; ++k)
        images[k] = CutBitmap(style, sources[k].left, sources[k].top, sources[k].width(),
                              sources[k].height());
      chatButton->SetImages(&images[0], &images[1], &images[2], nullptr, nullptr, nullptr, 1);
      chatButton->repaint();
    }
  }
  blinkTimer->stop();
}

void CGameDialog::HideChatWindow() {
  if (chatWindow != nullptr) chatWindow->hide();
}

void CGameDialog::ReportMouseToPage(int code, int screenX, int screenY, int shift) {
  const std::optional<game::Point> point = game::BrowserPointForReport(
      game::Point{screenX, screenY},
      game::Rect{geometry().left(), geometry().top(), geometry().left() + geometry().width(),
                 geometry().top() + geometry().height()},
      Sizes(), maximized, fullScreen);
  if (!point) return;
  CallClientJs(code, std::to_string(point->x) + "," + std::to_string(point->y) + "," +
                         std::to_string(shift));
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
  if (chatWindow != nullptr && target->isWidgetType() &&
      (target == chatWindow || chatWindow->isAncestorOf(static_cast<QWidget*>(target))))
    return false;
  const QPoint global = mouse->globalPosition().toPoint();
  const int shift = (mouse->modifiers() & Qt::ShiftModifier) ? 1 : 0;
  ReportMouseToPage(event->type() == QEvent::MouseButtonPress ? game::kMouseRightDown
                                                              : game::kMouseRightUp,
                    global.x(), global.y(), shift);
  return true;
}
