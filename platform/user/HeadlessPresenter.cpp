// The presenter that shows nothing: every test runs on it, and VELMORA_HEADLESS=1 selects it.
// Queues wait on their own condition variables, so it never has to block a thread itself.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/user/Presenter.h"

namespace platform::user {

namespace {

class HeadlessPresenter final : public Presenter {
 public:
  DWORD UiThread() const override { return 0; }
  void PumpNativeEvents() override {}

  // Nobody should route waits here (UiThread is 0), but a caller that does still gets a
  // wait that Wake() ends rather than a busy loop.
  void WaitForEvents(DWORD timeoutMs) override {
    std::unique_lock lock(mutex_);
    auto woken = [this] { return std::exchange(woken_, false); };
    if (timeoutMs == INFINITE) {
      wake_.wait(lock, woken);
    } else {
      wake_.wait_for(lock, std::chrono::milliseconds(timeoutMs), woken);
    }
  }
  void Wake() override {
    {
      std::lock_guard lock(mutex_);
      woken_ = true;
    }
    wake_.notify_all();
  }

  void TopLevelChanged(HWND) override {}
  void SetCursorShape(HCURSOR) override {}

  bool SetClipboardText(const std::string& utf8) override {
    std::lock_guard lock(mutex_);
    clipboard_ = utf8;
    return true;
  }
  std::string GetClipboardText() override {
    std::lock_guard lock(mutex_);
    return clipboard_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool woken_ = false;
  std::string clipboard_;
};

struct PresenterSlot {
  std::mutex mutex;
  std::unique_ptr<Presenter> current;
  // Callers hold plain references to the presenter they fetched; a replaced presenter is
  // kept alive so that such a reference never dangles.
  std::vector<std::unique_ptr<Presenter>> retired;
};

PresenterSlot& Slot() {
  static PresenterSlot* slot = new PresenterSlot;  // outlives every static destructor
  return *slot;
}

}  // namespace

Presenter& ActivePresenter() {
  PresenterSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  if (!slot.current) slot.current = std::make_unique<HeadlessPresenter>();
  return *slot.current;
}

void InstallPresenter(std::unique_ptr<Presenter> presenter) {
  PresenterSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  if (slot.current) slot.retired.push_back(std::move(slot.current));
  slot.current = presenter ? std::move(presenter) : std::make_unique<HeadlessPresenter>();
}

}  // namespace platform::user
