// The window capture through the program's declared platform functions, checked against
// what the window's surface holds as the test automation reads it.
#include <gtest/gtest.h>

#include <cstdint>

#include "app/capture/WindowCapture.h"
#include "platform/testing/InputAutomation.h"
#include "platform/user32.h"
#include "tests/velmora/CaptureTestSupport.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace {

using capturetest::Block;
using capturetest::Field;

int32_t HandleValue(HWND window) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(window));
}

// A captioned window whose client area is painted with a pattern, so frame, caption and
// client all differ.
HWND PaintedWindow(int w, int h) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = DefWindowProcA;
  cls.lpszClassName = "VelmoraCaptureTest";
  RegisterClassA(&cls);
  HWND window =
      CreateWindowExA(0, cls.lpszClassName, "capture", WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 40, 30,
                      w, h, nullptr, nullptr, nullptr, nullptr);
  HDC dc = GetDC(window);
  for (int y = 0; y < h - 36; ++y) {
    for (int x = 0; x < w - 12; ++x) SetPixel(dc, x, y, RGB(x * 3, y * 5, (x ^ y) & 0xFF));
  }
  ReleaseDC(window, dc);
  return window;
}

using CaptureWindowTest = velmoratest::VelmoraTest;

TEST_F(CaptureWindowTest, CaptureHoldsTheWindowAsItsSurfaceShowsIt) {
  HWND window = PaintedWindow(160, 120);
  ASSERT_NE(window, nullptr);
  const platform::testing::Image surface = platform::testing::CaptureWindow(window);
  ASSERT_EQ(surface.width, 160);
  ASSERT_EQ(surface.height, 120);
  struct Cut {
    int x, y, w, h;
    bool whole;  // the capture itself rather than a crop of it
  };
  // The whole window; its client area (6 right of and 30 below the outer corner); a
  // rectangle one pixel wider than what is left of the window, which gives nothing.
  for (const Cut c :
       {Cut{0, 0, 160, 120, true}, Cut{6, 30, 100, 60, false}, Cut{100, 0, 61, 10, false}}) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.w << "x" << c.h);
    Block bmp(c.whole ? app::capture::CaptureWindow(HandleValue(window))
                      : app::capture::CaptureAndCrop(HandleValue(window), c.x, c.y, c.w, c.h));
    if (c.x + c.w > surface.width) {
      EXPECT_EQ(bmp.block, nullptr);
      continue;
    }
    const rt::ByteSetView v = bmp.View();
    ASSERT_EQ(v.size, 54u + static_cast<size_t>(c.w) * c.h * 4);
    EXPECT_EQ(Field(v.data, 2), 0x4D42u);
    EXPECT_EQ(Field(v.data + 2, 4), v.size);
    EXPECT_EQ(Field(v.data + 10, 4), 54u);
    EXPECT_EQ(Field(v.data + 22, 4), static_cast<uint32_t>(c.h));  // bottom-up rows
    EXPECT_EQ(Field(v.data + 28, 2), 32u);
    int mismatches = 0;
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) {
        mismatches +=
            capturetest::Pixel32(v.data, x, y) != (surface.At(c.x + x, c.y + y) & 0xFFFFFF);
      }
    }
    EXPECT_EQ(mismatches, 0);
  }

  DestroyWindow(window);
  EXPECT_EQ(app::capture::CaptureWindow(HandleValue(window)), nullptr);
  EXPECT_EQ(app::capture::CaptureAndCrop(HandleValue(window), 0, 0, 10, 10), nullptr);
  EXPECT_EQ(app::capture::CaptureWindow(0), nullptr);
}

}  // namespace
