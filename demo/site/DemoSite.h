#pragma once
// The demo operator site: login and server list, game and chat pages, platform API, counting
// address. Listens on 127.0.0.1 only.
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "SiteOptions.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace demo {

class DemoSite {
 public:
  explicit DemoSite(SiteOptions options);
  ~DemoSite();
  DemoSite(const DemoSite&) = delete;
  DemoSite& operator=(const DemoSite&) = delete;

  // Binds 127.0.0.1 on the configured port (0: a free one) and opens the log; false on failure.
  bool Bind(std::string& error);
  int Port() const { return port_; }
  std::string BaseUrl() const;
  // Serves until Stop(); blocks.
  bool Run();
  // Safe from any thread.
  void Stop();
  // The mac parameters the counting address received, in order.
  std::vector<std::string> CountedMacs() const;
  // Lets API replies held by --api-delay -1 go, now and from now on. Safe from any thread.
  void ReleaseApi();
  // Ends the API replies held right now with their answers; later ones are still held.
  void DropHeldApiReplies();
  // API replies waiting for ReleaseApi right now.
  int HeldApiReplies() const;

 private:
  void AddRoutes();
  void LogRequest(const httplib::Request& req, const httplib::Response& res);
  void HandleSignedApi(const httplib::Request& req, httplib::Response& res);
  void HandleServerName(const std::string& key, httplib::Response& res);
  void DelayApiReply();

  SiteOptions options_;
  std::unique_ptr<httplib::Server> server_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::FILE* log_ = nullptr;
  std::vector<std::string> macs_;
  std::condition_variable apiReleased_;
  bool apiHeld_ = false;
  int heldReplies_ = 0;
  unsigned heldRound_ = 0;  // bumped by DropHeldApiReplies
};

}  // namespace demo
