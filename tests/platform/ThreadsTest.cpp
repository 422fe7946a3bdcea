#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/kernel32.h"

namespace {

DWORD WINAPI ReturnParameter(LPVOID parameter) {
  return static_cast<DWORD>(reinterpret_cast<uintptr_t>(parameter));
}

TEST(Threads, ExitCodeIsTheFunctionsResultOnceTheHandleIsSignalled) {
  DWORD id = 0;
  HANDLE thread =
      CreateThread(nullptr, 0, ReturnParameter, reinterpret_cast<LPVOID>(uintptr_t{42}), 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  // A finished thread stays signalled.
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(thread));
}

struct Gate {
  HANDLE go;
  std::atomic<bool> ran{false};
  std::atomic<bool> passed{false};
  DWORD idSeen = 0;
};

DWORD WINAPI WaitAtGate(LPVOID parameter) {
  auto* gate = static_cast<Gate*>(parameter);
  gate->ran = true;
  gate->idSeen = GetCurrentThreadId();
  WaitForSingleObject(gate->go, INFINITE);
  gate->passed = true;
  return 7;
}

TEST(Threads, StillActiveUntilTheThreadEnds) {
  Gate gate;
  gate.go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, &id);
  ASSERT_NE(thread, nullptr);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
  SetEvent(gate.go);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(gate.idSeen, id) << "the id CreateThread reports is the thread's own";
  CloseHandle(thread);
  CloseHandle(gate.go);
}

TEST(Threads, SuspendedThreadsRunOnlyAfterResume) {
  Gate gate;
  gate.go = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, CREATE_SUSPENDED, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);
  EXPECT_FALSE(gate.ran);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(gate.ran);
  EXPECT_EQ(ResumeThread(thread), 0u);
  EXPECT_EQ(ResumeThread(nullptr), static_cast<DWORD>(-1));
  CloseHandle(thread);
  CloseHandle(gate.go);
}

std::atomic<bool> g_afterExitThread{false};

void LeaveFromDeepInside(DWORD code) {
  ExitThread(code);
}

DWORD WINAPI CallsExitThread(LPVOID) {
  LeaveFromDeepInside(99);
  g_afterExitThread = true;
  return 1;
}

TEST(Threads, ExitThreadEndsTheThreadWithItsCode) {
  HANDLE thread = CreateThread(nullptr, 64 * 1024, CallsExitThread, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 99u);
  EXPECT_FALSE(g_afterExitThread);
  CloseHandle(thread);
}

TEST(Threads, ClosingTheHandleDoesNotStopTheThread) {
  Gate gate;
  gate.go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(CloseHandle(thread));
  DWORD code;
  EXPECT_FALSE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  while (!gate.ran) std::this_thread::yield();
  SetEvent(gate.go);
  while (!gate.passed) std::this_thread::yield();
  CloseHandle(gate.go);
}

TEST(Threads, NullStartRoutineIsRefused) {
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section)) << "the owner may enter again";
  BOOL otherGotIn = TRUE;
  std::thread([&] { otherGotIn = TryEnterCriticalSection(&section); }).join();
  EXPECT_FALSE(otherGotIn);
  LeaveCriticalSection(&section);
  std::thread([&] { otherGotIn = TryEnterCriticalSection(&section); }).join();
  EXPECT_FALSE(otherGotIn) << "still held once";
  LeaveCriticalSection(&section);
  std::thread([&] {
    otherGotIn = TryEnterCriticalSection(&section);
    if (otherGotIn) LeaveCriticalSection(&section);
  }).join();
  EXPECT_TRUE(otherGotIn);
  DeleteCriticalSection(&section);
}

TEST(CriticalSection, GuardsASharedCounter) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      EnterCriticalSection(&section);
      long seen = counter;
      counter = seen + 1;
      LeaveCriticalSection(&section);
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 40000);
  DeleteCriticalSection(&section);
}

TEST(Tls, ValuesArePerThread) {
  DWORD index = TlsAlloc();
  ASSERT_NE(index, TLS_OUT_OF_INDEXES);
  int mine = 1, theirs = 2;
  ASSERT_TRUE(TlsSetValue(index, &mine));
  void* seenBefore = &mine;
  void* seenAfter = nullptr;
  std::thread([&] {
    seenBefore = TlsGetValue(index);
    TlsSetValue(index, &theirs);
    seenAfter = TlsGetValue(index);
  }).join();
  EXPECT_EQ(seenBefore, nullptr);
  EXPECT_EQ(seenAfter, &theirs);
  SetLastError(123);
  EXPECT_EQ(TlsGetValue(index), &mine);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS) << "success clears the last error";
  EXPECT_TRUE(TlsFree(index));
}

TEST(Tls, AFreedIndexComesBackEmpty) {
  DWORD index = TlsAlloc();
  ASSERT_NE(index, TLS_OUT_OF_INDEXES);
  int value = 5;
  TlsSetValue(index, &value);
  ASSERT_TRUE(TlsFree(index));
  EXPECT_EQ(TlsGetValue(index), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(TlsSetValue(index, &value));
  EXPECT_FALSE(TlsFree(index));
  DWORD again = TlsAlloc();
  EXPECT_EQ(again, index) << "the lowest free index is reused";
  EXPECT_EQ(TlsGetValue(again), nullptr);
  TlsFree(again);
}

TEST(Tls, ManyIndexesAreAvailable) {
  std::vector<DWORD> indexes;
  for (DWORD i = 0; i < TLS_MINIMUM_AVAILABLE; ++i) {
    DWORD index = TlsAlloc();
    ASSERT_NE(index, TLS_OUT_OF_INDEXES);
    indexes.push_back(index);
    TlsSetValue(index, reinterpret_cast<LPVOID>(uintptr_t{i + 1}));
  }
  for (DWORD i = 0; i < indexes.size(); ++i) {
    EXPECT_EQ(TlsGetValue(indexes[i]), reinterpret_cast<LPVOID>(uintptr_t{i + 1}));
  }
  for (DWORD index : indexes) TlsFree(index);
}

}  // namespace
