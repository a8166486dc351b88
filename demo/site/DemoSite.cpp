#include "DemoSite.h"

#include <httplib.h>
#include <json/json.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "../DemoKeys.h"
#include "Pages.h"
#include "Servers.h"
#include "Signature.h"

namespace demo {
namespace {

const char kHtml[] = "text/html; charset=utf-8";
const char kJson[] = "application/json; charset=utf-8";

std::string CompactJson(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value);
}

std::string UtcNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  gmtime_r(&seconds, &tm);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                static_cast<int>(millis));
  return text;
}

std::string RawQuery(const httplib::Request& req) {
  const size_t mark = req.target.find('?');
  return mark == std::string::npos ? std::string() : req.target.substr(mark + 1);
}

std::string Param(const httplib::Request& req, const char* name) {
  return req.has_param(name) ? req.get_param_value(name) : std::string();
}

}  // namespace

DemoSite::DemoSite(SiteOptions options)
    : options_(std::move(options)), server_(std::make_unique<httplib::Server>()) {
  apiHeld_ = options_.apiDelayMs < 0;
  AddRoutes();
}

DemoSite::~DemoSite() {
  Stop();
  if (log_) std::fclose(log_);
}

bool DemoSite::Bind(std::string& error) {
  if (!options_.logPath.empty()) {
    log_ = std::fopen(options_.logPath.c_str(), "a");
    if (!log_) {
      error = "cannot open log file " + options_.logPath;
      return false;
    }
  }
  if (options_.port == 0) {
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
      error = "cannot bind 127.0.0.1";
      return false;
    }
  } else {
    if (!server_->bind_to_port("127.0.0.1", options_.port)) {
      error = "cannot bind 127.0.0.1:" + std::to_string(options_.port);
      return false;
    }
    port_ = options_.port;
  }
  return true;
}

std::string DemoSite::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

bool DemoSite::Run() { return server_->listen_after_bind(); }

void DemoSite::Stop() {
  // Held replies must not keep the server's workers from ending.
  ReleaseApi();
  if (server_) server_->stop();
}

void DemoSite::ReleaseApi() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    apiHeld_ = false;
  }
  apiReleased_.notify_all();
}

void DemoSite::DropHeldApiReplies() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++heldRound_;
  }
  apiReleased_.notify_all();
}

void DemoSite::DelayApiReply() {
  if (options_.apiDelayMs > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(options_.apiDelayMs));
  } else if (options_.apiDelayMs < 0) {
    std::unique_lock<std::mutex> lock(mutex_);
    ++heldReplies_;
    const unsigned round = heldRound_;
    apiReleased_.wait(lock, [this, round] { return !apiHeld_ || heldRound_ != round; });
    --heldReplies_;
  }
}

int DemoSite::HeldApiReplies() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return heldReplies_;
}

std::vector<std::string> DemoSite::CountedMacs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return macs_;
}

void DemoSite::LogRequest(const httplib::Request& req, const httplib::Response& res) {
  if (!log_) return;
  Json::Value line(Json::objectValue);
  line["time"] = UtcNow();
  line["method"] = req.method;
  line["path"] = req.path;
  line["query"] = RawQuery(req);
  Json::Value params(Json::objectValue);
  for (const auto& [name, value] : req.params) params[name] = value;
  line["params"] = params;
  Json::Value headers(Json::objectValue);
  for (const auto& [name, value] : req.headers) {
    // httplib adds these itself; they were not on the wire.
    if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
        name == "LOCAL_PORT")
      continue;
    headers[name] = value;
  }
  line["headers"] = headers;
  line["status"] = res.status;
  const std::string text = CompactJson(line) + "\n";
  std::lock_guard<std::mutex> lock(mutex_);
  std::fwrite(text.data(), 1, text.size(), log_);
  std::fflush(log_);
}

void DemoSite::AddRoutes() {
  httplib::Server& server = *server_;
  // Browsers keep idle connections open, each holding a worker: enough workers that the launcher,
  // game and chat browsers plus the program's own requests never wait for one.
  server.new_task_queue = [] { return new httplib::ThreadPool(32); };
  server.set_keep_alive_timeout(2);
  server.set_logger(
      [this](const httplib::Request& req, const httplib::Response& res) { LogRequest(req, res); });

  auto login = [this](const httplib::Request& req, httplib::Response& res) {
    std::string target = req.has_param("auto") ? Param(req, "auto") : options_.autoUrl;
    const std::string qq = Param(req, "autoqq");
    if (qq == "1" || qq == "2") {
      target = std::string(qq == "1" ? kQqGraphPath : kQqXloginPath) + "?redirect_uri=" +
               kGameHeader + "&serverid=12&skey=1012&auto=1";
    }
    const int delay = req.has_param("delay") ? std::atoi(Param(req, "delay").c_str()) : 100;
    res.set_content(LoginPage(target, delay), kHtml);
  };
  server.Get("/", login);
  server.Get(kLoginPath, login);

  server.Get(kQqGraphPath, [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(QqLoginPage(1, Param(req, "auto") == "1"), kHtml);
  });
  server.Get(kQqXloginPath, [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(QqLoginPage(2, Param(req, "auto") == "1"), kHtml);
  });

  // The game address leads to the game page, keeping its query.
  server.Get(kGameHeader, [](const httplib::Request& req, httplib::Response& res) {
    const std::string query = RawQuery(req);
    res.set_redirect(std::string(kMaxHeader) + (query.empty() ? "" : "?" + query), 302);
  });
  server.Get(kMaxHeader, [this](const httplib::Request& req, httplib::Response& res) {
    const std::string script = req.has_param("script") ? Param(req, "script") : options_.script;
    res.set_content(GamePage(Param(req, "skey"), Param(req, "uid"), script), kHtml);
  });

  server.Get(kChatPath, [this](const httplib::Request& req, httplib::Response& res) {
    int after = options_.gmNewMsgAfterMs;
    if (req.has_param("newmsg")) after = std::atoi(Param(req, "newmsg").c_str());
    res.set_content(ChatPage(options_.gmName, after), kHtml);
  });

  server.Get(kApiPath, [this](const httplib::Request& req, httplib::Response& res) {
    DelayApiReply();
    HandleSignedApi(req, res);
  });
  server.Get(std::string(kApiPath) + "(.+)",
             [this](const httplib::Request& req, httplib::Response& res) {
               DelayApiReply();
               HandleServerName(req.matches[1], res);
             });
  server.Get("/control/release-api", [this](const httplib::Request&, httplib::Response& res) {
    ReleaseApi();
    res.set_content("released\n", "text/plain");
  });
  // A client that gave up on its held replies (the program ended) no longer holds a worker.
  server.Get("/control/drop-held-api", [this](const httplib::Request&, httplib::Response& res) {
    DropHeldApiReplies();
    res.set_content("dropped\n", "text/plain");
  });

  server.Get(kCountPath, [this](const httplib::Request& req, httplib::Response& res) {
    const std::string mac = Param(req, "mac");
    {
      std::lock_guard<std::mutex> lock(mutex_);
      macs_.push_back(mac);
    }
    std::fprintf(stderr, "demo_site: counted installation mac=%s\n", mac.c_str());
    res.set_content("安装已登记 " + mac, "text/plain; charset=utf-8");
  });

  server.Get("/news", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(InfoPage("官网新闻", "新服「玄武门」今日开放，登录即送坐骑。"), kHtml);
  });
  server.Get("/pay", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(InfoPage("充值中心", "演示站不收款。来源：" + Param(req, "from")), kHtml);
  });
  // An advertising page that starts thirty downloads, one every 50 ms.
  server.Get("/ads/downloads", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>领取礼包</title></head>"
        "<body style=\"background:#111;color:#ccc\"><p>礼包下载中…</p><script>"
        "var n = 0; var timer = setInterval(function () {"
        "  var f = document.createElement('iframe'); f.width = 20; f.height = 20;"
        "  f.src = '/ads/download?n=' + n; document.body.appendChild(f);"
        "  if (++n === 30) clearInterval(timer); }, 50);</script></body></html>",
        kHtml);
  });
  server.Get("/ads/download", [](const httplib::Request& req, httplib::Response& res) {
    res.set_header("Content-Disposition",
                   "attachment; filename=\"gift-" + Param(req, "n") + ".bin\"");
    res.set_content(std::string(256 * 1024, 'G'), "application/octet-stream");
  });
  server.Get("/favicon.ico",
             [](const httplib::Request&, httplib::Response& res) { res.status = 204; });
}

void DemoSite::HandleSignedApi(const httplib::Request& req, httplib::Response& res) {
  const std::string type = Param(req, "type");
  const std::string skey = Param(req, "skey");
  const std::string expected =
      Md5Hex(SignText(options_.platform, options_.gkey, skey, type, options_.sign));
  Json::Value reply(Json::objectValue);
  const bool keysMatch =
      Param(req, "platform") == options_.platform && Param(req, "gkey") == options_.gkey;
  if (!keysMatch || !SignatureMatches(expected, Param(req, "sign"))) {
    reply["errno"] = "1";
    reply["msg"] = "sign error";
  } else if (type == "1") {
    if (options_.errnoAsNumber) {
      reply["errno"] = 0;
    } else {
      reply["errno"] = "0";
    }
    reply["data"]["user_name"] = options_.userName;
  } else if (type == "2") {
    reply["errno"] = "0";
    reply["data"]["gsurl"] = options_.chatUrl.empty()
                                 ? BaseUrl() + kChatPath + "?skey=" + skey
                                 : options_.chatUrl;
  } else {
    reply["errno"] = "2";
    reply["msg"] = "unknown type";
  }
  res.status = options_.apiStatus;
  res.set_content(CompactJson(reply), kJson);
}

void DemoSite::HandleServerName(const std::string& key, httplib::Response& res) {
  Json::Value reply(Json::objectValue);
  if (const DemoServer* server = FindServerByKey(key)) {
    reply["servername"] = server->name;
    reply["error"] = 0;
  } else {
    reply["error"] = "no such server";
  }
  res.status = options_.apiStatus;
  res.set_content(CompactJson(reply), kJson);
}

}  // namespace demo
