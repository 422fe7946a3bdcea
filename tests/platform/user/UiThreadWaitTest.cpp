// The wait for objects and messages on the thread that owns the screen blocks in the
// presenter (where the desktop's input arrives) and is woken there by whatever ends it: an
// object signalled by another thread, a message posted from another thread. It never
// falls back to looking every few milliseconds.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/kernel32.h"
#include "platform/user/Presenter.h"
#include "platform/user32.h"

namespace platform::user {
namespace {

// Stands in for the SDL presenter: this thread is its user-interface thread, and a wait
// in it blocks until Wake(). Timed waits end at once (as if the time had passed), so a
// wait that polls shows up as many timed waits.
class BlockingPresenter final : public Presenter {
 public:
  DWORD UiThread() const override { return uiThread_; }
  void PumpNativeEvents() override {}
  void WaitForEvents(DWORD timeoutMs) override {
    std::unique_lock lock(mutex_);
    timeouts_.push_back(timeoutMs);
    if (timeoutMs != INFINITE) return;
    waiting_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return woken_; });
    woken_ = false;
    waiting_ = false;
  }
  void Wake() override {
    std::lock_guard lock(mutex_);
    woken_ = true;
    changed_.notify_all();
  }
  void TopLevelChanged(HWND) override {}
  void SetCursorShape(HCURSOR) override {}
  bool SetClipboardText(const std::string&) override { return false; }
  std::string GetClipboardText() override { return {}; }

  // For the other thread: returns once the UI thread blocks in the presenter (or after a
  // long grace period, so that a wait that never blocks here fails the test instead of
  // hanging it).
  void AwaitBlocked() {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(5), [this] { return waiting_; });
  }
  std::vector<DWORD> timeouts() {
    std::lock_guard lock(mutex_);
    return timeouts_;
  }

 private:
  const DWORD uiThread_ = GetCurrentThreadId();
  std::mutex mutex_;
  std::condition_variable changed_;
  bool waiting_ = false;
  bool woken_ = false;
  std::vector<DWORD> timeouts_;
};

struct WakeCase {
  const char* what;
  // Done by another thread once the UI thread blocks.
  std::function<void(HANDLE event, HANDLE semaphore, DWORD uiThread)> wake;
  DWORD expected;
};

TEST(UiThreadWaitTest, ObjectsAndMessagesFromOtherThreadsWakeTheBlockedWait) {
  const std::vector<WakeCase> cases = {
      {"an event is set", [](HANDLE event, HANDLE, DWORD) { SetEvent(event); }, WAIT_OBJECT_0},
      {"a semaphore is released",
       [](HANDLE, HANDLE semaphore, DWORD) { ReleaseSemaphore(semaphore, 1, nullptr); },
       WAIT_OBJECT_0 + 1},
      {"a message is posted to the thread",
       [](HANDLE, HANDLE, DWORD ui) { PostThreadMessageA(ui, WM_USER + 5, 0, 0); },
       WAIT_OBJECT_0 + 2},
  };
  for (const WakeCase& c : cases) {
    auto owned = std::make_unique<BlockingPresenter>();
    BlockingPresenter& presenter = *owned;
    InstallPresenter(std::move(owned));
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 1, nullptr);
    const DWORD ui = GetCurrentThreadId();
    MSG stale;
    while (PeekMessageA(&stale, nullptr, 0, 0, PM_REMOVE)) {
    }
    std::thread other([&] {
      presenter.AwaitBlocked();
      c.wake(event, semaphore, ui);
    });
    const HANDLE objects[] = {event, semaphore};
    const DWORD result = MsgWaitForMultipleObjects(2, objects, FALSE, INFINITE, QS_ALLINPUT);
    other.join();
    EXPECT_EQ(result, c.expected) << c.what;
    const std::vector<DWORD> timeouts = presenter.timeouts();
    EXPECT_FALSE(timeouts.empty()) << c.what << ": the wait never blocked in the presenter";
    for (DWORD t : timeouts)
      EXPECT_EQ(t, INFINITE) << c.what << ": the wait looked again after " << t << " ms";
    InstallPresenter(nullptr);
    CloseHandle(event);
    CloseHandle(semaphore);
    while (PeekMessageA(&stale, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
}

}  // namespace
}  // namespace platform::user
