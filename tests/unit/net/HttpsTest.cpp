#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "HttpTestSupport.h"
#include "TestCertificates.h"

namespace {

// An HTTPS server on 127.0.0.1 presenting `cert`, answering every GET with its path and agent.
class TlsServer {
 public:
  TlsServer(X509* cert, EVP_PKEY* key) : server(cert, key) {
    server.Get(".*", [](const httplib::Request& request, httplib::Response& response) {
      response.set_content("secure " + request.path + " " + request.get_header_value("User-Agent") +
                               " " + request.get_header_value("Accept-Language"),
                           "application/octet-stream");  // text would be gzipped
    });
    port = server.bind_to_any_port("127.0.0.1");
    thread = std::thread([this] { server.listen_after_bind(); });
  }
  ~TlsServer() {
    server.stop();
    thread.join();
  }
  std::string Url(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(port) + path;
  }

 private:
  httplib::SSLServer server;
  int port = 0;
  std::thread thread;
};

class HttpsTest : public HttpTest {
 protected:
  static void SetUpTestSuite() {
    certificates = std::make_unique<TestCertificates>();
    char pattern[] = "/tmp/launcher-ca-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    caFile = pattern;
    ASSERT_TRUE(certificates->WriteCaPem(caFile));
  }
  static void TearDownTestSuite() {
    unlink(caFile.c_str());
    certificates.reset();
  }

  static std::unique_ptr<TestCertificates> certificates;
  static std::string caFile;
};

std::unique_ptr<TestCertificates> HttpsTest::certificates;
std::string HttpsTest::caFile;

TEST_F(HttpsTest, RequestAcceptsATrustedCertificateForAnotherHostName) {
  net::SetHttpTrustedCaFile(caFile);
  TlsServer server(certificates->serverCert, certificates->serverKey);
  CHttpClient client("TlsAgent");
  std::string reply;
  EXPECT_EQ(client.Get(server.Url("/login").c_str(), nullptr, reply), 0);
  EXPECT_EQ(reply, "secure /login TlsAgent zh-cn");
}

TEST_F(HttpsTest, FetchUrlInsistsOnTheHostName) {
  net::SetHttpTrustedCaFile(caFile);
  TlsServer local(certificates->localCert, certificates->localKey);
  std::string body;
  EXPECT_EQ(FetchUrl(local.Url("/api").c_str(), body), FetchOutcome::Success);
  EXPECT_EQ(body, "secure /api net_unit_tests ");

  TlsServer other(certificates->serverCert, certificates->serverKey);
  EXPECT_EQ(FetchUrl(other.Url("/api").c_str(), body), FetchOutcome::TransportFailure);
  EXPECT_EQ(body, "");
}

TEST_F(HttpsTest, UntrustedChainIsRefused) {
  struct Case {
    bool trustTestCa;
    bool selfSigned;
  };
  // The self-signed certificate even names 127.0.0.1; the CA-signed one is refused without its CA.
  for (const Case c : {Case{true, true}, Case{false, false}}) {
    net::SetHttpTrustedCaFile(c.trustTestCa ? caFile : std::string());
    TlsServer server(c.selfSigned ? certificates->selfSignedCert : certificates->serverCert,
                     c.selfSigned ? certificates->selfSignedKey : certificates->serverKey);
    CHttpClient client("TlsAgent");
    std::string reply = "stale";
    EXPECT_EQ(client.Get(server.Url("/").c_str(), nullptr, reply), 1);
    EXPECT_EQ(reply, "");
    std::string body = "stale";
    EXPECT_EQ(FetchUrl(server.Url("/").c_str(), body), FetchOutcome::TransportFailure);
    EXPECT_EQ(body, "");
  }
}

}  // namespace
