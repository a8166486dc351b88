#include <gtest/gtest.h>

#include <string>

#include "HttpTestSupport.h"
#include "core/config/LauncherConfig.h"
#include "core/net/Ccommon.h"
#include "core/net/PlatformApi.h"

namespace {

std::string Md5(const std::string& text) {
  Ccommon common;
  return common.MD5Hex(text.c_str());
}

LauncherSettings KeyedSettings(const std::string& urlplatform) {
  LauncherSettings s;
  s.urlplatform = urlplatform;
  s.platform = "demo";
  s.gkey = "dragonrealm";
  s.skey = "s5";
  s.sign = "d3m0-s1gn-k3y";
  return s;
}

TEST(PlatformApiAddress, SignTextAndSignedAddress) {
  LauncherSettings empty;
  EXPECT_EQ(platformapi::SignText(empty, '1'), "1#");
  EXPECT_EQ(platformapi::SignText(empty, '2'), "2#");
  EXPECT_EQ(platformapi::SignedAddress(empty, '1'),
            "?platform=&gkey=&skey=&type=1&sign=" + Md5("1#"));

  const LauncherSettings s = KeyedSettings("http://api.example/u");
  EXPECT_EQ(platformapi::SignText(s, '1'), "demodragonrealms51#d3m0-s1gn-k3y");
  EXPECT_EQ(platformapi::SignedAddress(s, '1'),
            "http://api.example/u?platform=demo&gkey=dragonrealm&skey=s5&type=1&sign=" +
                Md5("demodragonrealms51#d3m0-s1gn-k3y"));
  EXPECT_EQ(platformapi::SignedAddress(s, '2'),
            "http://api.example/u?platform=demo&gkey=dragonrealm&skey=s5&type=2&sign=" +
                Md5("demodragonrealms52#d3m0-s1gn-k3y"));
}

TEST(PlatformApiAddress, ValuesAreInsertedWithoutPercentEncoding) {
  LauncherSettings s;
  s.urlplatform = "http://h/api";
  s.platform = "a b&c=%";
  s.gkey = "\xD6\xD0";  // GBK bytes stay bytes
  const std::string prefix = "http://h/api?platform=a b&c=%&gkey=\xD6\xD0&skey=&type=1&sign=";
  EXPECT_EQ(platformapi::SignedAddress(s, '1').rfind(prefix, 0), 0u);
  EXPECT_EQ(platformapi::SignText(s, '1'),
            "a b&c=%\xD6\xD0"
            "1#");
}

TEST(PlatformApiAddress, LongSettingsBuildWholeAddresses) {
  LauncherSettings s;
  const std::string long254(254, 'k');
  s.urlplatform = long254;
  s.platform = long254;
  s.gkey = long254;
  s.skey = long254;
  s.sign = long254;
  EXPECT_EQ(platformapi::SignText(s, '2').size(), 4u * 254u + 2u);
  const std::string address = platformapi::SignedAddress(s, '2');
  EXPECT_EQ(address.size(),
            4u * 254u + std::string("?platform=&gkey=&skey=&type=2&sign=").size() + 32u);
  EXPECT_EQ(platformapi::ServerNameAddress(s, std::string(1000, '9')).size(), 1254u);
}

TEST(PlatformApiServerKey, TakenFromTheGameAddress) {
  struct Case {
    const char* address;
    const char* bareKey;
    const char* skeyAfter;
  };
  const Case cases[] = {
      {"http://g.example/play?skey=123&sid=9", "123", "s123"},
      {"http://g.example/play?sid=9&skey=77&x", "77", "s77"},
      {"http://g.example/play?a=1&skey=5&b=2&skey=6&c", "5", "s5"},
      {"http://g.example/play?skey=123", "", "sconfigured"},
      {"http://g.example/play?sid=9", "", "sconfigured"},
      {"", "", "sconfigured"},
      {"skey=&rest", "", "s"},
  };
  for (const Case& c : cases) {
    LauncherSettings s;
    s.skey = "sconfigured";
    EXPECT_EQ(ApplyServerKey(s, c.address), c.bareKey) << c.address;
    EXPECT_EQ(s.skey, c.skeyAfter) << c.address;
  }
}

TEST(PlatformApiServerKey, LongKeyIsCutToTheField) {
  LauncherSettings s;
  const std::string key(400, '7');
  EXPECT_EQ(ApplyServerKey(s, "http://g/?skey=" + key + "&x=1"), key);
  EXPECT_EQ(s.skey.size(), 254u);
  EXPECT_EQ(s.skey.str(), "s" + std::string(253, '7'));
  EXPECT_EQ(platformapi::ServerNameAddress(s, key), key);
}

struct ReplyCase {
  const char* body;
  bool accepted;
  const char* value;
};

TEST(PlatformApiReply, UserName) {
  const ReplyCase cases[] = {
      {R"({"errno":"0","data":{"user_name":"Bob"}})", true, "Bob"},
      {R"({"errno":"","data":{"user_name":"Bob"}})", true, "Bob"},
      {R"({"errno":"  0x1","data":{"user_name":"Bob"}})", true, "Bob"},
      {R"({"errno":"-0","data":{"user_name":""}})", true, ""},
      {R"({"errno":"0","data":{"user_name":"a\u0000b"}})", true, "a"},
      {R"({"errno":"0","data":{"user_name":"Bob"},"more":[1,2]} trailing)", true, "Bob"},
      {R"({"errno":0,"data":{"user_name":"Bob"}})", false, ""},
      {R"({"errno":"1","data":{"user_name":"Bob"}})", false, ""},
      {R"({"errno":"-12","data":{"user_name":"Bob"}})", false, ""},
      {R"({"errno":null,"data":{"user_name":"Bob"}})", false, ""},
      {R"({"data":{"user_name":"Bob"}})", false, ""},
      {R"({"errno":"0","data":{"user_name":7}})", false, ""},
      {R"({"errno":"0","data":{"name":"Bob"}})", false, ""},
      {R"({"errno":"0","data":"Bob"})", false, ""},
      {R"({"errno":"0","data":["Bob"]})", false, ""},
      {R"({"errno":"0"})", false, ""},
      {R"(["errno","0"])", false, ""},
      {R"("just a string")", false, ""},
      {"42", false, ""},
      {"", false, ""},
      {"<html>not json</html>", false, ""},
      {R"({"errno":"0","data":{"user_name":"Bob")", false, ""},
  };
  for (const ReplyCase& c : cases) {
    std::string value = "unset";
    EXPECT_EQ(platformapi::ParseUserNameReply(c.body, value), c.accepted) << c.body;
    if (c.accepted) {
      EXPECT_EQ(value, c.value) << c.body;
    }
  }
}

TEST(PlatformApiReply, ServerName) {
  const ReplyCase cases[] = {
      {R"({"servername":"\u4e00\u533a"})", true, "\xE4\xB8\x80\xE5\x8C\xBA"},
      {R"({"servername":"","errno":5})", true, ""},
      {R"({"servername":12})", false, ""},
      {R"({"servername":null})", false, ""},
      {R"({"data":{"servername":"x"}})", false, ""},
      {R"([{"servername":"x"}])", false, ""},
      {"servername", false, ""},
  };
  for (const ReplyCase& c : cases) {
    std::string value = "unset";
    EXPECT_EQ(platformapi::ParseServerNameReply(c.body, value), c.accepted) << c.body;
    if (c.accepted) {
      EXPECT_EQ(value, c.value) << c.body;
    }
  }
}

TEST(PlatformApiReply, ChatAddress) {
  const ReplyCase cases[] = {
      {R"({"data":{"gsurl":"http://chat.example/gm?x=1"}})", true, "http://chat.example/gm?x=1"},
      {R"({"errno":"9","data":{"gsurl":""}})", true, ""},
      {R"({"data":{"gsurl":1}})", false, ""},
      {R"({"data":"http://chat"})", false, ""},
      {R"({"gsurl":"http://chat"})", false, ""},
      {R"({"data":[{"gsurl":"http://chat"}]})", false, ""},
  };
  for (const ReplyCase& c : cases) {
    std::string value = "unset";
    EXPECT_EQ(platformapi::ParseChatAddressReply(c.body, value), c.accepted) << c.body;
    if (c.accepted) {
      EXPECT_EQ(value, c.value) << c.body;
    }
  }
}

TEST(PlatformApiReply, DeepNestingIsRefusedWithoutCrashing) {
  const std::string arrays = std::string(10000, '[') + std::string(10000, ']');
  const std::string objects = [] {
    std::string s;
    for (int i = 0; i < 10000; ++i) s += "{\"a\":";
    s += "1";
    s += std::string(10000, '}');
    return s;
  }();
  const std::string inData = R"({"errno":"0","data":{"user_name":"x","deep":)" + arrays + "}}";
  std::string value;
  for (const std::string* body : {&arrays, &objects, &inData}) {
    EXPECT_FALSE(platformapi::ParseUserNameReply(*body, value));
    EXPECT_FALSE(platformapi::ParseServerNameReply(*body, value));
    EXPECT_FALSE(platformapi::ParseChatAddressReply(*body, value));
  }
}

TEST(PlatformApiText, ConvertedToTheSystemCodePageAndCut) {
  using platformapi::ToSystemText;
  EXPECT_EQ(ToSystemText("\xE5\x90\x8D\xE5\xAD\x97", 254), "\xC3\xFB\xD7\xD6");  // "名字"
  EXPECT_EQ(ToSystemText("bad\xFFutf8", 254), "bad?utf8");
  EXPECT_EQ(ToSystemText(std::string(300, 'a'), 254), std::string(254, 'a'));
  EXPECT_EQ(ToSystemText(std::string(300, 'a'), 253), std::string(253, 'a'));

  // 200 two-byte characters: cut on a character boundary below the byte limit.
  std::string chinese;
  for (int i = 0; i < 200; ++i) chinese += "\xE4\xB8\xAD";  // "中"
  const std::string name = ToSystemText(chinese, 254);
  EXPECT_EQ(name.size(), 254u);
  const std::string server = ToSystemText(chinese, 253);
  EXPECT_EQ(server.size(), 252u);
  for (std::size_t i = 0; i < server.size(); i += 2) EXPECT_EQ(server.substr(i, 2), "\xD6\xD0");

  // 253 units and a surrogate pair: the pair would straddle the 254-unit limit and is dropped.
  EXPECT_EQ(ToSystemText(std::string(253, 'b') + "\xF0\x9F\x98\x80", 254), std::string(253, 'b'));
}

using PlatformApiLookup = HttpTest;

TEST_F(PlatformApiLookup, UserNameRequestIsSignedAndTheNameConverted) {
  RawHttpServer server(Answer(200, R"({"errno":"0","data":{"user_name":"\u540d\u5b57"}})"));
  const LauncherSettings s = KeyedSettings(server.Url("/api/"));
  const LookupResult result = LookupUserName(s);
  EXPECT_EQ(result.kind, LookupResult::Value);
  EXPECT_EQ(result.value, "\xC3\xFB\xD7\xD6");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].method, "GET");
  EXPECT_EQ(server.Requests()[0].target,
            "/api/?platform=demo&gkey=dragonrealm&skey=s5&type=1&sign=" +
                Md5("demodragonrealms51#d3m0-s1gn-k3y"));
}

TEST_F(PlatformApiLookup, ServerNameRequestUsesTheBareKey) {
  RawHttpServer server(Answer(200, R"({"servername":"S1 \u4e00\u533a"})"));
  LauncherSettings s = KeyedSettings(server.Url("/server/"));
  const std::string key = ApplyServerKey(s, "http://g.example/play/game?skey=123&sid=9");
  const LookupResult result = LookupServerName(s, key);
  EXPECT_EQ(result.kind, LookupResult::Value);
  EXPECT_EQ(result.value, "S1 \xD2\xBB\xC7\xF8");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].target, "/server/123");
}

TEST_F(PlatformApiLookup, ChatAddressRequestIsTypeTwo) {
  RawHttpServer server(Answer(200, R"({"data":{"gsurl":"http://127.0.0.1/gm/chat?u=1"}})"));
  const LauncherSettings s = KeyedSettings(server.Url("/api/"));
  const LookupResult result = LookupChatAddress(s);
  EXPECT_EQ(result.kind, LookupResult::Value);
  EXPECT_EQ(result.value, "http://127.0.0.1/gm/chat?u=1");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].target,
            "/api/?platform=demo&gkey=dragonrealm&skey=s5&type=2&sign=" +
                Md5("demodragonrealms52#d3m0-s1gn-k3y"));
}

TEST_F(PlatformApiLookup, StatusFailuresCarryEachLookupsText) {
  for (int status : {404, 500}) {
    RawHttpServer server(
        Answer(status, R"({"errno":"0","data":{"user_name":"x","gsurl":"y"},"servername":"z"})"));
    const LauncherSettings s = KeyedSettings(server.Url("/api/"));
    const LookupResult user = LookupUserName(s);
    const LookupResult name = LookupServerName(s, "1");
    const LookupResult chat = LookupChatAddress(s);
    EXPECT_EQ(user.kind, LookupResult::Failed);
    EXPECT_EQ(user.failureText, "访问用户名url失败");
    EXPECT_EQ(name.kind, LookupResult::Failed);
    EXPECT_EQ(name.failureText, "访问当前服务器名失败");
    EXPECT_EQ(chat.kind, LookupResult::Failed);
    EXPECT_EQ(chat.failureText, "获取GS聊天接口");
    for (const LookupResult* r : {&user, &name, &chat}) EXPECT_EQ(r->value, "");
  }
}

TEST_F(PlatformApiLookup, AFailureStatusWhoseBodyBreaksOffCarriesTheLookupsText) {
  RawHttpServer server([](RawHttpServer&, int fd, const ReceivedRequest&) {
    RawHttpServer::SendAll(fd, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 500\r\n\r\n");
  });
  const LauncherSettings s = KeyedSettings(server.Url("/api/"));
  const LookupResult user = LookupUserName(s);
  EXPECT_EQ(user.kind, LookupResult::Failed);
  EXPECT_EQ(user.failureText, "访问用户名url失败");
  const LookupResult name = LookupServerName(s, "1");
  EXPECT_EQ(name.kind, LookupResult::Failed);
  EXPECT_EQ(name.failureText, "访问当前服务器名失败");
}

TEST_F(PlatformApiLookup, BadRepliesAndTransportFailuresGiveNoValue) {
  net::SetHttpTimeouts(2000, 500);
  const std::string deep = std::string(10000, '[') + std::string(10000, ']');
  RawHttpServer wrongTypes(
      Answer(200, R"({"errno":0,"data":{"user_name":1,"gsurl":2},"servername":3})"));
  RawHttpServer notJson(Answer(200, "<html>maintenance</html>"));
  RawHttpServer badUtf8(Answer(200, "{\"errno\":\"0\",\"servername\":\"\xFF\xFE\",\"data\":\xC3"));
  RawHttpServer nested(Answer(200, deep));
  RawHttpServer silent(
      [](RawHttpServer& self, int fd, const ReceivedRequest&) { self.WaitForPeerClose(fd); });
  const std::string refused = "http://127.0.0.1:" + std::to_string(ClosedLocalPort()) + "/";
  const std::string bases[] = {wrongTypes.Url("/"), notJson.Url("/"), badUtf8.Url("/"),
                               nested.Url("/"),     silent.Url("/"),  refused};
  for (const std::string& base : bases) {
    LauncherSettings s = KeyedSettings(base);
    const std::string skeyBefore = s.skey.str();
    for (const LookupResult& r :
         {LookupUserName(s), LookupServerName(s, "1"), LookupChatAddress(s)}) {
      EXPECT_EQ(r.kind, LookupResult::NoValue) << base;
      EXPECT_EQ(r.value, "");
      EXPECT_EQ(r.failureText, "");
    }
    EXPECT_EQ(s.skey, skeyBefore);
  }
}

TEST_F(PlatformApiLookup, OverlongValueIsCutToItsField) {
  RawHttpServer server(Answer(200, "{\"errno\":\"0\",\"data\":{\"user_name\":\"" +
                                       std::string(5000, 'n') + "\",\"gsurl\":\"http://127.0.0.1/" +
                                       std::string(5000, 'g') + "\"},\"servername\":\"" +
                                       std::string(5000, 's') + "\"}"));
  const LauncherSettings s = KeyedSettings(server.Url("/"));
  EXPECT_EQ(LookupUserName(s).value, std::string(254, 'n'));
  EXPECT_EQ(LookupServerName(s, "").value, std::string(253, 's'));
  EXPECT_EQ(LookupChatAddress(s).value, "http://127.0.0.1/" + std::string(253 - 17, 'g'));
}

TEST_F(PlatformApiLookup, ChatAddressOnlyAsAWebAddress) {
  const struct {
    const char* gsurl;
    bool loaded;
  } cases[] = {
      {"http://127.0.0.1/gm/chat", true},
      {"HTTPS://localhost/gm", true},
      {"file:///etc/passwd", false},
      {"FILE:///home/player/.ssh/id_rsa", false},
      {"javascript:alert(1)", false},
      {"data:text/html,<script>external.getNewMsg()</script>", false},
      {"about:blank", false},
      {"qrc:/launcher/icon.png", false},
      {"//127.0.0.1/gm", false},
      {"/gm/chat", false},
      {"http:/127.0.0.1", false},
      {"http://127.0.0.1/a b", false},
      {"http://", false},
  };
  for (const auto& c : cases) {
    RawHttpServer server(Answer(200, std::string(R"({"data":{"gsurl":")") + c.gsurl + "\"}}"));
    const LookupResult result = LookupChatAddress(KeyedSettings(server.Url("/api/")));
    EXPECT_EQ(result.kind, c.loaded ? LookupResult::Value : LookupResult::NoValue) << c.gsurl;
    EXPECT_EQ(result.value, c.loaded ? c.gsurl : "") << c.gsurl;
  }
}

TEST_F(PlatformApiLookup, LongSettingsAreSentWhole) {
  RawHttpServer server(Answer(200, R"({"errno":"0","data":{"user_name":"ok"}})"));
  LauncherSettings s = KeyedSettings(server.Url("/") + std::string(200, 'p'));
  s.platform = std::string(254, 'P');
  s.gkey = std::string(254, 'G');
  s.skey = std::string(254, 'S');
  s.sign = std::string(254, 'K');
  EXPECT_EQ(LookupUserName(s).value, "ok");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].target,
            "/" + std::string(200, 'p') + "?platform=" + std::string(254, 'P') +
                "&gkey=" + std::string(254, 'G') + "&skey=" + std::string(254, 'S') +
                "&type=1&sign=" + Md5(platformapi::SignText(s, '1')));
}

}  // namespace
