// The home window's six areas and where they lead, the maker's page in its window and in the
// about window's links, and the four windows as they look (written as PNGs when
// VELMORA_HOME_PNG_DIR names a folder).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/home/HomeUnits.h"
#include "app/home/SkinAttach.h"
#include "app/home/WebLinks.h"
#include "app/program/UnitAccess.h"
#include "app/program/WindowIds.h"
#include "forms/units/html/PageAddress.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "platform/testing/ShellRecord.h"
#include "tests/common/Gbk.h"
#include "tests/velmora/HomeTestSupport.h"

namespace velmoratest {
namespace {

using ::testing::ElementsAre;

namespace home = app::home;

// The home picture's tiles as the asset maker paints them: the two colours of each tile's
// gradient. The area over a tile must show that tile's hue.
struct Area {
  const char* word;
  uint32_t label;
  COLORREF top;
  COLORREF bottom;
  uint32_t opens;  // the window it opens; 0 for the video page
};
constexpr Area kAreas[] = {
    {"字幕", home::kCaptionArea, RGB(0xE0, 0x60, 0x4A), RGB(0x9E, 0x2F, 0x2A),
     app::kSubtitleWindow},
    {"水印", home::kWatermarkArea, RGB(0x2F, 0xA7, 0xA0), RGB(0x17, 0x61, 0x5E),
     app::kWatermarkWindow},
    {"批量", home::kBatchArea, RGB(0xE3, 0xA3, 0x3B), RGB(0xA4, 0x62, 0x1A), app::kBatchWindow},
    {"滤镜", home::kFilterArea, RGB(0x6B, 0x5F, 0xD3), RGB(0x3A, 0x2F, 0x8C), app::kFilterWindow},
    {"视频", home::kVideoArea, RGB(0xD9, 0x47, 0x7A), RGB(0x8C, 0x1F, 0x4B), 0},
    {"关于", home::kAboutArea, RGB(0x4F, 0x83, 0xD8), RGB(0x27, 0x49, 0x8F), app::kAboutWindow},
};

// Hue in degrees, and whether the colour has any (a grey has none).
int Hue(COLORREF c, int* chroma) {
  const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
  *chroma = hi - lo;
  if (*chroma == 0) return 0;
  int h = hi == r   ? 60 * (g - b) / *chroma
          : hi == g ? 120 + 60 * (b - r) / *chroma
                    : 240 + 60 * (r - g) / *chroma;
  return (h + 360) % 360;
}

int HueDistance(int a, int b) {
  const int d = std::abs(a - b) % 360;
  return std::min(d, 360 - d);
}

RECT ClientRectOnScreen(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  OffsetRect(&r, origin.x, origin.y);
  return r;
}

class HomeWindowTest : public HomeTest {
 protected:
  void OpenHome() {
    driver_.clickSplashAt = 0;
    StartHome(driver_);
    ASSERT_NE(Handle(app::kHomeWindow), nullptr);
    platform::testing::TakeShellExecuteLog();
  }
  std::string MakersPage() const { return "file://" + ExecutableFolder() + "/maker/index.html"; }

  HomeDriver driver_{nullptr};
};

TEST_F(HomeWindowTest, EachAreaLiesOverItsTileInsideThePicture) {
  OpenHome();
  HWND home = Handle(app::kHomeWindow);
  const platform::testing::Image shot = platform::testing::CaptureWindow(home);
  ASSERT_FALSE(shot.empty());
  RECT window{};
  GetWindowRect(home, &window);
  const RECT picture = ClientRectOnScreen(Handle(app::kHomeWindow, home::kHomePicture));
  std::vector<RECT> seen;
  for (const Area& area : kAreas) {
    SCOPED_TRACE(area.word);
    RECT r{};
    GetWindowRect(Handle(app::kHomeWindow, area.label), &r);
    RECT inside{};
    EXPECT_TRUE(IntersectRect(&inside, &r, &picture) && EqualRect(&inside, &r)) << "clipped";
    for (const RECT& other : seen) EXPECT_FALSE(IntersectRect(&inside, &r, &other)) << "overlap";
    seen.push_back(r);
    int chroma = 0;
    const int top = Hue(area.top, &chroma), bottom = Hue(area.bottom, &chroma);
    // Near the top-left and bottom-right corners, clear of the tile's word and icon.
    for (POINT p : {POINT{r.left + 8, r.top + 8}, POINT{r.right - 9, r.bottom - 9}}) {
      const COLORREF c = shot.ColorAt(p.x - window.left, p.y - window.top);
      const int hue = Hue(c, &chroma);
      EXPECT_GT(chroma, 60) << "not on a tile at " << p.x - r.left << "," << p.y - r.top;
      EXPECT_LE(std::min(HueDistance(hue, top), HueDistance(hue, bottom)), 20)
          << "hue " << hue << " at " << p.x - r.left << "," << p.y - r.top;
    }
  }
}

TEST_F(HomeWindowTest, EachAreaClickedOpensItsWindowOrTheVideoPage) {
  OpenHome();
  for (const Area& area : kAreas) {
    SCOPED_TRACE(area.word);
    driver_.onWindow = nullptr;
    const size_t before = driver_.Record().opened.size();
    ASSERT_TRUE(platform::testing::ClickInWindow(Handle(app::kHomeWindow, area.label), {30, 30}));
    Pump();
    const std::vector<uint32_t>& opened = driver_.Record().opened;
    const auto shell = platform::testing::TakeShellExecuteLog();
    if (area.opens != 0) {
      ASSERT_EQ(opened.size(), before + 1);
      EXPECT_EQ(opened.back(), area.opens);
      EXPECT_TRUE(shell.empty());
    } else {
      EXPECT_EQ(opened.size(), before);
      ASSERT_EQ(shell.size(), 1u);
      EXPECT_EQ(shell[0].operationUtf8, "open");
      EXPECT_EQ(shell[0].fileUtf8, home::kVideoPageAddress);
      EXPECT_THAT(shell[0].fileUtf8, ::testing::EndsWith("/v_show/id_XOTMxMDEwMDAw.html"));
    }
    EXPECT_EQ(Handle(area.opens), nullptr) << "the window stayed open";
  }
}

TEST_F(HomeWindowTest, AboutWindowsPictureAndLabelOpenTheInstalledMakersPage) {
  ASSERT_TRUE(std::filesystem::is_regular_file(ExecutableFolder() + "/maker/index.html"));
  OpenHome();
  std::vector<std::string> opened;
  driver_.onWindow = [&](uint32_t window) {
    if (window != app::kAboutWindow) return;
    EXPECT_EQ(testing_gbk::Utf8(app::GetText(app::kAboutWindow, 0, 8)), "关于Velmora");
    platform::testing::ClickInWindow(Handle(app::kAboutWindow, home::kAboutPicture), {40, 40});
    platform::testing::ClickInWindow(Handle(app::kAboutWindow, home::kAboutLinkLabel), {20, 10});
    Pump();
    for (const auto& call : platform::testing::TakeShellExecuteLog()) {
      opened.push_back(call.operationUtf8 + " " + call.fileUtf8);
    }
  };
  ASSERT_TRUE(
      platform::testing::ClickInWindow(Handle(app::kHomeWindow, home::kAboutArea), {30, 30}));
  Pump();
  EXPECT_THAT(opened, ElementsAre("open " + MakersPage(), "open " + MakersPage()));
}

TEST_F(HomeWindowTest, WebPageWindowShowsTheMakersPageFromItsFile) {
  OpenWindow(app::kWebPageWindow);
  const std::string title = testing_gbk::Gbk("Velmora 电影剧照工坊");
  EXPECT_TRUE(platform::testing::RunUntil([&] {
    return app::GetText(app::kWebPageWindow, home::kWebPageViewer, 13) == title;
  })) << "title: "
      << testing_gbk::Utf8(app::GetText(app::kWebPageWindow, home::kWebPageViewer, 13));
  EXPECT_EQ(app::GetText(app::kWebPageWindow, home::kWebPageViewer, home::kViewerAddress),
            MakersPage());
}

// The file: address the program makes of a path leads the page viewer back to that file,
// whatever the path holds.
TEST(HomeLinksTest, FileAddressesLeadTheViewerBackToTheFile) {
  struct Case {
    const char* path;  // UTF-8
    const char* file;  // the file the viewer reads, UTF-8
  };
  const Case cases[] = {
      {"/opt/velmora/maker/index.html", "/opt/velmora/maker/index.html"},
      {"/opt/velmora\\maker\\index.html", "/opt/velmora/maker/index.html"},
      {"/opt/a b/Velmora #2/maker/index.html", "/opt/a b/Velmora #2/maker/index.html"},
      {"/data/100%/what?/maker/index.html", "/data/100%/what?/maker/index.html"},
      {"/opt/用户/照片 工坊/maker/index.html", "/opt/用户/照片 工坊/maker/index.html"},
  };
  for (const Case& c : cases) {
    const std::string address = home::FileAddressOf(testing_gbk::Gbk(c.path));
    EXPECT_EQ(forms::html::LocalPathOf(testing_gbk::Utf8(address)), c.file) << address;
  }
}

// The size a picture file declares: a JPEG's frame header or a GIF's logical screen.
SIZE PictureFileSize(const std::string& name) {
  std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/app/assets/" + name, std::ios::binary);
  std::vector<uint8_t> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (b.size() > 10 && b[0] == 'G') return {b[6] | b[7] << 8, b[8] | b[9] << 8};
  for (size_t at = 2; at + 9 < b.size();) {
    const uint8_t marker = b[at + 1];
    const size_t length = static_cast<size_t>(b[at + 2] << 8 | b[at + 3]);
    if (marker == 0xC0 || marker == 0xC2) {
      return {b[at + 7] << 8 | b[at + 8], b[at + 5] << 8 | b[at + 6]};
    }
    at += 2 + length;
  }
  return {0, 0};
}

// Every window of the area holds its picture whole, with skin 6 and two other skins; the
// pictures are the whole client area, so nothing is cut off and nothing is left over.
TEST_F(HomeWindowTest, WindowsFitTheirPicturesUnderThreeSkins) {
  const char* folder = std::getenv("VELMORA_HOME_PNG_DIR");
  struct Shown {
    const char* name;
    uint32_t window;
    const char* picture;
  };
  const Shown windows[] = {{"home", app::kHomeWindow, "home.jpg"},
                           {"splash", app::kSplashWindow, "splash.gif"},
                           {"webpage", app::kWebPageWindow, nullptr},
                           {"about", app::kAboutWindow, "about.jpg"}};
  for (int skin : {home::kDefaultSkin, 8, 17}) {
    ASSERT_TRUE(home::AttachSkin(skin));
    for (const Shown& w : windows) {
      SCOPED_TRACE(std::string(w.name) + " skin " + std::to_string(skin));
      // The home window runs its start sequence, which attaches skin 6 at its end.
      HomeDriver driver(nullptr);
      driver.clickSplashAt = 0;
      if (w.window == app::kHomeWindow) driver.Begin();
      OpenWindow(w.window);
      HWND window = Handle(w.window);
      ASSERT_NE(window, nullptr);
      if (w.window == app::kHomeWindow) {
        ASSERT_TRUE(home::AttachSkin(skin));
      }
      if (w.window == app::kSplashWindow) {
        // The animation's thread moves the virtual clock, which would soon close the window.
        for (uint32_t timer :
             {home::kSplashNameTimer, home::kSplashCloseTimer, home::kSplashMusicTimer}) {
          app::SetInt(app::kSplashWindow, timer, home::kTimerPeriod, 0);
        }
        // The animation draws its frames from a thread of its own: wait for the film reel,
        // light around a dark hub, before the name shows over it as it does after 2 s.
        for (int i = 0; i < 400; ++i) {
          const platform::testing::Image now = platform::testing::CaptureWindow(window);
          if (!now.empty() && GetGValue(now.ColorAt(130, 62)) > 150 &&
              GetGValue(now.ColorAt(130, 120)) < 80) {
            break;
          }
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        // Shown afresh: an earlier load in this run left it visible, painted before any frame.
        app::SetBool(app::kSplashWindow, home::kSplashNameLabel, app::kVisible, false);
        app::SetBool(app::kSplashWindow, home::kSplashNameLabel, app::kVisible, true);
      }
      if (w.window == app::kWebPageWindow) {
        platform::testing::RunUntil(
            [] { return !app::GetText(app::kWebPageWindow, home::kWebPageViewer, 13).empty(); });
      }
      Pump();
      if (w.picture != nullptr) {
        RECT client{};
        GetClientRect(window, &client);
        const SIZE size = PictureFileSize(w.picture);
        EXPECT_EQ(client.right, size.cx);
        EXPECT_EQ(client.bottom, size.cy);
      }
      const platform::testing::Image shot = platform::testing::CaptureWindow(window);
      EXPECT_FALSE(shot.empty());
      if (folder != nullptr) {
        platform::testing::WritePng(
            shot, std::string(folder) + "/" + w.name + "-skin" + std::to_string(skin) + ".png");
      }
      app::CloseWindow(w.window);
      Pump();
    }
  }
}

}  // namespace
}  // namespace velmoratest
