// The start sequence as a user meets it, on the virtual clock: the splash with its music and
// its name, the maker's page, then the skin; and the program's end when the home window is
// closed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "app/program/Globals.h"
#include "app/program/VelmoraProgram.h"
#include "app/program/WindowIds.h"
#include "platform/ThemeApi.h"
#include "tests/velmora/HomeTestSupport.h"

namespace velmoratest {
namespace {

struct SplashCase {
  const char* what;
  int64_t clickAt;  // -1: no click, 0: at first sight, else at that clock time
  int64_t nameShownAt;
  int64_t splashGoneAt;
  int64_t musicMs;  // how much of the music had played when the splash went
};

void PrintTo(const SplashCase& c, std::ostream* os) {
  *os << c.what;
}

class HomeStartTest : public HomeTest, public ::testing::WithParamInterface<SplashCase> {};

TEST_P(HomeStartTest, SplashThenMakersPageThenSkinSix) {
  const SplashCase& c = GetParam();
  const WavFacts wav = ReadWavFacts(std::string(VELMORA_SOURCE_DIR) + "/app/assets/splash.wav");
  ASSERT_GT(wav.dataBytes, 0u);
  ASSERT_GT(wav.bytesPerSecond, 0u);
  const COLORREF plainFace = GetSysColor(COLOR_BTNFACE);

  StartWithStillSplash();
  HomeDriver driver(audio_.get());
  driver.clickSplashAt = c.clickAt;
  driver.musicDataBytes = wav.dataBytes;
  StartHome(driver);
  const StartRecord& r = driver.Record();

  ASSERT_GE(r.splashShownAt, 0) << "the splash never showed";
  EXPECT_EQ(r.splashShownAt, 0);
  EXPECT_EQ(r.nameShownAt, c.nameShownAt);
  EXPECT_EQ(r.splashGoneAt, c.splashGoneAt);
  // The clock steps from timer to timer, so the device played exactly the time between the
  // music's start and the splash's end.
  EXPECT_EQ(r.musicBytesAtSplashEnd, static_cast<size_t>(c.musicMs * wav.bytesPerSecond / 1000));
  EXPECT_EQ(r.devicesAtSplashEnd, c.musicMs > 0 ? 1u : 0u) << "the music plays once, at 1.5 s";
  EXPECT_EQ(r.webPageShownAt, r.splashGoneAt) << "the maker's page follows the splash at once";
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

// The whole program in a process of its own, as main runs it: the start sequence, then the
// user closes the home window. The child reports how often the end routine ran.
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

}  // namespace
}  // namespace velmoratest
