#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "platform/kernel32.h"
#include "tests/platform/PlatformTestSupport.h"

namespace {

using platform_test::TempDirectory;

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer));
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

TEST(Process, ModuleFileNameIsTheExecutablesPath) {
  std::string expected = ExecutablePath();
  ASSERT_FALSE(expected.empty());
  char buffer[4096];
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
  EXPECT_EQ(n, expected.size());
  EXPECT_EQ(std::string(buffer), expected);
  // The built-in modules are part of the executable.
  n = GetModuleFileNameA(GetModuleHandleA("kernel32"), buffer, sizeof(buffer));
  EXPECT_EQ(std::string(buffer, n), expected);
  n = GetModuleFileNameA(GetModuleHandleA(nullptr), buffer, sizeof(buffer));
  EXPECT_EQ(std::string(buffer, n), expected);
}

TEST(Process, ModuleFileNameIsTruncatedAndTerminatedWhenTheBufferIsSmall) {
  std::string expected = ExecutablePath();
  const DWORD length = static_cast<DWORD>(expected.size());
  std::string buffer(length + 8, '#');

  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), length), length);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(buffer.substr(0, length - 1), expected.substr(0, length - 1));
  EXPECT_EQ(buffer[length - 1], '\0');
  EXPECT_EQ(buffer[length], '#') << "nothing past the given size is touched";

  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), length + 1), length);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), 1), 1u);
  EXPECT_EQ(buffer[0], '\0');
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), 0), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x7FFFFFF0), buffer.data(), 100), 0u);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

class CurrentDirectory : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = getcwd(buffer_, sizeof(buffer_)) != nullptr; }
  void TearDown() override {
    if (saved_) {
      ASSERT_EQ(chdir(buffer_), 0);
    }
  }
  TempDirectory dir_;

 private:
  char buffer_[PATH_MAX];
  bool saved_ = false;
};

TEST_F(CurrentDirectory, GbkFoldersBecomeAndStayTheCurrentDirectory) {
  std::string folder = dir_.Windows(platform_test::kFolderGbk);
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  std::string expected = dir_.Unix(platform_test::kFolderGbk);  // reported with '/'
  char buffer[PATH_MAX];
  DWORD n = GetCurrentDirectoryA(sizeof(buffer), buffer);
  EXPECT_EQ(n, expected.size());
  EXPECT_EQ(std::string(buffer), expected);

  // Relative paths now start there.
  HANDLE file = CreateFileA("here.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(
      platform_test::Exists(dir_.Unix(std::string(platform_test::kFolderUtf8) + "/here.txt")));
}

TEST_F(CurrentDirectory, TooSmallBufferGetsTheNeededSizeAndIsLeftAlone) {
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.path().c_str()));
  const DWORD length = static_cast<DWORD>(dir_.path().size());
  std::string buffer(length + 4, '#');
  EXPECT_EQ(GetCurrentDirectoryA(length, buffer.data()), length + 1);
  EXPECT_EQ(buffer, std::string(length + 4, '#'));
  EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), length + 1);
  EXPECT_EQ(GetCurrentDirectoryA(length + 1, buffer.data()), length);
  EXPECT_EQ(buffer.c_str(), dir_.path());
}

TEST_F(CurrentDirectory, FailuresLeaveTheDirectoryAsItWas) {
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.path().c_str()));
  platform_test::WriteAll(dir_.Unix("file"), "");
  EXPECT_FALSE(SetCurrentDirectoryA(dir_.Windows("missing").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(SetCurrentDirectoryA(dir_.Windows("file").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  char buffer[PATH_MAX];
  GetCurrentDirectoryA(sizeof(buffer), buffer);
  EXPECT_EQ(std::string(buffer), dir_.path());
}

TEST(Process, TickCountFollowsTheMonotonicClock) {
  auto monotonicMs = [] {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<DWORD>(static_cast<uint64_t>(ts.tv_sec) * 1000 +
                              static_cast<uint64_t>(ts.tv_nsec) / 1000000);
  };
  // The tick count's origin is its own (it never runs back after virtual time in tests),
  // so compare how far each moves across a real pause. Unsigned differences stay right
  // across the 32-bit wrap.
  const DWORD tick0 = GetTickCount();
  const DWORD mono0 = monotonicMs();
  struct timespec pause {
    0, 30 * 1000000
  };
  nanosleep(&pause, nullptr);
  const DWORD mono1 = monotonicMs();
  const DWORD tick1 = GetTickCount();
  EXPECT_GE(tick1 - tick0, mono1 - mono0 - 1);
  EXPECT_LE(tick1 - tick0, mono1 - mono0 + 2);
}

TEST(Process, SleepWaitsAtLeastTheGivenTime) {
  auto start = std::chrono::steady_clock::now();
  Sleep(25);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));
  Sleep(0);  // only yields
}

TEST(Process, IdsOfProcessAndThreads) {
  EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
  DWORD mine = GetCurrentThreadId();
  EXPECT_NE(mine, 0u);
  EXPECT_EQ(GetCurrentThreadId(), mine);
  DWORD other = 0, otherAgain = 0;
  std::thread([&] {
    other = GetCurrentThreadId();
    otherAgain = GetCurrentThreadId();
  }).join();
  EXPECT_NE(other, 0u);
  EXPECT_NE(other, mine);
  EXPECT_EQ(other, otherAgain);
}

void ExitAfterBufferedOutput(UINT code) {
  std::setvbuf(stderr, nullptr, _IOFBF, 1024);
  std::atexit([] { std::fputs(" and atexit ran", stderr); });
  std::fputs("buffered", stderr);
  ExitProcess(code);
}

TEST(ProcessDeathTest, ExitProcessFlushesOutputAndSkipsExitHandlers) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ExitAfterBufferedOutput(7), ::testing::ExitedWithCode(7), "^buffered$");
}

TEST(ProcessDeathTest, MinusOneExitsWith255) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ExitProcess(static_cast<UINT>(-1)), ::testing::ExitedWithCode(255), "");
}

TEST(LastError, IsKeptPerThread) {
  SetLastError(1234);
  DWORD seenInThread = 99;
  std::thread([&] {
    seenInThread = GetLastError();
    SetLastError(5678);
  }).join();
  EXPECT_EQ(seenInThread, 0u);
  EXPECT_EQ(GetLastError(), 1234u);
}

}  // namespace
