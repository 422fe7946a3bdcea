// Loading pages and their pictures with libcurl, each transfer on a worker thread so that a
// server that never answers cannot hold up the window. What the workers learn (progress, the
// finished transfer) is queued and the window is told with one posted message; the window
// takes the queue on its own thread, so its events follow in the order things happened.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/user32.h"

namespace forms::html {

struct FetchNotice {
  uint64_t ticket = 0;
  bool finished = false;  // false: a progress report
  int percent = 0;        // progress, 0-100
  // Finished transfers.
  bool ok = false;
  long status = 0;      // HTTP status, 0 for other schemes
  std::string address;  // after redirects
  std::string contentType;
  std::string body;
  std::string error;  // why it failed, for the error page
};

// Time limits of every transfer; the tests shorten them.
struct FetchLimits {
  long connectMs = 30000;
  long totalMs = 60000;
  size_t maxBytes = size_t{32} << 20;
};
void SetFetchLimits(const FetchLimits& limits);
FetchLimits CurrentFetchLimits();

class PageFetcher {
 public:
  // `message` is posted to `window` whenever the queue goes from empty to not empty.
  PageFetcher(HWND window, UINT message);
  // Cancels every transfer and waits for the workers (a cancelled transfer ends within about a
  // second, the rate at which libcurl reports progress while it waits).
  ~PageFetcher();
  PageFetcher(const PageFetcher&) = delete;
  PageFetcher& operator=(const PageFetcher&) = delete;

  // Starts loading `address`; `reportProgress` asks for progress notices. Redirects may lead
  // to http and https only, so a page from the network cannot be bounced onto a local file.
  uint64_t Start(const std::string& address, bool reportProgress);
  // Stops every transfer; notices already queued stay, later ones are dropped.
  void CancelAll();
  std::vector<FetchNotice> Take();
  // Transfers started and not yet finished.
  size_t Running() const;

 private:
  struct Channel;
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> cancel;
    std::shared_ptr<std::atomic<bool>> done;
  };
  void Reap();

  std::shared_ptr<Channel> channel_;
  std::vector<Worker> workers_;
  uint64_t nextTicket_ = 1;
};

}  // namespace forms::html
