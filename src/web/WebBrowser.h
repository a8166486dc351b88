#pragma once
// The embedded browser control of every window, on Qt WebEngine.
#include <QPointer>
#include <QRect>
#include <QUrl>
#include <QWidget>
#include <string>

class ClientCall;
class CWebUIController;
class GameDialogCallback;
class QWebEnginePage;
class QWebEngineView;

// A page's current document as handed to CWebPage; script calls go to the page it belongs to.
class CWebPageDocument : public QObject {
  Q_OBJECT
 public:
  CWebPageDocument(QWebEnginePage* page, QObject* parent);
  QWebEnginePage* page() const { return webPage; }

 private:
  QPointer<QWebEnginePage> webPage;
};

class CWebBrowser : public QWidget {  // paints black until the page shows
  Q_OBJECT
 public:
  explicit CWebBrowser(QWidget* parent = nullptr);
  ~CWebBrowser() override;

  // Creates the engine view as a child of `parent` at `rect` (parent coordinates); false on
  // failure (no parent, or created already). The id is kept as property "controlId" and in the
  // object name "control<id>".
  virtual bool Create(int controlId, const QRect& rect, QWidget* parent);
  void Navigate(const std::string& address);  // 8-bit text in the system code page
  CWebPageDocument* get_Document();           // current page, null before any document
  void put_Width(int width);
  void put_Height(int height);
  void put_Silent(bool silent);
  void SetRedraw(bool on);  // off: updates disabled and the view hidden; on: both restored
  int controlId() const { return id; }
  QWebEngineView* view() const { return webView; }
  CWebUIController* controller() const { return page; }

 signals:
  // Top-frame completions (succeeded or failed loads); `url` as the engine reports it.
  void DocumentComplete(const QString& url, bool topFrame);
  // Connected with Qt::DirectConnection: set *cancel = true to refuse the navigation (page stays).
  void BeforeNavigate2(const QString& url, bool* cancel);
  void RenderProcessGone();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnUrlChanged(const QUrl& url);

  int id = 0;
  QWebEngineView* webView = nullptr;
  CWebUIController* page = nullptr;
  CWebPageDocument* document = nullptr;
};

class CWebBrowserEx : public CWebBrowser {
  Q_OBJECT
 public:
  explicit CWebBrowserEx(QWidget* parent = nullptr);
  void SetExternal(ClientCall* external);  // not owned; null = no window.external methods
  // Applies the UI policy (no context menu, no scroll bars, no selection, window.external) to
  // documents created from now on; false before Create.
  bool ConnectUiController();

 private:
  ClientCall* external = nullptr;
};

// The fixed start-up order every host uses: Create, [hide: put_Width 0, put_Height 0, redraw
// off], Navigate about:blank, [SetExternal], ConnectUiController, put_Silent true, Navigate address.
struct HostedPageParams {
  int controlId = 0;
  QRect rect;
  QWidget* parent = nullptr;
  bool hiddenUntilLoaded = false;
  ClientCall* external = nullptr;
  std::string address;
};
// False when Create fails; the remaining steps are then not done.
bool StartHostedPage(CWebBrowserEx& browser, const HostedPageParams& params);
