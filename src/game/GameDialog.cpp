#include "game/GameDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QWebEnginePage>
#include <QWindow>

#include "app/LauncherApp.h"
#include "config/PackageImage.h"
#include "game/GameRules.h"
#include "net/BackgroundWork.h"
#include "net/PlatformApi.h"
#include "platform/CodePage.h"
#include "platform/HotKey.h"
#include "platform/MessageBox.h"
#include "skin/ImageCut.h"
#include "skin/SkinButton.h"
#include "web/ClientCall.h"
#include "web/GmChatWnd.h"
#include "web/WebBrowser.h"
#include "web/WebProfile.h"

Q_LOGGING_CATEGORY(lcGame, "launcher.game", QtWarningMsg)

namespace {

QString ToQt(std::string_view systemText) {
  return QString::fromStdString(codepage::SystemToUtf8(systemText));
}

QRect ToQRect(const game::Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

game::Rect ToRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// A colour value 0x00BBGGRR.
QColor FromColourRef(unsigned value) {
  return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

Qt::CursorShape ToQtCursor(game::CursorShape shape) {
  switch (shape) {
    case game::CursorShape::SizeVertical:
      return Qt::SizeVerCursor;
    case game::CursorShape::SizeHorizontal:
      return Qt::SizeHorCursor;
    case game::CursorShape::SizeNwSe:
      return Qt::SizeFDiagCursor;
    case game::CursorShape::SizeNeSw:
      return Qt::SizeBDiagCursor;
    case game::CursorShape::Arrow:
      break;
  }
  return Qt::ArrowCursor;
}

Qt::Edges ToQtEdges(int edges) {
  Qt::Edges result;
  if (edges & game::kEdgeLeft) result |= Qt::LeftEdge;
  if (edges & game::kEdgeTop) result |= Qt::TopEdge;
  if (edges & game::kEdgeRight) result |= Qt::RightEdge;
  if (edges & game::kEdgeBottom) result |= Qt::BottomEdge;
  return result;
}

// The Windows virtual key of a Qt function key, 0 for any other key.
int VirtualKeyOf(const QKeyEvent* event) {
  const int key = event->key();
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return game::kKeyF1 + (key - Qt::Key_F1);
  return 0;
}

}  // namespace

CGameDialog::CGameDialog(QWidget* parent, CLauncherConfig* cfg)
    : QDialog(parent),
      external(std::make_unique<GameDialogCallback>()),
      icon(QStringLiteral(":/launcher/icon.png")),
      config(cfg ? cfg : &theApp.GetConfig()) {
  // No caption and no border: the frame, the title band and the hit test are the window's own.
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setMouseTracking(true);
  setObjectName(QStringLiteral("gameDialog"));
  setAttribute(Qt::WA_OpaquePaintEvent);
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
}

bool CGameDialog::OnInitDialog() {
  LauncherSettings& settings = config->GetSettings();
  if (!filterInstalled) {
    qApp->installEventFilter(this);
    filterInstalled = true;
  }
  RegisterBossKey();
  ListenForOutsideCommands();
  setWindowIcon(icon);
  SetUpTitleFonts();

  const QRect work = WorkArea();
  setGeometry(work);
  minWidth = game::MinimumExtent(settings.minGameWidth, work.width());
  minHeight = game::MinimumExtent(settings.minGameHeight, work.height());
  setWindowTitle(ToQt(settings.title.view()));

  QImage style;
  if (!LoadImageFromPackage(*config, "config/style.png", style)) return false;

  // The three lookups go out in this order before the page's navigation starts; neither the
  // window nor the navigation waits for their answers. Each works on its own copy of the
  // settings, taken after the server key went in.
  const std::string serverKey = ApplyServerKey(settings, gameUrl.str());
  userName.clear();
  userLookup = StartLookup(
      [copy = settings](const net::Cancellation& cancel) { return LookupUserName(copy, &cancel); },
      &CGameDialog::OnUserNameLookup);

  SetTitleText(settings.title.str());
  titleReplaced = false;

  serverLookup = StartLookup(
      [copy = settings, serverKey](const net::Cancellation& cancel) {
        return LookupServerName(copy, serverKey, &cancel);
      },
      &CGameDialog::OnServerNameLookup);
  chatLookup = StartLookup(
      [copy = settings](const net::Cancellation& cancel) { return LookupChatAddress(copy, &cancel); },
      &CGameDialog::OnChatAddressLookup);

  CutFrameBitmaps(style);

  browserRect = QRect(edgeWidths[4], edgeHeights[2], work.width() - edgeWidths[5] - edgeWidths[4],
                      work.height() - edgeHeights[7] - edgeHeights[2]);
  browser = new CWebBrowserEx();
  connect(browser, &CWebBrowser::DocumentComplete, this, &CGameDialog::OnDocumentComplete);
  connect(browser, &CWebBrowser::PageFullScreenRequested, this,
          [this](bool on, bool* accepted) { *accepted = OnPageFullScreen(on); });
  // The page reloads after its renderer died; the window keeps its state, the page starts anew.
  connect(browser, &CWebBrowser::RenderProcessGone, this, [this] {
    pageFullScreen = false;
    pageEnteredFullScreen = false;
  });
  HostedPageParams params;
  params.controlId = kBrowserId;
  params.rect = browserRect;
  params.parent = this;
  params.hiddenUntilLoaded = true;
  params.external = external.get();
  params.trustedFrameMarkers = {settings.maxheader.str(), config->GetGameHeader().str()};
  params.address = gameUrl.str();
  if (!StartHostedPage(*browser, params)) {
    delete browser;
    browser = nullptr;
    return false;
  }

  if (!CreateGameButtons(style, work)) return false;

  if (!CreateLogo()) return false;

  SetUpTitleBand();
  // A parentless top-level window already has its own taskbar entry.

  RegisterShortcuts();

  layoutReady = true;
  FillWorkArea();
  LayoutChildren();

  chatWindow = new CGmChatWnd(this, this, config);
  chatWindow->CreateChatWindow(work, chatWidth, chatHeight, chatBorder);
  if (chatAddress) {
    chatWindow->OnChatAddress(*chatAddress);
    chatAddress.reset();
  }

  setUpComplete = true;
  return true;
}

void CGameDialog::SetUpTitleFonts() {
  titleLogFont = QApplication::font();
  titleFont = titleLogFont;
  titleFont.setWeight(QFont::Bold);
}

void CGameDialog::SetUpTitleBand() {
  const LauncherSettings& settings = config->GetSettings();
  titleRect = ToQRect(game::TitleBandRect(settings));
  titleColor = FromColourRef(static_cast<unsigned>(settings.titleColor));
}

bool CGameDialog::SetUpSkinPreview(const QSize& size, const std::string& title) {
  initialised = true;  // showing it must never start the real set-up
  QImage style;
  if (!LoadImageFromPackage(*config, "config/style.png", style)) return false;
  SetUpTitleFonts();
  SetUpTitleBand();
  SetTitleText(title);
  CutFrameBitmaps(style);
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

bool CGameDialog::CreateLogo() {
  const LauncherSettings& settings = config->GetSettings();
  QImage logoImage;
  if (!LoadImageFromPackage(*config, "config/logo.png", logoImage)) return false;
  logo = new QLabel(this);
  logo->setObjectName(QStringLiteral("control%1").arg(kLogoId));
  logo->setProperty("controlId", kLogoId);
  logo->setPixmap(QPixmap::fromImage(logoImage));
  logo->setGeometry(settings.logx, settings.logy, logoImage.width(), logoImage.height());
  logo->show();
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

void CGameDialog::OnUserNameLookup(const LookupResult& result) {
  userLookup.reset();
  if (result.kind == LookupResult::Value) {
    userName = result.value;
    qCDebug(lcGame) << "player name" << ToQt(userName.view());
    update();
  }
  if (result.kind == LookupResult::Failed) ReportLookupFailure(result.failureText);
}

void CGameDialog::OnServerNameLookup(const LookupResult& result) {
  serverLookup.reset();
  if (result.kind == LookupResult::Value) {
    serverName = result.value;
    qCDebug(lcGame) << "server name" << ToQt(serverName.view()) << "title replaced" << titleReplaced;
    if (!titleReplaced) {
      SetTitleText(game::TitleWithServerName(titleText.view(), serverName.view()));
      DrawTitle();
    }
  }
  if (result.kind == LookupResult::Failed) ReportLookupFailure(result.failureText);
}

void CGameDialog::OnChatAddressLookup(const LookupResult& result) {
  chatLookup.reset();
  if (chatWindow != nullptr) {
    chatWindow->OnChatAddress(result);
  } else if (!setUpComplete) {
    chatAddress = result;  // the chat window comes at the end of set-up
  }
}

void CGameDialog::ReportLookupFailure(const std::string& utf8Text) {
  // One box at a time: a second failure waits for the first box to close.
  lookupFailures.push_back(utf8Text);
  if (!showingLookupFailure) ShowNextLookupFailure();
}

void CGameDialog::ShowNextLookupFailure() {
  showingLookupFailure = true;
  while (!lookupFailures.empty()) {
    const std::string text = lookupFailures.front();
    lookupFailures.pop_front();
    platform::ShowMessageBox(codepage::SystemToUtf8(config->GetSettings().title.view()), text,
                             platform::MessageBoxButtons::Ok, this);
  }
  showingLookupFailure = false;
}

void CGameDialog::RegisterBossKey() {
  if (hotKey) return;
  hotKey = std::make_unique<platform::GlobalHotKey>();
  // Taken by another program or no global keys on this desktop: the window works without it.
  if (!hotKey->Register(platform::GlobalHotKey::kAlt, game::kHotKeyVirtualKey) ||
      hotKey->EventHandle() < 0)
    return;
  hotKeyNotifier = new QSocketNotifier(hotKey->EventHandle(), QSocketNotifier::Read, this);
  connect(hotKeyNotifier, &QSocketNotifier::activated, this, &CGameDialog::OnBossKeyReadable);
}

void CGameDialog::OnBossKeyReadable() {
  for (int presses = hotKey->TakePresses(); presses > 0; --presses) OnHotKey();
}

QRect CGameDialog::WorkArea() const {
  const QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
  return where ? where->availableGeometry() : QRect(0, 0, 1024, 768);
}

game::FrameSizes CGameDialog::Sizes() const {
  game::FrameSizes sizes;
  for (int i = 1; i <= game::kPieceCount; ++i) {
    sizes.widths[i - 1] = edgeWidths[i];
    sizes.heights[i - 1] = edgeHeights[i];
  }
  return sizes;
}

void CGameDialog::OnDocumentComplete(const QString& url, bool /*topFrame*/, CWebPageDocument* document) {
  if (browser == nullptr) return;
  const std::string address = codepage::Utf16ToSystem(url.toStdU16String());
  const LauncherSettings& settings = config->GetSettings();
  switch (game::ClassifyCompletedPage(address, settings.maxheader.view())) {
    case game::CompletedPage::Game: {
      qCDebug(lcGame) << "game page complete:" << url;
      // The game's own document, also when it runs in a frame of a portal page.
      page.AttachDocument(document != nullptr ? document : browser->get_Document());
      ComposeServerTitle(address);
      DrawTitle();
      // The page fills the area between the frame pieces of the state the window is in now.
      browser->setGeometry(BrowserRectNow());
      browser->SetRedraw(true);
      if (CxSkinButton* reload = FindButtonByType(game::kTypeReload)) reload->setEnabled(true);
      break;
    }
    case game::CompletedPage::LocalDevice:
      page.AttachDocument(browser->get_Document());
      browser->SetRedraw(true);
      break;
    case game::CompletedPage::Ignored:
      break;
  }
}

// --- title ---

void CGameDialog::SetTitleText(const std::string& text) {
  titleText = game::TitleText(text);
  titleLength = static_cast<int>(titleText.size());
}

void CGameDialog::ComposeServerTitle(const std::string& address) {
  LauncherSettings& settings = config->GetSettings();
  const std::optional<std::string> title = game::ComposeServerTitle(address, settings.title.view());
  if (!title) return;
  // The stored setting keeps what fits; the title band gets the whole composed text.
  settings.title = game::StoredTitle(*title);
  SetTitleText(*title);
  titleReplaced = true;
}

// --- frame, title band and hit test ---

QImage CGameDialog::CutBitmap(const QImage& source, int x, int y, int width, int height) {
  return skin::CutImage(source, x, y, width, height);
}

void CGameDialog::CutFrameBitmaps(const QImage& style) {
  const game::FrameCut cut = game::CutFramePieces(config->GetEdgeImages(), config->GetPictures());
  for (int i = 1; i <= game::kPieceCount; ++i) {
    const game::Rect& source = cut.sources[i - 1];
    edgeBitmaps[i] = cut.present[i - 1]
                         ? CutBitmap(style, source.left, source.top, source.width(), source.height())
                         : QImage();
    edgeWidths[i] = cut.sizes.W(i);
    edgeHeights[i] = cut.sizes.H(i);
  }
}

void CGameDialog::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  OnPaint(painter);
}

void CGameDialog::OnPaint(QPainter& painter) {
  painter.fillRect(rect(), Qt::black);
  if (fullScreen) return;
  for (const game::PieceDraw& draw :
       game::FramePaintPlan(Sizes(), width(), height(), maximized, fullScreen)) {
    const QImage& piece = edgeBitmaps[draw.piece];
    if (!piece.isNull()) painter.drawImage(ToQRect(draw.destination), piece);
  }
  DrawTitle(painter);
  painter.setPen(titleColor);
  painter.setFont(titleFont);
  // A long name is cut at its box and never runs over the title.
  const QRect nameBox = ToQRect(game::UserNameBox(userNameRight, ToRect(titleRect)));
  painter.save();
  painter.setClipRect(nameBox);
  painter.drawText(nameBox, Qt::AlignRight | Qt::AlignTop, ToQt(userName.view()));
  painter.restore();
}

void CGameDialog::DrawTitle(QPainter& painter) {
  if (fullScreen) return;
  painter.fillRect(titleRect, FromColourRef(game::kTitleBandColour));
  painter.save();
  painter.setPen(titleColor);
  painter.setFont(titleFont);
  painter.setClipRect(titleRect);
  painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignTop, ToQt(titleText.view()));
  painter.restore();
}

void CGameDialog::DrawTitle() {
  if (fullScreen || !isVisible()) return;
  repaint(titleRect);
}

int CGameDialog::OnNcHitTest(const QPoint& globalPos) const {
  const QRect g = geometry();
  return game::HitTest({globalPos.x(), globalPos.y()}, ToRect(g), Sizes(), maximized, fullScreen);
}

void CGameDialog::OnSetCursor(int hitCode) { setCursor(ToQtCursor(game::CursorForHit(hitCode))); }

void CGameDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QDialog::mousePressEvent(event);
    return;
  }
  const QPoint global = event->globalPosition().toPoint();
  const int code = OnNcHitTest(global);
  const int edges = game::ResizeEdgesForHit(code);
  QWindow* window = windowHandle();
  dragCode = 0;
  if (game::IsMoveHit(code)) {
    if (!window || !window->startSystemMove()) dragCode = code;
  } else if (edges != 0) {
    if (!window || !window->startSystemResize(ToQtEdges(edges))) dragCode = code;
  }
  if (dragCode != 0) {
    // No window manager to hand the drag to: the window follows the mouse itself.
    dragStart = global;
    dragStartGeometry = geometry();
  }
  QDialog::mousePressEvent(event);
}

void CGameDialog::mouseMoveEvent(QMouseEvent* event) {
  const QPoint global = event->globalPosition().toPoint();
  if (dragCode != 0 && (event->buttons() & Qt::LeftButton)) {
    const QPoint delta = global - dragStart;
    if (game::IsMoveHit(dragCode)) {
      move(dragStartGeometry.topLeft() + delta);
    } else {
      const int edges = game::ResizeEdgesForHit(dragCode);
      game::Rect r = ToRect(dragStartGeometry);
      if (edges & game::kEdgeLeft) r.left += delta.x();
      if (edges & game::kEdgeRight) r.right += delta.x();
      if (edges & game::kEdgeTop) r.top += delta.y();
      if (edges & game::kEdgeBottom) r.bottom += delta.y();
      setGeometry(ToQRect(game::ClampSizingRect(r, minWidth, minHeight)));
    }
  } else {
    OnSetCursor(OnNcHitTest(global));
  }
  QDialog::mouseMoveEvent(event);
}

void CGameDialog::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragCode = 0;
  QDialog::mouseReleaseEvent(event);
}

// --- game buttons and shortcuts ---

bool CGameDialog::CreateGameButtons(const QImage& style, const QRect& workArea) {
  const std::vector<GameButtonItem>& records = config->GetGameButtons();
  const std::vector<GamePicItem>& pictures = config->GetPictures();
  const game::Rect work = ToRect(workArea);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const GameButtonItem& record = records[i];
    const GamePicItem* picture = game::ButtonPicture(record, pictures);
    if (picture == nullptr) continue;
    const QRect rect = ToQRect(game::InitialButtonRect(record, *picture, work));
    if (record.type == game::kTypeUserName) userNameRight = record.x;

    auto* button = new CxSkinButton();
    if (!button->Create(record.title.str(), 0x50000000u, rect, this,
                        game::ButtonIdForType(record.type))) {
      delete button;
      return false;
    }
    // The window's sizing cursors stop at its buttons.
    button->setCursor(Qt::ArrowCursor);
    std::array<QImage, 3> images = CutButtonImages(style, *picture);
    button->SetKind(static_cast<std::uint8_t>(record.type));
    if (record.type == game::kTypeCheckBox) {
      // One check box serves every type-18 record; a later record moves it.
      if (checkBox == nullptr) {
        checkBox = new QCheckBox(this);
        checkBox->setObjectName(QStringLiteral("control%1").arg(kCheckBoxId));
        checkBox->setProperty("controlId", kCheckBoxId);
      }
      checkBox->setGeometry(ToQRect(game::InitialCheckBoxRect(ToRect(rect))));
      checkBox->show();
    }
    button->SetImages(&images[0], &images[1], &images[2], nullptr, nullptr, nullptr,
                      game::ButtonDrawMode(record.type), 0, 0);
    if (game::ButtonStartsHidden(record.type)) button->hide();
    if (game::ButtonHasLink(record.type)) button->SetLink(record.url.str());
    if (!record.tips.empty()) button->SetTipText(record.tips.str());
    button->SetCaptionColour(FromColourRef(static_cast<unsigned>(record.color)));
    button->SetIndex(static_cast<int>(i));
    connect(button, &CxSkinButton::Command, this, [this](int id) { OnCommand(id); });
    buttons.push_back(button);
  }
  return true;
}

void CGameDialog::PlaceButtons() {
  const std::vector<GameButtonItem>& records = config->GetGameButtons();
  const game::FrameSizes sizes = Sizes();
  for (CxSkinButton* button : buttons) {
    const std::size_t index = static_cast<std::size_t>(button->GetIndex());
    if (index >= records.size()) continue;
    const game::Rect placed = game::PlacedButtonRect(records[index], width(), sizes, maximized);
    button->setGeometry(ToQRect(placed));
    if (button->GetKind() == game::kTypeCheckBox && checkBox != nullptr)
      checkBox->setGeometry(ToQRect(game::PlacedCheckBoxRect(placed)));
  }
}

CxSkinButton* CGameDialog::FindButtonByType(int type) const {
  for (CxSkinButton* button : buttons)
    if (button->GetKind() == type) return button;
  return nullptr;
}

CGameDialog::Operation CGameDialog::MemberOperation(game::Operation operation) {
  switch (operation) {
    case game::Operation::CloseChatAndConfirmRestart:
      return &CGameDialog::CloseChatAndConfirmRestart;
    case game::Operation::FillWorkArea:
      return &CGameDialog::FillAndLayout;
    case game::Operation::Minimize:
      return &CGameDialog::MinimizeWindow;
    case game::Operation::MinimizeToTray:
      return &CGameDialog::MinimizeToTray;
    case game::Operation::RestoreNormal:
      return &CGameDialog::RestoreAndLayout;
    case game::Operation::ToggleFullScreen:
      return &CGameDialog::ToggleFullScreen;
    case game::Operation::OpenChatWindow:
      return &CGameDialog::OpenChatWindow;
    case game::Operation::ReloadGamePage:
      return &CGameDialog::ReloadGamePage;
    case game::Operation::ConfirmClearCache:
      return &CGameDialog::ConfirmClearCache;
    case game::Operation::ConfirmRestart:
      return &CGameDialog::ConfirmRestart;
    case game::Operation::OpenLink:  // the button has opened its link already
    case game::Operation::None:
      break;
  }
  return nullptr;
}

void CGameDialog::RegisterShortcuts() {
  shortcutTable = game::BuildShortcutTable(config->GetGameButtons(), config->GetMenus());
  for (int slot = 0; slot < game::kShortcutSlots; ++slot)
    shortcuts[slot] = MemberOperation(shortcutTable[slot]);
}

bool CGameDialog::RunShortcut(int slot) {
  if (slot < 0 || slot >= game::kShortcutSlots || shortcuts[slot] == nullptr) return false;
  (this->*shortcuts[slot])();
  return true;
}

bool CGameDialog::OnCommand(int id) {
  if (id >= 1000) {
    const Operation operation = MemberOperation(game::OutsideCommandOperation(id));
    if (operation == nullptr) return false;
    (this->*operation)();
    return true;
  }
  if (id < kButtonIdBase) return false;
  if (const Operation operation = MemberOperation(game::ButtonClickOperation(id - kButtonIdBase)))
    (this->*operation)();
  return true;
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

void CGameDialog::CloseChatAndConfirmRestart() {
  delete chatWindow;
  chatWindow = nullptr;
  ConfirmRestart();
}

void CGameDialog::ReloadGamePage() {
  if (browser == nullptr) return;
  browser->SetRedraw(true);
  browser->Navigate(gameUrl.str());
}

// --- cache purge ---

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
    // As in a browser, Escape ends the page's full screen; the page's answer leaves the state.
    ExitPageFullScreen();
    return true;
  }
  if (event->type() == QEvent::KeyPress && PreTranslateFunctionKey(static_cast<QKeyEvent*>(event)))
    return true;
  if (PreTranslateWindowEvent(target, event)) return true;
  return PreTranslateMouseReport(target, event);
}

bool CGameDialog::PreTranslateFunctionKey(QKeyEvent* event) {
  const int virtualKey = VirtualKeyOf(event);
  if (game::GameKeyFilter(virtualKey, false) != game::KeyDecision::Consumed) return false;
  // F9's slot belongs to the boss key: the rule gives the key itself nothing to run.
  if (const Operation operation =
          MemberOperation(game::FunctionKeyOperation(shortcutTable, virtualKey)))
    (this->*operation)();
  return true;
}

// --- the program's game-window run ---

void RunGameDialog(const std::string& address) {
  CGameDialog dialog;
  dialog.SetGameUrl(address);
  theApp.SetGameDialog(&dialog);
  dialog.exec();
  theApp.SetGameDialog(nullptr);
}
