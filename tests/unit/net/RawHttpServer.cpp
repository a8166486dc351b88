#include "RawHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

std::string ReceivedRequest::Header(const std::string& name) const {
  for (const auto& header : headers)
    if (strcasecmp(header.first.c_str(), name.c_str()) == 0) return header.second;
  return std::string();
}

std::vector<std::string> ReceivedRequest::HeaderNames() const {
  std::vector<std::string> names;
  for (const auto& header : headers) names.push_back(header.first);
  return names;
}

RawHttpServer::RawHttpServer(Handler h) : handler(std::move(h)) {
  listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (listenFd < 0 || bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listenFd, 16) != 0 ||
      getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      pipe(stopPipe) != 0) {
    std::abort();
  }
  port = ntohs(address.sin_port);
  thread = std::thread([this] { Run(); });
}

RawHttpServer::~RawHttpServer() {
  const char stop = 1;
  if (write(stopPipe[1], &stop, 1) != 1) std::abort();
  thread.join();
  close(listenFd);
  close(stopPipe[0]);
  close(stopPipe[1]);
}

std::string RawHttpServer::Url(const std::string& pathAndQuery) const {
  return "http://127.0.0.1:" + std::to_string(port) + pathAndQuery;
}

std::vector<ReceivedRequest> RawHttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex);
  return requests;
}

bool RawHttpServer::SendAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::string RawHttpServer::Response(int status, const std::string& body,
                                    const std::string& extraHeaders) {
  return "HTTP/1.1 " + std::to_string(status) +
         " Status\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n" +
         extraHeaders + "\r\n" + body;
}

void RawHttpServer::WaitForPeerClose(int fd) {
  char buffer[4096];
  for (;;) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) return;
    if (fds[1].revents) return;
    if (recv(fd, buffer, sizeof buffer, 0) <= 0) return;
  }
}

bool RawHttpServer::ReadRequest(int fd, ReceivedRequest& request) {
  std::string data;
  std::size_t headEnd = std::string::npos;
  char buffer[4096];
  while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  const std::string head = data.substr(0, headEnd);
  std::size_t lineEnd = head.find("\r\n");
  const std::string requestLine = head.substr(0, lineEnd);
  const std::size_t space1 = requestLine.find(' ');
  const std::size_t space2 = requestLine.rfind(' ');
  request.method = requestLine.substr(0, space1);
  request.target = requestLine.substr(space1 + 1, space2 - space1 - 1);
  while (lineEnd != std::string::npos) {
    const std::size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    const std::string line =
        head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string value = line.substr(colon + 1);
    if (!value.empty() && value[0] == ' ') value.erase(0, 1);
    request.headers.emplace_back(line.substr(0, colon), value);
  }
  request.body = data.substr(headEnd + 4);
  const std::string length = request.Header("Content-Length");
  const std::size_t want = length.empty() ? 0 : std::strtoul(length.c_str(), nullptr, 10);
  while (request.body.size() < want) {
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    request.body.append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

void RawHttpServer::Run() {
  for (;;) {
    pollfd fds[2] = {{listenFd, POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0 || fds[1].revents) return;
    const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ++connections;
    ReceivedRequest request;
    if (ReadRequest(fd, request)) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        requests.push_back(request);
      }
      handler(*this, fd, request);
    }
    shutdown(fd, SHUT_RDWR);
    close(fd);
  }
}

int ClosedLocalPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

void KeepLocalTrafficDirect() {
  setenv("NO_PROXY", "127.0.0.1,localhost", 1);
  setenv("no_proxy", "127.0.0.1,localhost", 1);
}
