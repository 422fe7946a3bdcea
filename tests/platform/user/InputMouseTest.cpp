// Mouse routing: which window gets an event, in which coordinates, with which flags, and
// what capture, disabled windows, double clicks and activation change about it.
#include <gtest/gtest.h>

#include "tests/platform/user/PaintTestSupport.h"

namespace {

using namespace paint_test;
namespace automation = platform::testing;

class InputMouseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    automation::UseVirtualClock(true);
    RunLoop();
  }
  void TearDown() override {
    ReleaseCapture();
    RunLoop();
    automation::UseVirtualClock(false);
  }
};

POINT Unpacked(LPARAM lParam) {
  return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

TEST_F(InputMouseTest, ClientMessagesCarryClientCoordinatesAndKeyFlags) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {100, 100, 300, 300});
  RunLoop();
  automation::MouseMove({150, 160});
  RunLoop();
  w.rec().Clear();

  automation::MouseDown({150, 160});
  RunLoop();
  EXPECT_EQ(w.rec().Sequence({WM_NCHITTEST, WM_SETCURSOR, WM_LBUTTONDOWN}),
            (std::vector<UINT>{WM_NCHITTEST, WM_SETCURSOR, WM_LBUTTONDOWN}));
  const Received* setCursor = w.rec().Last(WM_SETCURSOR);
  ASSERT_NE(setCursor, nullptr);
  EXPECT_EQ(reinterpret_cast<HWND>(setCursor->wParam), w.handle());
  EXPECT_EQ(LOWORD(setCursor->lParam), HTCLIENT);
  EXPECT_EQ(HIWORD(setCursor->lParam), WM_LBUTTONDOWN);
  const Received* down = w.rec().Last(WM_LBUTTONDOWN);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(Unpacked(down->lParam).x, 50);
  EXPECT_EQ(Unpacked(down->lParam).y, 60);
  EXPECT_EQ(down->wParam, MK_LBUTTON);
  EXPECT_LT(GetKeyState(VK_LBUTTON), 0);

  // Shift held while the right button goes down and the left is still held.
  automation::KeyDown(VK_SHIFT);
  automation::MouseDown({151, 160}, automation::MouseButton::Right);
  automation::MouseUp({151, 160}, automation::MouseButton::Right);
  automation::KeyUp(VK_SHIFT);
  automation::MouseUp({152, 161});
  RunLoop();
  const Received* right = w.rec().Last(WM_RBUTTONDOWN);
  ASSERT_NE(right, nullptr);
  EXPECT_EQ(right->wParam, MK_LBUTTON | MK_RBUTTON | MK_SHIFT);
  const Received* up = w.rec().Last(WM_LBUTTONUP);
  ASSERT_NE(up, nullptr);
  EXPECT_EQ(up->wParam, 0u);
  EXPECT_EQ(Unpacked(up->lParam).x, 52);
  EXPECT_GE(GetKeyState(VK_LBUTTON), 0);
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, 152);
  EXPECT_EQ(cursor.y, 161);
}

TEST_F(InputMouseTest, DeepestChildGetsTheClickInItsOwnCoordinates) {
  TestWindow parent(WS_POPUP | WS_VISIBLE, {100, 100, 300, 300});
  TestWindow child(WS_CHILD | WS_VISIBLE, {20, 30, 120, 130}, parent.handle());
  RunLoop();
  parent.rec().Clear();
  automation::ClickAt({130, 140});
  RunLoop();
  const Received* down = child.rec().Last(WM_LBUTTONDOWN);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(Unpacked(down->lParam).x, 10);
  EXPECT_EQ(Unpacked(down->lParam).y, 10);
  EXPECT_EQ(parent.rec().Count(WM_LBUTTONDOWN), 0);
  EXPECT_TRUE(automation::ClickInWindow(child.handle(), {5, 7}));
  RunLoop();
  EXPECT_EQ(Unpacked(child.rec().Last(WM_LBUTTONUP)->lParam).y, 7);
  EXPECT_FALSE(automation::ClickInWindow(reinterpret_cast<HWND>(0x03FFFFF0), {0, 0}));
}

TEST_F(InputMouseTest, CaptureTakesTheMouseWhereverItIs) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {100, 100, 300, 300});
  TestWindow other(WS_POPUP | WS_VISIBLE, {400, 100, 500, 200});
  RunLoop();
  EXPECT_EQ(SetCapture(w.handle()), nullptr);
  EXPECT_EQ(GetCapture(), w.handle());
  w.rec().Clear();
  other.rec().Clear();

  automation::ClickAt({450, 150});  // over the other window
  RunLoop();
  EXPECT_EQ(other.rec().messages.size(), 0u);
  EXPECT_EQ(w.rec().Count(WM_NCHITTEST), 0);
  const Received* down = w.rec().Last(WM_LBUTTONDOWN);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(Unpacked(down->lParam).x, 350);
  automation::MouseMove({50, 40});  // above and left of it: negative client coordinates
  RunLoop();
  EXPECT_EQ(Unpacked(w.rec().Last(WM_MOUSEMOVE)->lParam).x, -50);
  EXPECT_EQ(Unpacked(w.rec().Last(WM_MOUSEMOVE)->lParam).y, -60);

  EXPECT_EQ(SetCapture(other.handle()), w.handle());
  const Received* changed = w.rec().Last(WM_CAPTURECHANGED);
  ASSERT_NE(changed, nullptr);
  EXPECT_EQ(reinterpret_cast<HWND>(changed->lParam), other.handle());
  EXPECT_TRUE(ReleaseCapture());
  ASSERT_NE(other.rec().Last(WM_CAPTURECHANGED), nullptr);
  EXPECT_EQ(other.rec().Last(WM_CAPTURECHANGED)->lParam, 0);
  EXPECT_EQ(GetCapture(), nullptr);

  // A destroyed capture window holds nothing.
  HWND gone = CreateWindowExA(0, ClassName(false), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
  SetCapture(gone);
  DestroyWindow(gone);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(SetCapture(gone), nullptr);
}

TEST_F(InputMouseTest, DisabledWindowsSwallowClicks) {
  TestWindow parent(WS_POPUP | WS_VISIBLE, {100, 100, 300, 300});
  TestWindow child(WS_CHILD | WS_VISIBLE, {0, 0, 100, 100}, parent.handle());
  RunLoop();
  EnableWindow(child.handle(), FALSE);
  RunLoop();
  parent.rec().Clear();
  child.rec().Clear();
  automation::ClickAt({150, 150});
  automation::DoubleClick({150, 150});
  RunLoop();
  EXPECT_EQ(child.rec().messages.size(), 0u);
  EXPECT_EQ(parent.rec().Count(WM_NCHITTEST), 0);
  EXPECT_EQ(parent.rec().Count(WM_LBUTTONDOWN), 0);

  // Disabling the parent disables everything in it.
  EnableWindow(child.handle(), TRUE);
  EnableWindow(parent.handle(), FALSE);
  RunLoop();
  child.rec().Clear();
  automation::ClickAt({150, 150});
  automation::ClickAt({250, 250});
  RunLoop();
  EXPECT_EQ(child.rec().Count(WM_LBUTTONDOWN), 0);
  EXPECT_EQ(parent.rec().Count(WM_LBUTTONDOWN), 0);
  EnableWindow(parent.handle(), TRUE);
}

TEST_F(InputMouseTest, DoubleClicksOnlyForClassesThatAskAndOnlyInTime) {
  TestWindow plain(WS_POPUP | WS_VISIBLE, {100, 100, 200, 200});
  TestWindow dbl(WS_POPUP | WS_VISIBLE, {300, 100, 400, 200}, nullptr, kGrey, true);
  RunLoop();
  const std::initializer_list<UINT> buttons = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};

  plain.rec().Clear();
  automation::DoubleClick({150, 150});
  RunLoop();
  EXPECT_EQ(plain.rec().Sequence(buttons),
            (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));

  dbl.rec().Clear();
  automation::DoubleClick({350, 150});
  automation::ClickAt({350, 150});  // a third click starts over
  RunLoop();
  EXPECT_EQ(dbl.rec().Sequence(buttons),
            (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                               WM_LBUTTONDOWN, WM_LBUTTONUP}));

  // Too slow, or too far apart: two single clicks.
  automation::AdvanceClock(1000);
  dbl.rec().Clear();
  automation::ClickAt({350, 150});
  automation::AdvanceClock(GetDoubleClickTime() + 1);
  automation::ClickAt({350, 150});
  automation::AdvanceClock(1000);
  automation::ClickAt({350, 150});
  automation::ClickAt({360, 150});
  RunLoop();
  EXPECT_EQ(dbl.rec().Count(WM_LBUTTONDBLCLK), 0);
  EXPECT_EQ(dbl.rec().Count(WM_LBUTTONDOWN), 4);
  EXPECT_EQ(GetDoubleClickTime(), 500u);
}

TEST_F(InputMouseTest, NonClientAreaGetsNcMessagesWithScreenCoordinates) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {100, 100, 200, 200});
  w.rec().hitTest = HTCAPTION;
  RunLoop();
  w.rec().Clear();
  automation::MouseMove({120, 130});
  automation::DoubleClick({120, 130});
  RunLoop();
  EXPECT_EQ(w.rec().Count(WM_LBUTTONDOWN), 0);
  EXPECT_EQ(w.rec().Count(WM_MOUSEMOVE), 0);
  const Received* move = w.rec().Last(WM_NCMOUSEMOVE);
  ASSERT_NE(move, nullptr);
  EXPECT_EQ(move->wParam, static_cast<WPARAM>(HTCAPTION));
  const Received* down = w.rec().Last(WM_NCLBUTTONDOWN);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(down->wParam, static_cast<WPARAM>(HTCAPTION));
  EXPECT_EQ(Unpacked(down->lParam).x, 120);
  EXPECT_EQ(Unpacked(down->lParam).y, 130);
  // Non-client double clicks need no class style.
  EXPECT_EQ(w.rec().Count(WM_NCLBUTTONDBLCLK), 1);
  EXPECT_EQ(HIWORD(w.rec().Last(WM_SETCURSOR)->lParam), WM_LBUTTONUP);
  EXPECT_EQ(LOWORD(w.rec().Last(WM_SETCURSOR)->lParam), HTCAPTION);
}

TEST_F(InputMouseTest, MouseActivateDecidesActivationAndWhetherTheClickIsEaten) {
  TestWindow a(WS_POPUP | WS_VISIBLE, {100, 100, 200, 200});
  TestWindow b(WS_POPUP | WS_VISIBLE, {300, 100, 400, 200});
  RunLoop();
  SetActiveWindow(a.handle());
  RunLoop();
  ASSERT_EQ(GetActiveWindow(), a.handle());

  b.rec().mouseActivate = MA_NOACTIVATEANDEAT;
  b.rec().Clear();
  automation::ClickAt({350, 150});
  RunLoop();
  const Received* asked = b.rec().Last(WM_MOUSEACTIVATE);
  ASSERT_NE(asked, nullptr);
  EXPECT_EQ(reinterpret_cast<HWND>(asked->wParam), b.handle());
  EXPECT_EQ(LOWORD(asked->lParam), HTCLIENT);
  EXPECT_EQ(HIWORD(asked->lParam), WM_LBUTTONDOWN);
  EXPECT_EQ(b.rec().Count(WM_LBUTTONDOWN), 0);
  EXPECT_EQ(GetActiveWindow(), a.handle());

  b.rec().mouseActivate = MA_ACTIVATE;
  b.rec().Clear();
  automation::ClickAt({350, 150});
  RunLoop();
  EXPECT_EQ(GetActiveWindow(), b.handle());
  EXPECT_EQ(b.rec().Count(WM_LBUTTONDOWN), 1);
  // Already active: no more questions.
  b.rec().Clear();
  automation::ClickAt({350, 150});
  RunLoop();
  EXPECT_EQ(b.rec().Count(WM_MOUSEACTIVATE), 0);
  EXPECT_EQ(b.rec().Count(WM_LBUTTONDOWN), 1);
}

TEST_F(InputMouseTest, WheelGoesToTheFocusWindow) {
  TestWindow parent(WS_POPUP | WS_VISIBLE, {100, 100, 300, 300});
  TestWindow child(WS_CHILD | WS_VISIBLE, {0, 0, 50, 50}, parent.handle());
  RunLoop();
  SetFocus(child.handle());
  RunLoop();
  automation::Wheel({250, 260}, -WHEEL_DELTA);
  RunLoop();
  const Received* wheel = child.rec().Last(WM_MOUSEWHEEL);
  ASSERT_NE(wheel, nullptr);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel->wParam), -WHEEL_DELTA);
  EXPECT_EQ(Unpacked(wheel->lParam).x, 250);
  EXPECT_EQ(Unpacked(wheel->lParam).y, 260);
  EXPECT_EQ(child.rec().Count(WM_MOUSEWHEEL), 1);
}

TEST_F(InputMouseTest, TrackMouseEventReportsLeavingOnce) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {100, 100, 200, 200});
  RunLoop();
  automation::MouseMove({150, 150});
  RunLoop();
  TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, w.handle(), 0};
  EXPECT_TRUE(TrackMouseEvent(&track));
  TRACKMOUSEEVENT query{sizeof(TRACKMOUSEEVENT), TME_QUERY, nullptr, 0};
  EXPECT_TRUE(TrackMouseEvent(&query));
  EXPECT_EQ(query.hwndTrack, w.handle());
  EXPECT_EQ(query.dwFlags, TME_LEAVE);
  w.rec().Clear();
  automation::MouseMove({160, 150});
  RunLoop();
  EXPECT_EQ(w.rec().Count(WM_MOUSELEAVE), 0);
  automation::MouseMove({500, 500});
  automation::MouseMove({510, 500});
  RunLoop();
  EXPECT_EQ(w.rec().Count(WM_MOUSELEAVE), 1);

  // Asked while the pointer is elsewhere: the answer comes at once.
  EXPECT_TRUE(TrackMouseEvent(&track));
  RunLoop();
  EXPECT_EQ(w.rec().Count(WM_MOUSELEAVE), 2);
  TRACKMOUSEEVENT bad{0, TME_LEAVE, w.handle(), 0};
  EXPECT_FALSE(TrackMouseEvent(&bad));
}

TEST_F(InputMouseTest, CursorShapeAndVisibility) {
  HCURSOR shape = reinterpret_cast<HCURSOR>(0x1234);
  HCURSOR before = SetCursor(shape);
  EXPECT_EQ(GetCursor(), shape);
  EXPECT_EQ(SetCursor(before), shape);
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_FALSE(GetCursorPos(nullptr));
  EXPECT_TRUE(SetCursorPos(700, 800));
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 700);
  EXPECT_EQ(p.y, 800);
}

}  // namespace
