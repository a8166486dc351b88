#pragma once
// The demo operator site: login and server list, game and chat pages, platform API, counting
// address. Listens on 127.0.0.1 only.
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

 private:
  void AddRoutes();
  void LogRequest(const httplib::Request& req, const httplib::Response& res);
  void HandleSignedApi(const httplib::Request& req, httplib::Response& res);
  void HandleServerName(const std::string& key, httplib::Response& res);

  SiteOptions options_;
  std::unique_ptr<httplib::Server> server_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::FILE* log_ = nullptr;
  std::vector<std::string> macs_;
};

}  // namespace demo
