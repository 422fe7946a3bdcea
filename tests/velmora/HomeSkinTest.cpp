// The skinning library beside the program: written and hidden on the first start, left
// exactly as found on later ones, and never a reason to stop: a damaged library or something
// else under its name leave the windows in their own look.
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

std::vector<uint8_t> Bytes(const std::string& path) {
  return fs::is_regular_file(path) ? ReadFile(path) : std::vector<uint8_t>{};
}

bool Hidden(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
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
    path_ = Folder() + "/" + app::home::kSkinLibraryName;
    RunFrom(Folder());
  }
  std::string path_;
};

TEST_P(HomeSkinTest, StartFindsOrPutsTheLibraryAndAttachesSkinSixOnlyWhenItLoads) {
  const InstallCase& c = GetParam();
  const COLORREF plainFace = GetSysColor(COLOR_BTNFACE);
  // The library the build made, beside the test program as beside Velmora.
  const std::vector<uint8_t> built = Bytes(ExecutableFolder() + "/" + app::home::kSkinLibraryName);
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
      VelmoraInstallTheme(nullptr);
      EndVelmora();
      StartVelmora();
      RunFrom(Folder());
      break;
    case Found::Damaged:
      WriteFile(path_, std::vector<uint8_t>(built.begin(), built.begin() + 64));
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
  const std::vector<uint8_t> bytesBefore = existed ? Bytes(path_) : std::vector<uint8_t>{};
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

}  // namespace
}  // namespace velmoratest
