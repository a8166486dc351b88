// The game window's buttons and keys: the image buttons and the logo, the GM chat button fitted
// to the GM's name, what buttons, function keys and outside commands run, Return and Escape,
// and the boss key with the pages' sound.
#include <QCheckBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QPixmap>
#include <QWebEngineView>

#include "core/config/LauncherConfig.h"
#include "core/game/GameButtonRules.h"
#include "core/platform/CodePage.h"
#include "skin/PackageImage.h"
#include "skin/QtConvert.h"
#include "skin/SkinButton.h"
#include "web/GmChatWnd.h"
#include "web/WebBrowser.h"
#include "windows/game/GameCommandChannel.h"
#include "windows/game/GameDialog.h"

Q_DECLARE_LOGGING_CATEGORY(lcGame)

using skin::FromColourRef;
using skin::ToQRect;
using skin::ToRect;

bool CGameDialog::CreateGameButtons(const QImage& style, const QRect& workArea) {
  const std::vector<GameButtonItem>& records = config->GetGameButtons();
  const std::vector<GamePicItem>& pictures = config->GetPictures();
  const game::Rect work = ToRect(workArea);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const GameButtonItem& record = records[i];
    const GamePicItem* picture = game::ButtonPicture(record, pictures);
    if (picture == nullptr) continue;
    const QRect rect = ToQRect(game::InitialButtonRect(record, *picture, work));
    if (record.type == game::kTypeUserName) titleBand.SetUserNameRight(record.x);

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
  const game::FrameSizes& sizes = frameSkin.Sizes();
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

void CGameDialog::ShowChatButton(const std::string& name) {
  CxSkinButton* chatButton = FindButtonByType(game::kTypeGmChat);
  if (chatButton == nullptr) return;
  const QString caption = skin::ToQt(name);
  chatButton->setText(caption);
  std::vector<GameButtonItem>& records = config->GetGameButtons();
  const auto index = static_cast<std::size_t>(chatButton->GetIndex());
  if (index < records.size()) {
    // Fitted to the name as the button draws it, never over the buttons beside it.
    std::vector<game::Rect> others;
    for (const CxSkinButton* button : buttons) {
      const auto other = static_cast<std::size_t>(button->GetIndex());
      if (button != chatButton && button->GetKind() != game::kTypeUserName && other < records.size())
        others.push_back(game::ButtonRecordRect(records[other]));
    }
    const int captionWidth = QFontMetrics(chatButton->CaptionFont()).horizontalAdvance(caption) +
                             2 * chatButton->CaptionMargin();
    const game::ChatButtonFit fit = game::FitChatButton(records[index], captionWidth, others);
    records[index].x = fit.x;
    records[index].width = fit.width;
  }
  chatButton->show();
  LayoutChildren();
}

bool CGameDialog::PreTranslateFunctionKey(QKeyEvent* event) {
  const int virtualKey = skin::VirtualKeyFromQt(event->key());
  if (game::GameKeyFilter(virtualKey, false) != game::KeyDecision::Consumed) return false;
  // F9's slot belongs to the boss key: the rule gives the key itself nothing to run.
  if (const Operation operation =
          MemberOperation(game::FunctionKeyOperation(shortcutTable, virtualKey)))
    (this->*operation)();
  return true;
}

bool CGameDialog::PreTranslateReturnEscape(QObject* target, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  // The chat window is this window's child but keeps its own keys.
  if (IsInChatWindow(target)) {
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && chatWindow->enterPressed)
      chatWindow->enterPressed = false;
    return false;
  }
  const int virtualKey = skin::VirtualKeyFromQt(key);
  if (virtualKey != game::kKeyReturn && virtualKey != game::kKeyEscape) return false;
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

void CGameDialog::OnHotKey() {
  switch (game::HotKeyDecision(shortcutTable, isVisible())) {
    case game::HotKeyAction::RunSlot:
      RunShortcut(game::kHotKeySlot);
      // Hidden by the boss key: its pages fall silent too.
      if (!isVisible()) bossKey->HoldSound(SoundPages());
      break;
    case game::HotKeyAction::ShowFromTray:
      ShowFromTray();
      break;
    case game::HotKeyAction::Nothing:
      break;
  }
}

std::vector<CWebBrowser*> CGameDialog::SoundPages() const {
  std::vector<CWebBrowser*> pages;
  if (browser != nullptr) pages.push_back(browser);
  if (chatWindow != nullptr && chatWindow->browser != nullptr) pages.push_back(chatWindow->browser);
  return pages;
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
