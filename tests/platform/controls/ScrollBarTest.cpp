// Scroll bars: their numbers and clamping, SCROLLBAR controls driven by mouse and keys,
// and the bars windows carry in their frames.
#include "platform/user/ThemeParts.h"
#include "tests/platform/controls/ListsTestSupport.h"

namespace {

using namespace lists_test;

class ScrollBarTest : public ControlTest {
 protected:
  HWND Bar(DWORD style = SBS_HORZ) { return Child("SCROLLBAR", style, 10, 10, 200, 17); }
};

SCROLLINFO Info(UINT mask, int min = 0, int max = 0, UINT page = 0, int pos = 0) {
  return SCROLLINFO{sizeof(SCROLLINFO), mask, min, max, page, pos, 0};
}

TEST_F(ScrollBarTest, PositionsStayWithinRangeLessPage) {
  HWND bar = Bar();
  SCROLLINFO in = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 500);
  EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &in, TRUE), 91);  // max - page + 1
  SCROLLINFO out = Info(SIF_ALL);
  ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &out));
  EXPECT_EQ(out.nMin, 0);
  EXPECT_EQ(out.nMax, 100);
  EXPECT_EQ(out.nPage, 10u);
  EXPECT_EQ(out.nPos, 91);
  EXPECT_EQ(out.nTrackPos, 91);
  // SetScrollPos answers the previous position and clamps the new one.
  EXPECT_EQ(SetScrollPos(bar, SB_CTL, -40, TRUE), 91);
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0);
  // A page larger than the range shrinks to it; a shrinking range pulls the position in.
  SetScrollPos(bar, SB_CTL, 60, FALSE);
  in = Info(SIF_PAGE, 0, 0, 1000);
  SetScrollInfo(bar, SB_CTL, &in, FALSE);
  out = Info(SIF_PAGE | SIF_POS);
  GetScrollInfo(bar, SB_CTL, &out);
  EXPECT_EQ(out.nPage, 101u);
  EXPECT_EQ(out.nPos, 0);
  EXPECT_TRUE(SetScrollRange(bar, SB_CTL, 5, 20, TRUE));
  int lo = 0, hi = 0;
  EXPECT_TRUE(GetScrollRange(bar, SB_CTL, &lo, &hi));
  EXPECT_EQ(lo, 5);
  EXPECT_EQ(hi, 20);
  // An inverted range collapses instead of leaving max below min.
  in = Info(SIF_RANGE | SIF_PAGE, 30, 10, 0);
  SetScrollInfo(bar, SB_CTL, &in, FALSE);
  GetScrollRange(bar, SB_CTL, &lo, &hi);
  EXPECT_EQ(lo, 30);
  EXPECT_EQ(hi, 30);
  // Extreme ranges do not overflow.
  in = Info(SIF_RANGE | SIF_PAGE | SIF_POS, INT32_MIN, INT32_MAX - 1, 0xFFFFFFFFu, INT32_MAX);
  SetScrollInfo(bar, SB_CTL, &in, FALSE);
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), INT32_MIN);
  EXPECT_FALSE(SetScrollRange(bar, SB_CTL, INT32_MIN, INT32_MAX, TRUE));
}

TEST_F(ScrollBarTest, BadRecordsAndHandlesAreRefused) {
  HWND bar = Bar();
  SCROLLINFO wrong = Info(SIF_ALL);
  wrong.cbSize = 4;
  EXPECT_FALSE(GetScrollInfo(bar, SB_CTL, &wrong));
  EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &wrong, TRUE), 0);
  EXPECT_FALSE(GetScrollInfo(bar, SB_CTL, nullptr));
  EXPECT_EQ(SetScrollInfo(bar, SB_CTL, nullptr, TRUE), 0);
  EXPECT_FALSE(GetScrollRange(bar, SB_CTL, nullptr, nullptr));
  HWND dead = Bar();
  DestroyWindow(dead);
  SCROLLINFO info = Info(SIF_ALL);
  EXPECT_FALSE(GetScrollInfo(dead, SB_VERT, &info));
  EXPECT_EQ(GetScrollPos(dead, SB_HORZ), 0);
  EXPECT_FALSE(ShowScrollBar(dead, SB_VERT, TRUE));
  EXPECT_EQ(SetScrollPos(parent_, 7, 3, TRUE), 0);  // no such bar
}

TEST_F(ScrollBarTest, ArrowAndPagePressesAskTheParentAndRepeat) {
  HWND bar = Bar();
  SetScrollRange(bar, SB_CTL, 0, 100, FALSE);
  SetScrollPos(bar, SB_CTL, 50, TRUE);
  Take();
  // The right arrow: one request at once, more while held, the end on release.
  automation::MouseDown(OnScreen(bar, {195, 8}));
  automation::RunUntilIdle();
  auto first = ScrollRequests(Take(), parent_);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].message, static_cast<UINT>(WM_HSCROLL));
  EXPECT_EQ(first[0].code, SB_LINEDOWN);
  EXPECT_EQ(first[0].from, reinterpret_cast<LPARAM>(bar));
  automation::AdvanceClock(400);
  automation::RunUntilIdle();
  automation::AdvanceClock(50);
  automation::RunUntilIdle();
  EXPECT_EQ(Codes(ScrollRequests(Take(), parent_)), (std::vector<int>{SB_LINEDOWN, SB_LINEDOWN}));
  automation::MouseUp(OnScreen(bar, {195, 8}));
  automation::RunUntilIdle();
  EXPECT_EQ(Codes(ScrollRequests(Take(), parent_)), (std::vector<int>{SB_ENDSCROLL}));
  // No more repeats once released.
  automation::AdvanceClock(1000);
  automation::RunUntilIdle();
  EXPECT_TRUE(ScrollRequests(Take(), parent_).empty());
  // The track on either side of the thumb pages.
  automation::ClickAt(OnScreen(bar, {30, 8}));
  automation::RunUntilIdle();
  automation::ClickAt(OnScreen(bar, {175, 8}));
  automation::RunUntilIdle();
  automation::ClickAt(OnScreen(bar, {4, 8}));
  automation::RunUntilIdle();
  EXPECT_EQ(Codes(ScrollRequests(Take(), parent_)),
            (std::vector<int>{SB_PAGEUP, SB_ENDSCROLL, SB_PAGEDOWN, SB_ENDSCROLL, SB_LINEUP,
                              SB_ENDSCROLL}));
  // The bar never moves itself: the program decides.
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 50);
}

TEST_F(ScrollBarTest, DisabledArrowsAndEmptyRangesIgnorePresses) {
  HWND bar = Bar();
  SetScrollRange(bar, SB_CTL, 0, 100, FALSE);
  EXPECT_TRUE(EnableScrollBar(bar, SB_CTL, ESB_DISABLE_RIGHT));
  EXPECT_FALSE(EnableScrollBar(bar, SB_CTL, ESB_DISABLE_RIGHT));  // no change
  Take();
  automation::ClickAt(OnScreen(bar, {195, 8}));
  automation::RunUntilIdle();
  automation::ClickAt(OnScreen(bar, {4, 8}));
  automation::RunUntilIdle();
  EXPECT_EQ(Codes(ScrollRequests(Take(), parent_)), (std::vector<int>{SB_LINEUP, SB_ENDSCROLL}));
  EnableScrollBar(bar, SB_CTL, ESB_ENABLE_BOTH);
  SetScrollRange(bar, SB_CTL, 4, 4, TRUE);
  Take();
  automation::ClickAt(OnScreen(bar, {4, 8}));
  automation::RunUntilIdle();
  EXPECT_TRUE(ScrollRequests(Take(), parent_).empty());
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksThenSettles) {
  HWND bar = Bar();
  SetScrollRange(bar, SB_CTL, 0, 100, FALSE);
  Take();
  // The thumb (17 pixels at position 0) starts right after the left arrow.
  automation::MouseDown(OnScreen(bar, {25, 8}));
  automation::RunUntilIdle();
  automation::MouseMove(OnScreen(bar, {25 + 149 / 2, 8}));  // half of the room the thumb has
  automation::RunUntilIdle();
  SCROLLINFO info = Info(SIF_POS | SIF_TRACKPOS);
  GetScrollInfo(bar, SB_CTL, &info);
  EXPECT_EQ(info.nPos, 0);
  EXPECT_NEAR(info.nTrackPos, 50, 1);
  automation::MouseMove(OnScreen(bar, {400, 8}));  // far past the end
  automation::RunUntilIdle();
  automation::MouseUp(OnScreen(bar, {400, 8}));
  automation::RunUntilIdle();
  auto requests = ScrollRequests(Take(), parent_);
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].code, SB_THUMBTRACK);
  EXPECT_NEAR(requests[0].pos, 50, 1);
  EXPECT_EQ(requests[1].code, SB_THUMBTRACK);
  EXPECT_EQ(requests[1].pos, 100);
  EXPECT_EQ(requests[2].code, SB_THUMBPOSITION);
  EXPECT_EQ(requests[2].pos, 100);
  EXPECT_EQ(requests[3].code, SB_ENDSCROLL);
}

TEST_F(ScrollBarTest, KeysOnAFocusedBarAskForTopBottomLinesAndPages) {
  HWND bar = Child("SCROLLBAR", SBS_VERT | WS_TABSTOP, 10, 10, 17, 200);
  Focus(bar);
  Take();
  for (int key : {VK_HOME, VK_END, VK_UP, VK_NEXT}) Press(key);
  auto requests = ScrollRequests(Take(), parent_);
  EXPECT_EQ(Codes(requests),
            (std::vector<int>{SB_TOP, SB_ENDSCROLL, SB_BOTTOM, SB_ENDSCROLL, SB_LINEUP,
                              SB_ENDSCROLL, SB_PAGEDOWN, SB_ENDSCROLL}));
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].message, static_cast<UINT>(WM_VSCROLL));
}

TEST_F(ScrollBarTest, ThumbIsDrawnWhereThePositionIs) {
  HWND bar = Bar();
  SetScrollRange(bar, SB_CTL, 0, 10, FALSE);
  SetScrollPos(bar, SB_CTL, 0, TRUE);
  automation::RunUntilIdle();
  auto before = automation::CaptureWindow(bar);
  SetScrollPos(bar, SB_CTL, 10, TRUE);
  automation::RunUntilIdle();
  auto after = automation::CaptureWindow(bar);
  ASSERT_FALSE(before.empty());
  ASSERT_FALSE(after.empty());
  // The thumb's colour sits at the left end of the track, then at the right end.
  EXPECT_NE(before.At(25, 8), before.At(175, 8));
  EXPECT_EQ(after.At(25, 8), before.At(175, 8));
  EXPECT_EQ(after.At(175, 8), before.At(25, 8));
}

// ---- Bars in a window's frame ---------------------------------------------------------

TEST_F(ScrollBarTest, WindowBarsTakeRoomAndComeAndGoWithTheRange) {
  const int size = platform::user::ThemeScrollBarSize();
  HWND w = Make(WS_POPUP | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 50, 50, 200, 150);
  EXPECT_EQ(Str(ClientRect(w)), Str(0, 0, 200 - size, 150 - size));
  // A range that fits the page needs no bar: it goes, and the client area grows.
  SCROLLINFO fits = Info(SIF_RANGE | SIF_PAGE, 0, 9, 10);
  SetScrollInfo(w, SB_HORZ, &fits, TRUE);
  EXPECT_EQ(GetWindowLongPtrA(w, GWL_STYLE) & WS_HSCROLL, 0);
  EXPECT_EQ(Str(ClientRect(w)), Str(0, 0, 200 - size, 150));
  // With SIF_DISABLENOSCROLL the bar stays, disabled.
  fits.fMask |= SIF_DISABLENOSCROLL;
  SetScrollInfo(w, SB_VERT, &fits, TRUE);
  EXPECT_NE(GetWindowLongPtrA(w, GWL_STYLE) & WS_VSCROLL, 0);
  // A range that overflows brings the bar back.
  SCROLLINFO overflows = Info(SIF_RANGE | SIF_PAGE, 0, 99, 10);
  SetScrollInfo(w, SB_HORZ, &overflows, TRUE);
  EXPECT_NE(GetWindowLongPtrA(w, GWL_STYLE) & WS_HSCROLL, 0);
  EXPECT_TRUE(ShowScrollBar(w, SB_BOTH, FALSE));
  EXPECT_EQ(Str(ClientRect(w)), Str(0, 0, 200, 150));
  EXPECT_TRUE(ShowScrollBar(w, SB_VERT, TRUE));
  EXPECT_EQ(Str(ClientRect(w)), Str(0, 0, 200 - size, 150));
  // The numbers survive hiding.
  EXPECT_EQ(GetScrollPos(w, SB_HORZ), 0);
  int lo = -1, hi = -1;
  GetScrollRange(w, SB_HORZ, &lo, &hi);
  EXPECT_EQ(hi, 99);
}

TEST_F(ScrollBarTest, PressingAWindowBarScrollsThatWindow) {
  const int size = platform::user::ThemeScrollBarSize();
  HWND w = Make(WS_POPUP | WS_VISIBLE | WS_VSCROLL, 50, 50, 200, 150);
  SCROLLINFO info = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 40);
  SetScrollInfo(w, SB_VERT, &info, TRUE);
  automation::RunUntilIdle();
  // The bar's pieces answer the hit test.
  POINT downArrow{50 + 200 - size / 2, 50 + 150 - size / 2};
  EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(downArrow.x, downArrow.y)), HTVSCROLL);
  EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(60, 60)), HTCLIENT);
  Take();
  automation::MouseDown(downArrow);
  automation::MouseUp(downArrow);
  automation::RunUntilIdle();
  auto requests = ScrollRequests(Take(), w);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].message, static_cast<UINT>(WM_VSCROLL));
  EXPECT_EQ(requests[0].code, SB_LINEDOWN);
  EXPECT_EQ(requests[0].from, 0);
  EXPECT_EQ(requests[1].code, SB_ENDSCROLL);
  // Dragging the thumb to the top.
  RECT wr = WindowRect(w);
  const int track = 150 - 2 * size;
  int thumbTop = size + (track - track * 10 / 100) * 40 / 90;
  POINT grab{wr.right - size / 2, wr.top + thumbTop + 2};
  automation::MouseDown(grab);
  automation::MouseMove({grab.x, wr.top});
  automation::MouseUp({grab.x, wr.top});
  automation::RunUntilIdle();
  EXPECT_EQ(Codes(ScrollRequests(Take(), w)),
            (std::vector<int>{SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL}));
  // Disabled arrows do nothing.
  EXPECT_TRUE(EnableScrollBar(w, SB_VERT, ESB_DISABLE_DOWN));
  automation::MouseDown(downArrow);
  automation::MouseUp(downArrow);
  automation::RunUntilIdle();
  EXPECT_TRUE(ScrollRequests(Take(), w).empty());
}

TEST_F(ScrollBarTest, WindowBarIsPaintedInTheFrame) {
  const int size = platform::user::ThemeScrollBarSize();
  HWND w = Make(WS_POPUP | WS_VISIBLE | WS_VSCROLL, 50, 50, 200, 150);
  SCROLLINFO info = Info(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0);
  SetScrollInfo(w, SB_VERT, &info, TRUE);
  auto top = automation::CaptureWindow(w);
  SetScrollPos(w, SB_VERT, 90, TRUE);
  auto bottom = automation::CaptureWindow(w);
  ASSERT_FALSE(top.empty());
  ASSERT_FALSE(bottom.empty());
  const int x = 200 - size / 2;
  const int nearTop = size + 4, nearBottom = 150 - size - 4;
  // The thumb moved from the top of the track to its bottom; the arrows stayed put.
  EXPECT_NE(top.At(x, nearTop), top.At(x, nearBottom));
  EXPECT_EQ(bottom.At(x, nearBottom), top.At(x, nearTop));
  EXPECT_EQ(bottom.At(x, nearTop), top.At(x, nearBottom));
  EXPECT_EQ(bottom.At(x - 3, 3), top.At(x - 3, 3));
}

}  // namespace
