// A small HTTP/1.0 server on 127.0.0.1 for the viewer's tests: fixed pages by path, redirects,
// missing pages, and a page that does not answer until the test lets it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace htmltest {

class LocalWebServer {
 public:
  struct Reply {
    int status = 200;
    std::string contentType = "text/html";
    std::string body;
    std::string location;  // for redirects
    bool hang = false;     // answers only after Release()
  };

  LocalWebServer();
  ~LocalWebServer();

  void Serve(const std::string& path, Reply reply);
  void Page(const std::string& path, std::string contentType, std::string body, int status = 200) {
    Reply r;
    r.status = status;
    r.contentType = std::move(contentType);
    r.body = std::move(body);
    Serve(path, std::move(r));
  }
  void Redirect(const std::string& path, std::string location) {
    Reply r;
    r.status = 302;
    r.location = std::move(location);
    Serve(path, std::move(r));
  }
  void Hanging(const std::string& path, std::string body) {
    Reply r;
    r.body = std::move(body);
    r.hang = true;
    Serve(path, std::move(r));
  }
  std::string Address(const std::string& path) const;
  // Lets hanging requests answer (with a short page).
  void Release();
  // Requests seen, by path, in arrival order.
  std::vector<std::string> Requests();
  // Waits (at most 10 s) until a request is being held; false when none came.
  bool WaitForHangingRequest();

 private:
  void AcceptLoop();
  void Answer(int client);

  int listener_ = -1;
  int port_ = 0;
  std::thread acceptor_;
  std::vector<std::thread> clients_;
  std::mutex lock_;
  std::condition_variable released_;
  std::condition_variable heldOne_;
  bool release_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<int> hanging_{0};
  std::map<std::string, Reply> replies_;
  std::vector<std::string> requests_;
};

}  // namespace htmltest
