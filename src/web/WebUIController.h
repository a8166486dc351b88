#pragma once
// The page policy of every hosted browser: no context menu, no scroll bars, no text selection,
// silent dialogs, and window.external for every frame's document.
#include <QJsonArray>
#include <QObject>
#include <QWebEnginePage>
#include <deque>

class ClientCall;
class QWebChannel;
class CWebUIController;

// The channel object the top frame's bridge script sends batches of window.external calls to.
class ExternalBridge : public QObject {
  Q_OBJECT
 public:
  explicit ExternalBridge(CWebUIController* owner);
  // Each call: {n: method name, a: [{t: type tag, v: value}...]}, in the page's order. The calls
  // run from the application's event loop, not inside the engine's message dispatch.
  Q_INVOKABLE void deliver(const QJsonArray& calls);

 signals:
  void callsReceived(int count);

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
  explicit CWebUIController(QObject* parent = nullptr);
  ~CWebUIController() override;

  // Object handed to documents as window.external; not owned; null = calls throw in the page.
  void SetExternal(ClientCall* object);
  ClientCall* GetExternal() const { return external; }
  // Installs the policy into documents created from now on; again = replaced, not doubled.
  void Connect();
  bool IsConnected() const { return connected; }
  // Silent: script alert/confirm/prompt never show a dialog (confirm and prompt answer cancel).
  void SetSilent(bool on) { silent = on; }
  bool IsSilent() const { return silent; }

 signals:
  // Emitted directly from the navigation decision: set *cancel to refuse (the page stays).
  void NavigationRequested(const QUrl& url, bool isMainFrame, bool* cancel);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
  bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
  bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                        QString* result) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int lineNumber, const QString& sourceID) override;

 private:
  ClientCall* external = nullptr;
  ExternalBridge* bridge = nullptr;
  QWebChannel* channel = nullptr;
  bool connected = false;
  bool silent = false;
};
