// Requests on threads of their own: answers reach their owner, a dropped request ends at once
// and its answer is thrown away, and the adapter report runs beside start-up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "HttpTestSupport.h"
#include "core/config/LauncherConfig.h"
#include "core/net/AdapterReport.h"
#include "core/net/BackgroundWork.h"
#include "core/net/PlatformApi.h"
#include "core/platform/Adapters.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Long enough that a request which was not ended by its cancellation fails the waits below.
constexpr long kSilentServerTimeoutMs = 60000;

// A server that reads the request and never answers, until the client goes.
RawHttpServer::Handler NeverAnswer(std::atomic<int>& arrived) {
  return [&arrived](RawHttpServer& server, int fd, const ReceivedRequest&) {
    ++arrived;
    server.WaitForPeerClose(fd);
  };
}

bool WaitUntil(const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + 20s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);  // polls a condition; never a fixed wait
  }
  return true;
}

class BackgroundWorkTest : public HttpTest {
 protected:
  void SetUp() override {
    HttpTest::SetUp();
    net::SetHttpTimeouts(kSilentServerTimeoutMs, kSilentServerTimeoutMs);
  }
};

TEST_F(BackgroundWorkTest, AnswerReachesTheOwner) {
  RawHttpServer server(Answer(200, R"({"servername":"north"})"));
  LauncherSettings settings;
  settings.urlplatform = server.Url("/api/");
  std::mutex mutex;
  std::condition_variable delivered;
  std::optional<LookupResult> answer;
  net::BackgroundWork work([&settings, &mutex, &delivered, &answer](const net::Cancellation& c) {
    LookupResult result = LookupServerName(settings, "12", &c);
    return net::BackgroundWork::Completion([&, result] {
      std::lock_guard<std::mutex> lock(mutex);
      answer = result;
      delivered.notify_all();
    });
  });
  std::unique_lock<std::mutex> lock(mutex);
  ASSERT_TRUE(delivered.wait_for(lock, 20s, [&] { return answer.has_value(); }));
  EXPECT_EQ(answer->kind, LookupResult::Value);
  EXPECT_EQ(answer->value, "north");
  lock.unlock();
  EXPECT_TRUE(net::WaitForBackgroundWork(20s));
  EXPECT_TRUE(work.Finished());
}

TEST_F(BackgroundWorkTest, DroppedRequestEndsAtOnceAndIsNeverDelivered) {
  std::atomic<int> arrived{0};
  RawHttpServer server(NeverAnswer(arrived));
  const std::string address = server.Url("/api/12");
  std::atomic<bool> completed{false};
  std::atomic<int> outcome{-1};
  auto work = std::make_unique<net::BackgroundWork>([&](const net::Cancellation& c) {
    std::string body;
    outcome = static_cast<int>(FetchUrl(address.c_str(), body, &c));
    return net::BackgroundWork::Completion([&completed] { completed = true; });
  });
  ASSERT_TRUE(WaitUntil([&] { return arrived.load() == 1; }));
  EXPECT_FALSE(net::WaitForBackgroundWork(0ms));
  // Dropping does not wait for the request; the request ends long before its time-out.
  work.reset();
  EXPECT_TRUE(net::WaitForBackgroundWork(20s));
  EXPECT_EQ(outcome.load(), static_cast<int>(FetchOutcome::TransportFailure));
  EXPECT_FALSE(completed.load());
}

TEST_F(BackgroundWorkTest, CancellingEveryWorkEndsRequestsInFlight) {
  std::atomic<int> arrived{0};
  RawHttpServer server(NeverAnswer(arrived));
  LauncherSettings settings;
  settings.urlplatform = server.Url("/api/");
  std::atomic<bool> completed{false};
  net::BackgroundWork work([&settings, &completed](const net::Cancellation& c) {
    const LookupResult result = LookupUserName(settings, &c);
    return net::BackgroundWork::Completion(
        [&completed, result] { completed = result.kind == LookupResult::NoValue; });
  });
  ASSERT_TRUE(WaitUntil([&] { return arrived.load() == 1; }));
  net::CancelBackgroundWork();
  EXPECT_TRUE(net::WaitForBackgroundWork(20s));
  // Not dropped by its owner: the cancelled lookup still delivers, without a value.
  EXPECT_TRUE(completed.load());
}

TEST_F(BackgroundWorkTest, CancelledBeforeItStartsNeverConnects) {
  std::atomic<int> arrived{0};
  RawHttpServer server(NeverAnswer(arrived));
  net::Cancellation cancellation;
  cancellation.Cancel();
  std::string body;
  EXPECT_EQ(FetchUrl(server.Url("/x").c_str(), body, &cancellation),
            FetchOutcome::TransportFailure);
  CHttpClient client("agent");
  client.SetCancellation(&cancellation);
  std::string reply;
  EXPECT_EQ(client.Get(server.Url("/x").c_str(), nullptr, reply), CHttpClient::kFailure);
  EXPECT_EQ(server.Connections(), 0);
}

class BackgroundReportTest : public BackgroundWorkTest {
 protected:
  void SetUp() override {
    BackgroundWorkTest::SetUp();
    char pattern[] = "/tmp/launcher-background-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    BackgroundWorkTest::TearDown();
  }
  std::string folder;
};

TEST_F(BackgroundReportTest, ReportRunsBesideTheCallerAndKeepsTheMarkerRule) {
  LauncherSettings settings;
  EXPECT_EQ(StartAdapterReport(folder + "/Launcher", folder + "/config.zip", settings), nullptr);
  EXPECT_FALSE(fs::exists(folder + "/flag.txt"));

  std::atomic<int> arrived{0};
  RawHttpServer server(NeverAnswer(arrived));
  settings.macCountApiUrl = server.Url("/count?mac=%s");
  // Returns while the counting address keeps the request waiting.
  std::unique_ptr<net::BackgroundWork> report = StartAdapterReport(folder + "/Launcher", folder + "/config.zip", settings);
  ASSERT_NE(report, nullptr);
  // The marker is made before the request goes out (a machine without adapters stops there).
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(folder + "/flag.txt"); }));
  std::vector<unsigned char> adapter;
  if (platform::FirstAdapterHardwareAddress(adapter)) {
    ASSERT_TRUE(WaitUntil([&] { return arrived.load() == 1; }));
    EXPECT_FALSE(report->Finished());
  }
  report.reset();
  EXPECT_TRUE(net::WaitForBackgroundWork(20s));
  EXPECT_TRUE(fs::is_regular_file(folder + "/flag.txt"));
  EXPECT_EQ(fs::file_size(folder + "/flag.txt"), 0u);

  // Made once: a later start finds the marker and sends nothing.
  const int before = server.Connections();
  report = StartAdapterReport(folder + "/Launcher", folder + "/config.zip", settings);
  EXPECT_TRUE(net::WaitForBackgroundWork(20s));
  EXPECT_EQ(server.Connections(), before);
}

TEST_F(BackgroundReportTest, ProgramInTheSystemFoldersKeepsOneMarkerPerPackageForTheUser) {
  const char* previous = std::getenv("XDG_STATE_HOME");
  const std::string saved = previous ? previous : "";
  setenv("XDG_STATE_HOME", (folder + "/state").c_str(), 1);
  RawHttpServer server(Answer(200, "counted"));
  LauncherSettings settings;
  settings.macCountApiUrl = server.Url("/count?mac=%s");
  std::vector<unsigned char> adapter;
  const bool reports = platform::FirstAdapterHardwareAddress(adapter);

  const std::string program = "/usr/lib/launcher-test-absent/Launcher";
  auto run = [&](const std::string& package) {
    std::unique_ptr<net::BackgroundWork> report = StartAdapterReport(program, package, settings);
    EXPECT_NE(report, nullptr);
    EXPECT_TRUE(net::WaitForBackgroundWork(20s));
  };
  run(folder + "/a/config.zip");
  run(folder + "/a/config.zip");
  run(folder + "/b/config.zip");
  std::vector<std::string> markers;
  for (const auto& entry : fs::directory_iterator(folder + "/state/Launcher"))
    markers.push_back(entry.path().filename().string());
  EXPECT_EQ(markers.size(), 2u);
  EXPECT_EQ((fs::status(folder + "/state/Launcher").permissions() & fs::perms::all),
            fs::perms::owner_all);
  if (reports) {
    EXPECT_EQ(server.Connections(), 2);
  }
  EXPECT_FALSE(fs::exists("/usr/lib/launcher-test-absent"));

  if (previous) {
    setenv("XDG_STATE_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_STATE_HOME");
  }
}

}  // namespace
