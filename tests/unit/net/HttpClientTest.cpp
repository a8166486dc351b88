#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "HttpTestSupport.h"

namespace {

using HttpClientTest = HttpTest;

const char kAgent[] = "TestAgent/1.0";

struct VerbCase {
  const char* verb;
  const char* body;  // null: no body
};

TEST_F(HttpClientTest, EveryVerbSendsTheFourHeadersInOrderAndTheBodyUpToItsTerminator) {
  const VerbCase cases[] = {
      {"GET", nullptr},  {"GET", "q=1&r=2"}, {"POST", "name=a%20b&x=1"},
      {"POST", nullptr}, {"PUT", "payload"}, {"DELETE", nullptr},
  };
  for (const VerbCase& c : cases) {
    SCOPED_TRACE(std::string(c.verb) + (c.body ? " with body" : " without body"));
    RawHttpServer server(Answer(200, "ok"));
    CHttpClient client(kAgent);
    std::string reply;
    ASSERT_EQ(client.Request(c.verb, server.Url("/path/x?a=1&b=two").c_str(), c.body, reply), 0);
    EXPECT_EQ(reply, "ok");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const ReceivedRequest& r = requests[0];
    EXPECT_EQ(r.method, c.verb);
    EXPECT_EQ(r.target, "/path/x?a=1&b=two");
    EXPECT_EQ(r.Header("User-Agent"), kAgent);
    EXPECT_EQ(r.body, c.body ? c.body : "");

    // The four headers, spelled exactly, in this order, each once.
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Accept", "*,*/*"},
        {"Accept-Language", "zh-cn"},
        {"Content-Type", "application/x-www-form-urlencoded"},
        {"Accept-Encoding", "gzip, deflate"},
    };
    std::size_t previous = 0;
    for (const auto& header : expected) {
      const auto at = std::find(r.headers.begin(), r.headers.end(), header);
      ASSERT_NE(at, r.headers.end()) << header.first;
      const std::size_t index = static_cast<std::size_t>(at - r.headers.begin());
      EXPECT_GE(index, previous) << header.first;
      previous = index;
      EXPECT_EQ(std::count_if(r.headers.begin(), r.headers.end(),
                              [&](const auto& h) { return h.first == header.first; }),
                1)
          << header.first;
    }
    EXPECT_TRUE(r.Header("Expect").empty());
    EXPECT_TRUE(r.Header("Cookie").empty());
  }
}

TEST_F(HttpClientTest, SchemeIsMatchedWithoutRegardToCase) {
  RawHttpServer server(Answer(200, "ok"));
  CHttpClient client(kAgent);
  std::string reply;
  const std::string url = "HTTP://127.0.0.1:" + std::to_string(server.Port()) + "/upper";
  EXPECT_EQ(client.Get(url.c_str(), nullptr, reply), 0);
  EXPECT_EQ(reply, "ok");
}

TEST_F(HttpClientTest, GetIsRequestWithTheGetVerb) {
  RawHttpServer server(Answer(200, "fine"));
  CHttpClient client(kAgent);
  std::string reply = "stale";
  EXPECT_EQ(client.Get(server.Url("/g").c_str(), nullptr, reply), 0);
  EXPECT_EQ(reply, "fine");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].method, "GET");
  EXPECT_TRUE(server.Requests()[0].Header("Content-Length").empty());
}

TEST_F(HttpClientTest, OnlyHttpAndHttpsAddressesAreContacted) {
  RawHttpServer server(Answer(200, "never"));
  const std::string port = std::to_string(server.Port());
  const std::string addresses[] = {
      "ftp://127.0.0.1:" + port + "/file.txt",
      "file:///etc/hostname",
      "gopher://127.0.0.1:" + port + "/",
      "127.0.0.1:" + port + "/noscheme",
      "",
  };
  CHttpClient client(kAgent);
  for (const std::string& address : addresses) {
    std::string reply = "stale";
    EXPECT_EQ(client.Get(address.c_str(), nullptr, reply), 1) << address;
    EXPECT_EQ(reply, "");
  }
  std::string reply;
  EXPECT_EQ(client.Get(nullptr, nullptr, reply), 1);
  EXPECT_EQ(server.Connections(), 0);
}

TEST_F(HttpClientTest, SpacesInTheAddressAreSentEscaped) {
  RawHttpServer server(Answer(200, "ok"));
  CHttpClient client(kAgent);
  std::string reply;
  EXPECT_EQ(client.Get(server.Url("/a b?x=c d").c_str(), nullptr, reply), 0);
  std::string body;
  EXPECT_EQ(FetchUrl(server.Url("/e f").c_str(), body), FetchOutcome::Success);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "/a%20b?x=c%20d");
  EXPECT_EQ(requests[1].target, "/e%20f");
}

TEST_F(HttpClientTest, ReplyIsConvertedFromUtf8ToTheSystemCodePage) {
  RawHttpServer server(Answer(200, "\xE4\xB8\xAD\xE6\x96\x87 ok"));  // "中文 ok"
  CHttpClient client(kAgent);
  std::string reply;
  ASSERT_EQ(client.Get(server.Url("/").c_str(), nullptr, reply), 0);
  EXPECT_EQ(reply, "\xD6\xD0\xCE\xC4 ok");
}

TEST_F(HttpClientTest, InvalidUtf8BecomesQuestionMarks) {
  RawHttpServer server(Answer(200, "a\xFF\xC3(b"));
  CHttpClient client(kAgent);
  std::string reply;
  ASSERT_EQ(client.Get(server.Url("/").c_str(), nullptr, reply), 0);
  EXPECT_EQ(reply,
            "a?"
            "?(b");
}

TEST_F(HttpClientTest, ErrorPagesAreRepliesLikeAnyOther) {
  for (int status : {404, 500}) {
    RawHttpServer server(Answer(status, "error page " + std::to_string(status)));
    CHttpClient client(kAgent);
    std::string reply;
    EXPECT_EQ(client.Get(server.Url("/missing").c_str(), nullptr, reply), 0);
    EXPECT_EQ(reply, "error page " + std::to_string(status));
  }
}

TEST_F(HttpClientTest, AZeroByteEndsItsOwnChunkOnly) {
  const std::string x1020(1020, 'x');
  struct Case {
    std::string body;
    std::string reply;
  };
  const Case cases[] = {
      {std::string("abc\0", 4) + x1020 + "ghi", "abcghi"},
      {std::string("abc\0", 4) + x1020 + std::string("ghi\0jkl", 7), "abcghi"},
      {std::string(1024, 'y') + std::string(1, '\0') + "zz", std::string(1024, 'y')},
      {std::string(2048, 'y'), std::string(2048, 'y')},
      {std::string("\0", 1) + std::string(1023, 'q') + "r", "r"},
  };
  for (const Case& c : cases) {
    RawHttpServer server(Answer(200, c.body));
    CHttpClient client(kAgent);
    std::string reply;
    ASSERT_EQ(client.Get(server.Url("/").c_str(), nullptr, reply), 0);
    EXPECT_EQ(reply, c.reply);
  }
}

TEST_F(HttpClientTest, ContentEncodingIsNotDecoded) {
  for (const char* encoding : {"gzip", "deflate"}) {
    // Not actually compressed: decoding would fail the request.
    RawHttpServer server(
        Answer(200, "plain bytes", std::string("Content-Encoding: ") + encoding + "\r\n"));
    CHttpClient client(kAgent);
    std::string reply;
    EXPECT_EQ(client.Get(server.Url("/").c_str(), nullptr, reply), 0) << encoding;
    EXPECT_EQ(reply, "plain bytes");
  }
}

TEST_F(HttpClientTest, RedirectsAreFollowed) {
  RawHttpServer server([](RawHttpServer&, int fd, const ReceivedRequest& r) {
    if (r.target == "/start")
      RawHttpServer::SendAll(fd, RawHttpServer::Response(302, "", "Location: /next?x=1\r\n"));
    else
      RawHttpServer::SendAll(fd, RawHttpServer::Response(200, "arrived"));
  });
  CHttpClient client(kAgent);
  std::string reply;
  ASSERT_EQ(client.Get(server.Url("/start").c_str(), nullptr, reply), 0);
  EXPECT_EQ(reply, "arrived");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].target, "/next?x=1");
  EXPECT_EQ(requests[1].Header("Accept-Language"), "zh-cn");
}

TEST_F(HttpClientTest, RedirectLoopsAreBounded) {
  RawHttpServer server(Answer(302, "", "Location: /loop\r\n"));
  CHttpClient client(kAgent);
  std::string reply;
  EXPECT_EQ(client.Get(server.Url("/loop").c_str(), nullptr, reply), 1);
  EXPECT_EQ(reply, "");
  EXPECT_LE(server.Requests().size(), 11u);
}

TEST_F(HttpClientTest, RedirectToAnotherProtocolIsRefused) {
  RawHttpServer server(Answer(302, "", "Location: file:///etc/hostname\r\n"));
  CHttpClient client(kAgent);
  std::string reply;
  EXPECT_EQ(client.Get(server.Url("/").c_str(), nullptr, reply), 1);
  EXPECT_EQ(reply, "");
}

TEST_F(HttpClientTest, RefusedConnectionFails) {
  CHttpClient client(kAgent);
  std::string reply;
  const std::string url = "http://127.0.0.1:" + std::to_string(ClosedLocalPort()) + "/";
  EXPECT_EQ(client.Get(url.c_str(), nullptr, reply), 1);
  EXPECT_EQ(reply, "");
}

TEST_F(HttpClientTest, ServerThatNeverAnswersTimesOutAndTheClientStaysUsable) {
  net::SetHttpTimeouts(2000, 500);
  RawHttpServer silent(
      [](RawHttpServer& self, int fd, const ReceivedRequest&) { self.WaitForPeerClose(fd); });
  CHttpClient client(kAgent);
  std::string reply = "stale";
  EXPECT_EQ(client.Get(silent.Url("/").c_str(), nullptr, reply), 2);
  EXPECT_EQ(reply, "");

  RawHttpServer good(Answer(200, "back"));
  EXPECT_EQ(client.Get(good.Url("/").c_str(), nullptr, reply), 0);
  EXPECT_EQ(reply, "back");
}

TEST_F(HttpClientTest, TricklingBodyTimesOut) {
  net::SetHttpTimeouts(2000, 500);
  RawHttpServer server([](RawHttpServer& self, int fd, const ReceivedRequest&) {
    RawHttpServer::SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nstart");
    self.WaitForPeerClose(fd);
  });
  CHttpClient client(kAgent);
  std::string reply;
  EXPECT_EQ(client.Get(server.Url("/").c_str(), nullptr, reply), 2);
  EXPECT_EQ(reply, "");
}

TEST_F(HttpClientTest, SlowAnswerWithinTheTimeOutSucceeds) {
  RawHttpServer server([](RawHttpServer&, int fd, const ReceivedRequest&) {
    RawHttpServer::SendAll(fd,
                           "HTTP/1.1 200 OK\r\nContent-Length: 10\r\nConnection: close\r\n\r\n");
    for (char c : std::string("slowreply!")) {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the server's pace
      RawHttpServer::SendAll(fd, std::string(1, c));
    }
  });
  CHttpClient client(kAgent);
  std::string reply;
  EXPECT_EQ(client.Get(server.Url("/").c_str(), nullptr, reply), 0);
  EXPECT_EQ(reply, "slowreply!");
}

TEST_F(HttpClientTest, ConnectionClosedMidBodyFails) {
  RawHttpServer server([](RawHttpServer&, int fd, const ReceivedRequest&) {
    RawHttpServer::SendAll(
        fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(500, 'h'));
  });
  CHttpClient client(kAgent);
  std::string reply;
  EXPECT_EQ(client.Get(server.Url("/").c_str(), nullptr, reply), 1);
  EXPECT_EQ(reply, "");
}

TEST_F(HttpClientTest, TenMegabyteReplyArrivesWhole) {
  const std::string big(10u * 1024u * 1024u, 'm');
  RawHttpServer server(Answer(200, big));
  CHttpClient client(kAgent);
  std::string reply;
  ASSERT_EQ(client.Get(server.Url("/").c_str(), nullptr, reply), 0);
  EXPECT_EQ(reply.size(), big.size());
  EXPECT_EQ(reply.find_first_not_of('m'), std::string::npos);
}

TEST_F(HttpClientTest, ReplyOverTheLimitFails) {
  net::SetHttpReplyLimit(1024 * 1024);
  RawHttpServer server(Answer(200, std::string(2u * 1024u * 1024u, 'm')));
  CHttpClient client(kAgent);
  std::string reply;
  EXPECT_EQ(client.Get(server.Url("/").c_str(), nullptr, reply), 1);
  EXPECT_EQ(reply, "");
}

TEST_F(HttpClientTest, ProxyFromTheEnvironmentIsUsed) {
  RawHttpServer proxy(Answer(200, "via proxy"));
  setenv("http_proxy", proxy.Url("").c_str(), 1);
  unsetenv("NO_PROXY");
  unsetenv("no_proxy");
  CHttpClient client(kAgent);
  std::string reply;
  const int result = client.Get("http://game.invalid/page?x=1", nullptr, reply);
  unsetenv("http_proxy");
  KeepLocalTrafficDirect();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(reply, "via proxy");
  ASSERT_EQ(proxy.Requests().size(), 1u);
  EXPECT_EQ(proxy.Requests()[0].target, "http://game.invalid/page?x=1");
}

}  // namespace
