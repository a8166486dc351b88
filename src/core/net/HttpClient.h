#pragma once
// Synchronous HTTP requests: CHttpClient (explicit verb, fixed header set, reply as text in the
// system code page) and FetchUrl (one-step GET that insists on a 2xx status, raw bytes).
#include <cstddef>
#include <string>

namespace net {
class Cancellation;
}

class CHttpClient {
 public:
  enum Result { kSuccess = 0, kFailure = 1, kTimeout = 2 };

  explicit CHttpClient(const char* userAgent);
  virtual ~CHttpClient();
  CHttpClient(const CHttpClient&) = delete;
  CHttpClient& operator=(const CHttpClient&) = delete;

  // One request over http or https; over https a trusted certificate issued for another host
  // name is accepted. `body` may be null (nothing sent). `reply` receives the
  // body converted from UTF-8 to the system code page, whatever the status; it is empty after
  // a failure. Returns kSuccess, kFailure (other address types, network errors) or kTimeout.
  int Request(const char* verb, const char* url, const char* body, std::string& reply);
  int Get(const char* url, const char* body, std::string& reply);
  // Later requests end as failures as soon as `cancellation` is cancelled; null: never.
  void SetCancellation(const net::Cancellation* cancellation) { this->cancellation = cancellation; }

 private:
  const net::Cancellation* cancellation = nullptr;
  void* session = nullptr;  // the libcurl easy handle; keeps connections between requests
  std::string userAgent;
};

enum class FetchOutcome { Success, TransportFailure, StatusFailure };

// GET `url` with the program's name as user agent; over https the certificate must be trusted
// and name the host. Success leaves the raw body bytes in `body`;
// otherwise `body` is empty. StatusFailure: no HTTP status could be read or it is not 2xx.
// A cancelled request ends at once as a TransportFailure.
FetchOutcome FetchUrl(const char* url, std::string& body,
                      const net::Cancellation* cancellation = nullptr);

namespace net {

inline constexpr long kDefaultConnectTimeoutMs = 10000;
inline constexpr long kDefaultTotalTimeoutMs = 30000;
inline constexpr std::size_t kDefaultReplyLimit = 64u * 1024u * 1024u;

// Process-wide limits of every request made after the call (tests shorten them).
void SetHttpTimeouts(long connectTimeoutMs, long totalTimeoutMs);
// A reply body larger than this many bytes fails the request instead of filling memory.
void SetHttpReplyLimit(std::size_t bytes);
// A PEM file of certificate authorities trusted instead of the system's; empty restores them.
void SetHttpTrustedCaFile(const std::string& path);

}  // namespace net
