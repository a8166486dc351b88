#pragma once
// The page policy of every hosted browser: no context menu, no scroll bars, no text selection,
// window.external for every frame's document (acting only for trusted frames), completion of
// every frame's document, script dialogs as the program's message boxes, new windows, refused
// foreign schemes and refused permissions.
#include <QHash>
#include <QUrl>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QVariantMap>
#include <QWebEnginePage>
#include <deque>
#include <unordered_set>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/web/PageRules.h"

class ClientCall;
class QWebChannel;
class CWebUIController;

// The channel object of the bridge script in the program's own script world of the top frame.
// Only that world can reach it; page scripts cannot.
class ExternalBridge : public QObject {
  Q_OBJECT
 public:
  explicit ExternalBridge(CWebUIController* owner);
  // Each call: {n: method name, a: [{t: type tag, v: value}...]}, in the page's order, from the
  // top document (`fromTop`) or the sub-frame document created at `frameUrl`. The calls of
  // untrusted documents are dropped; the others run from the application's event loop, not
  // inside the engine's message dispatch.
  Q_INVOKABLE void deliver(const QJsonArray& calls, const QString& frameUrl, bool fromTop);
  // A sub-frame's document was created at `url`; a frame not trusted is told so, and its page
  // then sees the methods as unknown ones.
  Q_INVOKABLE void frameCreated(const QString& frameId, const QString& url);
  // A sub-frame's document finished loading (its load event).
  Q_INVOKABLE void frameComplete(const QString& frameId, const QString& url);
  // A sub-frame's document went away (unloaded, replaced or reloaded).
  Q_INVOKABLE void frameGone(const QString& frameId);
  // The outcome of a function called in a sub-frame: {missing}, {threw} or {value}.
  Q_INVOKABLE void scriptResult(int callId, const QJsonObject& outcome);

 signals:
  void callsReceived(int count);
  void callsRefused(const QString& frameUrl);

 private:
  void DeliverPending();

  CWebUIController* owner;
  std::deque<QJsonArray> pending;
  bool scheduled = false;
  bool delivering = false;
};

class CWebUIController : public QWebEnginePage {
  Q_OBJECT
 public:
  using ScriptDone = std::function<void(const QVariantMap& outcome)>;

  explicit CWebUIController(QObject* parent = nullptr);
  ~CWebUIController() override;

  // Object handed to documents as window.external; not owned; null = calls throw in the page.
  void SetExternal(ClientCall* object);
  ClientCall* GetExternal() const { return external; }
  // Address markers (system code page) of frames trusted with window.external besides the top
  // document and the frames of its site; empty markers trust nothing.
  void SetTrustedFrameMarkers(std::vector<std::string> markers) { trust.markers = std::move(markers); }
  // Hosts the operator trusts besides the home site ("a.net" or "*.a.net").
  void SetTrustedHosts(std::vector<std::string> hosts) { trust.trustedHosts = std::move(hosts); }
  // The address the program loads in this page: its site is the page's own.
  void SetHomeAddress(const QUrl& address);
  // Whether a call from the top document (`fromTop`) or from the sub-frame document loaded from
  // `frameUrl` may act. Decided from the engine's addresses: the top document's (TopDocument), and
  // for a frame only an address the engine has loaded as a sub-frame of this page.
  bool TrustsCaller(const QString& frameUrl, bool fromTop) const;
  // Whether a security origin ("scheme://host:port") belongs to a trusted document of this page.
  bool TrustsOrigin(const QUrl& origin) const;
  // What the engine says of the top document (system code page).
  pagerules::TopDocument TopDocument() const;
  // Both of them for a log line, the entry only when it differs.
  QString TopAddressText() const;
  // Whether the engine has loaded this address (its place) as a sub-frame document of this page.
  bool KnowsFrameAddress(const QString& frameUrl) const;
  // Game and chat pages: media plays without a gesture, pointer lock and clipboard writes are
  // granted to trusted documents, and their site's storage is kept.
  void SetGamePage(bool on);
  bool IsGamePage() const { return gamePage; }
  // True once after the page was given the mouse (pointer lock): the next Escape is the page's,
  // which gives the mouse back, as in a browser.
  bool TakePointerLockGrant() { return std::exchange(pointerLockGranted, false); }
  // Called for every sub-frame address the engine requests (interceptor, navigations).
  void RecordFrameAddress(const QUrl& url);
  // Takes over what the program told `old` (external object, trust, game page, silence, sound,
  // installed policy), for a page that replaces it.
  void TakeOver(const CWebUIController& old);
  // Installs the policy into documents created from now on; again = replaced, not doubled.
  void Connect();
  bool IsConnected() const { return connected; }
  // Silent: no script-error or security dialogs. The page's own alert/confirm/prompt still ask.
  void SetSilent(bool on) { silent = on; }
  bool IsSilent() const { return silent; }

  // Calls window[function](args...) in the sub-frame document `frameId` (from
  // FrameDocumentComplete); `done` gets the outcome when the frame answers. False when no such
  // frame document is known to the top document.
  void CallFrameFunction(const QString& frameId, const QString& function, const QStringList& args,
                         ScriptDone done);
  void OnScriptResult(int callId, const QVariantMap& outcome);

  // Windows opened by pages and still open, program-wide.
  static int OpenPopupCount();

 signals:
  // Emitted directly from the navigation decision: set *cancel to refuse (the page stays).
  void NavigationRequested(const QUrl& url, bool isMainFrame, bool* cancel);
  // A sub-frame document the engine loaded finished loading, with the address it was loaded from.
  void FrameDocumentComplete(const QString& frameId, const QString& url);
  void FrameDocumentGone(const QString& frameId);
  // A document of the page asks to hand an address of another program's scheme to the desktop.
  void ExternalProgramRequested(const QUrl& url);
  // The page asks for (on) or gives up (off) full screen. Set *accepted when the host follows.
  void PageFullScreenRequested(bool on, bool* accepted);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
  bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
  bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                        QString* result) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int lineNumber, const QString& sourceID) override;
  QWebEnginePage* createWindow(WebWindowType type) override;

 private:
  enum class DialogKind { Alert, Confirm, Prompt };
  // Shows one script dialog unless the player stopped them; false when not shown or cancelled.
  bool ShowScriptDialog(DialogKind kind, const QUrl& securityOrigin, const QString& msg, QString* text);
  void OnFeaturePermissionRequested(const QUrl& origin, Feature feature);
  QWidget* OwnerWindow() const;

  ClientCall* external = nullptr;
  ExternalBridge* bridge = nullptr;
  QWebChannel* channel = nullptr;
  pagerules::TrustRule trust;
  // Places of the sub-frame documents the engine has loaded in this page, oldest first.
  std::deque<std::string> framePlaceOrder;
  std::unordered_set<std::string> framePlaces;
  bool gamePage = false;
  bool pointerLockGranted = false;
  QString secret;
  bool connected = false;
  bool silent = false;
  pagerules::DialogFlood dialogs;
  QHash<int, ScriptDone> pendingCalls;
  int nextCallId = 1;
};
