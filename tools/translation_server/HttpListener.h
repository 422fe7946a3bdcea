// A small HTTP/1.1 listener on 127.0.0.1 for the translation server and the tests: one
// connection at a time, handled on the listener's own thread by a handler that writes what
// it likes to the connection — a proper reply, or the misbehaviour a test needs (silence,
// a trickle, a reply cut short).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace translation_server {

struct RequestHead {
  std::string method;
  std::string target;  // path and query as sent
  std::vector<std::string> headers;
};

class Connection {
 public:
  Connection(int socket, const std::atomic<bool>* stopping)
      : socket_(socket), stopping_(stopping) {}
  // False once the peer has gone.
  bool Send(std::string_view bytes);
  // Waits until the peer closes, the listener stops or the time is up; true when the peer
  // closed or the listener stops.
  bool WaitForClose(std::chrono::milliseconds limit);
  bool Stopping() const { return stopping_->load(); }

 private:
  int socket_;
  const std::atomic<bool>* stopping_;
};

using Handler = std::function<void(Connection&, const RequestHead&)>;

class HttpListener {
 public:
  explicit HttpListener(Handler handler) : handler_(std::move(handler)) {}
  ~HttpListener() { Stop(); }
  HttpListener(const HttpListener&) = delete;
  HttpListener& operator=(const HttpListener&) = delete;

  // Port 0 picks a free one. False when the port cannot be bound.
  bool Start(uint16_t port = 0);
  uint16_t Port() const { return port_; }
  // Stops accepting and ends a handler that is waiting on its connection.
  void Stop();
  // What the requests asked for, in order.
  std::vector<std::string> Targets() const;

 private:
  void Serve();
  void Handle(int socket);

  Handler handler_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  mutable std::mutex lock_;
  std::vector<std::string> targets_;
};

// A complete reply that closes the connection after the body.
std::string Reply(int status, std::string_view reason, std::string_view contentType,
                  std::string_view body);

}  // namespace translation_server
