#include "windows/launcher/LauncherStandardDlg.h"

#include <QImage>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <memory>

#include "core/config/LauncherConfig.h"
#include "core/launcher/LauncherRules.h"
#include "core/platform/CodePage.h"
#include "core/platform/MessageBox.h"
#include "core/platform/Paths.h"
#include "skin/PackageImage.h"
#include "skin/QtConvert.h"
#include "skin/SkinButton.h"
#include "web/WebBrowser.h"
#include "windows/launcher/LauncherTranslucentDlg.h"

// Launcher decisions (pages shown, game address taken); off by default.
Q_LOGGING_CATEGORY(lcLauncher, "launcher", QtWarningMsg)

namespace {
constexpr unsigned kChildVisible = 0x50000000u;

using skin::ToQt;
}  // namespace

CLauncherStandardDlg::CLauncherStandardDlg(CLauncherTranslucentDlg* frameDialog,
                                           CLauncherConfig& launcherConfig)
    : CStandardDialog(kTemplateId, qRgb(0, 0, 0), frameDialog), config(launcherConfig) {
  setObjectName(QStringLiteral("launcherInner"));
}

CLauncherStandardDlg::~CLauncherStandardDlg() {
  for (CxSkinButton* button : buttons) delete button;
  buttons.clear();
  for (CWebBrowserEx* browser : browsers) delete browser;
  browsers.clear();
}

bool CLauncherStandardDlg::OnInitDialog() {
  CStandardDialog::OnInitDialog();
  QWidget* frameDialog = GetFrame();
  if (!frameDialog) return false;

  const QString title = ToQt(config.GetSettings().title.str());
  setWindowTitle(title);
  frameDialog->setWindowTitle(title);

  const std::vector<LinkItem>& links = config.GetLinks();
  for (std::size_t i = 0; i < links.size(); ++i) {
    const LinkItem& link = links[i];
    const int number = static_cast<int>(i) + 1;
    switch (launcher::ControlForLinkType(link.type)) {
      case launcher::LinkControl::Button:
        if (!CreateButton(number, link.type, link.x, link.y, link.url.str())) return false;
        break;
      case launcher::LinkControl::Browser:
        if (preview) {
          pageRects.emplace_back(link.x, link.y, link.width, link.height);
          break;
        }
        if (!CreateBrowser(link.x, link.y, link.width, link.height, link.url.str())) return false;
        break;
      case launcher::LinkControl::None:
        break;
    }
  }
  return true;
}

bool CLauncherStandardDlg::CreateButton(int number, int type, int x, int y,
                                        const std::string& url) {
  QImage normal, down, over;
  if (!LoadImageFromPackage(config, launcher::ButtonImageMember(number, 'n').c_str(), normal))
    return false;
  auto button = std::make_unique<CxSkinButton>();
  if (!button->Create("", kChildVisible, QRect(x, y, normal.width(), normal.height()), this,
                      launcher::ButtonIdForLinkType(type)))
    return false;
  // Created buttons stay with the dialog even when a later image is missing.
  CxSkinButton* made = button.release();
  buttons.push_back(made);
  if (!LoadImageFromPackage(config, launcher::ButtonImageMember(number, 'd').c_str(), down) ||
      !LoadImageFromPackage(config, launcher::ButtonImageMember(number, 'o').c_str(), over))
    return false;
  made->SetImages(&normal, &down, &over, nullptr, nullptr, nullptr, 0, 0, 0);
  made->SetLink(url);
  made->SetKind(static_cast<std::uint8_t>(type));
  connect(made, &CxSkinButton::Command, this, &CLauncherStandardDlg::OnCommand);
  return true;
}

bool CLauncherStandardDlg::CreateBrowser(int x, int y, int width, int height,
                                         const std::string& url) {
  const QRect rect(x, y, width, height);
  auto* browser = new CWebBrowserEx();
  browsers.push_back(browser);
  browserRect = rect;
  const int id = launcher::kFirstBrowserId + static_cast<int>(browsers.size()) - 1;
  if (id == launcher::kFirstBrowserId) {
    connect(browser, &CWebBrowser::BeforeNavigate2, this, &CLauncherStandardDlg::OnBeforeNavigate2,
            Qt::DirectConnection);
    connect(browser, &CWebBrowser::DocumentComplete, this,
            [this](const QString& address, bool) { OnDocumentComplete(address); });
  }
  HostedPageParams params;
  params.controlId = id;
  params.rect = rect;
  params.parent = this;
  params.hiddenUntilLoaded = true;
  params.external = nullptr;
  params.address = launcher::FirstBrowserAddress(GetStartText(), url);
  return StartHostedPage(*browser, params);
}

void CLauncherStandardDlg::OnDocumentComplete(const QString& url) {
  const std::string text = codepage::Utf16ToSystem(url.toStdU16String());
  if (!launcher::ShouldUnhideBrowsers(text)) return;
  qCDebug(lcLauncher) << "page complete, browsers shown:" << url;
  for (CWebBrowserEx* browser : browsers) {
    browser->put_Width(browserRect.width());
    browser->put_Height(browserRect.height());
    browser->SetRedraw(true);
  }
}

void CLauncherStandardDlg::OnBeforeNavigate2(const QString& url, bool* cancel,
                                             const PageNavigation& facts) {
  if (gameAddressTaken) {
    // The launcher is closing with the first game address; nothing else loads meanwhile.
    if (cancel) *cancel = true;
    return;
  }
  const std::string text = codepage::Utf16ToSystem(url.toStdU16String());
  const std::string top = codepage::Utf16ToSystem(facts.topUrl.toString().toStdU16String());
  launcher::NavigationFacts seen;
  seen.topFrame = facts.topFrame;
  seen.topAddress = top;
  seen.playerActed = facts.playerActed;
  switch (launcher::DecideLoginNavigation(text, config.GetGameHeader().view(), seen)) {
    case launcher::LoginNavigation::Pass:
      qCDebug(lcLauncher) << "navigation passes:" << url;
      return;
    case launcher::LoginNavigation::Refuse:
      qCDebug(lcLauncher) << "game address refused, not a web address:" << url;
      if (cancel) *cancel = true;
      return;
    case launcher::LoginNavigation::Take:
      break;
  }
  qCDebug(lcLauncher) << "game address taken:" << url;
  gameAddressTaken = true;
  gameUrl = text;
  if (cancel) *cancel = true;
  OnOK();
}

void CLauncherStandardDlg::OnCommand(int controlId) {
  switch (controlId) {
    case launcher::kButtonIdBase + launcher::kLinkMinimise:
      showMinimized();
      if (GetFrame()) GetFrame()->showMinimized();
      break;
    case launcher::kButtonIdBase + launcher::kLinkClose: {
      const std::string caption = launcher::ProgramCaption(platform::ProgramPath());
      const std::string text = codepage::SystemToUtf8(config.GetSettings().closeMsg.str());
      if (platform::ShowMessageBox(caption, text, platform::MessageBoxButtons::OkCancel, this) ==
          platform::MessageBoxResult::Ok)
        OnOK();
      break;
    }
    default:
      break;
  }
}

void CLauncherStandardDlg::keyPressEvent(QKeyEvent* event) {
  // Return and Escape reach the focused control and never end the dialog.
  if (launcher::InnerKeyFilter(skin::VirtualKeyFromQt(event->key())) ==
      launcher::KeyDecision::NotConsumed) {
    event->ignore();
    return;
  }
  CStandardDialog::keyPressEvent(event);
}
