#include <gtest/gtest.h>
#include <httplib.h>
#include <json/json.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "DemoKeys.h"
#include "site/DemoSite.h"
#include "site/Pages.h"
#include "site/Signature.h"
#include "site/SiteOptions.h"

namespace {

std::string TempPath(const std::string& name) {
  return testing::TempDir() + "demo_site_" + std::to_string(getpid()) + "_" + name;
}

demo::SiteOptions Options(std::vector<std::string> args) {
  args.insert(args.begin(), "demo_site");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  demo::SiteOptions options;
  std::string error;
  EXPECT_TRUE(demo::ParseSiteArgs(static_cast<int>(argv.size()), argv.data(), options, error))
      << error;
  return options;
}

Json::Value ParseJson(const std::string& text) {
  Json::Value value;
  Json::CharReaderBuilder builder;
  std::string errors;
  std::istringstream in(text);
  EXPECT_TRUE(Json::parseFromStream(builder, in, &value, &errors)) << text;
  return value;
}

// A demo site served in-process on a free port.
class RunningSite {
 public:
  explicit RunningSite(demo::SiteOptions options) : site_(std::move(options)) {
    std::string error;
    bound_ = site_.Bind(error);
    EXPECT_TRUE(bound_) << error;
    if (bound_) thread_ = std::thread([this] { site_.Run(); });
  }
  ~RunningSite() {
    site_.Stop();
    if (thread_.joinable()) thread_.join();
  }
  demo::DemoSite& site() { return site_; }
  httplib::Result Get(const std::string& target) {
    httplib::Client client("127.0.0.1", site_.Port());
    client.set_connection_timeout(5);
    client.set_read_timeout(10);
    return client.Get(target.c_str());
  }

 private:
  demo::DemoSite site_;
  bool bound_ = false;
  std::thread thread_;
};

std::string SignedTarget(const std::string& skey, const std::string& type,
                         const std::string& sign) {
  return std::string(demo::kApiPath) + "?platform=" + demo::kPlatform + "&gkey=" + demo::kGkey +
         "&skey=" + skey + "&type=" + type + "&sign=" + sign;
}

std::string DemoSignature(const std::string& skey, const std::string& type) {
  return demo::Md5Hex(demo::SignText(demo::kPlatform, demo::kGkey, skey, type, demo::kSign));
}

TEST(DemoSignature, DigestAndSignText) {
  EXPECT_EQ(demo::Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(demo::Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(demo::SignText("p", "g", "s1", "2", "k"), "pgs12#k");
  EXPECT_EQ(demo::SignText("", "", "", "1", ""), "1#");
  EXPECT_TRUE(demo::SignatureMatches("900150983cd24fb0d6963f7d28e17f72",
                                     "900150983CD24FB0D6963F7D28E17F72"));
  EXPECT_FALSE(demo::SignatureMatches("900150983cd24fb0d6963f7d28e17f72", "900150983cd2"));
}

TEST(DemoSiteApi, SignedUserNameAccepted) {
  RunningSite site(Options({}));
  auto res = site.Get(SignedTarget("s1012", "1", DemoSignature("s1012", "1")));
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  const Json::Value reply = ParseJson(res->body);
  ASSERT_TRUE(reply["errno"].isString());
  EXPECT_EQ(reply["errno"].asString(), "0");
  EXPECT_EQ(reply["data"]["user_name"].asString(), "逍遥子");
}

TEST(DemoSiteApi, BadSignaturesRefused) {
  RunningSite site(Options({}));
  const std::string good1 = DemoSignature("s1012", "1");
  const std::vector<std::string> targets = {
      SignedTarget("s1012", "1", "00000000000000000000000000000000"),
      SignedTarget("s1012", "1", DemoSignature("s1012", "2")),  // signed for the other type
      SignedTarget("s1003", "1", good1),                       // signed for another server
      SignedTarget("s1012", "1", ""),
      std::string(demo::kApiPath) + "?platform=other&gkey=" + demo::kGkey +
          "&skey=s1012&type=1&sign=" + good1,
  };
  for (const std::string& target : targets) {
    auto res = site.Get(target);
    ASSERT_TRUE(res) << target;
    const Json::Value reply = ParseJson(res->body);
    EXPECT_EQ(reply["errno"].asString(), "1") << target;
    EXPECT_FALSE(reply.isMember("data")) << target;
  }
}

TEST(DemoSiteApi, KeysFromCommandLine) {
  RunningSite site(Options({"--platform", "p9", "--gkey", "g9", "--sign", "k9"}));
  const std::string sign = demo::Md5Hex("p9g9sABC1#k9");
  auto ok = site.Get(std::string(demo::kApiPath) + "?platform=p9&gkey=g9&skey=sABC&type=1&sign=" +
                     sign);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ParseJson(ok->body)["errno"].asString(), "0");
  auto refused = site.Get(SignedTarget("sABC", "1", DemoSignature("sABC", "1")));
  ASSERT_TRUE(refused);
  EXPECT_EQ(ParseJson(refused->body)["errno"].asString(), "1");
}

TEST(DemoSiteApi, ChatAddressLeadsToChatPage) {
  RunningSite site(Options({}));
  auto res = site.Get(SignedTarget("s1012", "2", DemoSignature("s1012", "2")));
  ASSERT_TRUE(res);
  const Json::Value reply = ParseJson(res->body);
  ASSERT_TRUE(reply["data"]["gsurl"].isString());
  const std::string gsurl = reply["data"]["gsurl"].asString();
  const std::string base = site.site().BaseUrl();
  ASSERT_EQ(gsurl, base + demo::kChatPath + "?skey=s1012");

  auto page = site.Get(gsurl.substr(base.size()));
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("getGsName"), std::string::npos);
  EXPECT_NE(page->body.find("getNewMsg"), std::string::npos);
  EXPECT_NE(page->body.find("客服小美"), std::string::npos);
}

TEST(DemoSiteApi, ServerNames) {
  RunningSite site(Options({}));
  struct Case {
    const char* key;
    const char* name;  // null: no servername member
  };
  const Case cases[] = {{"1003", "青龙殿"}, {"1012", "白虎堂"}, {"8015", "朱雀台"},
                        {"8105", "玄武门"}, {"9999", nullptr}};
  for (const Case& c : cases) {
    auto res = site.Get(std::string(demo::kApiPath) + c.key);
    ASSERT_TRUE(res) << c.key;
    const Json::Value reply = ParseJson(res->body);
    if (c.name) {
      ASSERT_TRUE(reply["servername"].isString()) << c.key;
      EXPECT_EQ(reply["servername"].asString(), c.name);
    } else {
      EXPECT_FALSE(reply.isMember("servername")) << c.key;
    }
  }
}

TEST(DemoSiteApi, ReplyScenarios) {
  RunningSite numeric(Options({"--errno-number", "--user-name", "Ann", "--chat-url",
                               "http://127.0.0.1:1/elsewhere"}));
  auto user = numeric.Get(SignedTarget("s1", "1", DemoSignature("s1", "1")));
  ASSERT_TRUE(user);
  const Json::Value reply = ParseJson(user->body);
  EXPECT_TRUE(reply["errno"].isNumeric());
  EXPECT_EQ(reply["data"]["user_name"].asString(), "Ann");
  auto chat = numeric.Get(SignedTarget("s1", "2", DemoSignature("s1", "2")));
  ASSERT_TRUE(chat);
  EXPECT_EQ(ParseJson(chat->body)["data"]["gsurl"].asString(), "http://127.0.0.1:1/elsewhere");

  RunningSite failing(Options({"--api-status", "500"}));
  auto status = failing.Get(SignedTarget("s1", "1", DemoSignature("s1", "1")));
  ASSERT_TRUE(status);
  EXPECT_EQ(status->status, 500);
  auto name = failing.Get(std::string(demo::kApiPath) + "1012");
  ASSERT_TRUE(name);
  EXPECT_EQ(name->status, 500);
}

TEST(DemoSiteApi, HeldRepliesGoWhenReleased) {
  RunningSite site(Options({"--api-delay", "-1"}));
  std::atomic<bool> answered{false};
  std::thread asker([&] {
    auto name = site.Get(std::string(demo::kApiPath) + "1012");
    answered = name && name->status == 200 && ParseJson(name->body)["servername"].isString();
  });
  // The rest of the site answers while the API holds its reply.
  auto page = site.Get(std::string(demo::kMaxHeader) + "?skey=1012");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_FALSE(answered.load());
  auto release = site.Get("/control/release-api");
  ASSERT_TRUE(release);
  asker.join();
  EXPECT_TRUE(answered.load());
  // Released for good: later replies go at once.
  auto later = site.Get(SignedTarget("s1", "1", DemoSignature("s1", "1")));
  ASSERT_TRUE(later);
  EXPECT_EQ(later->status, 200);
}

TEST(DemoSiteApi, HeldRepliesDoNotKeepTheSiteFromStopping) {
  std::atomic<bool> answered{false};
  std::thread asker;
  {
    RunningSite site(Options({"--api-delay", "-1"}));
    asker = std::thread([&] {
      auto reply = site.Get(std::string(demo::kApiPath) + "1012");
      answered = reply && reply->status == 200;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (site.site().HeldApiReplies() == 0 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(site.site().HeldApiReplies(), 1);
  }
  // Stopping releases the held reply: its worker ends, and the asker has its answer.
  asker.join();
  EXPECT_TRUE(answered.load());
}

TEST(DemoSitePages, LoginListsGameAddressesAndQqLookAlikes) {
  RunningSite site(Options({}));
  for (const char* path : {"/", "/login"}) {
    auto res = site.Get(path);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_NE(res->get_header_value("Content-Type").find("text/html"), std::string::npos);
    const std::string& body = res->body;
    // Dual-line (at most 8000) and no-wipe (above 8000) server numbers, each with skey=...&.
    EXPECT_NE(body.find("/game/enter?serverid=12&amp;skey=1012&amp;"), std::string::npos);
    EXPECT_NE(body.find("/game/enter?serverid=80015&amp;skey=8015&amp;"), std::string::npos);
    EXPECT_NE(body.find("/qq/graph.qq.com/oauth/login_jump?redirect_uri=/game/enter"),
              std::string::npos);
    EXPECT_NE(body.find("/qq/xui.ptlogin2.qq.com/cgi-bin/xlogin?redirect_uri=/game/enter"),
              std::string::npos);
    EXPECT_EQ(body.find("http://"), std::string::npos) << "no external resources";
  }
}

TEST(DemoSitePages, QqLookAlikesLinkToARealServer) {
  RunningSite site(Options({}));
  for (const char* path : {demo::kQqGraphPath, demo::kQqXloginPath}) {
    auto res = site.Get(std::string(path) + "?redirect_uri=/game/enter&auto=1");
    ASSERT_TRUE(res) << path;
    EXPECT_EQ(res->status, 200);
    EXPECT_NE(res->body.find("href=\"/game/enter?serverid=12&amp;skey=1012&amp;uid=qq\""),
              std::string::npos);
    EXPECT_NE(res->body.find("var go=true"), std::string::npos);
  }
  auto manual = site.Get(demo::kQqGraphPath);
  ASSERT_TRUE(manual);
  EXPECT_NE(manual->body.find("var go=false"), std::string::npos);
}

TEST(DemoSitePages, GameAddressLeadsToGamePageKeepingQuery) {
  RunningSite site(Options({}));
  auto res = site.Get("/game/enter?serverid=12&skey=1012&uid=demo");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 302);
  EXPECT_EQ(res->get_header_value("Location"), "/play/game?serverid=12&skey=1012&uid=demo");

  auto game = site.Get("/play/game?serverid=12&skey=1012&uid=demo");
  ASSERT_TRUE(game);
  EXPECT_EQ(game->status, 200);
  const std::string& body = game->body;
  for (const char* needle :
       {"function clientCallJs(", "function isReady(", "'JsCallClient'", "'getGsName'",
        "'getNewMsg'", "'Is360Game'", "<canvas", "白虎堂", "cmd('6',val('p6'))"}) {
    EXPECT_NE(body.find(needle), std::string::npos) << needle;
  }
}

TEST(DemoSitePages, ScenarioParametersAreEmbeddedSafely) {
  RunningSite site(Options({"--script", "[[\"getNewMsg\"]]"}));
  auto autoLogin = site.Get("/login?auto=%2Fgame%2Fenter%3Fskey%3D1%26x%3D%3C%2Fscript%3E");
  ASSERT_TRUE(autoLogin);
  EXPECT_NE(autoLogin->body.find("var target=\"/game/enter?skey=1\\u0026x=\\u003c/script\\u003e\""),
            std::string::npos);
  EXPECT_EQ(autoLogin->body.find("x=</script>"), std::string::npos);

  auto delayed = site.Get("/login?delay=5000&auto=%2Fplay%2Fgame");
  ASSERT_TRUE(delayed);
  EXPECT_NE(delayed->body.find("location.href=target;},5000)"), std::string::npos);

  auto qq = site.Get("/login?autoqq=2");
  ASSERT_TRUE(qq);
  EXPECT_NE(qq->body.find("var target=\"/qq/xui.ptlogin2.qq.com/cgi-bin/xlogin?redirect_uri="
                          "/game/enter\\u0026serverid=12\\u0026skey=1012\\u0026auto=1\""),
            std::string::npos);

  auto scripted =
      site.Get("/play/game?skey=1003&script=%5B%5B%22JsCallClient%22%2C%226%22%2C%22S2%22%2C%22%22%5D%5D");
  ASSERT_TRUE(scripted);
  EXPECT_NE(scripted->body.find("var s=\"[[\\\"JsCallClient\\\",\\\"6\\\",\\\"S2\\\",\\\"\\\"]]\""),
            std::string::npos);
  auto fallback = site.Get("/play/game?skey=1003");
  ASSERT_TRUE(fallback);
  EXPECT_NE(fallback->body.find("var s=\"[[\\\"getNewMsg\\\"]]\""), std::string::npos);

  auto uid = site.Get("/play/game?uid=%3Cimg%20src%3Dx%3E");
  ASSERT_TRUE(uid);
  EXPECT_NE(uid->body.find("&lt;img src=x&gt;"), std::string::npos);
  EXPECT_EQ(uid->body.find("<img"), std::string::npos);
}

TEST(DemoSitePages, AutoNavigationStaysOnThisMachine) {
  struct Case {
    const char* address;
    bool local;
  };
  const Case cases[] = {
      {"/game/enter?skey=1&", true},        {"/", true},
      {"http://127.0.0.1:8765/login", true}, {"http://localhost/x", true},
      {"http://127.0.0.1", true},            {"//example.com/x", false},
      {"/\\example.com", false},            {"javascript:alert(1)", false},
      {"http://127.0.0.1.example.com/", false}, {"https://example.com/", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(demo::IsLocalAddress(c.address), c.local) << c.address;

  RunningSite site(Options({}));
  auto res = site.Get("/login?auto=javascript%3Aalert(1)");
  ASSERT_TRUE(res);
  EXPECT_NE(res->body.find("var target=\"\""), std::string::npos);
}

TEST(DemoSitePages, JsStringEscapes) {
  EXPECT_EQ(demo::JsString("a\"b\\c\n"), "\"a\\\"b\\\\c\\n\"");
  EXPECT_EQ(demo::JsString("</script>"), "\"\\u003c/script\\u003e\"");
  EXPECT_EQ(demo::JsString(std::string("\x01", 1)), "\"\\u0001\"");
  EXPECT_EQ(demo::JsString("\xE2\x80\xA8"), "\"\\u2028\"");
  EXPECT_EQ(demo::HtmlEscape("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
}

TEST(DemoSiteCount, RecordsMacAndReplies) {
  RunningSite site(Options({}));
  auto res = site.Get("/count?mac=0A:1B:2C:3D:4E:5F");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_NE(res->body.find("0A:1B:2C:3D:4E:5F"), std::string::npos);
  EXPECT_EQ(site.site().CountedMacs(), std::vector<std::string>{"0A:1B:2C:3D:4E:5F"});
}

TEST(DemoSiteLog, OneJsonLinePerRequest) {
  const std::string log = TempPath("log.jsonl");
  std::remove(log.c_str());
  {
    RunningSite site(Options({"--log", log}));
    httplib::Client client("127.0.0.1", site.site().Port());
    client.set_default_headers({{"User-Agent", "demo-test/1"}});
    ASSERT_TRUE(client.Get("/count?mac=AA:BB:CC:DD:EE:FF"));
    ASSERT_TRUE(client.Get("/api/1012"));
    ASSERT_TRUE(client.Get("/nowhere"));
  }
  // A request is logged after its reply is sent, so lines of quick successive requests may
  // come in either order: find each by its path.
  std::ifstream in(log);
  std::map<std::string, Json::Value> byPath;
  std::size_t count = 0;
  for (std::string line; std::getline(in, line); ++count) {
    Json::Value value = ParseJson(line);
    byPath[value["path"].asString()] = value;
  }
  ASSERT_EQ(count, 3u);
  ASSERT_EQ(byPath.size(), 3u);
  const Json::Value& counted = byPath["/count"];
  EXPECT_EQ(counted["method"].asString(), "GET");
  EXPECT_EQ(counted["query"].asString(), "mac=AA:BB:CC:DD:EE:FF");
  EXPECT_EQ(counted["params"]["mac"].asString(), "AA:BB:CC:DD:EE:FF");
  EXPECT_EQ(counted["headers"]["User-Agent"].asString(), "demo-test/1");
  EXPECT_FALSE(counted["headers"].isMember("REMOTE_ADDR"));
  EXPECT_EQ(counted["time"].asString().size(), 24u);
  EXPECT_EQ(byPath["/api/1012"]["status"].asInt(), 200);
  EXPECT_EQ(byPath["/nowhere"]["status"].asInt(), 404);
  std::remove(log.c_str());
}

TEST(DemoSiteOptions, RejectsBadArguments) {
  const std::vector<std::vector<std::string>> bad = {
      {"--port"}, {"--port", "x"}, {"--port", "70000"}, {"--api-status", "99"}, {"--what"}};
  for (auto args : bad) {
    args.insert(args.begin(), "demo_site");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    demo::SiteOptions options;
    std::string error;
    EXPECT_FALSE(demo::ParseSiteArgs(static_cast<int>(argv.size()), argv.data(), options, error));
    EXPECT_FALSE(error.empty());
  }
}

// The program itself: first stdout line, serving, log file, clean end on SIGTERM.
TEST(DemoSiteProgram, AnnouncesPortAndStopsOnSigterm) {
  const std::string log = TempPath("program.jsonl");
  std::remove(log.c_str());
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execl(DEMO_SITE_EXE, DEMO_SITE_EXE, "--port", "0", "--log", log.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  FILE* stream = fdopen(out[0], "r");
  ASSERT_NE(stream, nullptr);
  char line[64] = {};
  ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
  int port = 0;
  ASSERT_EQ(std::sscanf(line, "LISTENING %d\n", &port), 1) << line;
  EXPECT_GT(port, 0);

  httplib::Client client("127.0.0.1", port);
  client.set_connection_timeout(5);
  auto res = client.Get("/login");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);

  kill(child, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  fclose(stream);

  std::ifstream in(log);
  std::string first;
  ASSERT_TRUE(std::getline(in, first));
  EXPECT_EQ(ParseJson(first)["path"].asString(), "/login");
  std::remove(log.c_str());
}

}  // namespace
