// The game window's construction, its set-up in fixed order, the set-up lookups, the completed
// game page, and the message filter that hands events to the window's concerns (frame, buttons
// and keys, states, title and page bridge each have their own file).
#include "windows/game/GameDialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QScreen>
#include <QWebEnginePage>
#include <algorithm>
#include <cstddef>

#include "core/game/GameStateRules.h"
#include "core/game/GameTitleRules.h"
#include "core/net/BackgroundWork.h"
#include "core/net/PlatformApi.h"
#include "core/platform/CodePage.h"
#include "core/platform/Memory.h"
#include "core/platform/MessageBox.h"
#include "skin/PackageImage.h"
#include "skin/QtConvert.h"
#include "skin/SkinButton.h"
#include "web/ClientCall.h"
#include "web/GmChatWnd.h"
#include "web/WebBrowser.h"
#include "web/WebUIController.h"
#include "windows/game/BossKey.h"

Q_LOGGING_CATEGORY(lcGame, "launcher.game", QtWarningMsg)

using skin::ToQt;

namespace {

// Once a page shows, its drawing makes and drops buffers up to a full screen's size every frame
// (with the padding renderers add to rows and tiles): those are reused from the heap.
void ReuseFrameBuffers() {
  static bool done = false;
  if (done) return;
  done = true;
  std::size_t most = 0;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QSize size = screen->geometry().size() * screen->devicePixelRatio();
    most = std::max(most, static_cast<std::size_t>(size.width() + 64) *
                              static_cast<std::size_t>(size.height() + 64) * 4);
  }
  platform::ReuseBlocksUpTo(most);
}

}  // namespace

CGameDialog::CGameDialog(CLauncherConfig& cfg, const IGameWindowProvider& gameWindows,
                         QWidget* parent)
    : QDialog(parent),
      external(std::make_unique<GameDialogCallback>(gameWindows)),
      icon(QStringLiteral(":/launcher/icon.png")),
      config(&cfg),
      games(gameWindows) {
  // No caption and no border: the frame, the title band and the hit test are the window's own.
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setMouseTracking(true);
  setObjectName(QStringLiteral("gameDialog"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  bossKey = new CBossKey(this);
  connect(bossKey, &CBossKey::Pressed, this, &CGameDialog::OnHotKey);
}

CGameDialog::~CGameDialog() {
  // Lookups still in flight are cancelled; their answers are never applied.
  userLookup.reset();
  serverLookup.reset();
  chatLookup.reset();
  if (filterInstalled) qApp->removeEventFilter(this);
  // The page may still call window.external while its browser goes: the browser goes first.
  delete browser;
  browser = nullptr;
}

void CGameDialog::SetGameUrl(const std::string& address) { gameUrl = address; }

void CGameDialog::setVisible(bool visible) {
  if (visible && !initialised) {
    initialised = true;
    OnInitDialog();
  }
  QDialog::setVisible(visible);
  // Failures that came while the window was not shown wait for it.
  if (visible && (userNameFailure || serverNameFailure))
    QMetaObject::invokeMethod(this, &CGameDialog::ShowLookupFailures, Qt::QueuedConnection);
}

bool CGameDialog::OnInitDialog() {
  LauncherSettings& settings = config->GetSettings();
  if (!filterInstalled) {
    qApp->installEventFilter(this);
    filterInstalled = true;
  }
  bossKey->Register();
  ListenForOutsideCommands();
  setWindowIcon(icon);
  titleBand.SetUpFonts();

  const QRect work = WorkArea();
  setGeometry(work);
  minWidth = game::MinimumExtent(settings.minGameWidth, work.width());
  minHeight = game::MinimumExtent(settings.minGameHeight, work.height());
  setWindowTitle(ToQt(settings.title.view()));
  setUpTitle = codepage::SystemToUtf8(settings.title.view());

  QImage style;
  if (!LoadImageFromPackage(*config, "config/style.png", style)) return false;

  // The three lookups go out in this order before the page's navigation starts; neither the
  // window nor the navigation waits for their answers. Each works on its own copy of the
  // settings, taken after the server key went in.
  const std::string serverKey = ApplyServerKey(settings, gameUrl.str());
  titleBand.SetUserName(std::string());
  userLookup = StartLookup(
      [copy = settings](const net::Cancellation& cancel) { return LookupUserName(copy, &cancel); },
      &CGameDialog::OnUserNameLookup);

  titleBand.SetTitleText(settings.title.str());
  titleReplaced = false;

  serverLookup = StartLookup(
      [copy = settings, serverKey](const net::Cancellation& cancel) {
        return LookupServerName(copy, serverKey, &cancel);
      },
      &CGameDialog::OnServerNameLookup);
  chatLookup = StartLookup(
      [copy = settings](const net::Cancellation& cancel) { return LookupChatAddress(copy, &cancel); },
      &CGameDialog::OnChatAddressLookup);

  frameSkin.Cut(style, config->GetEdgeImages(), config->GetPictures());

  browserRect =
      skin::ToQRect(game::BrowserRectForState(work.width(), work.height(), frameSkin.Sizes(), false));
  browser = new CWebBrowserEx();
  connect(browser, &CWebBrowser::DocumentComplete, this, &CGameDialog::OnDocumentComplete);
  connect(browser, &CWebBrowser::PageFullScreenRequested, this,
          [this](bool on, bool* accepted) { *accepted = OnPageFullScreen(on); });
  // The page reloads after its renderer died; the window keeps its state, the page starts anew.
  connect(browser, &CWebBrowser::RenderProcessGone, this, [this] {
    pageFullScreen = false;
    pageEnteredFullScreen = false;
    // The same game page comes back: the title it had stays, with no second server suffix.
    if (gamePageCompleted) titleKeptOnReload = true;
  });
  HostedPageParams params;
  params.controlId = kBrowserId;
  params.rect = browserRect;
  params.parent = this;
  params.hiddenUntilLoaded = true;
  params.external = external.get();
  params.trustedFrameMarkers = {settings.maxheader.str(), config->GetGameHeader().str()};
  params.trustedHosts = pagerules::ParseHostList(settings.trustedHosts.view());
  params.gamePage = true;
  params.address = gameUrl.str();
  if (!StartHostedPage(*browser, params)) {
    delete browser;
    browser = nullptr;
    return false;
  }

  if (!CreateGameButtons(style, work)) return false;

  if (!CreateLogo()) return false;

  titleBand.SetUpBand(settings);
  // A parentless top-level window already has its own taskbar entry.

  RegisterShortcuts();

  layoutReady = true;
  FillWorkArea();
  LayoutChildren();

  chatWindow = new CGmChatWnd(this, this, *config, games);
  chatWindow->CreateChatWindow(work, chatWidth, chatHeight, chatBorder);
  if (chatAddress) {
    chatWindow->OnChatAddress(*chatAddress);
    chatAddress.reset();
  }

  setUpComplete = true;
  return true;
}

bool CGameDialog::SetUpSkinPreview(const QSize& size, const std::string& title) {
  initialised = true;  // showing it must never start the real set-up
  QImage style;
  if (!LoadImageFromPackage(*config, "config/style.png", style)) return false;
  titleBand.SetUpFonts();
  titleBand.SetUpBand(config->GetSettings());
  titleBand.SetTitleText(title);
  frameSkin.Cut(style, config->GetEdgeImages(), config->GetPictures());
  const QRect area(QPoint(0, 0), size);
  setGeometry(area);
  if (!CreateGameButtons(style, area)) return false;
  if (!CreateLogo()) return false;
  layoutReady = true;
  normalPlacement.normalRect = area;
  hasNormalRect = true;
  RestoreNormal();
  LayoutChildren();
  return true;
}

std::unique_ptr<net::BackgroundWork> CGameDialog::StartLookup(
    Lookup lookup, void (CGameDialog::*apply)(const LookupResult&)) {
  return std::make_unique<net::BackgroundWork>(
      [this, lookup = std::move(lookup), apply](const net::Cancellation& cancel) {
        LookupResult result = lookup(cancel);
        // Runs on the worker thread only while the window still holds the lookup, so `this`
        // is alive; the answer is applied on the window's thread.
        return net::BackgroundWork::Completion([this, apply, result = std::move(result)] {
          QMetaObject::invokeMethod(
              this, [this, apply, result] { (this->*apply)(result); }, Qt::QueuedConnection);
        });
      });
}

int CGameDialog::OutstandingLookups() const {
  return (userLookup ? 1 : 0) + (serverLookup ? 1 : 0) + (chatLookup ? 1 : 0);
}

void CGameDialog::OnChatAddressLookup(const LookupResult& result) {
  chatLookup.reset();
  if (chatWindow != nullptr) {
    chatWindow->OnChatAddress(result);
  } else if (!setUpComplete) {
    chatAddress = result;  // the chat window comes at the end of set-up
  }
}

void CGameDialog::ShowLookupFailures() {
  // One box at a time, each over the shown window; a failure arriving while a box is up waits
  // for the loop below.
  if (showingLookupFailure || !isVisible()) return;
  showingLookupFailure = true;
  QPointer<CGameDialog> self(this);
  for (;;) {
    std::optional<std::string> text;
    if (userNameFailure) {
      text.swap(userNameFailure);
    } else if (serverNameFailure && userLookup == nullptr) {
      // The player name's failure, if any, comes first: the server name's waits for its answer.
      text.swap(serverNameFailure);
    } else {
      break;
    }
    platform::ShowMessageBox(setUpTitle, *text, platform::MessageBoxButtons::Ok, this);
    if (self.isNull()) return;
    if (!isVisible()) break;
  }
  showingLookupFailure = false;
}

void CGameDialog::OnDocumentComplete(const QString& url, bool topFrame, CWebPageDocument* document) {
  if (browser == nullptr) return;
  const std::string address = codepage::Utf16ToSystem(url.toStdU16String());
  const LauncherSettings& settings = config->GetSettings();
  switch (game::ClassifyCompletedPage(address, settings.maxheader.view(), topFrame)) {
    case game::CompletedPage::Game: {
      qCDebug(lcGame) << "game page complete:" << url;
      // The game's own document, also when it runs in a frame of a portal page.
      page.AttachDocument(document != nullptr ? document : browser->get_Document());
      if (titleKeptOnReload) {
        titleKeptOnReload = false;
      } else {
        ComposeServerTitle(address);
      }
      gamePageCompleted = true;
      DrawTitle();
      // The page fills the area between the frame pieces of the state the window is in now.
      browser->setGeometry(BrowserRectNow());
      browser->SetRedraw(true);
      ReuseFrameBuffers();
      if (CxSkinButton* reload = FindButtonByType(game::kTypeReload)) reload->setEnabled(true);
      break;
    }
    case game::CompletedPage::LocalDevice:
      page.AttachDocument(browser->get_Document());
      browser->SetRedraw(true);
      ReuseFrameBuffers();
      break;
    case game::CompletedPage::Ignored:
      break;
  }
}

// --- message filter ---

bool CGameDialog::IsOwnWidget(QObject* target) const {
  if (!target || !target->isWidgetType()) return false;
  for (const QWidget* w = static_cast<QWidget*>(target); w != nullptr; w = w->parentWidget())
    if (w == this) return true;
  return false;
}

bool CGameDialog::eventFilter(QObject* watched, QEvent* event) {
  if (IsOwnWidget(watched) && PreTranslateMessage(watched, event)) return true;
  return QDialog::eventFilter(watched, event);
}

bool CGameDialog::PreTranslateMessage(QObject* target, QEvent* event) {
  if (event->type() == QEvent::KeyPress && pageFullScreen &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    // As in a browser, Escape first gives back a mouse the page holds, then ends the page's full
    // screen; the page's answer leaves the state.
    if (browser != nullptr && browser->controller()->TakePointerLockGrant()) return false;
    ExitPageFullScreen();
    return true;
  }
  if (event->type() == QEvent::KeyPress && PreTranslateFunctionKey(static_cast<QKeyEvent*>(event)))
    return true;
  if (PreTranslateReturnEscape(target, event)) return true;
  if (PreTranslateTitleDoubleClick(target, event)) return true;
  return PreTranslateMouseReport(target, event);
}

bool CGameDialog::IsInChatWindow(QObject* target) const {
  return chatWindow != nullptr && target->isWidgetType() &&
         (target == chatWindow || chatWindow->isAncestorOf(static_cast<QWidget*>(target)));
}
