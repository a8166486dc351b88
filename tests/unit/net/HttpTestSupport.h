#pragma once
// Shared fixture for the HTTP tests: local traffic only, short time-outs, defaults restored.
#include <gtest/gtest.h>

#include "RawHttpServer.h"
#include "core/net/HttpClient.h"

class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KeepLocalTrafficDirect();
    net::SetHttpTimeouts(5000, 10000);
  }
  void TearDown() override {
    net::SetHttpTimeouts(net::kDefaultConnectTimeoutMs, net::kDefaultTotalTimeoutMs);
    net::SetHttpReplyLimit(net::kDefaultReplyLimit);
    net::SetHttpTrustedCaFile(std::string());
  }
};

// Answers every request with `status` and `body`.
inline RawHttpServer::Handler Answer(int status, std::string body, std::string extra = {}) {
  return [status, body, extra](RawHttpServer&, int fd, const ReceivedRequest&) {
    RawHttpServer::SendAll(fd, RawHttpServer::Response(status, body, extra));
  };
}
