// Messages between threads: sends that block, posts that wake, waits on objects and input.
#include <atomic>
#include <cstdlib>
#include <future>
#include <thread>

#include "tests/platform/user/MessageTestSupport.h"

using namespace message_test;

namespace {

constexpr UINT kFirst = WM_USER + 1;
constexpr UINT kSecond = WM_USER + 2;

// A thread with a window and a message loop, ended by a WM_QUIT posted to it.
class WindowThread {
 public:
  WindowThread() {
    std::promise<void> ready;
    auto started = ready.get_future();
    thread_ = std::thread([this, &ready] {
      // Hidden: showing it would activate it, and activation talks to the other thread.
      TestWindow window(nullptr, WS_POPUP);
      window_ = window;
      threadId_ = GetCurrentThreadId();
      ready.set_value();
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    });
    started.wait();
  }
  ~WindowThread() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND window() const { return window_; }
  DWORD threadId() const { return threadId_; }

 private:
  std::thread thread_;
  HWND window_ = nullptr;
  DWORD threadId_ = 0;
};

bool SendIsWaiting() {
  return (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0;
}

class MessageThreadTest : public MessageTest {};

TEST_F(MessageThreadTest, SendToAnotherThreadRunsThereAndBlocksTheCaller) {
  WindowThread worker;
  std::atomic<bool> finished{false};
  SetHandler(worker.window(),
             [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
               if (message != kFirst) return std::nullopt;
               std::this_thread::yield();
               finished = true;
               return static_cast<LRESULT>(wParam * 1000 + lParam);
             });
  EXPECT_EQ(SendMessageA(worker.window(), kFirst, 5, 6), 5006);
  EXPECT_TRUE(finished);
  auto log = TakeLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].thread, worker.threadId());
  EXPECT_TRUE(log[0].inSend);
  EXPECT_FALSE(InSendMessage());
}

TEST_F(MessageThreadTest, SendFromAnotherThreadIsDeliveredByTheOwnersLoop) {
  TestWindow window;
  platform::testing::RunUntilIdle();
  TakeLog();
  bool handled = false;
  SetHandler(window, [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != kFirst) return std::nullopt;
    handled = true;
    return 77;
  });
  std::atomic<LRESULT> result{0};
  std::thread sender([&] { result = SendMessageA(window, kFirst, 0, 0); });
  // The send waits until this thread looks at its queue; the loop wakes for it.
  EXPECT_TRUE(platform::testing::RunUntil([&] { return handled; }, 10000));
  sender.join();
  EXPECT_EQ(result, 77);
  auto log = TakeLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].thread, GetCurrentThreadId());
  EXPECT_TRUE(log[0].inSend);
}

TEST_F(MessageThreadTest, ReceiverSendingBackToTheBlockedSenderDoesNotDeadlock) {
  TestWindow mine;
  platform::testing::RunUntilIdle();
  WindowThread worker;
  TakeLog();
  SetHandler(mine, [](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message == kSecond) return static_cast<LRESULT>(wParam * 2);
    return std::nullopt;
  });
  HWND back = mine;
  SetHandler(worker.window(),
             [back](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
               if (message != kFirst) return std::nullopt;
               return SendMessageA(back, kSecond, wParam + 1, 0) + 1;
             });
  EXPECT_EQ(SendMessageA(worker.window(), kFirst, 20, 0), 43);
  auto log = TakeLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].message, kFirst);
  EXPECT_EQ(log[0].thread, worker.threadId());
  EXPECT_EQ(log[1].message, kSecond);
  EXPECT_EQ(log[1].thread, GetCurrentThreadId());  // run while this thread was blocked
  EXPECT_TRUE(log[1].inSend);
}

TEST_F(MessageThreadTest, ReplyMessageReleasesTheSenderBeforeTheHandlerEnds) {
  WindowThread worker;
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> waited{WAIT_FAILED};
  SetHandler(worker.window(), [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != kFirst) return std::nullopt;
    ReplyMessage(42);
    // Only a sender already released can set this event.
    waited = WaitForSingleObject(release, 10000);
    return 44;
  });
  EXPECT_EQ(SendMessageA(worker.window(), kFirst, 0, 0), 42);
  SetEvent(release);
  // The handler's end is seen once the next send is answered.
  EXPECT_EQ(SendMessageA(worker.window(), WM_NULL, 0, 0), 0);
  EXPECT_EQ(waited, WAIT_OBJECT_0);
  EXPECT_FALSE(ReplyMessage(1));  // nothing is being handled here
  CloseHandle(release);
}

TEST_F(MessageThreadTest, SendToAWindowDestroyedWhileTheSendWaitsReturnsZero) {
  std::atomic<HWND> target{nullptr};
  std::promise<void> ready;
  auto started = ready.get_future();
  std::thread owner([&] {
    TestWindow window(nullptr, WS_POPUP);
    target = window;
    ready.set_value();
    while (!SendIsWaiting()) std::this_thread::yield();
    DestroyWindow(window);  // without ever reading the queue
  });
  started.wait();
  SetHandler(target, [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kFirst) return 5;
    return std::nullopt;
  });
  EXPECT_EQ(SendMessageA(target, kFirst, 0, 0), 0);
  owner.join();
  EXPECT_TRUE(TakeLog().empty());
}

// A thread that ends with its window still there leaves that window behind for good, so
// this runs in a process of its own. Exit codes: 0 all well, else the failed step.
int SendToAWindowWhoseThreadEnds() {
  std::atomic<HWND> target{nullptr};
  std::promise<void> ready;
  auto started = ready.get_future();
  std::thread owner([&] {
    target = CreateWindowExA(0, TestClassName(), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
    ready.set_value();
    while (!SendIsWaiting()) std::this_thread::yield();
  });
  started.wait();
  if (target.load() == nullptr) return 1;
  // Returns once the thread is gone, with nothing to answer it.
  if (SendMessageA(target, kFirst, 0, 0) != 0) return 2;
  owner.join();
  // The queue went with the thread: posts fail and sends return at once.
  if (PostMessageA(target, kFirst, 0, 0)) return 3;
  if (SendMessageA(target, kFirst, 0, 0) != 0) return 4;
  if (!TakeLog().empty()) return 5;
  return 0;
}

TEST(MessageThreadDeathTest, SendToAWindowWhoseThreadEndsReturnsZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(SendToAWindowWhoseThreadEnds()), ::testing::ExitedWithCode(0), "");
}

TEST_F(MessageThreadTest, PostThreadMessageReachesAWaitingThread) {
  std::promise<DWORD> idPromise;
  auto idFuture = idPromise.get_future();
  MSG received{};
  std::thread worker([&] {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    idPromise.set_value(GetCurrentThreadId());
    if (GetMessageA(&msg, nullptr, 0, 0) > 0) received = msg;
  });
  const DWORD id = idFuture.get();
  EXPECT_TRUE(PostThreadMessageA(id, kSecond, 3, 4));
  worker.join();
  EXPECT_EQ(received.hwnd, nullptr);
  EXPECT_EQ(received.message, kSecond);
  EXPECT_EQ(received.wParam, 3u);
  EXPECT_EQ(received.lParam, 4);

  // The thread has ended with its queue.
  SetLastError(0);
  EXPECT_FALSE(PostThreadMessageA(id, kSecond, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
  SetLastError(0);
  EXPECT_FALSE(PostThreadMessageA(0x7FFFFFF0, kSecond, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

TEST_F(MessageThreadTest, PostFromAnotherThreadWakesGetMessageAndWaitMessage) {
  TestWindow window;
  platform::testing::RunUntilIdle();
  std::thread poster([&] { PostMessageA(window, kFirst, 1, 0); });
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, kFirst);
  poster.join();

  std::thread second([&] { PostMessageA(window, kSecond, 2, 0); });
  EXPECT_TRUE(WaitMessage());
  second.join();
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kSecond);
}

TEST_F(MessageThreadTest, MsgWaitEndsForAnObjectOrForNewInputOfTheMask) {
  TestWindow window;
  platform::testing::RunUntilIdle();
  GetQueueStatus(QS_ALLINPUT);
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);

  std::thread setter([&] { SetEvent(event); });
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0);
  setter.join();

  std::thread poster([&] { PostMessageA(window, kFirst, 0, 0); });
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_POSTMESSAGE),
            WAIT_OBJECT_0 + 1);
  poster.join();

  // Input of another kind does not count, and input already looked at is not new.
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 0, QS_KEY), WAIT_TIMEOUT);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 0, QS_ALLINPUT), WAIT_TIMEOUT);

  // A message sent from another thread wakes the wait; the next look delivers it.
  bool handled = false;
  SetHandler(window, [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kSecond) handled = true;
    return std::nullopt;
  });
  std::thread sender([&] { SendMessageA(window, kSecond, 0, 0); });
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_SENDMESSAGE), WAIT_OBJECT_0);
  EXPECT_FALSE(handled);
  MSG ignored;
  PeekMessageA(&ignored, nullptr, WM_NULL, WM_NULL, PM_NOREMOVE);
  EXPECT_TRUE(handled);
  sender.join();
  CloseHandle(event);
}

TEST_F(MessageThreadTest, MsgWaitOnTheVirtualClockTimesOutOrWakesForATimer) {
  TestWindow window;
  platform::testing::RunUntilIdle();
  GetQueueStatus(QS_ALLINPUT);
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  uint64_t start = platform::testing::NowMs();
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 250, QS_ALLINPUT), WAIT_TIMEOUT);
  EXPECT_EQ(platform::testing::NowMs() - start, 250u);

  SetTimer(window, 1, 100, nullptr);
  start = platform::testing::NowMs();
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 1000, QS_TIMER), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(platform::testing::NowMs() - start, 100u);
  KillTimer(window, 1);

  // A signalled manual-reset event stays signalled and wins over a timeout.
  SetEvent(event);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 5000, QS_ALLINPUT), WAIT_OBJECT_0);
  CloseHandle(event);

  HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7777770));
  SetLastError(0);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &bogus, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(MsgWaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS, &bogus, FALSE, 0, QS_ALLINPUT),
            WAIT_FAILED);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
}

}  // namespace
