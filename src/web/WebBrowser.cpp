#include "web/WebBrowser.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <QChildEvent>
#include <QPainter>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineView>

#include "core/platform/CodePage.h"
#include "core/platform/MessageBox.h"
#include "skin/PixelRegion.h"
#include "skin/UrlOpener.h"
#include "web/ClientCall.h"
#include "web/WebProfile.h"
#include "web/WebUIController.h"

namespace {

QString FromSystem(const std::string& text) {
  const std::u16string wide = codepage::SystemToUtf16(text);
  return QString(reinterpret_cast<const QChar*>(wide.data()), static_cast<qsizetype>(wide.size()));
}

// A bound on the frame documents kept for frames that went without saying so.
constexpr std::size_t kKeptFrameDocuments = 1024;

const char kRendererGaveUp[] =
    "网页在一分钟内多次意外终止，已停止重新加载。\n这是网页本身的问题，不是本程序的故障，请稍后再试。";

}  // namespace

CWebPageDocument::CWebPageDocument(CWebUIController* owner, QString frameId, QObject* parent)
    : QObject(parent), webPage(owner), frame(std::move(frameId)) {}

CWebUIController* CWebPageDocument::page() const {
  return static_cast<CWebUIController*>(webPage.data());
}

CWebBrowser::CWebBrowser(QWidget* parent) : QWidget(parent) {
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
}

CWebBrowser::~CWebBrowser() = default;

bool CWebBrowser::Create(int controlId, const QRect& rect, QWidget* parent) {
  if (parent == nullptr || webView != nullptr) return false;
  id = controlId;
  setProperty("controlId", controlId);
  setObjectName(QStringLiteral("control%1").arg(controlId));
  setParent(parent);
  setGeometry(rect);

  webView = new QWebEngineView(this);
  webView->setGeometry(0, 0, rect.width(), rect.height());
  webView->setProperty("controlId", controlId);
  AttachPage(new CWebUIController(webView));
  // The engine's view gets the player's input in a child widget it makes later.
  webView->installEventFilter(this);
  for (QObject* child : webView->children()) child->installEventFilter(this);
  show();
  return true;
}

void CWebBrowser::AttachPage(CWebUIController* fresh) {
  page = fresh;
  // Nothing white shows before the first real document; real documents get the usual white.
  page->setBackgroundColor(Qt::black);
  webView->setPage(page);
  connect(page, &CWebUIController::NavigationRequested, this,
          [this](const QUrl& url, bool isMainFrame, bool* cancel) {
            PageNavigation facts;
            facts.topFrame = isMainFrame;
            facts.topUrl = page->url();
            facts.playerActed = PlayerActedRecently();
            emit BeforeNavigate2(url.toString(), cancel, facts);
          });
  connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
    if (info.status() != QWebEngineLoadingInfo::LoadSucceededStatus &&
        info.status() != QWebEngineLoadingInfo::LoadFailedStatus) {
      return;
    }
    if (document == nullptr) document = new CWebPageDocument(page, QString(), this);
    qCDebug(lcWeb) << "document complete" << info.url() << info.status();
    emit DocumentComplete(info.url().toString(), true, document);
  });
  connect(page, &CWebUIController::FrameDocumentComplete, this, &CWebBrowser::OnFrameDocumentComplete);
  connect(page, &CWebUIController::FrameDocumentGone, this, &CWebBrowser::OnFrameDocumentGone);
  connect(page, &CWebUIController::ExternalProgramRequested, this, &CWebBrowser::OnExternalProgramRequested);
  connect(page, &QWebEnginePage::urlChanged, this, &CWebBrowser::OnUrlChanged);
  connect(page, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
            qCInfo(lcWeb) << "render process gone, status" << status << "exit code" << exitCode
                          << "control" << id;
            OnRenderProcessTerminated(static_cast<int>(status));
          });
  connect(page, &CWebUIController::PageFullScreenRequested, this, &CWebBrowser::PageFullScreenRequested);
}

void CWebBrowser::OnFrameDocumentComplete(const QString& frameId, const QString& url) {
  CWebPageDocument*& frame = frameDocuments[frameId];
  if (frame == nullptr) {
    frame = new CWebPageDocument(page, frameId, this);
    frameOrder.push_back(frameId);
  }
  CWebPageDocument* completed = frame;
  while (frameOrder.size() > kKeptFrameDocuments) {
    delete frameDocuments.take(frameOrder.front());
    frameOrder.pop_front();
  }
  emit DocumentComplete(url, false, completed);
}

void CWebBrowser::OnFrameDocumentGone(const QString& frameId) {
  CWebPageDocument* frame = frameDocuments.take(frameId);
  if (frame == nullptr) return;
  frameOrder.erase(std::remove(frameOrder.begin(), frameOrder.end(), frameId), frameOrder.end());
  delete frame;
}

void CWebBrowser::OnRenderProcessTerminated(int status) {
  if (status == QWebEnginePage::NormalTerminationStatus) return;
  QPointer<CWebBrowser> self(this);
  const bool again = crashes.Record(QDeadlineTimer::current().deadline());
  pageDrawn = false;
  // The renderer took every frame's document with it.
  qDeleteAll(frameDocuments);
  frameDocuments.clear();
  frameOrder.clear();
  emit RenderProcessGone();
  if (self.isNull()) return;
  // Neither a load nor a message box may start inside the engine's notification.
  QTimer::singleShot(0, this, [this, again] {
    if (page == nullptr) return;
    if (again) {
      const QUrl address = page->url().isEmpty() ? page->requestedUrl() : page->url();
      qCInfo(lcWeb) << "loading the page again after its renderer died:" << address;
      // In a page of its own: the engine starts the dead renderer again for the old page, and the
      // frames of a first document there can start without the page's scripts (no
      // window.external, no relay) while its top document has them.
      CWebUIController* old = page;
      AttachPage(new CWebUIController(webView));
      page->TakeOver(*old);
      delete old;
      delete document;
      document = nullptr;
      page->load(address);
      return;
    }
    qCWarning(lcWeb) << "the page's renderer keeps dying; not loading it again, control" << id;
    QWidget* owner = window();
    platform::ShowMessageBox(owner->windowTitle().toStdString(), kRendererGaveUp,
                             platform::MessageBoxButtons::Ok, owner);
  });
}

void CWebBrowser::OnUrlChanged(const QUrl& url) {
  const bool blank = url.isEmpty() || url.scheme() == QLatin1String("about");
  page->setBackgroundColor(blank ? QColor(Qt::black) : QColor(Qt::white));
}

bool CWebBrowser::IsAudioMuted() const {
  return webView != nullptr && webView->page()->isAudioMuted();
}

void CWebBrowser::SetAudioMuted(bool muted) {
  if (webView != nullptr) webView->page()->setAudioMuted(muted);
}

void CWebBrowser::ExitPageFullScreen() {
  if (webView != nullptr) webView->page()->triggerAction(QWebEnginePage::ExitFullScreen);
}

void CWebBrowser::Navigate(const std::string& address) {
  if (page == nullptr) return;
  const QString text = FromSystem(address);
  QUrl url(text, QUrl::TolerantMode);
  if (url.scheme().isEmpty()) url = QUrl::fromUserInput(text);
  qCDebug(lcWeb) << "navigate" << url << "control" << id;
  if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
    page->SetHomeAddress(url);
  page->load(url);
}

CWebPageDocument* CWebBrowser::get_Document() { return document; }

void CWebBrowser::put_Width(int width) { resize(qMax(0, width), height()); }

void CWebBrowser::put_Height(int height) { resize(width(), qMax(0, height)); }

void CWebBrowser::put_Silent(bool silent) {
  if (page != nullptr) page->SetSilent(silent);
}

void CWebBrowser::SetRedraw(bool on) {
  if (!on) pageDrawn = false;
  setUpdatesEnabled(on);
  if (webView == nullptr) return;
  webView->setVisible(on);
  if (on) update();
}

bool CWebBrowser::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ChildAdded:
      static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
      break;
    case QEvent::Paint:
      // The engine draws into a widget of its view: a document (not the blank start) is shown.
      if (watched != webView && webView != nullptr && webView->isVisible() && page != nullptr &&
          !page->url().isEmpty() && page->url().scheme() != QLatin1String("about"))
        pageDrawn = true;
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::TouchBegin:
      lastPlayerInput.start();
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

bool CWebBrowser::ShownFace(QImage* face) {
  if (!pageDrawn || webView == nullptr || !webView->isVisible()) return false;
  const QImage grabbed =
      webView->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (grabbed.isNull() || LogicalSize(grabbed) != size()) return false;
  // Nothing but one colour is an engine that has not given its pixels, not a page.
  const QRgb first = grabbed.pixel(0, 0);
  bool uniform = true;
  for (int y = 0; y < grabbed.height() && uniform; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(grabbed.constScanLine(y));
    uniform = std::all_of(line, line + grabbed.width(), [first](QRgb pixel) { return pixel == first; });
  }
  if (uniform) return false;
  *face = grabbed;
  return true;
}

void CWebBrowser::OnExternalProgramRequested(const QUrl& url) {
  // Only the player's own click gets here (the engine's judgement); one question at a time.
  if (asking) return;
  const std::string address = codepage::Utf16ToSystem(url.toString(QUrl::FullyEncoded).toStdU16String());
  const std::string scheme = pagerules::SchemeOf(address);
  if (scheme.empty()) return;
  asking = true;
  QPointer<CWebBrowser> self(this);
  platform::MessageBoxRequest request;
  request.caption = window()->windowTitle().toStdString();
  request.text = "要打开外部程序 " + scheme + " 吗？";
  request.buttons = platform::MessageBoxButtons::OkCancel;
  request.okText = "打开";
  request.cancelText = "取消";
  request.owner = window();
  const bool open = platform::ShowMessageBox(request) == platform::MessageBoxResult::Ok;
  if (self.isNull()) return;
  asking = false;
  qCInfo(lcWeb) << "another program's address" << url << (open ? "opened" : "not opened");
  if (open) skin::OpenUrl(address, skin::LinkOrigin::Package);
}

bool CWebBrowser::PlayerActedRecently() const {
  constexpr qint64 kActionMs = 5000;
  return lastPlayerInput.isValid() && lastPlayerInput.elapsed() < kActionMs;
}

void CWebBrowser::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
}

void CWebBrowser::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (webView != nullptr) webView->setGeometry(0, 0, width(), height());
}

CWebBrowserEx::CWebBrowserEx(QWidget* parent) : CWebBrowser(parent) {}

void CWebBrowserEx::SetTrustedFrameMarkers(const std::vector<std::string>& markers) {
  if (controller() != nullptr) controller()->SetTrustedFrameMarkers(markers);
}

void CWebBrowserEx::SetTrustedHosts(const std::vector<std::string>& hosts) {
  if (controller() != nullptr) controller()->SetTrustedHosts(hosts);
}

void CWebBrowserEx::SetExternal(ClientCall* object) {
  external = object;
  if (controller() != nullptr) controller()->SetExternal(object);
}

bool CWebBrowserEx::ConnectUiController() {
  if (controller() == nullptr || view() == nullptr) return false;
  view()->setContextMenuPolicy(Qt::NoContextMenu);
  controller()->SetExternal(external);
  controller()->Connect();
  return true;
}

bool StartHostedPage(CWebBrowserEx& browser, const HostedPageParams& params) {
  if (!browser.Create(params.controlId, params.rect, params.parent)) return false;
  if (params.hiddenUntilLoaded) {
    browser.put_Width(0);
    browser.put_Height(0);
    browser.SetRedraw(false);
  }
  browser.SetTrustedFrameMarkers(params.trustedFrameMarkers);
  browser.SetTrustedHosts(params.trustedHosts);
  if (params.gamePage) browser.controller()->SetGamePage(true);
  browser.Navigate("about:blank");
  if (params.external != nullptr) browser.SetExternal(params.external);
  browser.ConnectUiController();
  browser.put_Silent(true);
  browser.Navigate(params.address);
  return true;
}
