// GetDC(NULL): the desktop composed from the top-level surfaces.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/kernel32.h"
#include "tests/common/TempFolder.h"
#include "tests/platform/user/PaintTestSupport.h"

namespace {

using namespace paint_test;

TEST(ScreenCompositionTest, TopLevelWindowsLayInZOrderOverTheDesktop) {
  RunLoop();
  TestWindow red(WS_POPUP | WS_VISIBLE, {100, 100, 300, 300}, nullptr, kRed);
  TestWindow blue(WS_POPUP | WS_VISIBLE, {200, 200, 400, 400}, nullptr, kBlue);
  TestWindow hidden(WS_POPUP, {0, 0, 50, 50}, nullptr, kGreen);
  SetWindowPos(blue.handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RunLoop();

  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(GetPixel(screen, 150, 150), kRed);
  EXPECT_EQ(GetPixel(screen, 250, 250), kBlue);
  EXPECT_EQ(GetPixel(screen, 350, 350), kBlue);
  EXPECT_EQ(GetPixel(screen, 10, 10), GetSysColor(COLOR_BACKGROUND));

  // Restacking is seen through the same DC.
  SetWindowPos(red.handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetPixel(screen, 250, 250), kRed);

  // Drawing on the screen changes no window.
  Fill(screen, {0, 0, 500, 500}, kYellow);
  EXPECT_EQ(GetPixel(screen, 150, 150), kYellow);
  EXPECT_EQ(SurfacePixel(red.handle(), 50, 50), kRed);
  EXPECT_EQ(WindowFromDC(screen), GetDesktopWindow());
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);

  // Hidden and minimised windows are not on the screen.
  ShowWindow(red.handle(), SW_MINIMIZE);
  RunLoop();
  screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, 150, 150), GetSysColor(COLOR_BACKGROUND));
  EXPECT_EQ(GetPixel(screen, 250, 250), kBlue);
  ReleaseDC(nullptr, screen);
}

TEST(ScreenCompositionTest, ScreenShowsWhatWindowsDrewOutsidePaint) {
  RunLoop();
  TestWindow w(WS_POPUP | WS_VISIBLE, {100, 100, 200, 200}, nullptr, kGrey);
  RunLoop();
  HDC dc = GetDC(w.handle());
  Fill(dc, {0, 0, 10, 10}, kGreen);
  ReleaseDC(w.handle(), dc);
  platform::testing::Image image = platform::testing::CaptureScreen();
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(image.ColorAt(105, 105), kGreen);
  EXPECT_EQ(image.ColorAt(150, 150), kGrey);
}

}  // namespace

namespace {

TEST(ScreenCompositionTest, CapturedWindowsRoundTripThroughPng) {
  using namespace paint_test;
  RunLoop();
  TestWindow w(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, {50, 50, 250, 200}, nullptr, kGrey);
  TestWindow child(WS_CHILD | WS_VISIBLE, {10, 10, 60, 40}, w.handle(), kBlue);
  RunLoop();
  platform::testing::Image image = platform::testing::CaptureWindow(w.handle());
  ASSERT_EQ(image.width, 200);
  ASSERT_EQ(image.height, 150);
  const std::string path =
      testing_temp::Folder() + "/velmora-capture-" + std::to_string(GetCurrentProcessId()) + ".png";
  ASSERT_TRUE(platform::testing::WritePng(image, path));
  // For a person to look at: VELMORA_CAPTURE_PNG names where to keep a copy.
  if (const char* keep = std::getenv("VELMORA_CAPTURE_PNG"))
    platform::testing::WritePng(image, keep);

  png_image read{};
  read.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&read, path.c_str()));
  read.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> pixels(static_cast<size_t>(read.width) * read.height);
  ASSERT_TRUE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr));
  std::remove(path.c_str());
  ASSERT_EQ(static_cast<int>(read.width), image.width);
  for (size_t i = 0; i < pixels.size(); ++i) {
    if ((pixels[i] & 0xFFFFFF) != image.pixels[i]) {
      ADD_FAILURE() << "pixel " << i << " differs";
      break;
    }
  }
  EXPECT_FALSE(platform::testing::WritePng(platform::testing::Image{}, path));
  EXPECT_TRUE(platform::testing::CaptureWindow(reinterpret_cast<HWND>(0x03FFFFF0)).empty());
}

}  // namespace
