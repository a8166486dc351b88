#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests: records each request exactly as received
// (header order and spelling included) and lets the test decide what goes back on the socket.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct ReceivedRequest {
  std::string method;
  std::string target;                                        // path and query as sent
  std::vector<std::pair<std::string, std::string>> headers;  // in the order received
  std::string body;

  std::string Header(const std::string& name) const;  // first match, case-insensitive
  std::vector<std::string> HeaderNames() const;
};

class RawHttpServer {
 public:
  // Writes the answer to `fd` (the server closes the connection afterwards).
  using Handler = std::function<void(RawHttpServer& server, int fd, const ReceivedRequest&)>;

  explicit RawHttpServer(Handler handler);
  ~RawHttpServer();
  RawHttpServer(const RawHttpServer&) = delete;
  RawHttpServer& operator=(const RawHttpServer&) = delete;

  int Port() const { return port; }
  std::string Url(const std::string& pathAndQuery) const;
  std::vector<ReceivedRequest> Requests() const;
  int Connections() const { return connections.load(); }

  static bool SendAll(int fd, const std::string& bytes);
  static std::string Response(int status, const std::string& body,
                              const std::string& extraHeaders = std::string());
  // Blocks until the client closes `fd` or the server stops (a peer that never gets an answer).
  void WaitForPeerClose(int fd);

 private:
  void Run();
  bool ReadRequest(int fd, ReceivedRequest& request);

  Handler handler;
  int listenFd = -1;
  int stopPipe[2] = {-1, -1};
  int port = 0;
  std::atomic<int> connections{0};
  mutable std::mutex mutex;
  std::vector<ReceivedRequest> requests;
  std::thread thread;
};

// A port on 127.0.0.1 where nothing listens.
int ClosedLocalPort();

// Keeps proxy variables from diverting local test traffic.
void KeepLocalTrafficDirect();
