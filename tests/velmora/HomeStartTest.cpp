// The start sequence on the virtual clock: the splash with its music and its name, the
// maker's page, then the skin; and the program's end when the home window is closed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/home/HomeUnits.h"
#include "app/home/SkinAttach.h"
#include "app/program/Globals.h"
#include "app/program/VelmoraProgram.h"
#include "app/program/WindowIds.h"
#include "tests/common/TempFolder.h"
#include "tests/velmora/HomeTestSupport.h"

namespace velmoratest {
namespace {

struct SplashCase {
  const char* what;
  int64_t clickAt;  // -1: no click, 0: at first sight, else at that clock time
  int64_t nameShownAt, splashGoneAt;
  int64_t musicMs;  // how much of the music had played when the splash went
};

class HomeStartTest : public HomeTest, public ::testing::WithParamInterface<SplashCase> {};

TEST_P(HomeStartTest, SplashThenMakersPageThenSkinSix) {
  const SplashCase& c = GetParam();
  // The WAV's data size and byte rate, read with no help from the program.
  const std::vector<uint8_t> wav = ReadFile(VELMORA_SOURCE_DIR "/app/assets/splash.wav");
  uint32_t bytesPerSecond = 0, dataBytes = 0;
  for (size_t at = 12; at + 8 <= wav.size();) {
    uint32_t size = 0;
    std::memcpy(&size, &wav[at + 4], 4);
    if (std::memcmp(&wav[at], "fmt ", 4) == 0) std::memcpy(&bytesPerSecond, &wav[at + 16], 4);
    if (std::memcmp(&wav[at], "data", 4) == 0) dataBytes = size;
    at += 8 + size + (size & 1);
  }
  ASSERT_GT(dataBytes * bytesPerSecond, 0u);
  const COLORREF plainFace = GetSysColor(COLOR_BTNFACE);

  StartWithStillSplash();
  HomeDriver driver(audio_.get());
  driver.clickSplashAt = c.clickAt;
  driver.musicDataBytes = dataBytes;
  StartHome(driver);
  const StartRecord& r = driver.Record();

  EXPECT_EQ(r.splashShownAt, 0);
  EXPECT_EQ(r.nameShownAt, c.nameShownAt);
  EXPECT_EQ(r.splashGoneAt, c.splashGoneAt);
  // The clock steps from timer to timer, so the device played exactly the time between the
  // music's start and the splash's end.
  EXPECT_EQ(r.musicBytesAtSplashEnd, static_cast<size_t>(c.musicMs * bytesPerSecond / 1000));
  EXPECT_EQ(r.devicesAtSplashEnd, c.musicMs > 0 ? 1u : 0u) << "the music plays once, at 1.5 s";
  EXPECT_EQ(r.webPageShownAt, r.splashGoneAt) << "the maker's page follows the splash at once";
  EXPECT_EQ(r.webPageAddress, "file://" + ExecutableFolder() + "/maker/index.html");
  EXPECT_EQ(r.faceWhileWebPage, plainFace) << "the skin came before the maker's page closed";
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), SkinFaceColour(6));
  EXPECT_NE(SkinFaceColour(6), plainFace);
  EXPECT_TRUE(r.opened.empty());
  EXPECT_TRUE(IsWindowVisible(Handle(app::kHomeWindow)));
}

INSTANTIATE_TEST_SUITE_P(Splash, HomeStartTest,
                         ::testing::Values(SplashCase{"ByItsTimers", -1, 2000, 3000, 1500},
                                           SplashCase{"ClickedAtOnce", 0, -1, 0, 0},
                                           SplashCase{"ClickedOnceTheNameShows", 2000, 2000, 2000,
                                                      500}),
                         [](const auto& info) { return std::string(info.param.what); });

// The whole program in a process of its own, as main runs it; the child reports how often
// the end routine ran.
TEST(HomeEndTest, ClosingTheHomeWindowEndsWithCodeZeroAndTheEndRoutineOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("VELMORA_HEADLESS", "1", 1);
        platform::testing::TestAudio audio;
        HomeDriver driver(&audio);
        driver.clickSplashAt = 0;
        driver.closeHomeAfterStart = true;
        driver.Begin(50);
        const int code = app::RunVelmora();
        std::fprintf(stderr, "end routine ran %d time(s)\n", app::GlobalsFreedCount());
        std::fflush(stderr);
        std::_Exit(code);
      },
      ::testing::ExitedWithCode(0), "end routine ran 1 time\\(s\\)");
}

// A program folder that takes no files starts unskinned and runs on; in a process of its
// own, without root's licence to write anywhere.
TEST(HomeReadOnlyTest, ReadOnlyProgramFolderStartsUnskinnedAndRuns) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const std::string folder = testing_temp::MakeFolder("velmora-readonly");
        chmod(folder.c_str(), 0555);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) std::_Exit(2);
        platform::testing::TestAudio audio;
        StartVelmora();
        RunFrom(folder);
        const COLORREF plainFace = GetSysColor(COLOR_BTNFACE);
        HomeDriver driver(&audio);
        driver.clickSplashAt = 0;
        driver.Begin();
        OpenWindow(app::kHomeWindow);
        const bool unskinned = GetSysColor(COLOR_BTNFACE) == plainFace;
        const bool noFile = !std::filesystem::exists(folder + "/" + app::home::kSkinLibraryName);
        ClickUnit(app::kHomeWindow, app::home::kAboutArea);
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
