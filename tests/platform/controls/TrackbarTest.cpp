// The trackbar: range, clamping, and the thumb moved by keys, channel clicks and drags,
// each move reported to the parent with its TB_* code.
#include "platform/commctrl.h"
#include "tests/platform/controls/ListsTestSupport.h"

namespace {

using namespace lists_test;

class TrackbarTest : public ControlTest {
 protected:
  HWND Slider(DWORD style = TBS_HORZ) { return Child(TRACKBAR_CLASSA, style, 10, 10, 200, 30); }
  static int Pos(HWND t) { return static_cast<int>(SendMessageA(t, TBM_GETPOS, 0, 0)); }
};

TEST_F(TrackbarTest, RangeAndSizesClampThePosition) {
  HWND t = Slider();
  EXPECT_EQ(SendMessageA(t, TBM_GETRANGEMIN, 0, 0), 0);
  EXPECT_EQ(SendMessageA(t, TBM_GETRANGEMAX, 0, 0), 100);
  SendMessageA(t, TBM_SETPOS, TRUE, 500);
  EXPECT_EQ(Pos(t), 100);
  SendMessageA(t, TBM_SETPOS, TRUE, -3);
  EXPECT_EQ(Pos(t), 0);
  SendMessageA(t, TBM_SETRANGE, TRUE, MAKELPARAM(10, 40));
  EXPECT_EQ(Pos(t), 10);
  SendMessageA(t, TBM_SETPOS, TRUE, 35);
  SendMessageA(t, TBM_SETRANGEMAX, TRUE, 30);
  EXPECT_EQ(Pos(t), 30);
  SendMessageA(t, TBM_SETRANGEMIN, TRUE, 50);  // past the maximum: the range closes up
  EXPECT_EQ(SendMessageA(t, TBM_GETRANGEMIN, 0, 0), 50);
  EXPECT_EQ(SendMessageA(t, TBM_GETRANGEMAX, 0, 0), 50);
  EXPECT_EQ(Pos(t), 50);
  EXPECT_EQ(SendMessageA(t, TBM_SETPAGESIZE, 0, 7), 1);  // a fifth of the closed range, at least 1
  EXPECT_EQ(SendMessageA(t, TBM_GETPAGESIZE, 0, 0), 7);
  EXPECT_EQ(SendMessageA(t, TBM_SETLINESIZE, 0, 3), 1);
  EXPECT_EQ(SendMessageA(t, TBM_GETLINESIZE, 0, 0), 3);
}

TEST_F(TrackbarTest, KeysMoveByLinesPagesAndToTheEnds) {
  HWND t = Slider();
  SendMessageA(t, TBM_SETPAGESIZE, 0, 25);
  SendMessageA(t, TBM_SETLINESIZE, 0, 5);
  SendMessageA(t, TBM_SETPOS, TRUE, 50);
  Focus(t);
  Take();
  Press(VK_RIGHT);
  EXPECT_EQ(Pos(t), 55);
  Press(VK_PRIOR);
  EXPECT_EQ(Pos(t), 30);
  Press(VK_END);
  EXPECT_EQ(Pos(t), 100);
  Press(VK_DOWN);  // already at the end: stays, still reported
  EXPECT_EQ(Pos(t), 100);
  Press(VK_HOME);
  EXPECT_EQ(Pos(t), 0);
  auto requests = ScrollRequests(Take(), parent_);
  EXPECT_EQ(Codes(requests),
            (std::vector<int>{TB_LINEDOWN, TB_ENDTRACK, TB_PAGEUP, TB_ENDTRACK, TB_BOTTOM,
                              TB_ENDTRACK, TB_LINEDOWN, TB_ENDTRACK, TB_TOP, TB_ENDTRACK}));
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].message, static_cast<UINT>(WM_HSCROLL));
  EXPECT_EQ(requests[0].from, reinterpret_cast<LPARAM>(t));
  // A vertical trackbar reports through WM_VSCROLL.
  HWND v = Child(TRACKBAR_CLASSA, TBS_VERT, 250, 10, 30, 200, 101);
  Focus(v);
  Take();
  Press(VK_DOWN);
  auto vertical = ScrollRequests(Take(), parent_);
  ASSERT_FALSE(vertical.empty());
  EXPECT_EQ(vertical[0].message, static_cast<UINT>(WM_VSCROLL));
  EXPECT_EQ(Pos(v), 1);
}

TEST_F(TrackbarTest, ChannelClicksPageAndTheThumbDrags) {
  HWND t = Slider();
  Take();
  // The channel to the right of the thumb pages towards the click.
  automation::ClickAt(OnScreen(t, {150, 12}));
  automation::RunUntilIdle();
  EXPECT_EQ(Pos(t), 20);
  EXPECT_EQ(Codes(ScrollRequests(Take(), parent_)), (std::vector<int>{TB_PAGEDOWN, TB_ENDTRACK}));
  // Held down, it keeps paging until the thumb reaches the mouse, then stops.
  automation::MouseDown(OnScreen(t, {150, 12}));
  automation::RunUntilIdle();
  for (int i = 0; i < 10; ++i) {
    automation::AdvanceClock(400);
    automation::RunUntilIdle();
  }
  automation::MouseUp(OnScreen(t, {150, 12}));
  automation::RunUntilIdle();
  EXPECT_EQ(Pos(t), 78);  // where the click was, not past it
  Take();
  // Dragging the thumb: tracked positions while moving, the final one on release.
  RECT thumb{};
  SendMessageA(t, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  POINT grab{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
  automation::MouseDown(OnScreen(t, grab));
  automation::RunUntilIdle();
  automation::MouseMove(OnScreen(t, {9 + 181 / 2, grab.y}));
  automation::RunUntilIdle();
  automation::MouseMove(OnScreen(t, {-100, grab.y}));
  automation::RunUntilIdle();
  automation::MouseUp(OnScreen(t, {-100, grab.y}));
  automation::RunUntilIdle();
  auto requests = ScrollRequests(Take(), parent_);
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].code, TB_THUMBTRACK);
  EXPECT_EQ(requests[0].pos, 50);
  EXPECT_EQ(requests[1].code, TB_THUMBTRACK);
  EXPECT_EQ(requests[1].pos, 0);
  EXPECT_EQ(requests[2].code, TB_THUMBPOSITION);
  EXPECT_EQ(requests[2].pos, 0);
  EXPECT_EQ(requests[3].code, TB_ENDTRACK);
  EXPECT_EQ(Pos(t), 0);
}

TEST_F(TrackbarTest, TicksFollowTheStyleAndFrequency) {
  // Tick pixels in the rows above and below the thumb (which spans rows 6 to 24 with ticks
  // on both sides).
  auto ticks = [&](HWND t, int fromRow, int toRow) {
    auto image = automation::CaptureWindow(t);
    int n = 0;
    for (int y = fromRow; y < toRow; ++y) {
      for (int x = 0; x < image.width; ++x)
        n += image.ColorAt(x, y) == GetSysColor(COLOR_BTNTEXT) ? 1 : 0;
    }
    return n;
  };
  HWND both = Child(TRACKBAR_CLASSA, TBS_BOTH | TBS_AUTOTICKS, 10, 10, 200, 32, 101);
  SendMessageA(both, TBM_SETTICFREQ, 10, 0);
  EXPECT_EQ(SendMessageA(both, TBM_GETNUMTICS, 0, 0), 11);
  EXPECT_EQ(ticks(both, 0, 6), 11 * 3);
  EXPECT_EQ(ticks(both, 26, 32), 11 * 3);
  // Only the two ends without TBS_AUTOTICKS; none with TBS_NOTICKS.
  HWND ends = Child(TRACKBAR_CLASSA, TBS_BOTH, 10, 50, 200, 32, 102);
  EXPECT_EQ(ticks(ends, 0, 6), 2 * 3);
  HWND none = Child(TRACKBAR_CLASSA, TBS_NOTICKS | TBS_AUTOTICKS, 10, 90, 200, 32, 103);
  EXPECT_EQ(SendMessageA(none, TBM_GETNUMTICS, 0, 0), 0);
  EXPECT_EQ(ticks(none, 0, 32), 0);
}

TEST_F(TrackbarTest, ThumbIsPaintedAtItsPosition) {
  HWND t = Child(TRACKBAR_CLASSA, TBS_NOTICKS, 10, 10, 200, 30);
  auto thumbColumn = [&]() {
    auto image = automation::CaptureWindow(t);
    int found = -1;
    for (int x = 0; x < image.width && found < 0; ++x) {
      if (image.ColorAt(x, 12) == GetSysColor(COLOR_HIGHLIGHT)) found = x;
    }
    return found;
  };
  int atStart = thumbColumn();
  SendMessageA(t, TBM_SETPOS, TRUE, 100);
  int atEnd = thumbColumn();
  ASSERT_GE(atStart, 0);
  EXPECT_LT(atStart, 15);
  EXPECT_GT(atEnd, 175);
}

}  // namespace

namespace {

// The page is a fifth of the range until the program sets one, so a click in the channel
// of a short range moves a page, not to the click; the wheel moves a focused trackbar by
// lines.
TEST_F(TrackbarTest, PageFollowsTheRangeAndTheWheelMovesByLines) {
  HWND t = Slider();
  const struct {
    int min, max, page;
  } ranges[] = {{0, 100, 20}, {0, 10, 2}, {-50, 50, 20}, {0, 3, 1}, {5, 5, 1}, {0, 1000, 200}};
  for (const auto& r : ranges) {
    SendMessageA(t, TBM_SETRANGEMIN, FALSE, r.min);
    SendMessageA(t, TBM_SETRANGEMAX, TRUE, r.max);
    EXPECT_EQ(SendMessageA(t, TBM_GETPAGESIZE, 0, 0), r.page) << r.min << ".." << r.max;
  }
  SendMessageA(t, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
  SendMessageA(t, TBM_SETPOS, TRUE, 5);
  automation::ClickAt(OnScreen(t, {195, 12}));  // near the end of the channel
  automation::RunUntilIdle();
  EXPECT_EQ(Pos(t), 7);
  // A page the program chose stays whatever the range does.
  SendMessageA(t, TBM_SETPAGESIZE, 0, 3);
  SendMessageA(t, TBM_SETRANGE, TRUE, MAKELPARAM(0, 50));
  EXPECT_EQ(SendMessageA(t, TBM_GETPAGESIZE, 0, 0), 3);

  SendMessageA(t, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
  SendMessageA(t, TBM_SETLINESIZE, 0, 2);
  SendMessageA(t, TBM_SETPOS, TRUE, 5);
  Focus(t);
  Take();
  const POINT over = OnScreen(t, {100, 12});
  automation::Wheel(over, -WHEEL_DELTA);
  automation::RunUntilIdle();
  EXPECT_EQ(Pos(t), 7);
  automation::Wheel(over, 2 * WHEEL_DELTA);
  automation::RunUntilIdle();
  EXPECT_EQ(Pos(t), 3);
  EXPECT_EQ(Codes(ScrollRequests(Take(), parent_)),
            (std::vector<int>{TB_LINEDOWN, TB_ENDTRACK, TB_LINEUP, TB_ENDTRACK}));
}

}  // namespace
