#pragma once
// The embedded browser control of every window, on Qt WebEngine.
#include <QElapsedTimer>
#include <QPointer>
#include <QRect>
#include <QUrl>
#include <QWebEnginePage>
#include <QWidget>
#include <QHash>
#include <deque>
#include <string>
#include <vector>

#include "core/web/PageRules.h"
#include "skin/ShapeSource.h"

class ClientCall;
class CWebUIController;
class GameDialogCallback;
class QWebEnginePage;
class QWebEngineView;

// A document as handed to CWebPage: the page's top document (empty frame id) or the document of
// one of its sub-frames; script calls go to that document.
class CWebPageDocument : public QObject {
  Q_OBJECT
 public:
  CWebPageDocument(CWebUIController* page, QString frameId, QObject* parent);
  CWebUIController* page() const;
  const QString& frameId() const { return frame; }

 private:
  QPointer<QWebEnginePage> webPage;
  QString frame;
};

// Who asks for a navigation, as the engine and the program's own input saw it.
struct PageNavigation {
  bool topFrame = true;
  QUrl topUrl;               // the top document's address when the navigation was asked for
  bool playerActed = false;  // the player pressed a key or a mouse button in the page just before
};

class CWebBrowser : public QWidget, public IShapeSource {  // paints black until the page shows
  Q_OBJECT
 public:
  explicit CWebBrowser(QWidget* parent = nullptr);
  ~CWebBrowser() override;

  // Creates the engine view as a child of `parent` at `rect` (parent coordinates); false on
  // failure (no parent, or created already). The id is kept as property "controlId" and in the
  // object name "control<id>".
  virtual bool Create(int controlId, const QRect& rect, QWidget* parent);
  // 8-bit text in the system code page. A web address becomes the page's home: its site is
  // the one trusted with window.external.
  void Navigate(const std::string& address);
  CWebPageDocument* get_Document();           // current top document, null before any document
  void put_Width(int width);
  void put_Height(int height);
  void put_Silent(bool silent);
  void SetRedraw(bool on);  // off: updates disabled and the view hidden; on: both restored
  int controlId() const { return id; }
  // The page's sound; false before the view exists.
  bool IsAudioMuted() const;
  void SetAudioMuted(bool muted);
  // Asks the page to leave its own full screen (requestFullscreen); nothing when it is not in it.
  void ExitPageFullScreen();
  QWebEngineView* view() const { return webView; }
  CWebUIController* controller() const { return page; }

 signals:
  // A document finished loading: the top one (succeeded or failed loads) or a sub-frame's (its
  // load event), with that document's address; `document` is the one to attach for script calls.
  void DocumentComplete(const QString& url, bool topFrame, CWebPageDocument* document);
  // Connected with Qt::DirectConnection: set *cancel = true to refuse the navigation (page stays).
  void BeforeNavigate2(const QString& url, bool* cancel, const PageNavigation& facts);
  // The page's renderer died; the page is loaded again, in a page of its own, unless it died too
  // often (then a message box has said so).
  void RenderProcessGone();
  // The page asks for full screen (on) or leaves it; set *accepted when the host follows.
  void PageFullScreenRequested(bool on, bool* accepted);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 public:
  // Whether the player pressed a key or a mouse button in the page within the last few seconds
  // (as long as a browser treats an action as the player's).
  bool PlayerActedRecently() const;
  // The page's pixels once the engine has drawn a document in the shown view; false before.
  bool ShownFace(QImage* face) override;

 private:
  // Makes `fresh` the view's page and follows its signals.
  void AttachPage(CWebUIController* fresh);
  void OnUrlChanged(const QUrl& url);
  void OnRenderProcessTerminated(int status);
  void OnFrameDocumentComplete(const QString& frameId, const QString& url);
  void OnFrameDocumentGone(const QString& frameId);
  void OnExternalProgramRequested(const QUrl& url);

  int id = 0;
  QElapsedTimer lastPlayerInput;
  bool pageDrawn = false;  // the engine has drawn a document since the view was last shown
  bool asking = false;  // a question about another program's address is open
  pagerules::CrashReload crashes;
  // The sub-frame documents of the page by frame id, while their frames hold them.
  QHash<QString, CWebPageDocument*> frameDocuments;
  std::deque<QString> frameOrder;  // oldest first
  QWebEngineView* webView = nullptr;
  CWebUIController* page = nullptr;
  CWebPageDocument* document = nullptr;
};

class CWebBrowserEx : public CWebBrowser {
  Q_OBJECT
 public:
  explicit CWebBrowserEx(QWidget* parent = nullptr);
  void SetExternal(ClientCall* external);  // not owned; null = no window.external methods
  // Frames whose address holds one of these (system code page) may call window.external too.
  void SetTrustedFrameMarkers(const std::vector<std::string>& markers);
  // Hosts the operator trusts besides the page's own site ("a.net", "*.a.net").
  void SetTrustedHosts(const std::vector<std::string>& hosts);
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
  std::vector<std::string> trustedFrameMarkers;  // see CWebBrowserEx::SetTrustedFrameMarkers
  std::vector<std::string> trustedHosts;         // see CWebBrowserEx::SetTrustedHosts
  bool gamePage = false;                         // see CWebUIController::SetGamePage
  std::string address;
};
// False when Create fails; the remaining steps are then not done.
bool StartHostedPage(CWebBrowserEx& browser, const HostedPageParams& params);
