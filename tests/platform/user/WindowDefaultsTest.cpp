// What DefWindowProcA does for the messages a window leaves to it.
#include "tests/platform/user/WindowTestSupport.h"

namespace {

using namespace window_test;

class WindowDefaultsTest : public WindowTest {};

TEST_F(WindowDefaultsTest, ChildrenPassCursorWheelAndActivationQuestionsToTheirParent) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
  HWND child = Make(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, top);
  LRESULT parentAnswer = 0;
  Record().handlers[top] = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_SETCURSOR || message == WM_MOUSEACTIVATE || message == WM_MOUSEWHEEL) {
      return parentAnswer;
    }
    return std::nullopt;
  };
  const LPARAM clientMove = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  HCURSOR before = GetCursor();
  Take();
  parentAnswer = TRUE;
  EXPECT_EQ(DefWindowProcA(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), clientMove), TRUE);
  EXPECT_EQ(Count(Take(), top, WM_SETCURSOR), 1u);
  EXPECT_EQ(GetCursor(), before);
  // The parent declines; the child's class has no cursor, so the client area keeps it.
  parentAnswer = FALSE;
  EXPECT_EQ(DefWindowProcA(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), clientMove),
            FALSE);
  // Over a sizing border the arrow gives way to the sizing shape.
  HWND sizable = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 0, 200, 200);
  EXPECT_EQ(DefWindowProcA(sizable, WM_SETCURSOR, reinterpret_cast<WPARAM>(sizable),
                           MAKELPARAM(HTLEFT, WM_MOUSEMOVE)),
            TRUE);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZEWE));

  parentAnswer = MA_NOACTIVATE;
  EXPECT_EQ(DefWindowProcA(child, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), 0),
            MA_NOACTIVATE);
  parentAnswer = 0;
  EXPECT_EQ(DefWindowProcA(child, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), 0), MA_ACTIVATE);
  parentAnswer = 7;
  EXPECT_EQ(DefWindowProcA(child, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0), 7);
  EXPECT_EQ(DefWindowProcA(top, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0), 0);
}

TEST_F(WindowDefaultsTest, ControlColoursComeFromTheSystemColours) {
  HWND w = Make(WS_POPUP, 0, 0, 10, 10);
  HDC dc = GetDC(w);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(DefWindowProcA(w, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), 0),
            reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW)));
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(DefWindowProcA(w, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0),
            reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)));
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
  ReleaseDC(w, dc);
}

TEST_F(WindowDefaultsTest, IconsAreKeptPerSize) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100);
  HICON big = LoadIconA(nullptr, IDI_APPLICATION);
  HICON small = LoadIconA(nullptr, IDI_WARNING);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(SendMessageA(w, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big)), 0);
  EXPECT_EQ(SendMessageA(w, WM_GETICON, 2, 0), reinterpret_cast<LRESULT>(big));
  EXPECT_EQ(SendMessageA(w, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small)), 0);
  EXPECT_EQ(SendMessageA(w, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(big));
  EXPECT_EQ(SendMessageA(w, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(small));
  EXPECT_EQ(SendMessageA(w, WM_GETICON, 2, 0), reinterpret_cast<LRESULT>(small));
  EXPECT_EQ(SendMessageA(w, WM_SETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(small));
}

TEST_F(WindowDefaultsTest, SysCommandsMinimiseMaximiseRestoreAndClose) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 60, 300, 200);
  SendMessageA(w, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_TRUE(IsZoomed(w));
  SendMessageA(w, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(Str(WindowRect(w)), Str(50, 60, 350, 260));
  SendMessageA(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(w));
  SendMessageA(w, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsIconic(w));
  EXPECT_EQ(Str(WindowRect(w)), Str(50, 60, 350, 260));
  SendMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowDefaultsTest, ResizableWindowsAreHeldToTheirTrackingLimits) {
  HWND w = Make(WS_OVERLAPPEDWINDOW, 0, 0, 400, 300);
  Record().handlers[w] = [](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (message == WM_GETMINMAXINFO) {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {200, 150};
      info->ptMaxTrackSize = {600, 500};
      return 0;
    }
    return std::nullopt;
  };
  MoveWindow(w, 0, 0, 50, 50, TRUE);
  EXPECT_EQ(Str(WindowRect(w)), Str(0, 0, 200, 150));
  MoveWindow(w, 0, 0, 5000, 5000, TRUE);
  EXPECT_EQ(Str(WindowRect(w)), Str(0, 0, 600, 500));
  // A fixed window takes the size it is given.
  HWND fixed = Make(WS_OVERLAPPED | WS_SYSMENU, 0, 0, 400, 300);
  MoveWindow(fixed, 0, 0, 50, 50, TRUE);
  EXPECT_EQ(Str(WindowRect(fixed)), Str(0, 0, 50, 50));
}

}  // namespace
