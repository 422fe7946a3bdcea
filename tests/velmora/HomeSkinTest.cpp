// The skinning library beside the program: written and hidden on the first start, left
// exactly as found on later ones, and never a reason for the program to stop: a damaged
// library, something else under its name or a folder that refuses files leave the windows
// in their own look while the program goes on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "app/home/HomeUnits.h"
#include "app/home/SkinAttach.h"
#include "app/program/WindowIds.h"
#include "platform/ThemeApi.h"
#include "platform/kernel32.h"
#include "platform/testing/InputAutomation.h"
#include "runtime/RuntimeState.h"
#include "tests/common/TempFolder.h"
#include "tests/velmora/HomeTestSupport.h"

namespace velmoratest {
namespace {

namespace fs = std::filesystem;

std::vector<char> Bytes(const std::string& path) {
  if (!fs::is_regular_file(path)) return {};
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The library the build made, beside the test program as beside Velmora.
std::vector<char> BuiltLibrary() {
  return Bytes(ExecutableFolder() + "/" + app::home::kSkinLibraryName);
}

bool Hidden(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

// The program as if installed in `folder`: its run and program directories, where the
// library's binding looks (the test program's own folder holds the built library).
void RunFrom(const std::string& folder) {
  rt::Runtime().runDirectory = folder;
  rt::Runtime().programDirectory = folder + "/";
}

// What lies under the library's name before the start.
enum class Found { Nothing, LibraryShown, LibraryHidden, Damaged, Folder };

struct InstallCase {
  const char* what;
  Found found;
  bool attached;
  bool written;  // the start puts the library there (and hides it)
};

void PrintTo(const InstallCase& c, std::ostream* os) {
  *os << c.what;
}

class HomeSkinTest : public HomeTest, public ::testing::WithParamInterface<InstallCase> {
 protected:
  void SetUp() override {
    HomeTest::SetUp();
    folder_ = testing_temp::MakeFolder("velmora-skin");
    ASSERT_FALSE(folder_.empty());
    path_ = folder_ + "/" + app::home::kSkinLibraryName;
    UseFolder();
  }
  void TearDown() override {
    HomeTest::TearDown();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  // The program runs from the test's folder.
  void UseFolder() { RunFrom(folder_); }
  // The program ends and starts again from the same folder.
  void Restart() {
    VelmoraInstallTheme(nullptr);
    EndVelmora();
    StartVelmora();
    UseFolder();
  }

  std::string folder_;
  std::string path_;
};

TEST_P(HomeSkinTest, StartFindsOrPutsTheLibraryAndAttachesSkinSixOnlyWhenItLoads) {
  const InstallCase& c = GetParam();
  const COLORREF plainFace = GetSysColor(COLOR_BTNFACE);
  const std::vector<char> built = BuiltLibrary();
  ASSERT_GT(built.size(), 4u);
  switch (c.found) {
    case Found::Nothing:
      break;
    case Found::LibraryShown:
    case Found::LibraryHidden:
      // A first start wrote it; the user may have made it visible since.
      ASSERT_TRUE(app::home::AttachSkin(app::home::kDefaultSkin));
      if (c.found == Found::LibraryShown) {
        ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL));
      }
      Restart();
      break;
    case Found::Damaged:
      WriteBytes(path_, std::string(built.begin(), built.begin() + 64) + "cut off here");
      break;
    case Found::Folder:
      fs::create_directory(path_);
      break;
  }
  // Set back in time, so that any rewrite shows in the modification time.
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  utimensat(AT_FDCWD, path_.c_str(), old, 0);
  struct stat before {};
  const bool existed = stat(path_.c_str(), &before) == 0;
  const std::vector<char> bytesBefore = existed ? Bytes(path_) : std::vector<char>{};
  const bool hiddenBefore = Hidden(path_);

  EXPECT_EQ(app::home::AttachSkin(app::home::kDefaultSkin), c.attached);

  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), c.attached ? SkinFaceColour(6) : plainFace);
  if (c.written) {
    EXPECT_EQ(Bytes(path_), built);
    EXPECT_TRUE(Hidden(path_));
    return;
  }
  struct stat after {};
  ASSERT_EQ(stat(path_.c_str(), &after), 0);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec) << "rewritten";
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec) << "rewritten";
  EXPECT_EQ(Bytes(path_), bytesBefore);
  EXPECT_EQ(Hidden(path_), hiddenBefore) << "attributes changed";
}

INSTANTIATE_TEST_SUITE_P(
    Library, HomeSkinTest,
    ::testing::Values(InstallCase{"FirstStartWritesAndHidesIt", Found::Nothing, true, true},
                      InstallCase{"LaterStartKeepsAShownOne", Found::LibraryShown, true, false},
                      InstallCase{"LaterStartLoadsAHiddenOne", Found::LibraryHidden, true, false},
                      InstallCase{"DamagedOneLeavesTheLookAlone", Found::Damaged, false, false},
                      InstallCase{"FolderUnderItsName", Found::Folder, false, false}),
    [](const auto& info) { return std::string(info.param.what); });

// The skin paints from inside its library; the program's end frees what its commands
// bound, and a window painted afterwards must not reach into an unloaded library.
TEST_F(HomeSkinTest, SkinStillPaintsAfterTheProgramsEnd) {
  ASSERT_TRUE(app::home::AttachSkin(app::home::kDefaultSkin));
  EndVelmora();
  HWND window = CreateWindowExA(0, "BUTTON", "after the end", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                10, 200, 80, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  UpdateWindow(window);
  EXPECT_FALSE(platform::testing::CaptureWindow(window).empty());
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), SkinFaceColour(6));
  DestroyWindow(window);
  StartVelmora();
}

// A program folder that takes no files: the program starts without a skin and runs on. Run
// in a process of its own, without root's licence to write anywhere.
TEST(HomeReadOnlyTest, ReadOnlyProgramFolderStartsUnskinnedAndRuns) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const std::string folder = testing_temp::MakeFolder("velmora-readonly");
        chmod(folder.c_str(), 0555);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
          std::fprintf(stderr, "could not give up root\n");
          std::_Exit(2);
        }
        platform::testing::TestAudio audio;
        StartVelmora();
        RunFrom(folder);
        const COLORREF plainFace = GetSysColor(COLOR_BTNFACE);
        HomeDriver driver(&audio);
        driver.clickSplashAt = 0;
        driver.Begin();
        OpenWindow(app::kHomeWindow);
        const bool unskinned = GetSysColor(COLOR_BTNFACE) == plainFace;
        const bool noFile = !fs::exists(folder + "/" + app::home::kSkinLibraryName);
        platform::testing::ClickInWindow(Handle(app::kHomeWindow, app::home::kAboutArea), {9, 9});
        Pump();
        const bool aboutOpened =
            !driver.Record().opened.empty() && driver.Record().opened.back() == app::kAboutWindow;
        std::fprintf(stderr, "unskinned %d, no file %d, about opened %d\n", unskinned, noFile,
                     aboutOpened);
        std::fflush(stderr);
        std::_Exit(unskinned && noFile && aboutOpened ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "unskinned 1, no file 1, about opened 1");
}

}  // namespace
}  // namespace velmoratest
