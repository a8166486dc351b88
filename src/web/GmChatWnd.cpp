#include "web/GmChatWnd.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "core/net/PlatformApi.h"
#include "core/platform/CodePage.h"
#include "core/web/ChatRules.h"
#include "core/web/ExternalDispatch.h"
#include "core/web/PageRules.h"
#include "skin/PackageImage.h"
#include "skin/QtConvert.h"
#include "skin/SkinButton.h"
#include "web/ClientCall.h"
#include "web/GameWindow.h"
#include "web/WebBrowser.h"
#include "web/WebUIController.h"

// Chat window decisions (address lookup, page calls); off by default.
Q_LOGGING_CATEGORY(lcChat, "launcher.chat", QtWarningMsg)

namespace {

constexpr unsigned kChildVisible = 0x50000000u;

}  // namespace

CGmChatWnd::CGmChatWnd(IGameWindow* game, QWidget* owner, CLauncherConfig& cfg,
                       const IGameWindowProvider& games)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint),
      external(std::make_unique<GameDialogCallback>(games)),
      gameWindow(game),
      config(&cfg) {
  setObjectName(QStringLiteral("gmChatWindow"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  qApp->installEventFilter(this);
}

CGmChatWnd::~CGmChatWnd() {
  qApp->removeEventFilter(this);
  delete browser;
  browser = nullptr;
}

bool CGmChatWnd::CreateChatWindow(const QRect& workArea, int chatWidth, int chatHeight,
                                  int chatBorder) {
  const skin::Rect outer = chat::ChatWindowRect(chatWidth, chatHeight, chatBorder);
  setGeometry(skin::ToQRect(outer));
  const bool created = OnCreate(chatWidth, chatHeight, chatBorder);
  const skin::Rect work{workArea.left(), workArea.top(), workArea.right() + 1,
                        workArea.bottom() + 1};
  const skin::Point at = chat::ChatWindowPosition(work, outer.width(), outer.height());
  setGeometry(at.x, at.y, outer.width(), outer.height());
  hide();
  return created;
}

bool CGmChatWnd::OnCreate(int chatWidth, int chatHeight, int chatBorder) {
  QImage style;
  if (!LoadImageFromPackage(*config, "config/style.png", style)) return false;

  // The close button is a copy of game button 1. Without that record, or when it names no
  // picture, the window simply has no button.
  const std::vector<GameButtonItem>& records = config->GetGameButtons();
  const GamePicItem* picture =
      records.empty() ? nullptr : skin::ButtonPicture(records.front(), config->GetPictures());
  if (picture != nullptr) {
    const GameButtonItem& record = records.front();
    const QRect rect =
        skin::ToQRect(chat::ChatCloseButtonRect(record, *picture, chatWidth, chatBorder));
    auto* button = new CxSkinButton();
    if (!button->Create(record.title.str(), kChildVisible, rect, this,
                        skin::ButtonIdForType(record.type))) {
      delete button;
      return false;
    }
    closeButton = button;
    closeButton->SetKind(static_cast<std::uint8_t>(record.type));
    std::array<QImage, 3> images = CutButtonImages(style, *picture);
    closeButton->SetImages(&images[0], &images[1], &images[2]);
    connect(closeButton, &CxSkinButton::Command, this, &CGmChatWnd::OnButtonCommand);
  } else {
    qCInfo(lcChat) << "no game button 1 with a picture: the chat window has no close button";
  }

  browserRect = skin::ToQRect(chat::ChatBrowserRect(chatWidth, chatHeight, chatBorder));
  auto* created = new CWebBrowserEx();
  if (!created->Create(kBrowserId, browserRect, this)) {
    delete created;
    return false;
  }
  browser = created;
  connect(browser, &CWebBrowser::DocumentComplete, this, [this](const QString&, bool topFrame) {
    if (topFrame) OnDocumentComplete();
  });
  return true;
}

void CGmChatWnd::OnChatAddress(const LookupResult& address) {
  if (browser == nullptr || pageStarted) return;
  if (address.kind == LookupResult::Failed) {
    // The player keeps an empty chat area; the failure is only logged.
    qCInfo(lcChat) << "chat address lookup failed:" << QString::fromStdString(address.failureText);
    return;
  }
  if (address.kind != LookupResult::Value || address.value.empty()) {
    qCInfo(lcChat) << "no chat address";
    return;
  }
  pageStarted = true;
  browser->SetTrustedFrameMarkers(
      {config->GetSettings().maxheader.str(), config->GetGameHeader().str()});
  browser->SetTrustedHosts(pagerules::ParseHostList(config->GetSettings().trustedHosts.view()));
  browser->controller()->SetGamePage(true);
  browser->Navigate("about:blank");
  browser->SetExternal(external.get());
  browser->ConnectUiController();
  browser->put_Silent(true);
  browser->Navigate(address.value);
}

void CGmChatWnd::OnDocumentComplete() {
  if (browser == nullptr) return;
  page.AttachDocument(browser->get_Document());
  browser->show();
}

void CGmChatWnd::OnButtonCommand(int controlId) {
  // Only a copy of a type-5 button (id 185) closes the chat; other types do nothing here.
  if (controlId == chat::kCloseButtonId && gameWindow != nullptr)
    gameWindow->HideChatWindow();
}

void CGmChatWnd::HandlePageCall(int dispId, const std::vector<PageArg>& args) {
  switch (dispId) {
    case external::kGetGsName:
      SetChatName(args);
      break;
    case external::kGetNewMsg:
      if (gameWindow != nullptr) gameWindow->StartChatBlink();
      break;
    default:
      break;
  }
}

void CGmChatWnd::SetChatName(const std::vector<PageArg>& args) {
  std::string utf8Name;
  if (!external::GsNameArgument(args, &utf8Name)) return;
  // At most 255 bytes, never half of a character.
  titleText = std::string(codepage::CutAtCharacter(codepage::Utf8ToSystem(utf8Name), 255));
  const QString shown = skin::ToQt(titleText);
  setWindowTitle(shown);
  update();
  qCDebug(lcChat) << "GM name" << shown;
  if (gameWindow != nullptr) gameWindow->ShowChatButton(titleText);
}

void CGmChatWnd::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const int w = width();
  const int h = height();
  painter.fillRect(rect(), QColor(82, 7, 11));
  painter.setPen(QPen(QColor(139, 111, 47), 4));
  painter.drawLine(0, 0, w, 0);
  painter.drawLine(w, 0, w, h);
  painter.drawLine(0, 0, 0, h);
  painter.drawLine(0, h, w, h);
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(skin::FromColourRef(static_cast<unsigned>(config->GetSettings().titleColor)));
  painter.drawText(QRect(10, 10, w - 10, h - 10), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   windowTitle());
}

// Every point not covered by a child drags the window, as a caption would.
void CGmChatWnd::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (windowHandle() != nullptr && windowHandle()->startSystemMove()) return;
  dragging = true;
  dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CGmChatWnd::mouseMoveEvent(QMouseEvent* event) {
  if (dragging) move(event->globalPosition().toPoint() - dragOffset);
}

void CGmChatWnd::mouseReleaseEvent(QMouseEvent* /*event*/) { dragging = false; }

bool CGmChatWnd::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
    const auto* key = static_cast<QKeyEvent*>(event);
    auto* widget = static_cast<QWidget*>(watched);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        (widget == this || isAncestorOf(widget)))
      enterPressed = true;
  }
  return QWidget::eventFilter(watched, event);
}
