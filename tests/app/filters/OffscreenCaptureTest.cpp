#include <gtest/gtest.h>

#include "app/filters/FilterPass.h"
#include "app/filters/GdiPixelSurface.h"

namespace {

class NoRandom final : public app::FilterRandom {
 public:
  void SeedFromClock() override {}
  int32_t Between(int32_t low, int32_t) override { return low; }
};

HWND PlainWindow(int w, int h) {
  static const char* name = [] {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.lpszClassName = "FilterCaptureTest";
    RegisterClassA(&cls);
    return "FilterCaptureTest";
  }();
  return CreateWindowExA(0, name, "", WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr, nullptr, nullptr,
                         nullptr);
}

// The pass works on a copy of what the window shows; the window changes only when the copy
// is drawn back, and then shows what the same pass leaves in memory.
TEST(OffscreenCaptureTest, PassRunsOnACopyDrawnBackAtTheEnd) {
  const int w = 6, h = 4;
  HWND box = PlainWindow(w, h);
  ASSERT_NE(box, nullptr);
  HDC dc = GetDC(box);
  app::MemoryPixelSurface expected(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const COLORREF c = RGB(30 * x, 200 - 40 * y, 10 * x * y);
      SetPixel(dc, x, y, c);
      expected.SetRaw(x, y, c);
    }
  NoRandom random;
  app::RunFilterPass(app::FilterKind::kEmboss, expected, random);
  {
    app::OffscreenCapture capture(box);
    ASSERT_EQ(capture.Surface().Width(), w);
    ASSERT_EQ(capture.Surface().Height(), h);
    app::RunFilterPass(app::FilterKind::kEmboss, capture.Surface(), random);
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(60, 160, 20));  // the window still shows the original
    capture.Finish();
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) EXPECT_EQ(GetPixel(dc, x, y), expected.GetRaw(x, y)) << x << y;
  ReleaseDC(box, dc);
  DestroyWindow(box);
}

}  // namespace
