#include "web/GmChatWnd.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QWebEnginePage>  // before web/WebBrowser.h, which keeps a QPointer to one
#include <QWindow>

#include "app/LauncherApp.h"
#include "config/PackageImage.h"
#include "game/GameDialog.h"
#include "game/GameRules.h"
#include "net/PlatformApi.h"
#include "platform/CodePage.h"
#include "skin/ImageCut.h"
#include "skin/SkinButton.h"
#include "web/ClientCall.h"
#include "web/ExternalDispatch.h"
#include "web/WebBrowser.h"

// Chat window decisions (address lookup, page calls); off by default.
Q_LOGGING_CATEGORY(lcChat, "launcher.chat", QtWarningMsg)

namespace {

constexpr unsigned kChildVisible = 0x50000000u;

QRect ToQRect(const skin::Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

QColor FromColorRef(int value) {
  const auto bits = static_cast<unsigned>(value);
  return QColor(bits & 0xFF, (bits >> 8) & 0xFF, (bits >> 16) & 0xFF);
}

}  // namespace

CGmChatWnd::CGmChatWnd(CGameDialog* owner, CLauncherConfig* cfg)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint),
      external(std::make_unique<GameDialogCallback>()),
      gameWindow(owner),
      config(cfg ? cfg : &theApp.GetConfig()) {
  setObjectName(QStringLiteral("gmChatWindow"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  qApp->installEventFilter(this);
}

CGmChatWnd::~CGmChatWnd() {
  qApp->removeEventFilter(this);
  delete browser;
  browser = nullptr;
}

bool CGmChatWnd::CreateChatWindow(const QRect& workArea) {
  const int chatWidth = gameWindow ? gameWindow->chatWidth : game::kChatWidth;
  const int chatHeight = gameWindow ? gameWindow->chatHeight : game::kChatHeight;
  const int chatBorder = gameWindow ? gameWindow->chatBorder : game::kChatBorder;
  const skin::Rect outer = game::ChatWindowRect(chatWidth, chatHeight, chatBorder);
  setGeometry(ToQRect(outer));
  const bool created = OnCreate();
  const skin::Rect work{workArea.left(), workArea.top(), workArea.right() + 1,
                        workArea.bottom() + 1};
  const skin::Point at = game::ChatWindowPosition(work, outer.width(), outer.height());
  setGeometry(at.x, at.y, outer.width(), outer.height());
  hide();
  return created;
}

bool CGmChatWnd::OnCreate() {
  QImage style;
  if (!LoadImageFromPackage(*config, "config/style.png", style)) return false;

  const int chatWidth = gameWindow ? gameWindow->chatWidth : game::kChatWidth;
  const int chatHeight = gameWindow ? gameWindow->chatHeight : game::kChatHeight;
  const int chatBorder = gameWindow ? gameWindow->chatBorder : game::kChatBorder;

  // The close button is a copy of game button 1. Without that record, or when it names no
  // picture, the window simply has no button.
  const std::vector<GameButtonItem>& records = config->GetGameButtons();
  const GamePicItem* picture =
      records.empty() ? nullptr : game::ButtonPicture(records.front(), config->GetPictures());
  if (picture != nullptr) {
    const GameButtonItem& record = records.front();
    const QRect rect =
        ToQRect(game::ChatCloseButtonRect(record, *picture, chatWidth, chatBorder));
    auto* button = new CxSkinButton();
    if (!button->Create(record.title.str(), kChildVisible, rect, this,
                        game::ButtonIdForType(record.type))) {
      delete button;
      return false;
    }
    closeButton = button;
    closeButton->SetKind(static_cast<std::uint8_t>(record.type));
    const std::array<skin::Rect, 3> sources = game::ButtonImageSources(*picture);
    QImage images[3];
    for (int k = 0; k < 3; ++k)
      images[k] = skin::CutImage(style, sources[static_cast<std::size_t>(k)]);
    closeButton->SetImages(&images[0], &images[1], &images[2]);
    connect(closeButton, &CxSkinButton::Command, this, &CGmChatWnd::OnButtonCommand);
  } else {
    qCInfo(lcChat) << "no game button 1 with a picture: the chat window has no close button";
  }

  browserRect = ToQRect(game::ChatBrowserRect(chatWidth, chatHeight, chatBorder));
  auto* created = new CWebBrowserEx();
  if (!created->Create(kBrowserId, browserRect, this)) {
    delete created;
    return false;
  }
  browser = created;
  connect(browser, &CWebBrowser::DocumentComplete, this, [this] { OnDocumentComplete(); });
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
  if (controlId == game::ButtonIdForType(game::kTypeClose) && gameWindow != nullptr)
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
  const int nameLength = static_cast<int>(codepage::Utf8ToUtf16(utf8Name).size());
  // At most 255 bytes, never half of a double-byte character.
  titleText = game::TitleText(codepage::Utf8ToSystem(utf8Name));
  const QString shown = QString::fromStdString(codepage::SystemToUtf8(titleText));
  setWindowTitle(shown);
  update();
  qCDebug(lcChat) << "GM name" << shown;

  if (gameWindow == nullptr) return;
  CxSkinButton* chatButton = gameWindow->FindButtonByType(game::kTypeGmChat);
  if (chatButton == nullptr) return;
  chatButton->setText(shown);
  // The button's own font stands for the context's default font.
  const int maxCharWidth = QFontMetrics(chatButton->font()).maxWidth();
  std::vector<GameButtonItem>& records = config->GetGameButtons();
  const int index = chatButton->GetIndex();
  if (index >= 0 && static_cast<std::size_t>(index) < records.size()) {
    GameButtonItem& record = records[static_cast<std::size_t>(index)];
    const GamePicItem* picture = game::ButtonPicture(record, config->GetPictures());
    const game::ChatButtonFit fit =
        game::FitChatButton(record.x, picture ? picture->width : 0, maxCharWidth, nameLength);
    record.x = fit.x;
    record.width = fit.width;
  }
  chatButton->show();
  gameWindow->LayoutChildren();
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
  painter.setPen(FromColorRef(config->GetSettings().titleColor));
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
