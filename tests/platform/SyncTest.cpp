#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/kernel32.h"

namespace {

class Handles {
 public:
  ~Handles() {
    for (HANDLE h : handles_) CloseHandle(h);
  }
  HANDLE operator()(HANDLE h) {
    if (h != nullptr) handles_.push_back(h);
    return h;
  }

 private:
  std::vector<HANDLE> handles_;
};

TEST(Events, ManualResetStaysSignalledUntilReset) {
  Handles keep;
  HANDLE event = keep(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(SetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ResetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(Events, AutoResetReleasesOneWaitPerSignal) {
  Handles keep;
  HANDLE event = keep(CreateEventA(nullptr, FALSE, TRUE, nullptr));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  SetEvent(event);
  SetEvent(event);  // signals do not add up
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(Events, ATimedWaitGivesUpAfterItsTime) {
  Handles keep;
  HANDLE event = keep(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(event, 30), WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(Events, AnotherThreadsSignalWakesAnInfiniteWait) {
  Handles keep;
  HANDLE ready = keep(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  HANDLE go = keep(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  DWORD result = 0;
  std::thread waiter([&] {
    SetEvent(ready);
    result = WaitForSingleObject(go, INFINITE);
  });
  ASSERT_EQ(WaitForSingleObject(ready, INFINITE), WAIT_OBJECT_0);
  SetEvent(go);
  waiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(go, 0), WAIT_TIMEOUT) << "the waiter took the signal";
}

TEST(Events, NamesShareOneObjectWithinTheProcess) {
  Handles keep;
  HANDLE first = keep(CreateEventA(nullptr, TRUE, FALSE, "velmora-test-event"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  HANDLE second = keep(CreateEventA(nullptr, TRUE, FALSE, "velmora-test-event"));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_NE(first, second);
  SetEvent(first);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
  EXPECT_EQ(CreateSemaphoreA(nullptr, 0, 1, "velmora-test-event"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Semaphores, CountsUpToTheMaximum) {
  Handles keep;
  HANDLE semaphore = keep(CreateSemaphoreA(nullptr, 2, 3, nullptr));
  ASSERT_NE(semaphore, nullptr);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);
  LONG previous = -1;
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 2, &previous));
  EXPECT_EQ(previous, 0);
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 2, &previous)) << "2 + 2 is beyond the maximum of 3";
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_POSTS);
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 1, &previous));
  EXPECT_EQ(previous, 2) << "a refused release changes nothing";
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Semaphores, InvalidCountsAreRefused) {
  EXPECT_EQ(CreateSemaphoreA(nullptr, 2, 1, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CreateSemaphoreA(nullptr, -1, 1, nullptr), nullptr);
  EXPECT_EQ(CreateSemaphoreA(nullptr, 0, 0, nullptr), nullptr);
}

TEST(Semaphores, NoReleaseIsLostBetweenThreads) {
  Handles keep;
  HANDLE items = keep(CreateSemaphoreA(nullptr, 0, 1000000, nullptr));
  constexpr int kPerProducer = 2000;
  auto produce = [&] {
    for (int i = 0; i < kPerProducer; ++i) ReleaseSemaphore(items, 1, nullptr);
  };
  int consumed = 0;
  std::thread consumer([&] {
    for (int i = 0; i < 2 * kPerProducer; ++i) {
      if (WaitForSingleObject(items, INFINITE) == WAIT_OBJECT_0) ++consumed;
    }
  });
  std::thread a(produce), b(produce);
  a.join();
  b.join();
  consumer.join();
  EXPECT_EQ(consumed, 2 * kPerProducer);
  EXPECT_EQ(WaitForSingleObject(items, 0), WAIT_TIMEOUT);
}

TEST(WaitForMultiple, AnyReportsTheLowestSignalledIndexAndTakesOnlyThat) {
  Handles keep;
  HANDLE a = keep(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  HANDLE b = keep(CreateEventA(nullptr, FALSE, TRUE, nullptr));
  HANDLE c = keep(CreateEventA(nullptr, FALSE, TRUE, nullptr));
  HANDLE all[] = {a, b, c};
  EXPECT_EQ(WaitForMultipleObjects(3, all, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(3, all, FALSE, 0), WAIT_OBJECT_0 + 2);
  EXPECT_EQ(WaitForMultipleObjects(3, all, FALSE, 0), WAIT_TIMEOUT);
}

TEST(WaitForMultiple, AllTakesNothingUntilEverythingIsSignalled) {
  Handles keep;
  HANDLE a = keep(CreateEventA(nullptr, FALSE, TRUE, nullptr));
  HANDLE s = keep(CreateSemaphoreA(nullptr, 0, 5, nullptr));
  HANDLE both[] = {a, s};
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0) << "the failed wait-all left the event set";
  SetEvent(a);
  ReleaseSemaphore(s, 1, nullptr);
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(s, 0), WAIT_TIMEOUT);
}

TEST(WaitForMultiple, AllWaitsForEveryThread) {
  auto work = [](LPVOID p) -> DWORD { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(p)); };
  Handles keep;
  HANDLE threads[3];
  for (uintptr_t i = 0; i < 3; ++i) {
    threads[i] = keep(CreateThread(nullptr, 0, work, reinterpret_cast<LPVOID>(i + 10), 0, nullptr));
    ASSERT_NE(threads[i], nullptr);
  }
  EXPECT_EQ(WaitForMultipleObjects(3, threads, TRUE, INFINITE), WAIT_OBJECT_0);
  for (uintptr_t i = 0; i < 3; ++i) {
    DWORD code = 0;
    GetExitCodeThread(threads[i], &code);
    EXPECT_EQ(code, i + 10);
  }
}

TEST(WaitForMultiple, BadArgumentsFail) {
  Handles keep;
  HANDLE event = keep(CreateEventA(nullptr, TRUE, TRUE, nullptr));
  HANDLE twice[] = {event, event};
  EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0) << "wait-any accepts it";
  EXPECT_EQ(WaitForMultipleObjects(0, twice, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  std::vector<HANDLE> tooMany(MAXIMUM_WAIT_OBJECTS + 1, event);
  EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS + 1, tooMany.data(), FALSE, 0),
            WAIT_FAILED);

  HANDLE bad[] = {event, reinterpret_cast<HANDLE>(uintptr_t{0x7FFFFFF0})};
  EXPECT_EQ(WaitForMultipleObjects(2, bad, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForSingleObject(GetProcessHeap(), 0), WAIT_FAILED)
      << "a heap is nothing to wait for";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(SetEvent(GetProcessHeap()));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(WaitForMultiple, AClosedHandleNoLongerNamesTheObject) {
  HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  ASSERT_TRUE(CloseHandle(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
  EXPECT_FALSE(SetEvent(event));
}

}  // namespace
