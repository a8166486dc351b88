// The browser cache purge on a running game page: its WebSocket and event stream keep delivering,
// a resource cached before is fetched from the server again, and the page's stored data stays.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "WebTestSupport.h"
#include "web/WebProfile.h"

namespace {

// A WebSocket echo server on 127.0.0.1: each text message comes back as it was sent.
class EchoSocketServer {
 public:
  EchoSocketServer() {
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener, 8);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    thread = std::thread([this] { Accept(); });
  }
  ~EchoSocketServer() {
    stopping = true;
    ::shutdown(listener, SHUT_RDWR);
    ::close(listener);
    {
      std::lock_guard<std::mutex> lock(mutex);
      for (int client : clients) ::shutdown(client, SHUT_RDWR);
    }
    thread.join();
    for (std::thread& worker : workers) worker.join();
    for (int client : clients) ::close(client);
  }
  int port = 0;
  std::atomic<int> connections{0};

 private:
  void Accept() {
    while (!stopping) {
      const int client = ::accept(listener, nullptr, nullptr);
      if (client < 0) return;
      std::lock_guard<std::mutex> lock(mutex);
      ++connections;
      clients.push_back(client);
      workers.emplace_back([this, client] { Serve(client); });
    }
  }

  static bool ReadExactly(int fd, unsigned char* to, std::size_t size) {
    while (size > 0) {
      const ssize_t got = ::recv(fd, to, size, 0);
      if (got <= 0) return false;
      to += got;
      size -= static_cast<std::size_t>(got);
    }
    return true;
  }
  static void SendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
      const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;
      sent += static_cast<std::size_t>(n);
    }
  }

  void Serve(int fd) {
    std::string request;
    char c;
    while (request.find("\r\n\r\n") == std::string::npos) {
      if (::recv(fd, &c, 1, 0) != 1) return;
      request += c;
    }
    const std::string name = "Sec-WebSocket-Key: ";
    const std::size_t at = request.find(name);
    if (at == std::string::npos) return;
    const std::size_t end = request.find("\r\n", at);
    const std::string key = request.substr(at + name.size(), end - at - name.size());
    const QByteArray accept =
        QCryptographicHash::hash(QByteArray::fromStdString(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11"),
                                 QCryptographicHash::Sha1)
            .toBase64();
    SendAll(fd, "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                "Sec-WebSocket-Accept: " + accept.toStdString() + "\r\n\r\n");
    for (;;) {
      unsigned char head[2];
      if (!ReadExactly(fd, head, 2)) return;
      const int opcode = head[0] & 0x0f;
      std::uint64_t length = head[1] & 0x7f;
      if (length == 126) {
        unsigned char more[2];
        if (!ReadExactly(fd, more, 2)) return;
        length = (std::uint64_t{more[0]} << 8) | more[1];
      } else if (length == 127) {
        return;  // the test's messages are short
      }
      unsigned char mask[4] = {0, 0, 0, 0};
      if ((head[1] & 0x80) != 0 && !ReadExactly(fd, mask, 4)) return;
      std::string payload(length, '\0');
      if (length > 0 && !ReadExactly(fd, reinterpret_cast<unsigned char*>(payload.data()), length)) return;
      for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(payload[i] ^ mask[i % 4]);
      if (opcode == 0x8) return;
      if (opcode != 0x1) continue;
      std::string frame;
      frame += static_cast<char>(0x81);
      if (payload.size() < 126) {
        frame += static_cast<char>(payload.size());
      } else {
        frame += static_cast<char>(126);
        frame += static_cast<char>((payload.size() >> 8) & 0xff);
        frame += static_cast<char>(payload.size() & 0xff);
      }
      SendAll(fd, frame + payload);
    }
  }

  int listener = -1;
  std::atomic<bool> stopping{false};
  std::thread thread;
  std::mutex mutex;
  std::vector<int> clients;
  std::vector<std::thread> workers;
};

// The game page, an event stream that ticks every 100 ms, and a resource the browser may keep
// for an hour.
class GameSite {
 public:
  explicit GameSite(int socketPort) {
    server.new_task_queue = [] { return new httplib::ThreadPool(8); };
    server.Get("/game", [socketPort](const httplib::Request&, httplib::Response& res) {
      res.set_header("Cache-Control", "no-store");
      static const char kPage[] = R"HTML(<!DOCTYPE html><html><head><title>game</title>
<script src="/asset.js"></script></head><body style="background:#000;color:#ddd">
<script>
window.echoes = [];
window.ticks = 0;
window.socketClosed = false;
window.socket = new WebSocket('ws:\/\/127.0.0.1:PORT/');
socket.onmessage = function (e) { window.echoes.push(e.data); };
socket.onclose = function () { window.socketClosed = true; };
window.events = new EventSource('/events');
events.onmessage = function () { ++window.ticks; };
window.stored = 'pending';
var open = indexedDB.open('game', 1);
open.onupgradeneeded = function () { open.result.createObjectStore('save'); };
open.onsuccess = function () {
  var tx = open.result.transaction('save', 'readwrite');
  tx.objectStore('save').put('level 42', 'hero');
  tx.oncomplete = function () { window.stored = 'yes'; };
};
window.readBack = function () {
  window.readValue = 'pending';
  var again = indexedDB.open('game', 1);
  again.onsuccess = function () {
    var get = again.result.transaction('save').objectStore('save').get('hero');
    get.onsuccess = function () { window.readValue = String(get.result); };
  };
};
window.fetchSlow = function () {
  window.slowLength = -1;
  fetch('/slow').then(function (r) { return r.text(); }).then(function (t) { window.slowLength = t.length; },
                                                             function () { window.slowLength = -2; });
};
window.fetchAsset = function () {
  window.assetText = 'pending';
  fetch('/asset.js').then(function (r) { return r.text(); }).then(function (t) { window.assetText = t; });
};
</script></body></html>)HTML";
      std::string html = kPage;
      html.replace(html.find("PORT"), 4, std::to_string(socketPort));
      res.set_content(html, "text/html; charset=utf-8");
    });
    server.Get("/asset.js", [this](const httplib::Request&, httplib::Response& res) {
      ++assetHits;
      res.set_header("Cache-Control", "max-age=3600");
      res.set_content("window.assetLoaded = true;", "text/javascript");
    });
    // A cacheable answer that takes two seconds, as a long poll does: the engine writes it to its
    // cache while it arrives.
    server.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
      res.set_header("Cache-Control", "max-age=3600");
      res.set_chunked_content_provider("text/plain", [this](std::size_t, httplib::DataSink& sink) {
        if (stopping || slowChunks >= 20) {
          sink.done();
          return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ++slowChunks;
        const std::string chunk(1000, 'x');
        return sink.write(chunk.data(), chunk.size());
      });
    });
    server.Get("/events", [this](const httplib::Request&, httplib::Response& res) {
      ++streams;
      res.set_header("Cache-Control", "no-store");
      res.set_chunked_content_provider("text/event-stream", [this](std::size_t, httplib::DataSink& sink) {
        if (stopping) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::string tick = "data: tick\n\n";
        return sink.write(tick.data(), tick.size());
      });
    });
    port = server.bind_to_any_port("127.0.0.1");
    thread = std::thread([this] { server.listen_after_bind(); });
  }
  ~GameSite() {
    stopping = true;
    server.stop();
    thread.join();
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port) + path; }
  std::atomic<int> assetHits{0};
  std::atomic<int> streams{0};
  std::atomic<int> slowChunks{0};

 private:
  httplib::Server server;
  std::thread thread;
  std::atomic<bool> stopping{false};
  int port = 0;
};

}  // namespace

class CachePurgeTest : public QObject {
  Q_OBJECT

 private slots:
  void purgeKeepsTheGameConnectedAndRefetchesCachedResources() {
    EchoSocketServer echo;
    GameSite site(echo.port);
    QWebEngineView view;
    auto* page = new QWebEnginePage(LauncherProfile(), &view);
    view.setPage(page);
    view.resize(640, 400);
    view.show();
    page->load(QUrl(QString::fromStdString(site.Url("/game"))));
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(page, "window.stored === 'yes' && window.ticks > 2 && "
                                          "window.socket.readyState === 1").toBool(), 30000);
    QCOMPARE(site.assetHits.load(), 1);
    // From the cache while it is kept.
    EvalJs(page, "fetchAsset(); 1");
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "window.assetText").toString(),
                              QStringLiteral("window.assetLoaded = true;"), 20000);
    QCOMPARE(site.assetHits.load(), 1);

    // A slow answer is half way in when the cache is purged.
    EvalJs(page, "fetchSlow(); 1");
    QTRY_VERIFY_WITH_TIMEOUT(site.slowChunks.load() >= 5, 20000);
    ClearLauncherHttpCache();
    // The connections still deliver, well after any restart of the engine's network service.
    const int ticks = EvalJs(page, "window.ticks").toInt();
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(page, "window.ticks").toInt() >= ticks + 20, 20000);
    for (int i = 0; i < 3; ++i) {
      EvalJs(page, QStringLiteral("socket.send('after %1'); 1").arg(i));
      QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "window.echoes.length").toInt(), i + 1, 20000);
    }
    QCOMPARE(EvalJs(page, "window.echoes.join('|')").toString(), QStringLiteral("after 0|after 1|after 2"));
    QCOMPARE(EvalJs(page, "window.socketClosed").toBool(), false);
    // The same connections, not new ones.
    QCOMPARE(echo.connections.load(), 1);
    QCOMPARE(site.streams.load(), 1);

    EvalJs(page, "fetchAsset(); 1");
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "window.assetText").toString(),
                              QStringLiteral("window.assetLoaded = true;"), 20000);
    QCOMPARE(site.assetHits.load(), 2);
    // The cache keeps working: the fresh copy is kept again.
    EvalJs(page, "fetchAsset(); 1");
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "window.assetText").toString(),
                              QStringLiteral("window.assetLoaded = true;"), 20000);
    QCOMPARE(site.assetHits.load(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "window.slowLength").toInt(), 20000, 20000);
    EvalJs(page, "readBack(); 1");
    QTRY_COMPARE_WITH_TIMEOUT(EvalJs(page, "window.readValue").toString(), QStringLiteral("level 42"), 20000);
    // The stream is still live at the end.
    const int later = EvalJs(page, "window.ticks").toInt();
    QTRY_VERIFY_WITH_TIMEOUT(EvalJs(page, "window.ticks").toInt() > later, 20000);
    page->load(QUrl(QStringLiteral("about:blank")));
    QTRY_COMPARE_WITH_TIMEOUT(page->url(), QUrl(QStringLiteral("about:blank")), 20000);
  }
};

LAUNCHER_WEB_TEST_MAIN(CachePurgeTest)
#include "CachePurgeTest.moc"
