// The progress bar: range and position arithmetic, and a fill that matches the position.
#include "platform/commctrl.h"
#include "tests/platform/controls/ListsTestSupport.h"

namespace {

using namespace lists_test;

class ProgressTest : public ControlTest {
 protected:
  HWND Bar(DWORD style = PBS_SMOOTH, int w = 202, int h = 20) {
    return Child(PROGRESS_CLASSA, style, 10, 10, w, h);
  }
};

TEST_F(ProgressTest, PositionsStayInTheRange) {
  HWND bar = Bar();
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(SendMessageA(bar, PBM_SETPOS, 40, 0), 0);  // answers the previous position
  EXPECT_EQ(SendMessageA(bar, PBM_SETPOS, 250, 0), 40);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 100);
  EXPECT_EQ(SendMessageA(bar, PBM_DELTAPOS, static_cast<WPARAM>(-130), 0), 100);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
  // The old range comes back packed in 16-bit halves.
  LRESULT old = SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(10, 20));
  EXPECT_EQ(LOWORD(static_cast<DWORD>(old)), 0);
  EXPECT_EQ(HIWORD(static_cast<DWORD>(old)), 100);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 10);  // pulled into the new range
  SendMessageA(bar, PBM_SETRANGE32, static_cast<WPARAM>(-5000), 70000);
  PBRANGE range{};
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), -5000);
  EXPECT_EQ(range.iLow, -5000);
  EXPECT_EQ(range.iHigh, 70000);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 70000);  // no record: still answers
  // Deltas that would overflow an int stay clamped.
  SendMessageA(bar, PBM_SETPOS, 69000, 0);
  SendMessageA(bar, PBM_DELTAPOS, static_cast<WPARAM>(INT32_MAX), 0);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 70000);
}

TEST_F(ProgressTest, SteppingPastTheEndStartsOver) {
  HWND bar = Bar();
  EXPECT_EQ(SendMessageA(bar, PBM_SETSTEP, 30, 0), 10);  // default step
  SendMessageA(bar, PBM_STEPIT, 0, 0);
  SendMessageA(bar, PBM_STEPIT, 0, 0);
  EXPECT_EQ(SendMessageA(bar, PBM_STEPIT, 0, 0), 60);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 90);
  SendMessageA(bar, PBM_STEPIT, 0, 0);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 20);
}

// The filled width of the bar's middle row, counted in the fill colour.
int FilledPixels(HWND bar) {
  auto image = automation::CaptureWindow(bar);
  if (image.empty()) return -1;
  int filled = 0;
  for (int x = 0; x < image.width; ++x) {
    if (image.ColorAt(x, image.height / 2) == GetSysColor(COLOR_HIGHLIGHT)) ++filled;
  }
  return filled;
}

TEST_F(ProgressTest, FillIsProportionalToThePosition) {
  HWND bar = Bar(PBS_SMOOTH, 202, 20);  // 200 pixels inside its outline
  EXPECT_EQ(FilledPixels(bar), 0);
  SendMessageA(bar, PBM_SETPOS, 25, 0);
  EXPECT_EQ(FilledPixels(bar), 50);
  SendMessageA(bar, PBM_SETPOS, 100, 0);
  EXPECT_EQ(FilledPixels(bar), 200);
  // Segmented bars leave gaps, so they show fewer filled pixels for the same position.
  HWND blocks = Child(PROGRESS_CLASSA, 0, 10, 40, 202, 20, 101);
  SendMessageA(blocks, PBM_SETPOS, 100, 0);
  int segmented = FilledPixels(blocks);
  EXPECT_GT(segmented, 100);
  EXPECT_LT(segmented, 200);
}

TEST_F(ProgressTest, VerticalBarsFillFromTheBottom) {
  HWND bar = Child(PROGRESS_CLASSA, PBS_SMOOTH | PBS_VERTICAL, 10, 10, 20, 102);
  SendMessageA(bar, PBM_SETPOS, 50, 0);
  auto image = automation::CaptureWindow(bar);
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(image.ColorAt(10, 95), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_NE(image.ColorAt(10, 5), GetSysColor(COLOR_HIGHLIGHT));
}

}  // namespace
