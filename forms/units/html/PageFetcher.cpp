#include "forms/units/html/PageFetcher.h"

#include <curl/curl.h>

#include <algorithm>
#include <deque>
#include <functional>

#include "forms/units/html/PageAddress.h"

namespace forms::html {

struct PageFetcher::Channel {
  std::mutex lock;
  std::deque<FetchNotice> queue;
  HWND window;
  UINT message;
  uint64_t droppedBelow = 0;  // tickets below this were cancelled

  void Push(FetchNotice notice) {
    bool wasEmpty;
    {
      std::lock_guard guard(lock);
      if (notice.ticket < droppedBelow) return;
      wasEmpty = queue.empty();
      queue.push_back(std::move(notice));
    }
    if (wasEmpty) PostMessageA(window, message, 0, 0);
  }
};

namespace {

std::mutex& LimitsLock() {
  static std::mutex lock;
  return lock;
}
FetchLimits& Limits() {
  static FetchLimits limits;
  return limits;
}

struct Transfer {
  std::shared_ptr<std::atomic<bool>> cancel;
  std::string body;
  size_t maxBytes = 0;
  bool tooLarge = false;
  bool reportProgress = false;
  int lastPercent = -1;
  uint64_t ticket = 0;
  std::function<void(int)> progress;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t n = size * count;
  if (t->body.size() + n > t->maxBytes) {
    t->tooLarge = true;
    return 0;  // ends the transfer
  }
  t->body.append(data, n);
  return n;
}

int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  if (t->cancel->load()) return 1;
  if (t->reportProgress && total > 0) {
    int percent = static_cast<int>(std::min<curl_off_t>(100, now * 100 / total));
    // The last step is reported with the finished transfer.
    if (percent != t->lastPercent && percent < 100) {
      t->lastPercent = percent;
      t->progress(percent);
    }
  }
  return 0;
}

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

FetchNotice RunTransfer(const std::string& address, Transfer& t) {
  FetchNotice out;
  out.finished = true;
  out.ticket = t.ticket;
  out.address = address;
  const FetchLimits limits = CurrentFetchLimits();
  t.maxBytes = limits.maxBytes;
  if (!IsLoadableScheme(SchemeOf(address))) {
    out.error = "unsupported address";
    return out;
  }
  CURL* curl = curl_easy_init();
  if (curl == nullptr) {
    out.error = "no transfer handle";
    return out;
  }
  char message[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,file");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits.connectMs);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, limits.totalMs);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible; Velmora)");
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, message);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
  CURLcode result = curl_easy_perform(curl);
  char* effective = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
    out.address = effective;
  char* type = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
    out.contentType = type;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &out.status);
  curl_easy_cleanup(curl);
  out.body = std::move(t.body);
  if (t.tooLarge) {
    out.error = "the page is too large";
  } else if (result != CURLE_OK) {
    out.error = message[0] != '\0' ? message : curl_easy_strerror(result);
  } else if (out.status >= 400) {
    out.error = "HTTP " + std::to_string(out.status);
  } else {
    out.ok = true;
  }
  return out;
}

}  // namespace

void SetFetchLimits(const FetchLimits& limits) {
  std::lock_guard guard(LimitsLock());
  Limits() = limits;
}

FetchLimits CurrentFetchLimits() {
  std::lock_guard guard(LimitsLock());
  return Limits();
}

PageFetcher::PageFetcher(HWND window, UINT message) : channel_(std::make_shared<Channel>()) {
  channel_->window = window;
  channel_->message = message;
  GlobalInit();
}

PageFetcher::~PageFetcher() {
  CancelAll();
  for (Worker& w : workers_) {
    if (w.thread.joinable()) w.thread.join();
  }
}

uint64_t PageFetcher::Start(const std::string& address, bool reportProgress) {
  Reap();
  const uint64_t ticket = nextTicket_++;
  Worker w;
  w.cancel = std::make_shared<std::atomic<bool>>(false);
  w.done = std::make_shared<std::atomic<bool>>(false);
  w.thread = std::thread(
      [channel = channel_, cancel = w.cancel, done = w.done, address, ticket, reportProgress] {
        Transfer t;
        t.cancel = cancel;
        t.ticket = ticket;
        t.reportProgress = reportProgress;
        t.progress = [&](int percent) {
          FetchNotice n;
          n.ticket = ticket;
          n.percent = percent;
          channel->Push(std::move(n));
        };
        FetchNotice result = RunTransfer(address, t);
        if (!cancel->load()) channel->Push(std::move(result));
        done->store(true);
      });
  workers_.push_back(std::move(w));
  return ticket;
}

void PageFetcher::CancelAll() {
  for (Worker& w : workers_) w.cancel->store(true);
  std::lock_guard guard(channel_->lock);
  channel_->droppedBelow = nextTicket_;
  channel_->queue.clear();
}

std::vector<FetchNotice> PageFetcher::Take() {
  std::lock_guard guard(channel_->lock);
  std::vector<FetchNotice> out(std::make_move_iterator(channel_->queue.begin()),
                               std::make_move_iterator(channel_->queue.end()));
  channel_->queue.clear();
  return out;
}

size_t PageFetcher::Running() const {
  return static_cast<size_t>(std::count_if(workers_.begin(), workers_.end(), [](const Worker& w) {
    return !w.done->load() && !w.cancel->load();
  }));
}

void PageFetcher::Reap() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->done->load()) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace forms::html
