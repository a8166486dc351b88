// The game window's three set-up lookups and the first-start adapter report, all on threads of
// their own at the same time, against a local operator API, round after round. Built under
// ThreadSanitizer: a data race anywhere on their way (signing, HTTP, cancellation, the work
// registry) fails the run, and every answer must still be the right one.
#include <gtest/gtest.h>
#include <httplib.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/config/LauncherConfig.h"
#include "core/net/AdapterReport.h"
#include "core/net/BackgroundWork.h"
#include "core/net/HttpClient.h"
#include "core/net/PlatformApi.h"
#include "core/platform/Adapters.h"

namespace {

namespace fs = std::filesystem;

const char kPlatform[] = "stress";
const char kGkey[] = "g7";
const char kSign[] = "k3y";

std::string Md5(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kDigits[digest[i] >> 4];
    hex += kDigits[digest[i] & 0x0F];
  }
  return hex;
}

// The operator's API: signed lookups at /api/ that answer only a correct signature, the server
// name at /api/<key>, and the counting address.
class OperatorApi {
 public:
  OperatorApi() {
    server.Get("/api/", [](const httplib::Request& req, httplib::Response& res) {
      const std::string skey = req.get_param_value("skey");
      const std::string type = req.get_param_value("type");
      const std::string expected =
          Md5(req.get_param_value("platform") + req.get_param_value("gkey") + skey + type + "#" +
              kSign);
      if (req.get_param_value("sign") != expected) {
        res.set_content(R"({"errno":"1","msg":"sign error"})", "application/json");
      } else if (type == "1") {
        res.set_content(R"({"errno":"0","data":{"user_name":"player-)" + skey + R"("}})",
                        "application/json");
      } else {
        res.set_content(R"({"errno":"0","data":{"gsurl":"http://127.0.0.1/gm?)" + skey + R"("}})",
                        "application/json");
      }
    });
    server.Get(R"(/api/(\w+))", [](const httplib::Request& req, httplib::Response& res) {
      res.set_content(R"({"servername":"server-)" + req.matches[1].str() + R"("})",
                      "application/json");
    });
    server.Get("/count", [this](const httplib::Request& req, httplib::Response& res) {
      counted.fetch_add(1);
      res.set_content("counted " + req.get_param_value("mac"), "text/plain");
    });
    port = server.bind_to_any_port("127.0.0.1");
    // Bound and listening already: requests wait in the backlog until the loop takes them.
    thread = std::thread([this] { server.listen_after_bind(); });
  }
  ~OperatorApi() {
    server.stop();
    thread.join();
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port) + path;
  }

  std::atomic<int> counted{0};

 private:
  httplib::Server server;
  int port = 0;
  std::thread thread;
};

struct Answers {
  std::mutex mutex;
  LookupResult user, server, chat;
};

// One lookup on a thread of its own, its answer handed back by its completion, the way the
// game window starts them.
std::unique_ptr<net::BackgroundWork> Start(std::function<LookupResult(const net::Cancellation&)> lookup,
                                           Answers& answers, LookupResult Answers::*slot) {
  return std::make_unique<net::BackgroundWork>(
      [lookup = std::move(lookup), &answers, slot](const net::Cancellation& cancel) {
        LookupResult result = lookup(cancel);
        return net::BackgroundWork::Completion([&answers, slot, result] {
          std::lock_guard<std::mutex> lock(answers.mutex);
          answers.*slot = result;
        });
      });
}

TEST(LookupStress, SetUpLookupsAndAdapterReportRunTogetherManyTimes) {
  setenv("NO_PROXY", "127.0.0.1,localhost", 1);
  setenv("no_proxy", "127.0.0.1,localhost", 1);
  OperatorApi api;
  char pattern[] = "/tmp/launcher-stress-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  std::vector<unsigned char> adapter;
  const bool hasAdapter = platform::FirstAdapterHardwareAddress(adapter);

  const int rounds = std::getenv("LAUNCHER_STRESS_ROUNDS")
                         ? std::atoi(std::getenv("LAUNCHER_STRESS_ROUNDS"))
                         : 400;
  for (int round = 0; round < rounds; ++round) {
    LauncherSettings settings;
    settings.urlplatform = api.Url("/api/");
    settings.platform = kPlatform;
    settings.gkey = kGkey;
    settings.sign = kSign;
    settings.macCountApiUrl = api.Url("/count?mac=%s");
    const std::string key = std::to_string(1000 + round);
    const std::string bareKey = ApplyServerKey(settings, "http://game/play?skey=" + key + "&sid=1");
    ASSERT_EQ(bareKey, key);
    const std::string programPath = folder + "/Launcher";
    fs::remove(folder + "/flag.txt");

    Answers answers;
    auto report = StartAdapterReport(programPath, folder + "/config.zip", settings);
    auto user = Start([copy = settings](const net::Cancellation& c) { return LookupUserName(copy, &c); },
                      answers, &Answers::user);
    auto server = Start(
        [copy = settings, bareKey](const net::Cancellation& c) {
          return LookupServerName(copy, bareKey, &c);
        },
        answers, &Answers::server);
    auto chat = Start(
        [copy = settings](const net::Cancellation& c) { return LookupChatAddress(copy, &c); },
        answers, &Answers::chat);
    ASSERT_TRUE(net::WaitForBackgroundWork(std::chrono::seconds(60))) << "round " << round;

    std::lock_guard<std::mutex> lock(answers.mutex);
    EXPECT_EQ(answers.user.kind, LookupResult::Value) << "round " << round;
    EXPECT_EQ(answers.user.value, "player-s" + key) << "round " << round;
    EXPECT_EQ(answers.server.value, "server-" + key) << "round " << round;
    EXPECT_EQ(answers.chat.kind, LookupResult::Value) << "round " << round;
    EXPECT_EQ(answers.chat.value, "http://127.0.0.1/gm?s" + key) << "round " << round;
    EXPECT_TRUE(fs::exists(folder + "/flag.txt")) << "round " << round;
    if (::testing::Test::HasFailure()) break;
  }
  // Without an adapter the report stops before its request; the marker is still made.
  if (hasAdapter) {
    EXPECT_EQ(api.counted.load(), rounds);
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

// Lookups dropped while in flight, as when the game window closes during set-up: cancellation
// reaches the sockets from the dropping thread while the workers use them.
TEST(LookupStress, LookupsDroppedInFlight) {
  setenv("NO_PROXY", "127.0.0.1,localhost", 1);
  setenv("no_proxy", "127.0.0.1,localhost", 1);
  OperatorApi api;
  for (int round = 0; round < 100; ++round) {
    LauncherSettings settings;
    settings.urlplatform = api.Url("/api/");
    settings.platform = kPlatform;
    settings.gkey = kGkey;
    settings.sign = kSign;
    const std::string bareKey = ApplyServerKey(settings, "http://game/play?skey=7&");
    Answers answers;
    {
      auto user = Start([copy = settings](const net::Cancellation& c) { return LookupUserName(copy, &c); },
                        answers, &Answers::user);
      auto server = Start(
          [copy = settings, bareKey](const net::Cancellation& c) {
            return LookupServerName(copy, bareKey, &c);
          },
          answers, &Answers::server);
      auto chat = Start(
          [copy = settings](const net::Cancellation& c) { return LookupChatAddress(copy, &c); },
          answers, &Answers::chat);
      if (round % 2) std::this_thread::yield();
    }
    ASSERT_TRUE(net::WaitForBackgroundWork(std::chrono::seconds(60))) << "round " << round;
  }
}

}  // namespace
