// The frame: how much room each style takes, what a point on it means, what pressing the
// caption and its buttons does, and what the default theme draws.
#include "platform/gdi/DeviceContext.h"
#include "platform/testing/InputAutomation.h"
#include "platform/user/WindowManager.h"
#include "tests/platform/user/WindowTestSupport.h"

namespace {

using namespace window_test;
using platform::testing::MouseDown;
using platform::testing::MouseMove;
using platform::testing::MouseUp;
using platform::testing::RunUntilIdle;

class NonClientTest : public WindowTest {};

struct FrameCase {
  const char* name;
  DWORD style;
  DWORD exStyle;
  bool menu;
  RECT insets;  // left, top, right, bottom
};

TEST_F(NonClientTest, EachFrameStyleLeavesItsClientArea) {
  const FrameCase cases[] = {
      {"fixed caption", WS_POPUP | WS_CAPTION, 0, false, {6, 30, 6, 6}},
      {"overlapped", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, false, {6, 30, 6, 6}},
      {"resizable", WS_OVERLAPPEDWINDOW, 0, false, {8, 32, 8, 8}},
      {"tool", WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, false, {4, 24, 4, 4}},
      {"resizable tool",
       WS_POPUP | WS_CAPTION | WS_THICKFRAME,
       WS_EX_TOOLWINDOW,
       false,
       {6, 26, 6, 6}},
      {"dialog frame", WS_POPUP | WS_DLGFRAME, 0, false, {6, 6, 6, 6}},
      {"thin border", WS_POPUP | WS_BORDER, 0, false, {1, 1, 1, 1}},
      {"bare", WS_POPUP, 0, false, {0, 0, 0, 0}},
      {"client edge", WS_POPUP, WS_EX_CLIENTEDGE, false, {2, 2, 2, 2}},
      {"caption and client edge", WS_POPUP | WS_CAPTION, WS_EX_CLIENTEDGE, false, {8, 32, 8, 8}},
      {"bordered child with edge", WS_CHILD | WS_BORDER, WS_EX_CLIENTEDGE, false, {3, 3, 3, 3}},
      {"menu bar", WS_POPUP | WS_CAPTION, 0, true, {6, 50, 6, 6}},
  };
  HWND parent = Make(WS_POPUP, 0, 0, 800, 600);
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.name);
    RECT insets = platform::user::NonClientInsets(c.style, c.exStyle, c.menu);
    EXPECT_EQ(Str(insets), Str(c.insets));
    // AdjustWindowRectEx grows a client rectangle by the same frame.
    RECT r{100, 100, 300, 250};
    AdjustWindowRectEx(&r, c.style, c.menu, c.exStyle);
    EXPECT_EQ(Str(r), Str(100 - c.insets.left, 100 - c.insets.top, 300 + c.insets.right,
                          250 + c.insets.bottom));
    // A real window of that style: its client area in screen terms.
    HMENU menu = c.menu ? reinterpret_cast<HMENU>(static_cast<uintptr_t>(0x5000)) : nullptr;
    bool child = (c.style & WS_CHILD) != 0;
    HWND w = Make(c.style, 20, 40, 200, 150, child ? parent : nullptr, c.exStyle, "", menu);
    ASSERT_NE(w, nullptr);
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    RECT outer = WindowRect(w);
    EXPECT_EQ(origin.x - outer.left, c.insets.left);
    EXPECT_EQ(origin.y - outer.top, c.insets.top);
    EXPECT_EQ(Str(ClientRect(w)), Str(0, 0, 200 - c.insets.left - c.insets.right,
                                      150 - c.insets.top - c.insets.bottom));
    DestroyWindow(w);
  }
  // An overlapped window always has a caption, whatever the style said.
  HWND overlapped = Make(WS_OVERLAPPED, 0, 0, 200, 150);
  EXPECT_EQ(Str(ClientRect(overlapped)), Str(0, 0, 188, 114));
  // The metrics programs read agree with the frames.
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 24);
  EXPECT_EQ(GetSystemMetrics(SM_CXDLGFRAME), 6);
  EXPECT_EQ(GetSystemMetrics(SM_CXFIXEDFRAME), 6);
  EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), 8);
  EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
  EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
  EXPECT_EQ(GetSystemMetrics(SM_CYSMCAPTION), 20);
  EXPECT_EQ(GetSystemMetrics(SM_CYMENU), 20);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), platform::gdi::Screen().width);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), platform::gdi::Screen().height);
  // A frame smaller than its borders leaves an empty client area, never a negative one.
  HWND tiny = Make(WS_OVERLAPPEDWINDOW, 0, 0, 5, 5);
  RECT client = ClientRect(tiny);
  EXPECT_GE(client.right, 0);
  EXPECT_GE(client.bottom, 0);
}

LRESULT HitAt(HWND w, int x, int y) {
  RECT r = WindowRect(w);
  return SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(r.left + x, r.top + y));
}

TEST_F(NonClientTest, HitTestingFindsCaptionButtonsAndBorders) {
  // 400 x 300 at (100, 100); buttons are 36 wide from the right edge of the caption.
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300);
  EXPECT_EQ(HitAt(w, 200, 150), HTCLIENT);
  EXPECT_EQ(HitAt(w, 100, 20), HTCAPTION);
  EXPECT_EQ(HitAt(w, 400 - 8 - 18, 20), HTCLOSE);
  EXPECT_EQ(HitAt(w, 400 - 8 - 36 - 18, 20), HTMAXBUTTON);
  EXPECT_EQ(HitAt(w, 400 - 8 - 72 - 18, 20), HTMINBUTTON);
  EXPECT_EQ(HitAt(w, 400 - 8 - 108 - 18, 20), HTCAPTION);
  EXPECT_EQ(HitAt(w, 2, 150), HTLEFT);
  EXPECT_EQ(HitAt(w, 397, 150), HTRIGHT);
  EXPECT_EQ(HitAt(w, 200, 1), HTTOP);
  EXPECT_EQ(HitAt(w, 200, 298), HTBOTTOM);
  EXPECT_EQ(HitAt(w, 1, 1), HTTOPLEFT);
  EXPECT_EQ(HitAt(w, 398, 5), HTTOPRIGHT);
  EXPECT_EQ(HitAt(w, 3, 295), HTBOTTOMLEFT);
  EXPECT_EQ(HitAt(w, 396, 296), HTBOTTOMRIGHT);
  EXPECT_EQ(HitAt(w, 10, 297), HTBOTTOMLEFT);  // within the corner grip along the edge
  EXPECT_EQ(HitAt(w, 400, 10), HTNOWHERE);
  EXPECT_EQ(HitAt(w, -1, 10), HTNOWHERE);
  // A maximised window has nothing to resize.
  ShowWindow(w, SW_MAXIMIZE);
  EXPECT_EQ(HitAt(w, 2, 150), HTBORDER);

  // A fixed frame is border, not sizing; only the boxes a window asks for are there.
  HWND fixed =
      Make(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, 0, 0, 300, 200);
  EXPECT_EQ(HitAt(fixed, 2, 100), HTBORDER);
  EXPECT_EQ(HitAt(fixed, 300 - 6 - 18, 15), HTCLOSE);
  EXPECT_EQ(HitAt(fixed, 300 - 6 - 36 - 18, 15), HTMINBUTTON);
  HWND noMenu = Make(WS_POPUP | WS_CAPTION | WS_MAXIMIZEBOX | WS_VISIBLE, 0, 0, 300, 200);
  EXPECT_EQ(HitAt(noMenu, 300 - 6 - 18, 15), HTCAPTION);
  HWND tool = Make(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX | WS_VISIBLE, 0, 0, 300, 200,
                   nullptr, WS_EX_TOOLWINDOW);
  EXPECT_EQ(HitAt(tool, 300 - 4 - 14, 12), HTCLOSE);
  EXPECT_EQ(HitAt(tool, 300 - 4 - 28 - 14, 12), HTCAPTION);
}

TEST_F(NonClientTest, TheCloseButtonClosesThroughSysCommandAndClose) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300);
  RunUntilIdle();
  Take();
  POINT close{100 + 400 - 8 - 18, 100 + 8 + 12};
  // Pressed, dragged off and released elsewhere: nothing happens.
  MouseMove(close);
  MouseDown(close);
  MouseMove({close.x - 150, close.y});
  MouseUp({close.x - 150, close.y});
  RunUntilIdle();
  EXPECT_TRUE(IsWindow(w));
  EXPECT_EQ(Count(Take(), w, WM_SYSCOMMAND), 0u);

  platform::testing::AdvanceClock(2000);
  MouseMove(close);
  MouseDown(close);
  MouseUp(close);
  RunUntilIdle();
  EXPECT_FALSE(IsWindow(w));
  auto log = Only(Take(), {WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY});
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], std::make_pair(w, WM_SYSCOMMAND));
  EXPECT_EQ(log[1], std::make_pair(w, WM_CLOSE));
  EXPECT_EQ(log[2], std::make_pair(w, WM_DESTROY));

  // A quick second click on a button is a double click; it still presses the button.
  HWND again = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300);
  RunUntilIdle();
  platform::testing::AdvanceClock(2000);
  POINT minimize{close.x - 72, close.y};
  platform::testing::DoubleClick(minimize);
  RunUntilIdle();
  EXPECT_TRUE(IsIconic(again));
}

TEST_F(NonClientTest, CloseCanBeRefusedAndAltF4AsksTheSameWay) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300);
  HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, w);
  bool allowClose = false;
  Record().handlers[w] = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CLOSE && !allowClose) return 0;
    return std::nullopt;
  };
  SendMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(IsWindow(w));
  SetFocus(child);
  RunUntilIdle();
  allowClose = true;
  platform::testing::KeyDown(VK_MENU);
  platform::testing::PressKey(VK_F1 + 3);
  platform::testing::KeyUp(VK_MENU);
  RunUntilIdle();
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(NonClientTest, DraggingTheCaptionMovesTheWindow) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300);
  RunUntilIdle();
  Take();
  POINT grab{250, 115};
  MouseMove(grab);
  MouseDown(grab);
  MouseMove({270, 130});
  MouseMove({300, 145});
  MouseUp({300, 145});
  RunUntilIdle();
  EXPECT_EQ(Str(WindowRect(w)), Str(150, 130, 550, 430));
  auto log = Take();
  EXPECT_EQ(Count(log, w, WM_ENTERSIZEMOVE), 1u);
  EXPECT_EQ(Count(log, w, WM_EXITSIZEMOVE), 1u);
  EXPECT_GE(Count(log, w, WM_MOVE), 1u);
  EXPECT_EQ(GetCapture(), nullptr);

  // The bottom-right corner resizes, down to the minimum tracking size.
  POINT corner{549, 429};
  MouseMove(corner);
  MouseDown(corner);
  MouseMove({449, 379});
  MouseUp({449, 379});
  RunUntilIdle();
  EXPECT_EQ(Str(WindowRect(w)), Str(150, 130, 450, 380));
  platform::testing::AdvanceClock(2000);
  // This time the mouse leaves every window: only the capture the loop holds brings the
  // input back, so it is injected once the loop has started.
  Record().handlers[w] = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_ENTERSIZEMOVE) {
      MouseMove({0, 0});
      MouseUp({0, 0});
    }
    return std::nullopt;
  };
  MouseMove({449, 379});
  MouseDown({448, 378});
  RunUntilIdle();
  RECT r = WindowRect(w);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXMINTRACK));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYMINTRACK));

  Record().handlers.erase(w);

  // The program's own drag: WM_NCLBUTTONDOWN with HTCAPTION posted from a client press.
  HWND client = Make(WS_POPUP | WS_VISIBLE, 500, 500, 100, 100);
  RunUntilIdle();
  platform::testing::AdvanceClock(2000);
  MouseMove({550, 550});
  MouseDown({550, 550});
  MouseMove({560, 540});
  MouseUp({560, 540});
  PostMessageA(client, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(550, 550));
  RunUntilIdle();
  EXPECT_EQ(Str(WindowRect(client)), Str(510, 490, 610, 590));
}

TEST_F(NonClientTest, DoubleClickOnTheCaptionMaximisesAndRestoresResizableWindows) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300);
  HWND fixed = Make(WS_OVERLAPPED | WS_SYSMENU | WS_MAXIMIZEBOX | WS_VISIBLE, 100, 100, 400, 300);
  SendMessageA(w, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
  EXPECT_TRUE(IsZoomed(w));
  SendMessageA(w, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
  EXPECT_FALSE(IsZoomed(w));
  EXPECT_EQ(Str(WindowRect(w)), Str(100, 100, 500, 400));
  SendMessageA(fixed, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
  EXPECT_FALSE(IsZoomed(fixed));
}

TEST_F(NonClientTest, TheFrameShowsActivationAndTheClassBackgroundFillsTheClient) {
  HWND first = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr, 0, "First");
  RunUntilIdle();
  auto image = platform::testing::CaptureWindow(first);
  ASSERT_FALSE(image.empty());
  ASSERT_EQ(image.width, 300);
  ASSERT_EQ(image.height, 200);
  const COLORREF active = GetSysColor(COLOR_ACTIVECAPTION);
  const COLORREF inactive = GetSysColor(COLOR_INACTIVECAPTION);
  // A spot of caption with no title or glyph on it, the border, and the client area.
  EXPECT_EQ(image.ColorAt(150, 10), active);
  EXPECT_EQ(image.ColorAt(4, 100), active);
  EXPECT_EQ(image.ColorAt(100, 100), GetSysColor(COLOR_WINDOW));
  // Some title text was drawn in the caption's left part.
  bool inked = false;
  for (int y = 8; y < 32 && !inked; ++y) {
    for (int x = 8; x < 60 && !inked; ++x) inked = image.ColorAt(x, y) != active;
  }
  EXPECT_TRUE(inked);

  HWND second = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 100, 300, 200);
  RunUntilIdle();
  EXPECT_EQ(GetActiveWindow(), second);
  image = platform::testing::CaptureWindow(first);
  EXPECT_EQ(image.ColorAt(150, 10), inactive);
}

}  // namespace
