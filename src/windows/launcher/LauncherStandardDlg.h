#pragma once
// The launcher's inner dialog: the operator's link buttons and login browser; recognises the
// game address the login page navigates to, hands it to the application and closes the launcher.
#include <QRect>
#include <QString>
#include <string>
#include <vector>

#include "skin/StandardDialog.h"
#include "web/WebBrowser.h"

class CLauncherConfig;
class CLauncherTranslucentDlg;
class CWebBrowserEx;
class CxSkinButton;

class CLauncherStandardDlg : public CStandardDialog {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 102;

  // `config` outlives the dialog.
  CLauncherStandardDlg(CLauncherTranslucentDlg* frame, CLauncherConfig& config);
  ~CLauncherStandardDlg() override;

  const std::vector<CxSkinButton*>& GetButtons() const { return buttons; }
  const std::vector<CWebBrowserEx*>& GetBrowsers() const { return browsers; }
  QRect GetBrowserRect() const { return browserRect; }
  // Preview: no page is loaded; the rectangle each login browser would take is only recorded.
  void SetPreview(bool on) { preview = on; }
  const std::vector<QRect>& GetPageRects() const { return pageRects; }
  // The game address the login page went to (8-bit text); empty until one was taken.
  const std::string& GetGameUrl() const { return gameUrl; }

  void OnDocumentComplete(const QString& url);
  void OnBeforeNavigate2(const QString& url, bool* cancel, const PageNavigation& facts = {});
  void OnCommand(int controlId);

 protected:
  bool OnInitDialog() override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool CreateButton(int linkNumber, int type, int x, int y, const std::string& url);
  bool CreateBrowser(int x, int y, int width, int height, const std::string& url);

  std::vector<CxSkinButton*> buttons;
  std::vector<CWebBrowserEx*> browsers;
  QRect browserRect;
  CLauncherConfig& config;
  std::string gameUrl;
  bool gameAddressTaken = false;
  bool preview = false;
  std::vector<QRect> pageRects;
};
