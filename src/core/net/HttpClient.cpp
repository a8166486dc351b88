#include "core/net/HttpClient.h"

#include <curl/curl.h>

#include <cstring>

#include "core/net/BackgroundWork.h"
#include "core/platform/CodePage.h"
#include "core/platform/Paths.h"
#include "core/platform/Sockets.h"

namespace {

struct Limits {
  long connectTimeoutMs = net::kDefaultConnectTimeoutMs;
  long totalTimeoutMs = net::kDefaultTotalTimeoutMs;
  std::size_t replyLimit = net::kDefaultReplyLimit;
  std::string caFile;
};

Limits& CurrentLimits() {
  static Limits limits;
  return limits;
}

constexpr long kMaxRedirects = 10;
constexpr std::size_t kReadChunk = 1024;

void EnsureCurlInitialised() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix; ++text, ++prefix) {
    const char c = (*text >= 'A' && *text <= 'Z') ? static_cast<char>(*text - 'A' + 'a') : *text;
    if (c != *prefix) return false;
  }
  return true;
}

bool IsWebAddress(const char* url) {
  return url && (StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://"));
}

// Collects a reply body. In text mode the stream is cut into 1024-byte chunks as a fixed-size
// reader would see them, and a zero byte ends its chunk's contribution.
struct Sink {
  CURL* handle = nullptr;
  bool textChunks = false;
  bool requireSuccessStatus = false;
  std::size_t limit = 0;
  std::size_t received = 0;
  std::size_t chunkPos = 0;
  bool chunkEnded = false;
  bool overLimit = false;
  bool badStatus = false;
  std::string data;

  bool Accept(const char* p, std::size_t n) {
    if (requireSuccessStatus) {
      long status = 0;
      curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
      if (status < 200 || status > 299) {
        badStatus = true;
        return false;
      }
    }
    received += n;
    if (received > limit) {
      overLimit = true;
      return false;
    }
    if (!textChunks) {
      data.append(p, n);
      return true;
    }
    while (n > 0) {
      const std::size_t room = kReadChunk - chunkPos;
      const std::size_t take = n < room ? n : room;
      if (!chunkEnded) {
        const void* zero = std::memchr(p, '\0', take);
        const std::size_t keep =
            zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - p) : take;
        data.append(p, keep);
        chunkEnded = zero != nullptr;
      }
      chunkPos += take;
      if (chunkPos == kReadChunk) {
        chunkPos = 0;
        chunkEnded = false;
      }
      p += take;
      n -= take;
    }
    return true;
  }
};

size_t WriteToSink(char* data, size_t size, size_t count, void* user) {
  Sink* sink = static_cast<Sink*>(user);
  const std::size_t n = size * count;
  return sink->Accept(data, n) ? n : 0;
}

// Spaces are not valid in an address; send them escaped, as browsers and the system stack do.
std::string EscapeSpaces(const char* url) {
  std::string out;
  for (const char* p = url; *p; ++p) {
    if (*p == ' ')
      out += "%20";
    else
      out += *p;
  }
  return out;
}

// A cancellable request keeps its sockets known to its cancellation, so that cancelling wakes a
// request blocked on a silent server at once instead of after its time-out.
int OnSocketOpened(void* user, curl_socket_t socket, curlsocktype) {
  auto* cancellation = static_cast<net::Cancellation*>(user);
  return cancellation->AttachSocket(static_cast<std::intptr_t>(socket)) ? CURL_SOCKOPT_OK
                                                                        : CURL_SOCKOPT_ERROR;
}

int OnSocketClosing(void* user, curl_socket_t socket) {
  auto* cancellation = static_cast<net::Cancellation*>(user);
  cancellation->DetachSocket(static_cast<std::intptr_t>(socket));
  platform::CloseSocket(static_cast<std::intptr_t>(socket));
  return 0;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const net::Cancellation*>(user)->Cancelled() ? 1 : 0;
}

void SetCancellationOptions(CURL* handle, const net::Cancellation* cancellation) {
  if (cancellation == nullptr) return;
  // The callbacks change only the cancellation's own bookkeeping.
  void* user = const_cast<net::Cancellation*>(cancellation);
  curl_easy_setopt(handle, CURLOPT_SOCKOPTFUNCTION, OnSocketOpened);
  curl_easy_setopt(handle, CURLOPT_SOCKOPTDATA, user);
  curl_easy_setopt(handle, CURLOPT_CLOSESOCKETFUNCTION, OnSocketClosing);
  curl_easy_setopt(handle, CURLOPT_CLOSESOCKETDATA, user);
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, user);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  // Closed at the end of the transfer, while the callbacks above are still set.
  curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
}

// Options shared by both kinds of request: protocols, redirects, time-outs, TLS and body sink.
// The chain of an https server's certificate is always verified; its host name only when
// `checkHostName` is set.
void SetCommonOptions(CURL* handle, const std::string& url, const char* userAgent,
                      bool checkHostName, Sink& sink) {
  const Limits& limits = CurrentLimits();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, checkHostName ? 2L : 0L);
  if (!limits.caFile.empty()) curl_easy_setopt(handle, CURLOPT_CAINFO, limits.caFile.c_str());
  sink.handle = handle;
  sink.limit = limits.replyLimit;
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToSink);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
}

}  // namespace

namespace net {

void SetHttpTimeouts(long connectTimeoutMs, long totalTimeoutMs) {
  CurrentLimits().connectTimeoutMs = connectTimeoutMs;
  CurrentLimits().totalTimeoutMs = totalTimeoutMs;
}

void SetHttpReplyLimit(std::size_t bytes) { CurrentLimits().replyLimit = bytes; }

void SetHttpTrustedCaFile(const std::string& path) { CurrentLimits().caFile = path; }

}  // namespace net

CHttpClient::CHttpClient(const char* agent) : userAgent(agent ? agent : "") {
  EnsureCurlInitialised();
  session = curl_easy_init();
}

CHttpClient::~CHttpClient() {
  if (session) curl_easy_cleanup(static_cast<CURL*>(session));
}

int CHttpClient::Get(const char* url, const char* body, std::string& reply) {
  return Request("GET", url, body, reply);
}

int CHttpClient::Request(const char* verb, const char* url, const char* body, std::string& reply) {
  reply.clear();
  if (!IsWebAddress(url) || !verb || !*verb || !session) return kFailure;
  if (cancellation != nullptr && cancellation->Cancelled()) return kFailure;
  CURL* handle = static_cast<CURL*>(session);
  curl_easy_reset(handle);  // keeps the connection cache

  Sink sink;
  sink.textChunks = true;
  const std::string address = EscapeSpaces(url);
  // A certificate issued for another host name is accepted here.
  SetCommonOptions(handle, address, userAgent.c_str(), false, sink);
  SetCancellationOptions(handle, cancellation);

  curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, "Accept: *,*/*");
  headers = curl_slist_append(headers, "Accept-Language: zh-cn");
  headers = curl_slist_append(headers, "Content-Type: application/x-www-form-urlencoded");
  headers = curl_slist_append(headers, "Accept-Encoding: gzip, deflate");
  headers = curl_slist_append(headers, "Expect:");  // no 100-continue round trip
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);

  const bool isGet = std::strcmp(verb, "GET") == 0;
  if (std::strcmp(verb, "HEAD") == 0) {
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  } else if (std::strcmp(verb, "POST") == 0) {
    // Plain POST lets a 301/302/303 continue as GET, like a browser-style stack does.
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(body ? std::strlen(body) : 0));
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body ? body : "");
  } else if (body) {
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(std::strlen(body)));
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body);
    curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, verb);
  } else if (isGet) {
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
  } else {
    curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, verb);
  }

  const CURLcode rc = curl_easy_perform(handle);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(headers);

  if (rc == CURLE_OPERATION_TIMEDOUT) return kTimeout;
  if (rc != CURLE_OK) return kFailure;
  reply = codepage::Utf8ToSystem(sink.data);
  return kSuccess;
}

FetchOutcome FetchUrl(const char* url, std::string& body, const net::Cancellation* cancellation) {
  body.clear();
  if (!IsWebAddress(url)) return FetchOutcome::TransportFailure;
  if (cancellation != nullptr && cancellation->Cancelled()) return FetchOutcome::TransportFailure;
  EnsureCurlInitialised();
  CURL* handle = curl_easy_init();
  if (!handle) return FetchOutcome::TransportFailure;

  const std::string agent = platform::ProgramBaseName(platform::ProgramPath());
  Sink sink;
  sink.requireSuccessStatus = true;
  SetCommonOptions(handle, EscapeSpaces(url), agent.c_str(), true, sink);
  SetCancellationOptions(handle, cancellation);
  curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);

  const CURLcode rc = curl_easy_perform(handle);
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(handle);

  FetchOutcome outcome = FetchOutcome::TransportFailure;
  if (rc == CURLE_OK) {
    outcome = status >= 200 && status <= 299 ? FetchOutcome::Success : FetchOutcome::StatusFailure;
  } else if (sink.badStatus || (status >= 400 && status <= 599) || rc == CURLE_TOO_MANY_REDIRECTS ||
             rc == CURLE_WEIRD_SERVER_REPLY || rc == CURLE_UNSUPPORTED_PROTOCOL) {
    // A failure status was read before the body broke off: the body does not matter.
    // The server answered, but not with a readable success status.
    outcome = FetchOutcome::StatusFailure;
  }
  if (outcome == FetchOutcome::Success) body.swap(sink.data);
  return outcome;
}
