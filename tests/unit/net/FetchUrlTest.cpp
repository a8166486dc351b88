#include <gtest/gtest.h>

#include <string>

#include "HttpTestSupport.h"
#include "core/platform/Paths.h"

namespace {

using FetchUrlTest = HttpTest;

TEST_F(FetchUrlTest, SuccessGivesTheRawBytesAndNamesTheProgram) {
  const std::string raw("a\0b\xFF\xE4\xB8\xAD", 7);
  RawHttpServer server(Answer(200, raw));
  std::string body = "stale";
  EXPECT_EQ(FetchUrl(server.Url("/api/?k=v&sign=abc").c_str(), body), FetchOutcome::Success);
  EXPECT_EQ(body, raw);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/api/?k=v&sign=abc");
  EXPECT_EQ(requests[0].Header("User-Agent"), "net_unit_tests");
  EXPECT_EQ(requests[0].Header("User-Agent"), platform::ProgramBaseName(platform::ProgramPath()));
}

TEST_F(FetchUrlTest, StatusDecidesTheOutcome) {
  struct Case {
    int status;
    FetchOutcome outcome;
  };
  const Case cases[] = {
      {200, FetchOutcome::Success},       {204, FetchOutcome::Success},
      {299, FetchOutcome::Success},       {300, FetchOutcome::StatusFailure},
      {304, FetchOutcome::StatusFailure}, {404, FetchOutcome::StatusFailure},
      {500, FetchOutcome::StatusFailure},
  };
  for (const Case& c : cases) {
    RawHttpServer server(Answer(c.status, c.status == 204 || c.status == 304 ? "" : "page"));
    std::string body = "stale";
    EXPECT_EQ(FetchUrl(server.Url("/").c_str(), body), c.outcome) << c.status;
    EXPECT_EQ(body, c.outcome == FetchOutcome::Success && c.status != 204 ? "page" : "")
        << c.status;
  }
}

TEST_F(FetchUrlTest, AnswerWithoutAnHttpStatusIsAStatusFailure) {
  RawHttpServer server([](RawHttpServer&, int fd, const ReceivedRequest&) {
    RawHttpServer::SendAll(fd, "this is not http\r\n\r\n{\"servername\":\"x\"}");
  });
  std::string body;
  EXPECT_EQ(FetchUrl(server.Url("/").c_str(), body), FetchOutcome::StatusFailure);
  EXPECT_EQ(body, "");
}

TEST_F(FetchUrlTest, ErrorStatusWhoseBodyBreaksOffIsStillAStatusFailure) {
  const std::string replies[] = {
      "HTTP/1.1 500 Oops\r\nContent-Length: 1000\r\n\r\npartial",  // cut inside the body
      "HTTP/1.1 500 Oops\r\nContent-Length: 1000\r\n\r\n",         // cut before any byte
      "HTTP/1.1 404 Gone\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",  // broken chunking
  };
  for (const std::string& reply : replies) {
    RawHttpServer server([reply](RawHttpServer&, int fd, const ReceivedRequest&) {
      RawHttpServer::SendAll(fd, reply);
    });
    std::string body = "stale";
    EXPECT_EQ(FetchUrl(server.Url("/").c_str(), body), FetchOutcome::StatusFailure) << reply;
    EXPECT_EQ(body, "");
  }
}

TEST_F(FetchUrlTest, RedirectsAreFollowedAndBounded) {
  RawHttpServer server([](RawHttpServer&, int fd, const ReceivedRequest& r) {
    if (r.target == "/moved")
      RawHttpServer::SendAll(fd, RawHttpServer::Response(301, "moved", "Location: /here\r\n"));
    else if (r.target == "/here")
      RawHttpServer::SendAll(fd, RawHttpServer::Response(200, "here"));
    else
      RawHttpServer::SendAll(fd, RawHttpServer::Response(302, "", "Location: /loop\r\n"));
  });
  std::string body;
  EXPECT_EQ(FetchUrl(server.Url("/moved").c_str(), body), FetchOutcome::Success);
  EXPECT_EQ(body, "here");
  EXPECT_EQ(FetchUrl(server.Url("/loop").c_str(), body), FetchOutcome::StatusFailure);
  EXPECT_EQ(body, "");
  EXPECT_LE(server.Requests().size(), 2u + 11u);
}

TEST_F(FetchUrlTest, TransportFailures) {
  net::SetHttpTimeouts(2000, 500);
  RawHttpServer silent(
      [](RawHttpServer& self, int fd, const ReceivedRequest&) { self.WaitForPeerClose(fd); });
  RawHttpServer cut([](RawHttpServer&, int fd, const ReceivedRequest&) {
    RawHttpServer::SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nhalf");
  });
  const std::string addresses[] = {
      "http://127.0.0.1:" + std::to_string(ClosedLocalPort()) + "/", silent.Url("/"),  cut.Url("/"),
      "ftp://127.0.0.1:" + std::to_string(silent.Port()) + "/",      "not an address",
  };
  for (const std::string& address : addresses) {
    std::string body = "stale";
    EXPECT_EQ(FetchUrl(address.c_str(), body), FetchOutcome::TransportFailure) << address;
    EXPECT_EQ(body, "");
  }
  EXPECT_EQ(silent.Connections(), 1);
}

TEST_F(FetchUrlTest, LargeBodiesArriveWholeUpToTheLimit) {
  const std::string big(10u * 1024u * 1024u, '\0');
  RawHttpServer server(Answer(200, big));
  std::string body;
  ASSERT_EQ(FetchUrl(server.Url("/").c_str(), body), FetchOutcome::Success);
  EXPECT_EQ(body.size(), big.size());

  net::SetHttpReplyLimit(1024 * 1024);
  EXPECT_EQ(FetchUrl(server.Url("/").c_str(), body), FetchOutcome::TransportFailure);
  EXPECT_EQ(body, "");
}

}  // namespace
