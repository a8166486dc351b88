#pragma once
// Shared pieces of the browser tests: a local HTTP server, a recording game window, a host window
// and the test main that prepares the engine's environment.
#include <httplib.h>
#include <unistd.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QTextCharFormat>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/platform/MessageBox.h"
#include "core/platform/SaveDialog.h"
#include "web/GameWindow.h"
#include "web/PopupWindow.h"
#include "web/WebBrowser.h"
#include "web/WebProfile.h"

// The application's current game window, as a test sets it.
class CurrentGame final : public IGameWindowProvider {
 public:
  IGameWindow* game = nullptr;
  IGameWindow* CurrentGameWindow() const override { return game; }
};
inline CurrentGame currentGame;

// Serves fixed pages from 127.0.0.1 on a free port; counts the requests of each path.
class TestHttpServer {
 public:
  TestHttpServer() {
    server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
      std::unique_lock<std::mutex> lock(mutex);
      ++hits[request.path];
      released.wait(lock, [&] { return held.count(request.path) == 0; });
      const auto page = pages.find(request.path);
      if (page == pages.end()) {
        response.status = 404;
        response.set_content("<html><body>missing</body></html>", "text/html");
        return;
      }
      response.set_header("Cache-Control", "no-store");
      const auto extra = headers.find(request.path);
      if (extra != headers.end()) {
        for (const auto& header : extra->second) response.set_header(header.first, header.second);
      }
      const auto type = types.find(request.path);
      response.set_content(page->second,
                           type != types.end() ? type->second : std::string("text/html; charset=utf-8"));
    });
    // Bound and listening from here on: requests queue until the thread accepts them.
    port = server.bind_to_any_port("127.0.0.1");
    thread = std::thread([this] { server.listen_after_bind(); });
  }
  ~TestHttpServer() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      held.clear();
    }
    released.notify_all();
    server.stop();
    thread.join();
  }
  void Page(const std::string& path, const std::string& html) {
    std::lock_guard<std::mutex> lock(mutex);
    pages[path] = html;
  }
  // Any content with its type and further response headers (a download, say).
  void Raw(const std::string& path, const std::string& content, const std::string& type,
           const std::vector<std::pair<std::string, std::string>>& extraHeaders = {}) {
    std::lock_guard<std::mutex> lock(mutex);
    pages[path] = content;
    types[path] = type;
    headers[path] = extraHeaders;
  }
  // Requests for the path are answered only after Release: a load the server holds open.
  void Hold(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex);
    held.insert(path);
  }
  void Release(const std::string& path) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      held.erase(path);
    }
    released.notify_all();
  }
  int Hits(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex);
    return hits[path];
  }
  // host: "127.0.0.1" or "localhost" (a second origin on the same loopback server).
  std::string Url(const std::string& path, const std::string& host = "127.0.0.1") const {
    return "http://" + host + ":" + std::to_string(port) + path;
  }
  QString QUrlText(const std::string& path) const { return QString::fromStdString(Url(path)); }

 private:
  httplib::Server server;
  std::thread thread;
  std::mutex mutex;
  std::map<std::string, std::string> pages;
  std::map<std::string, int> hits;
  std::set<std::string> held;
  std::condition_variable released;
  std::map<std::string, std::string> types;
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> headers;
  int port = 0;
};

// A game window that records what the page bridge asks of it.
class RecordingGameWindow : public IGameWindow {
 public:
  struct Call {
    std::string what;
    std::vector<PageArg> args;
  };
  void OnPageCommand(const std::vector<PageArg>& args) override { calls.push_back({"command", args}); }
  void OnGsName(const std::vector<PageArg>& args) override { calls.push_back({"gsName", args}); }
  void OnNewMsg() override { calls.push_back({"newMsg", {}}); }
  void RelayoutIfPlaced() override { calls.push_back({"relayout", {}}); }
  void ShowChatButton(const std::string& /*name*/) override { calls.push_back({"chatButton", {}}); }
  void StartChatBlink() override { calls.push_back({"blink", {}}); }
  void HideChatWindow() override { calls.push_back({"hideChat", {}}); }
  std::vector<Call> calls;
};

// Runs a JavaScript expression in a browser's page and waits for its value.
// An invalid QVariant when no answer came in time.
template <typename Page>
QVariant EvalJs(Page* page, const QString& script, int timeoutMs = 10000) {
  struct Answer {
    QVariant value;
    bool done = false;
  };
  auto answer = std::make_shared<Answer>();
  page->runJavaScript(script, 0, [answer](const QVariant& value) {
    answer->value = value;
    answer->done = true;
  });
  if (!QTest::qWaitFor([&] { return answer->done; }, timeoutMs)) return {};
  return answer->value;
}


// Answers the program's message boxes in order (OK when nothing is queued) and records them.
class MessageAnswers {
 public:
  MessageAnswers() {
    previous = platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& request) {
      seen.push_back(request);
      if (request.input != nullptr && !inputs.empty()) {
        *request.input = inputs.front();
        inputs.pop_front();
      }
      if (answers.empty()) return platform::MessageBoxResult::Ok;
      const platform::MessageBoxResult answer = answers.front();
      answers.pop_front();
      return answer;
    });
  }
  ~MessageAnswers() { platform::SetMessageBoxHandler(std::move(previous)); }
  QStringList Texts() const {
    QStringList texts;
    for (const auto& request : seen) texts << QString::fromStdString(request.text);
    return texts;
  }
  std::vector<platform::MessageBoxRequest> seen;
  std::deque<platform::MessageBoxResult> answers;
  std::deque<std::string> inputs;

 private:
  platform::MessageBoxHandler previous;
};

class SaveAnswers {
 public:
  SaveAnswers() {
    previous = platform::SetSaveDialogHandler(
        [this](const platform::SaveDialogRequest& request, platform::SaveDialogAnswer done) {
          seen.push_back(request);
          done(answer);
        });
  }
  ~SaveAnswers() { platform::SetSaveDialogHandler(std::move(previous)); }
  std::vector<platform::SaveDialogRequest> seen;
  std::string answer;

 private:
  platform::SaveDialogHandler previous;
};

inline std::vector<CPopupWindow*> Popups() {
  std::vector<CPopupWindow*> found;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* popup = qobject_cast<CPopupWindow*>(widget)) found.push_back(popup);
  }
  return found;
}

inline void ClosePopups() {
  for (CPopupWindow* popup : Popups()) delete popup;
}

// The shown top-level window the tests' browsers live in; null when the display never showed it.
inline std::unique_ptr<QWidget> ShownHost(const QString& title = QString()) {
  auto host = std::make_unique<QWidget>();
  if (!title.isEmpty()) host->setWindowTitle(title);
  host->resize(800, 600);
  host->show();
  if (!QTest::qWaitForWindowExposed(host.get())) return nullptr;
  return host;
}

// A real click of the player's into a browser's page, at `at` in the page.
inline void ClickPage(CWebBrowser* browser, QPoint at = QPoint(100, 100)) {
  QWidget* target = browser->view()->focusProxy() ? browser->view()->focusProxy() : browser->view();
  QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, at);
}

// Clicks into the page until `done` holds, as a player clicks again when nothing happened: the
// engine routes a click into a frame only once it has composited that frame.
template <typename Done>
bool ClickPageUntil(CWebBrowser* browser, QPoint at, Done done, int timeoutMs = 30000) {
  QDeadlineTimer deadline(timeoutMs);
  while (!deadline.hasExpired()) {
    ClickPage(browser, at);
    if (QTest::qWaitFor(done, 1000)) return true;
  }
  return done();
}

// Input-method text in a page: the composition events its document sees are kept in
// window.__composition as "start:", "update:<text>" and "end:<text>", and the field `selector`
// is emptied and focused. True once the field has the page's focus.
inline bool WatchCompositionIn(QWebEnginePage* page, const QString& selector) {
  const QString script = QStringLiteral(
      "(function(){ if (!window.__composition) { window.__composition = [];"
      " for (const t of ['compositionstart','compositionupdate','compositionend'])"
      "  document.addEventListener(t, e => window.__composition.push(t.slice(11) + ':' + (e.data||'')), true); }"
      " const f = document.querySelector('%1'); if (!f) return false; f.value = ''; f.focus();"
      " return document.activeElement === f; })()").arg(selector);
  return EvalJs(page, script).toBool();
}

// The composition events WatchCompositionIn kept, joined by "|".
inline QString CompositionEvents(QWebEnginePage* page) {
  return EvalJs(page, QStringLiteral("(window.__composition || []).join('|')")).toString();
}
// The value of the field `selector` in the page.
inline QString FieldValue(QWebEnginePage* page, const QString& selector) {
  return EvalJs(page, QStringLiteral("document.querySelector('%1').value").arg(selector)).toString();
}

// The widget of a browser that has the keyboard focus, once the window and the page's field have
// it and it takes input-method text; null when that did not happen in time.
inline QWidget* InputMethodTarget(CWebBrowser* browser) {
  browser->window()->activateWindow();
  browser->view()->setFocus();
  QWidget* target = nullptr;
  const bool taken = QTest::qWaitFor(
      [&] {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr || (focus != browser->view() && !browser->view()->isAncestorOf(focus)))
          return false;
        if (!focus->testAttribute(Qt::WA_InputMethodEnabled) ||
            !focus->inputMethodQuery(Qt::ImEnabled).toBool())
          return false;
        target = focus;
        return true;
      },
      10000);
  // The engine tells the page it has the focus a moment later; text sent before that is lost.
  if (!taken || !QTest::qWaitFor(
                    [&] {
                      return EvalJs(browser->view()->page(), QStringLiteral("document.hasFocus()"))
                          .toBool();
                    },
                    10000))
    return nullptr;
  return target;
}

// What an input method sends while the player composes: the text not yet chosen, underlined,
// with the cursor at its end; then the chosen text, committed.
inline void SendPreedit(QWidget* target, const QString& text) {
  QTextCharFormat underline;
  underline.setFontUnderline(true);
  QList<QInputMethodEvent::Attribute> attributes{
      {QInputMethodEvent::TextFormat, 0, static_cast<int>(text.size()), underline},
      {QInputMethodEvent::Cursor, static_cast<int>(text.size()), 1, QVariant()}};
  QInputMethodEvent event(text, attributes);
  QApplication::sendEvent(target, &event);
}
inline void SendCommit(QWidget* target, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QApplication::sendEvent(target, &event);
}

// Chromium refuses to run as root with its sandbox on: only then is it turned off. The engine
// gets the program's own switches. The browser profile's data goes to a temporary folder.
#define LAUNCHER_WEB_TEST_MAIN(TestClass)                                        \
  int main(int argc, char** argv) {                                              \
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");             \
    ApplyEngineSwitches();                                                       \
    QTemporaryDir dataHome;                                                      \
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());                          \
    qputenv("XDG_CACHE_HOME", (dataHome.path() + "/cache").toUtf8());            \
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                  \
    QApplication app(argc, argv);                                                \
    int rc = 0;                                                                  \
    {                                                                            \
      TestClass test;                                                            \
      rc = QTest::qExec(&test, argc, argv);                                      \
    }                                                                            \
    return rc;                                                                   \
  }
