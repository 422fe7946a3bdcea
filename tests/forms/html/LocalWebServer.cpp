#include "tests/forms/html/LocalWebServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace htmltest {

LocalWebServer::LocalWebServer() {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  int one = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  listen(listener_, 16);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LocalWebServer::~LocalWebServer() {
  stop_ = true;
  Release();
  acceptor_.join();
  for (std::thread& t : clients_) t.join();
  close(listener_);
}

void LocalWebServer::Serve(const std::string& path, Reply reply) {
  std::lock_guard guard(lock_);
  replies_[path] = std::move(reply);
}

std::string LocalWebServer::Address(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LocalWebServer::Release() {
  std::lock_guard guard(lock_);
  release_ = true;
  released_.notify_all();
}

bool LocalWebServer::WaitForHangingRequest() {
  std::unique_lock guard(lock_);
  return heldOne_.wait_for(guard, std::chrono::seconds(10), [this] { return hanging_.load() > 0; });
}

std::vector<std::string> LocalWebServer::Requests() {
  std::lock_guard guard(lock_);
  return requests_;
}

void LocalWebServer::AcceptLoop() {
  while (!stop_) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    int client = accept(listener_, nullptr, nullptr);
    if (client < 0) continue;
    std::lock_guard guard(lock_);
    clients_.emplace_back([this, client] { Answer(client); });
  }
}

void LocalWebServer::Answer(int client) {
  std::string request;
  char buffer[2048];
  while (request.find("\r\n\r\n") == std::string::npos) {
    ssize_t n = recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.append(buffer, static_cast<size_t>(n));
  }
  std::string path;
  if (size_t space = request.find(' '); space != std::string::npos)
    path = request.substr(space + 1, request.find(' ', space + 1) - space - 1);
  Reply reply;
  {
    std::unique_lock guard(lock_);
    requests_.push_back(path);
    auto it = replies_.find(path);
    if (it == replies_.end()) {
      reply.status = 404;
      reply.body = "<html><body>not here</body></html>";
    } else {
      reply = it->second;
    }
    if (reply.hang) {
      ++hanging_;
      heldOne_.notify_all();
      released_.wait(guard, [this] { return release_; });
      --hanging_;
    }
  }
  std::string head = "HTTP/1.0 " + std::to_string(reply.status) + " X\r\n";
  if (!reply.location.empty()) head += "Location: " + reply.location + "\r\n";
  head += "Content-Type: " + reply.contentType + "\r\n";
  head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n\r\n";
  std::string all = head + reply.body;
  size_t sent = 0;
  while (sent < all.size()) {
    ssize_t n = send(client, all.data() + sent, all.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
  close(client);
}

}  // namespace htmltest
