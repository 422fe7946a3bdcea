#include "tools/translation_server/HttpListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace translation_server {

namespace {

constexpr size_t kMaxHead = 64 * 1024;
constexpr int kPollStepMs = 20;

// Reads up to the blank line that ends the head; false when the peer goes quiet or sends
// too much.
bool ReadHead(int socket, const std::atomic<bool>& stopping, std::string* head) {
  char buffer[4096];
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (head->find("\r\n\r\n") == std::string::npos) {
    if (head->size() > kMaxHead || stopping || std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    pollfd p{socket, POLLIN, 0};
    if (poll(&p, 1, kPollStepMs) <= 0) continue;
    ssize_t n = recv(socket, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    head->append(buffer, static_cast<size_t>(n));
  }
  return true;
}

RequestHead ParseHead(const std::string& head) {
  RequestHead out;
  size_t end = head.find("\r\n");
  std::string line = head.substr(0, end);
  size_t first = line.find(' ');
  size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
  if (second != std::string::npos) {
    out.method = line.substr(0, first);
    out.target = line.substr(first + 1, second - first - 1);
  }
  size_t at = end + 2;
  while (at < head.size()) {
    size_t next = head.find("\r\n", at);
    if (next == std::string::npos || next == at) break;
    out.headers.push_back(head.substr(at, next - at));
    at = next + 2;
  }
  return out;
}

}  // namespace

bool Connection::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool Connection::WaitForClose(std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  char scrap[256];
  while (!stopping_->load()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{socket_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(std::min<int64_t>(left.count(), kPollStepMs))) > 0) {
      if (recv(socket_, scrap, sizeof scrap, 0) <= 0) return true;
    }
  }
  return true;
}

bool HttpListener::Start(uint16_t port) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) return false;
  int yes = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  socklen_t size = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    close(listener_);
    listener_ = -1;
    return false;
  }
  port_ = ntohs(address.sin_port);
  stopping_ = false;
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void HttpListener::Stop() {
  if (listener_ < 0) return;
  stopping_ = true;
  shutdown(listener_, SHUT_RDWR);
  if (thread_.joinable()) thread_.join();
  close(listener_);
  listener_ = -1;
}

std::vector<std::string> HttpListener::Targets() const {
  std::lock_guard guard(lock_);
  return targets_;
}

void HttpListener::Serve() {
  while (!stopping_) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, kPollStepMs) <= 0) continue;
    int socket = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) continue;
    Handle(socket);
    close(socket);
  }
}

void HttpListener::Handle(int socket) {
  std::string head;
  if (!ReadHead(socket, stopping_, &head)) return;
  RequestHead request = ParseHead(head);
  {
    std::lock_guard guard(lock_);
    targets_.push_back(request.target);
  }
  Connection connection(socket, &stopping_);
  handler_(connection, request);
  shutdown(socket, SHUT_WR);
}

std::string Reply(int status, std::string_view reason, std::string_view contentType,
                  std::string_view body) {
  std::string out = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
  out += "Content-Type: " + std::string(contentType) + "\r\n";
  out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  out += "Connection: close\r\n\r\n";
  out += body;
  return out;
}

}  // namespace translation_server
