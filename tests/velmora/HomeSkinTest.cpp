// The skinning library beside the program: written and hidden on the first start, left
// exactly as found on later ones, and never a reason to stop: a damaged library or something
// else under its name leave the windows in their own look.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app/home/SkinAttach.h"
#include "platform/ThemeApi.h"
#include "platform/kernel32.h"
#include "platform/testing/InputAutomation.h"
#include "tests/velmora/HomeTestSupport.h"

namespace velmoratest {
namespace {

namespace fs = std::filesystem;

bool Hidden(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

// What lies under the library's name before the start.
enum class Found { Nothing, LibraryShown, LibraryHidden, Damaged, Folder };

using HomeSkinTest = HomeTest;

TEST_F(HomeSkinTest, StartFindsOrPutsTheLibraryAndAttachesSkinSixOnlyWhenItLoads) {
  const COLORREF plainFace = GetSysColor(COLOR_BTNFACE);
  // The library the build made, beside the test program as beside Velmora.
  const std::vector<uint8_t> built =
      ReadFile(ExecutableFolder() + "/" + app::home::kSkinLibraryName);
  ASSERT_GT(built.size(), 64u);
  const struct Case {
    const char* what;
    Found found;
    bool attached;
  } cases[] = {{"first start writes and hides it", Found::Nothing, true},
               {"a later start keeps one made visible", Found::LibraryShown, true},
               {"a later start loads a hidden one", Found::LibraryHidden, true},
               {"a damaged one leaves the look alone", Found::Damaged, false},
               {"a folder under its name", Found::Folder, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = Folder() + "/" + std::to_string(&c - cases);
    const std::string path = folder + "/" + app::home::kSkinLibraryName;
    fs::create_directory(folder);
    RunFrom(folder);
    if (c.found == Found::LibraryShown || c.found == Found::LibraryHidden) {
      // A first start wrote it; the user may have made it visible since.
      ASSERT_TRUE(app::home::AttachSkin(app::home::kDefaultSkin));
      if (c.found == Found::LibraryShown) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      VelmoraInstallTheme(nullptr);
      EndVelmora();
      StartVelmora();
      RunFrom(folder);
    }
    if (c.found == Found::Damaged) WriteFile(path, {built.begin(), built.begin() + 64});
    if (c.found == Found::Folder) fs::create_directory(path);
    std::error_code none;
    // Set back in time, so that a rewrite would show.
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
    if (fs::exists(path)) fs::last_write_time(path, old);
    auto bytesThere = [&] {
      return fs::is_regular_file(path) ? ReadFile(path) : std::vector<uint8_t>{};
    };
    const std::vector<uint8_t> bytes = c.found == Found::Nothing ? built : bytesThere();
    const bool hidden = c.found == Found::Nothing || Hidden(path);

    EXPECT_EQ(app::home::AttachSkin(app::home::kDefaultSkin), c.attached);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), c.attached ? SkinFaceColour(6) : plainFace);
    EXPECT_EQ(bytesThere(), bytes);
    EXPECT_EQ(Hidden(path), hidden) << "attributes changed";
    if (c.found != Found::Nothing) {
      EXPECT_EQ(fs::last_write_time(path, none), old) << "rewritten";
    }
    VelmoraInstallTheme(nullptr);
  }
}

// The skin paints from inside its library: a window painted after the program's end must
// not reach into an unloaded library.
TEST_F(HomeSkinTest, SkinStillPaintsAfterTheProgramsEnd) {
  ASSERT_TRUE(app::home::AttachSkin(app::home::kDefaultSkin));
  EndVelmora();
  HWND window = CreateWindowExA(0, "BUTTON", "after the end", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                10, 200, 80, nullptr, nullptr, nullptr, nullptr);
  UpdateWindow(window);
  EXPECT_FALSE(platform::testing::CaptureWindow(window).empty());
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), SkinFaceColour(6));
  DestroyWindow(window);
  StartVelmora();
}

}  // namespace
}  // namespace velmoratest
