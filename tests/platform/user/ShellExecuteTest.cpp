// ShellExecuteA: recorded under the headless presenter; otherwise the opener is started
// directly (no shell), with names passed through untouched and no zombie left behind.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/kernel32.h"
#include "platform/testing/ShellRecord.h"
#include "platform/user/Presenter.h"
#include "platform/user32.h"
#include "tests/platform/PlatformTestSupport.h"

namespace {

using platform::testing::ShellExecuteMode;
using platform_test::TempDirectory;

int Result(HINSTANCE instance) {
  return static_cast<int>(reinterpret_cast<intptr_t>(instance));
}

class ShellExecute : public ::testing::Test {
 protected:
  void SetUp() override { platform::testing::TakeShellExecuteLog(); }
  void TearDown() override {
    platform::testing::SetShellExecuteMode(ShellExecuteMode::Automatic);
    platform::testing::SetShellOpener("");
    platform::testing::TakeShellExecuteLog();
  }
};

TEST_F(ShellExecute, HeadlessRecordsTheCallAsUtf8AndSucceeds) {
  ASSERT_FALSE(platform::user::ActivePresenter().ShowsNativeWindows());
  // "C:\照片\目录.jpg" in GBK.
  const std::string file =
      std::string("C:\\") + platform_test::kPhotoGbk + "\\" + platform_test::kFolderGbk + ".jpg";
  HWND owner = reinterpret_cast<HWND>(static_cast<intptr_t>(0x03000010));
  const int result =
      Result(ShellExecuteA(owner, "open", file.c_str(), "-x", "D:\\", SW_SHOWNORMAL));
  EXPECT_GT(result, 32);
  auto log = platform::testing::TakeShellExecuteLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].window, owner);
  EXPECT_EQ(log[0].operationUtf8, "open");
  EXPECT_EQ(log[0].fileUtf8, std::string("C:\\") + platform_test::kPhotoUtf8 + "\\" +
                                 platform_test::kFolderUtf8 + ".jpg");
  EXPECT_EQ(log[0].parametersUtf8, "-x");
  EXPECT_EQ(log[0].directoryUtf8, "D:\\");
  EXPECT_EQ(log[0].showCommand, SW_SHOWNORMAL);
  EXPECT_EQ(log[0].result, result);

  EXPECT_GT(
      Result(ShellExecuteA(nullptr, nullptr, "http://example.com/", nullptr, nullptr, SW_SHOW)),
      32);
  log = platform::testing::TakeShellExecuteLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].operationUtf8, "");
  EXPECT_EQ(log[0].fileUtf8, "http://example.com/");
  EXPECT_EQ(log[0].parametersUtf8, "");
  EXPECT_TRUE(platform::testing::TakeShellExecuteLog().empty());
}

TEST_F(ShellExecute, BadRequestsFailWithSmallValues) {
  SetLastError(0);
  EXPECT_EQ(Result(ShellExecuteA(nullptr, "open", nullptr, nullptr, nullptr, SW_SHOW)), SE_ERR_FNF);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Result(ShellExecuteA(nullptr, "open", "", nullptr, nullptr, SW_SHOW)), SE_ERR_FNF);
  EXPECT_EQ(
      Result(ShellExecuteA(nullptr, "print", "http://example.com/", nullptr, nullptr, SW_SHOW)),
      SE_ERR_NOASSOC);
  // Verbs compare without regard to case, as on Windows.
  EXPECT_GT(
      Result(ShellExecuteA(nullptr, "OPEN", "http://example.com/", nullptr, nullptr, SW_SHOW)), 32);
  auto log = platform::testing::TakeShellExecuteLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].result, SE_ERR_FNF);
  EXPECT_EQ(log[2].result, SE_ERR_NOASSOC);
}

// An opener that writes the arguments it received, one a line, into `out` in the folder.
std::string MakeRecordingOpener(const TempDirectory& dir) {
  const std::string script = dir.Unix("opener.sh");
  std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" << dir.Unix("out.part")
                        << "\"\nmv \"" << dir.Unix("out.part") << "\" \"" << dir.Unix("out")
                        << "\"\n";
  chmod(script.c_str(), 0755);
  return script;
}

// The opener runs on its own; wait (bounded) until it has written what it got.
std::string WaitForOpenerOutput(const TempDirectory& dir) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream in(dir.Unix("out"));
    if (in) {
      std::stringstream text;
      text << in.rdbuf();
      return text.str();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return "<opener never ran>";
}

// Children of this process that have exited but were never waited for.
int ZombieChildren() {
  int zombies = 0;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return 0;
  while (dirent* entry = readdir(proc)) {
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // "pid (name) state ppid ...": the name may hold spaces, so read after the last ')'.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    char state = 0;
    int parent = 0;
    rest >> state >> parent;
    if (parent == getpid() && state == 'Z') ++zombies;
  }
  closedir(proc);
  return zombies;
}

bool NoZombiesSoon() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ZombieChildren() != 0) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

TEST_F(ShellExecute, AddressReachesTheOpenerLiterallyWithoutAShell) {
  TempDirectory dir;
  platform::testing::SetShellExecuteMode(ShellExecuteMode::Launch);
  platform::testing::SetShellOpener(MakeRecordingOpener(dir));
  const std::string address =
      "http://example.com/?q=a b;touch pwned&x=$(touch pwned2)`touch pwned3`";
  const int result = Result(
      ShellExecuteA(nullptr, "open", address.c_str(), nullptr, dir.path().c_str(), SW_SHOWNORMAL));
  ASSERT_GT(result, 32);
  EXPECT_EQ(WaitForOpenerOutput(dir), address + "\n");
  EXPECT_FALSE(platform_test::Exists(dir.Unix("pwned")));
  EXPECT_FALSE(platform_test::Exists(dir.Unix("pwned2")));
  EXPECT_FALSE(platform_test::Exists(dir.Unix("pwned3")));
  EXPECT_TRUE(NoZombiesSoon());
  // Launching records nothing.
  EXPECT_TRUE(platform::testing::TakeShellExecuteLog().empty());
}

TEST_F(ShellExecute, LocalFilesOpenByTheirFullUtf8Path) {
  TempDirectory dir;
  platform::testing::SetShellExecuteMode(ShellExecuteMode::Launch);
  platform::testing::SetShellOpener(MakeRecordingOpener(dir));
  ASSERT_TRUE(platform_test::WriteAll(dir.Unix(platform_test::kPhotoUtf8), "x"));
  const std::string gbkPath = dir.Windows(platform_test::kPhotoGbk);
  ASSERT_GT(Result(ShellExecuteA(nullptr, "open", gbkPath.c_str(), nullptr, nullptr, SW_SHOW)), 32);
  EXPECT_EQ(WaitForOpenerOutput(dir), dir.Unix(platform_test::kPhotoUtf8) + "\n");
  EXPECT_TRUE(NoZombiesSoon());
}

TEST_F(ShellExecute, RelativeNameThatLooksLikeAnOptionIsPassedAsAPath) {
  TempDirectory dir;
  platform::testing::SetShellExecuteMode(ShellExecuteMode::Launch);
  platform::testing::SetShellOpener(MakeRecordingOpener(dir));
  ASSERT_TRUE(platform_test::WriteAll(dir.Unix("--help"), "x"));
  ASSERT_GT(Result(ShellExecuteA(nullptr, nullptr, "--help", nullptr, dir.path().c_str(), SW_SHOW)),
            32);
  EXPECT_EQ(WaitForOpenerOutput(dir), dir.Unix("--help") + "\n");
  EXPECT_TRUE(NoZombiesSoon());
}

TEST_F(ShellExecute, MissingFilesFoldersAndOpenerFail) {
  TempDirectory dir;
  platform::testing::SetShellExecuteMode(ShellExecuteMode::Launch);
  platform::testing::SetShellOpener(MakeRecordingOpener(dir));
  SetLastError(0);
  EXPECT_EQ(Result(ShellExecuteA(nullptr, "open", dir.Windows("absent.jpg").c_str(), nullptr,
                                 nullptr, SW_SHOW)),
            SE_ERR_FNF);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Result(ShellExecuteA(nullptr, "open", dir.Windows("none\\absent.jpg").c_str(), nullptr,
                                 nullptr, SW_SHOW)),
            SE_ERR_PNF);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Result(ShellExecuteA(nullptr, "open", "http://example.com/", nullptr,
                                 dir.Windows("none").c_str(), SW_SHOW)),
            SE_ERR_PNF);

  platform::testing::SetShellOpener(dir.Unix("no-such-opener"));
  EXPECT_EQ(
      Result(ShellExecuteA(nullptr, "open", "http://example.com/", nullptr, nullptr, SW_SHOW)),
      SE_ERR_NOASSOC);
  EXPECT_EQ(GetLastError(), ERROR_NO_ASSOCIATION);
  EXPECT_FALSE(platform_test::Exists(dir.Unix("out")));
}

TEST_F(ShellExecute, RecordingCanBeForcedWhateverThePresenter) {
  TempDirectory dir;
  platform::testing::SetShellExecuteMode(ShellExecuteMode::Record);
  platform::testing::SetShellOpener(MakeRecordingOpener(dir));
  ASSERT_GT(
      Result(ShellExecuteA(nullptr, "open", "http://example.com/", nullptr, nullptr, SW_SHOW)), 32);
  EXPECT_EQ(platform::testing::TakeShellExecuteLog().size(), 1u);
  EXPECT_FALSE(platform_test::Exists(dir.Unix("out")));
}

}  // namespace
