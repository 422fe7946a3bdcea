// Share modes between two processes of ours: the test starts its own executable again as
// a second process that holds a file open while this one tries to open it.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/kernel32.h"
#include "tests/platform/PlatformTestSupport.h"

extern char** environ;

namespace {

using platform_test::Exists;
using platform_test::ReadAll;
using platform_test::TempDirectory;
using platform_test::WriteAll;

constexpr int kReadyFd = 100;  // the child reports whether its open worked
constexpr int kHoldFd = 101;   // the child keeps the file open until this closes

// Runs only inside the child process started below.
TEST(ShareAcrossProcesses, DISABLED_ChildHoldsFileOpen) {
  const char* path = std::getenv("VELMORA_SHARE_CHILD_FILE");
  const char* mode = std::getenv("VELMORA_SHARE_CHILD_MODE");
  if (path == nullptr || mode == nullptr) GTEST_SKIP() << "only runs as the helper process";
  unsigned long access = 0, share = 0;
  ASSERT_EQ(std::sscanf(mode, "%lx,%lx", &access, &share), 2);
  HANDLE file = CreateFileA(path, static_cast<DWORD>(access), static_cast<DWORD>(share), nullptr,
                            OPEN_EXISTING, 0, nullptr);
  char report = file != INVALID_HANDLE_VALUE ? 'R' : 'F';
  ASSERT_EQ(write(kReadyFd, &report, 1), 1);
  char ignored;
  while (read(kHoldFd, &ignored, 1) > 0) {
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

class Holder {
 public:
  Holder(const std::string& path, DWORD access, DWORD share) {
    int ready[2], hold[2];
    if (pipe2(ready, O_CLOEXEC) != 0 || pipe2(hold, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], kReadyFd);
    posix_spawn_file_actions_adddup2(&actions, hold[0], kHoldFd);
    // The child's own test report would only clutter ours.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::string exe = "/proc/self/exe";
    std::vector<std::string> args = {
        exe, "--gtest_filter=ShareAcrossProcesses.DISABLED_ChildHoldsFileOpen",
        "--gtest_also_run_disabled_tests"};
    char modeText[64];
    std::snprintf(modeText, sizeof(modeText), "%x,%x", access, share);
    std::vector<std::string> env = {"VELMORA_SHARE_CHILD_FILE=" + path,
                                    std::string("VELMORA_SHARE_CHILD_MODE=") + modeText};
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    spawned_ = posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    close(hold[0]);
    holdWrite_ = hold[1];
    char report = 0;
    opened_ = spawned_ && read(ready[0], &report, 1) == 1 && report == 'R';
    close(ready[0]);
  }
  ~Holder() { Release(); }

  bool opened() const { return opened_; }
  // Lets the child close the file and end.
  bool Release() {
    if (holdWrite_ >= 0) close(holdWrite_);
    holdWrite_ = -1;
    if (!spawned_) return false;
    spawned_ = false;
    int status = 0;
    return waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

 private:
  pid_t pid_ = -1;
  bool spawned_ = false;
  bool opened_ = false;
  int holdWrite_ = -1;
};

TEST(ShareAcrossProcesses, AnotherProcessesOpenIsRespected) {
  TempDirectory dir;
  WriteAll(dir.Unix("f"), "precious");
  std::string path = dir.Windows("f");
  Holder child(path, GENERIC_READ, FILE_SHARE_READ);
  ASSERT_TRUE(child.opened());

  HANDLE reader =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE) << "reading was shared";
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);

  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, CREATE_ALWAYS, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ReadAll(dir.Unix("f")), "precious");

  // Our reader that refuses to share reading with the child is refused as well.
  EXPECT_EQ(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr),
      INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);

  EXPECT_FALSE(DeleteFileA(path.c_str())) << "the child did not share deleting";
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);

  ASSERT_TRUE(child.Release());
  writer = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE) << "the child's open ended with it";
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  EXPECT_TRUE(DeleteFileA(path.c_str()));
  EXPECT_FALSE(Exists(dir.Unix("f")));
}

TEST(ShareAcrossProcesses, TheChildIsRefusedWhileWeHoldTheFile) {
  TempDirectory dir;
  WriteAll(dir.Unix("f"), "x");
  std::string path = dir.Windows("f");
  HANDLE mine = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(mine, INVALID_HANDLE_VALUE);
  {
    Holder child(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_FALSE(child.opened());
  }
  CloseHandle(mine);
  Holder child(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_TRUE(child.opened());
}

}  // namespace
