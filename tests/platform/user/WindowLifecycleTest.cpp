// Creating and destroying windows: the message sequences, creation refused by the window,
// destruction of children and owned windows, destroys from inside handlers, dead handles.
#include <thread>

#include "platform/kernel32.h"
#include "tests/platform/user/WindowTestSupport.h"

namespace {

using namespace window_test;

class WindowLifecycleTest : public WindowTest {};

TEST_F(WindowLifecycleTest, CreationSendsItsMessagesInOrderWithTheCreationParameters) {
  int marker = 0;
  CREATESTRUCTA seenAtNcCreate{};
  CREATESTRUCTA seenAtCreate{};
  std::string textAtCreate;
  Record().pending = [&](HWND hwnd, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (message == WM_NCCREATE) seenAtNcCreate = *reinterpret_cast<CREATESTRUCTA*>(lParam);
    if (message == WM_CREATE) {
      seenAtCreate = *reinterpret_cast<CREATESTRUCTA*>(lParam);
      char buffer[32];
      GetWindowTextA(hwnd, buffer, sizeof buffer);
      textAtCreate = buffer;
    }
    return std::nullopt;
  };
  HWND top =
      Make(WS_OVERLAPPED | WS_SYSMENU, 40, 50, 300, 200, nullptr, 0, "Title", nullptr, &marker);
  ASSERT_NE(top, nullptr);
  auto log = Only(Take(), {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE,
                           WM_MOVE, WM_SHOWWINDOW});
  std::vector<std::pair<HWND, UINT>> expected = {{top, WM_GETMINMAXINFO}, {top, WM_NCCREATE},
                                                 {top, WM_NCCALCSIZE},    {top, WM_CREATE},
                                                 {top, WM_SIZE},          {top, WM_MOVE}};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(seenAtNcCreate.lpCreateParams, &marker);
  EXPECT_EQ(seenAtCreate.lpCreateParams, &marker);
  EXPECT_EQ(seenAtCreate.x, 40);
  EXPECT_EQ(seenAtCreate.y, 50);
  EXPECT_EQ(seenAtCreate.cx, 300);
  EXPECT_EQ(seenAtCreate.cy, 200);
  EXPECT_STREQ(seenAtCreate.lpszName, "Title");
  // The default WM_NCCREATE already set the text; an overlapped window gets a caption.
  EXPECT_EQ(textAtCreate, "Title");
  EXPECT_EQ(GetWindowLongPtrA(top, GWL_STYLE) & WS_CAPTION, static_cast<LONG_PTR>(WS_CAPTION));
  EXPECT_FALSE(IsWindowVisible(top));

  // A child: no WM_GETMINMAXINFO, its id from hMenu, and the parent hears of it.
  HWND child = Make(WS_CHILD | WS_VISIBLE, 5, 6, 50, 40, top, 0, "", reinterpret_cast<HMENU>(77));
  ASSERT_NE(child, nullptr);
  auto childLog = Take();
  EXPECT_EQ(Count(childLog, child, WM_GETMINMAXINFO), 0u);
  EXPECT_EQ(Count(childLog, child, WM_SHOWWINDOW), 1u);
  bool notified = false;
  for (const Entry& e : childLog) {
    if (e.hwnd == top && e.message == WM_PARENTNOTIFY) {
      notified = LOWORD(e.wParam) == WM_CREATE && HIWORD(e.wParam) == 77 &&
                 reinterpret_cast<HWND>(e.lParam) == child;
    }
  }
  EXPECT_TRUE(notified);
  EXPECT_EQ(GetDlgCtrlID(child), 77);
  EXPECT_EQ(GetWindowThreadProcessId(child, nullptr), GetCurrentThreadId());

  // WS_EX_NOPARENTNOTIFY keeps the parent out of it.
  HWND quiet = Make(WS_CHILD, 0, 0, 10, 10, top, WS_EX_NOPARENTNOTIFY);
  EXPECT_EQ(Count(Take(), top, WM_PARENTNOTIFY), 0u);
  DestroyWindow(quiet);
}

TEST_F(WindowLifecycleTest, ATopLevelWindowGivenAParentIsOwnedByItsRoot) {
  HWND owner = Make(WS_POPUP, 0, 0, 100, 100);
  HWND child = Make(WS_CHILD, 0, 0, 10, 10, owner);
  HWND popup = Make(WS_POPUP, 0, 0, 50, 50, child);
  EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
  EXPECT_EQ(GetParent(popup), owner);
  EXPECT_EQ(GetAncestor(popup, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetAncestor(popup, GA_ROOTOWNER), owner);
}

TEST_F(WindowLifecycleTest, CreationFailsCleanlyForBadRequests) {
  SetLastError(0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClassAnywhere", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  SetLastError(0);
  EXPECT_EQ(Make(WS_CHILD, 0, 0, 10, 10), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);

  HWND gone = Make(WS_POPUP, 0, 0, 10, 10);
  DestroyWindow(gone);
  SetLastError(0);
  EXPECT_EQ(Make(WS_CHILD, 0, 0, 10, 10, gone), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);

  // Sizes are kept in range instead of overflowing the rectangle.
  HWND huge = Make(WS_POPUP, 2000000000, -2000000000, 2000000000, -5);
  ASSERT_NE(huge, nullptr);
  RECT r = WindowRect(huge);
  EXPECT_LE(r.left, r.right);
  EXPECT_EQ(r.bottom, r.top);
}

TEST_F(WindowLifecycleTest, WindowsRefusingCreationLeaveNothingBehind) {
  HWND refusedAtNcCreate = nullptr;
  Record().pending = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_NCCREATE) {
      refusedAtNcCreate = hwnd;
      return FALSE;
    }
    return std::nullopt;
  };
  EXPECT_EQ(Make(WS_POPUP, 0, 0, 10, 10), nullptr);
  ASSERT_NE(refusedAtNcCreate, nullptr);
  auto log = Take();
  EXPECT_EQ(Count(log, refusedAtNcCreate, WM_CREATE), 0u);
  EXPECT_EQ(Count(log, refusedAtNcCreate, WM_NCDESTROY), 1u);
  EXPECT_FALSE(IsWindow(refusedAtNcCreate));

  HWND refusedAtCreate = nullptr;
  Record().pending = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CREATE) {
      refusedAtCreate = hwnd;
      return -1;
    }
    return std::nullopt;
  };
  HWND parent = Make(WS_POPUP, 0, 0, 100, 100);
  EXPECT_EQ(Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent), nullptr);
  ASSERT_NE(refusedAtCreate, nullptr);
  log = Take();
  EXPECT_EQ(Count(log, refusedAtCreate, WM_DESTROY), 1u);
  EXPECT_EQ(Count(log, refusedAtCreate, WM_NCDESTROY), 1u);
  EXPECT_FALSE(IsWindow(refusedAtCreate));
  EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);

  // No window of the class is left, so it can go.
  WNDCLASSA cls{};
  cls.lpfnWndProc = JournalProc;
  cls.lpszClassName = "RefusingClass";
  ASSERT_NE(RegisterClassA(&cls), 0);
  Record().pending = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CREATE) return -1;
    return std::nullopt;
  };
  EXPECT_EQ(CreateWindowExA(0, "RefusingClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_TRUE(UnregisterClassA("RefusingClass", nullptr));
}

TEST_F(WindowLifecycleTest, DestroyGoesParentFirstForDestroyAndChildrenFirstForNcDestroy) {
  HWND owner = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 300);
  HWND a = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, owner);
  HWND a1 = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, a);
  HWND b = Make(WS_CHILD, 60, 0, 50, 50, owner);
  HWND owned = Make(WS_POPUP | WS_VISIBLE, 10, 10, 40, 40, owner);
  bool parentAliveDuringChildDestroy = false;
  Record().handlers[a1] = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY) {
      parentAliveDuringChildDestroy = IsWindow(a) && GetParent(hwnd) == a;
    }
    return std::nullopt;
  };
  Take();
  EXPECT_TRUE(DestroyWindow(owner));
  auto log = Only(Take(), {WM_DESTROY, WM_NCDESTROY});
  auto at = [&](HWND w, UINT m) {
    return std::find(log.begin(), log.end(), std::make_pair(w, m)) - log.begin();
  };
  ASSERT_EQ(log.size(), 10u);
  EXPECT_LT(at(owned, WM_NCDESTROY), at(owner, WM_DESTROY));
  EXPECT_LT(at(owner, WM_DESTROY), at(a, WM_DESTROY));
  EXPECT_LT(at(a, WM_DESTROY), at(a1, WM_DESTROY));
  EXPECT_LT(at(owner, WM_DESTROY), at(b, WM_DESTROY));
  // Every WM_DESTROY comes before any WM_NCDESTROY of the tree.
  EXPECT_LT(at(b, WM_DESTROY), at(a1, WM_NCDESTROY));
  EXPECT_LT(at(a1, WM_NCDESTROY), at(a, WM_NCDESTROY));
  EXPECT_LT(at(a, WM_NCDESTROY), at(owner, WM_NCDESTROY));
  EXPECT_LT(at(b, WM_NCDESTROY), at(owner, WM_NCDESTROY));
  EXPECT_EQ(log.back(), std::make_pair(owner, WM_NCDESTROY));
  EXPECT_TRUE(parentAliveDuringChildDestroy);
  for (HWND w : {owner, a, a1, b, owned}) EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowLifecycleTest, DestroyingAChildUnlinksItAndTellsTheParent) {
  HWND parent = Make(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
  HWND first = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent, 0, "", reinterpret_cast<HMENU>(3));
  HWND second = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent);
  SetFocus(first);
  Take();
  EXPECT_TRUE(DestroyWindow(first));
  auto log = Take();
  bool told = false;
  for (const Entry& e : log) {
    if (e.hwnd == parent && e.message == WM_PARENTNOTIFY && LOWORD(e.wParam) == WM_DESTROY) {
      told = reinterpret_cast<HWND>(e.lParam) == first && HIWORD(e.wParam) == 3;
    }
  }
  EXPECT_TRUE(told);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), second);
  EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetWindow(second, GW_HWNDPREV), nullptr);
  // The focus left the dying child for its parent.
  EXPECT_EQ(GetFocus(), parent);
  EXPECT_TRUE(IsWindow(parent));
}

TEST_F(WindowLifecycleTest, DestroysFromInsideDestroyHandlersAreSafe) {
  // The window destroys itself again, its parent destroys itself from the child's handler.
  HWND parent = Make(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
  HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent);
  HWND grandchild = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, child);
  BOOL again = FALSE, parentFromChild = FALSE;
  Record().handlers[child] = [&](HWND hwnd, UINT message, WPARAM,
                                 LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY) {
      again = DestroyWindow(hwnd);
      parentFromChild = DestroyWindow(parent);
    }
    return std::nullopt;
  };
  Take();
  EXPECT_TRUE(DestroyWindow(child));
  EXPECT_TRUE(again);
  EXPECT_TRUE(parentFromChild);
  auto log = Take();
  for (HWND w : {parent, child, grandchild}) {
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(Count(log, w, WM_DESTROY), 1u);
    EXPECT_EQ(Count(log, w, WM_NCDESTROY), 1u);
  }

  // WM_CLOSE's default destroy running into a destroy from WM_DESTROY's handler.
  HWND closing = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
  Record().handlers[closing] = [&](HWND hwnd, UINT message, WPARAM,
                                   LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY) SendMessageA(hwnd, WM_CLOSE, 0, 0);
    if (message == WM_NCDESTROY) PostMessageA(hwnd, WM_USER, 0, 0);
    return std::nullopt;
  };
  EXPECT_EQ(SendMessageA(closing, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(IsWindow(closing));
  platform::testing::RunUntilIdle();
  EXPECT_EQ(Count(Take(), closing, WM_USER), 0u);
}

TEST_F(WindowLifecycleTest, DeadAndForeignHandlesFailWithoutHarm) {
  HWND dead = Make(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  DestroyWindow(dead);
  HWND bogus = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x12345678));
  for (HWND h : {dead, bogus, static_cast<HWND>(nullptr)}) {
    SetLastError(0);
    EXPECT_FALSE(DestroyWindow(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    RECT r{1, 2, 3, 4};
    SetLastError(0);
    EXPECT_FALSE(GetWindowRect(h, &r));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(GetClientRect(h, &r));
    EXPECT_FALSE(SetWindowPos(h, nullptr, 0, 0, 5, 5, SWP_NOZORDER));
    EXPECT_FALSE(ShowWindow(h, SW_SHOW));
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_FALSE(IsWindowEnabled(h));
    EXPECT_FALSE(EnableWindow(h, FALSE));
    EXPECT_EQ(SetFocus(h), nullptr);
    EXPECT_EQ(GetParent(h), nullptr);
    EXPECT_EQ(GetWindow(h, GW_CHILD), nullptr);
    EXPECT_EQ(SetWindowLongPtrA(h, GWLP_USERDATA, 5), 0);
    EXPECT_EQ(GetWindowLongPtrA(h, GWLP_USERDATA), 0);
    EXPECT_FALSE(SetWindowTextA(h, "x"));
    char text[8] = "old";
    EXPECT_EQ(GetWindowTextA(h, text, sizeof text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(SetPropA(h, "p", h));
    EXPECT_EQ(GetPropA(h, "p"), nullptr);
    POINT p{1, 1};
    EXPECT_FALSE(ClientToScreen(h, &p));
    EXPECT_EQ(SetParent(h, nullptr), nullptr);
    EXPECT_FALSE(MoveWindow(h, 0, 0, 1, 1, TRUE));
    EXPECT_FALSE(IsChild(h, h));
  }
  EXPECT_FALSE(IsWindow(dead));
  // A stale handle never comes back to name a newer window.
  HWND fresh = Make(WS_POPUP, 0, 0, 10, 10);
  EXPECT_NE(fresh, dead);
  EXPECT_FALSE(IsWindow(dead));
}

TEST_F(WindowLifecycleTest, OnlyTheOwningThreadDestroysAWindow) {
  HWND window = Make(WS_POPUP, 0, 0, 10, 10);
  BOOL result = TRUE;
  DWORD error = 0;
  std::thread other([&] {
    result = DestroyWindow(window);
    error = GetLastError();
  });
  other.join();
  EXPECT_FALSE(result);
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
  EXPECT_TRUE(IsWindow(window));
  // The desktop cannot be destroyed by anyone.
  EXPECT_FALSE(DestroyWindow(GetDesktopWindow()));
  EXPECT_TRUE(IsWindow(GetDesktopWindow()));
}

}  // namespace
