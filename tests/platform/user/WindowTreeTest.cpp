// Window data and the tree: longs and extra bytes, subclassing, classes, relations and
// enumeration, z-order, SetWindowPos, coordinates, showing, enabling.
#include <cstdio>
#include <cstring>

#include "platform/gdi/DeviceContext.h"
#include "platform/kernel32.h"
#include "platform/user/WindowManager.h"
#include "tests/platform/user/WindowTestSupport.h"

namespace {

using namespace window_test;

class WindowTreeTest : public WindowTest {};

LRESULT CALLBACK Doubling(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
WNDPROC previousProc = nullptr;

LRESULT CALLBACK Doubling(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 1)
    return 2 * CallWindowProcA(previousProc, hwnd, message, wParam, lParam);
  return CallWindowProcA(previousProc, hwnd, message, wParam, lParam);
}

TEST_F(WindowTreeTest, LongsExtraBytesAndSubclassing) {
  HWND parent = Make(WS_POPUP, 0, 0, 100, 100);
  HWND w = Make(WS_CHILD, 0, 0, 10, 10, parent, 0, "", reinterpret_cast<HMENU>(9));
  EXPECT_EQ(SetWindowLongPtrA(w, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(SetWindowLongPtrA(w, GWLP_USERDATA, 99), 1234);
  EXPECT_EQ(GetWindowLongPtrA(w, GWLP_USERDATA), 99);
  EXPECT_EQ(GetWindowLongPtrA(w, GWLP_ID), 9);
  EXPECT_EQ(SetWindowLongPtrA(w, GWLP_ID, 12), 9);
  EXPECT_EQ(GetDlgItem(parent, 12), w);
  EXPECT_EQ(GetWindowLongPtrA(w, GWLP_HWNDPARENT), reinterpret_cast<LONG_PTR>(parent));

  // Extra bytes: the class asked for 16.
  EXPECT_EQ(SetWindowLongPtrA(w, 8, 0x1122334455667788LL), 0);
  EXPECT_EQ(GetWindowLongPtrA(w, 8), 0x1122334455667788LL);
  EXPECT_EQ(SetWindowLongA(w, 0, -7), 0);
  EXPECT_EQ(GetWindowLongA(w, 0), -7);
  EXPECT_EQ(GetWindowLongA(w, 12), 0x11223344);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtrA(w, 9), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
  SetLastError(0);
  EXPECT_EQ(SetWindowLongA(w, 13, 1), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
  EXPECT_EQ(GetWindowLongA(w, 12), 0x11223344);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtrA(w, -1000), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);

  // Subclassing: the old procedure comes back and keeps running under the new one.
  Record().handlers[w] = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_USER + 1) return 21;
    return std::nullopt;
  };
  previousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Doubling)));
  EXPECT_EQ(previousProc, &JournalProc);
  EXPECT_EQ(SendMessageA(w, WM_USER + 1, 0, 0), 42);
  EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&Doubling));
  // A null procedure would leave the window unable to take messages.
  SetLastError(0);
  EXPECT_EQ(SetWindowLongPtrA(w, GWLP_WNDPROC, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(SendMessageA(w, WM_USER + 1, 0, 0), 42);
  SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
  EXPECT_EQ(CallWindowProcA(nullptr, w, WM_USER + 1, 0, 0), 0);
}

TEST_F(WindowTreeTest, StyleChangesAreAnnouncedAndMayBeAdjusted) {
  HWND w = Make(WS_POPUP, 0, 0, 100, 100);
  Record().handlers[w] = [](HWND, UINT message, WPARAM which,
                            LPARAM lParam) -> std::optional<LRESULT> {
    if (message == WM_STYLECHANGING && which == static_cast<WPARAM>(GWL_STYLE)) {
      reinterpret_cast<STYLESTRUCT*>(lParam)->styleNew |= WS_BORDER;
    }
    return std::nullopt;
  };
  Take();
  LONG_PTR old = SetWindowLongPtrA(w, GWL_STYLE, WS_POPUP | WS_CAPTION);
  EXPECT_EQ(old, static_cast<LONG_PTR>(WS_POPUP));
  EXPECT_EQ(Only(Take(), {WM_STYLECHANGING, WM_STYLECHANGED}),
            (std::vector<std::pair<HWND, UINT>>{{w, WM_STYLECHANGING}, {w, WM_STYLECHANGED}}));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(w, GWL_STYLE)), WS_POPUP | WS_CAPTION | WS_BORDER);
  // The client area follows a frame change only when asked.
  EXPECT_EQ(Str(ClientRect(w)), Str(0, 0, 100, 100));
  SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  EXPECT_EQ(Str(ClientRect(w)), Str(0, 0, 88, 64));
  // Topmost is not an extended style one can simply set.
  SetWindowLongPtrA(w, GWL_EXSTYLE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(w, GWL_EXSTYLE)), WS_EX_TOOLWINDOW);
}

TEST_F(WindowTreeTest, ClassesRegisterOnceAndAreFoundWithoutRegardToCase) {
  WNDCLASSEXA cls{};
  cls.cbSize = sizeof(cls);
  cls.style = CS_HREDRAW;
  cls.lpfnWndProc = JournalProc;
  cls.cbClsExtra = 8;
  cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  cls.lpszClassName = "Tree Test Class";
  ATOM atom = RegisterClassExA(&cls);
  ASSERT_NE(atom, 0);
  SetLastError(0);
  EXPECT_EQ(RegisterClassExA(&cls), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

  WNDCLASSA info{};
  EXPECT_TRUE(GetClassInfoA(nullptr, "TREE TEST CLASS", &info));
  EXPECT_EQ(info.lpfnWndProc, &JournalProc);
  EXPECT_EQ(info.style, CS_HREDRAW);
  EXPECT_EQ(info.cbClsExtra, 8);
  WNDCLASSEXA byAtom{};
  byAtom.cbSize = sizeof(byAtom);
  EXPECT_EQ(
      GetClassInfoExA(nullptr, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(atom)), &byAtom),
      atom);

  HWND w = CreateWindowExA(0, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(atom)), "", WS_POPUP,
                           0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  char name[64];
  EXPECT_EQ(GetClassNameA(w, name, sizeof name), 15);
  EXPECT_STREQ(name, "Tree Test Class");
  EXPECT_EQ(GetClassNameA(w, name, 5), 4);
  EXPECT_STREQ(name, "Tree");
  EXPECT_EQ(GetClassLongPtrA(w, GCL_STYLE), CS_HREDRAW);
  EXPECT_EQ(SetClassLongPtrA(w, 0, 77), 0u);
  EXPECT_EQ(GetClassLongPtrA(w, 0), 77u);
  SetLastError(0);
  EXPECT_EQ(GetClassLongPtrA(w, 4), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
  EXPECT_EQ(FindWindowA("tree test CLASS", nullptr), w);

  SetLastError(0);
  EXPECT_FALSE(UnregisterClassA("Tree Test Class", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
  DestroyWindow(w);
  EXPECT_TRUE(UnregisterClassA("tree test class", nullptr));
  SetLastError(0);
  EXPECT_FALSE(GetClassInfoA(nullptr, "Tree Test Class", &info));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);

  // Per module: the same name may be registered by two modules; windows find their own.
  HINSTANCE self = GetModuleHandleA(nullptr);
  auto other = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x5A5A0000));
  WNDCLASSA mine{};
  mine.lpfnWndProc = JournalProc;
  mine.lpszClassName = "PerModuleClass";
  mine.hInstance = self;
  ASSERT_NE(RegisterClassA(&mine), 0);
  mine.hInstance = other;
  mine.style = CS_DBLCLKS;
  ASSERT_NE(RegisterClassA(&mine), 0);
  EXPECT_TRUE(GetClassInfoA(nullptr, "PerModuleClass", &info));
  EXPECT_EQ(info.style, 0u);
  EXPECT_TRUE(GetClassInfoA(other, "permoduleclass", &info));
  EXPECT_EQ(info.style, CS_DBLCLKS);
  EXPECT_TRUE(UnregisterClassA("PerModuleClass", other));
  EXPECT_TRUE(UnregisterClassA("PerModuleClass", nullptr));

  // Built-in classes are found after the program's own, and cannot be unregistered.
  WNDCLASSEXA system{};
  system.cbSize = sizeof(system);
  system.lpfnWndProc = DefWindowProcA;
  // Built-in classes stay for the life of the process: a fresh name per run of this test.
  static int runs = 0;
  char systemName[48];
  std::snprintf(systemName, sizeof systemName, "TreeTestSystemClass%d", ++runs);
  system.lpszClassName = systemName;
  ASSERT_NE(platform::user::RegisterSystemClass(system), 0);
  char lowered[48];
  std::snprintf(lowered, sizeof lowered, "treetestsystemclass%d", runs);
  EXPECT_TRUE(GetClassInfoA(nullptr, lowered, &info));
  EXPECT_FALSE(UnregisterClassA(systemName, nullptr));
}

BOOL CALLBACK Collect(HWND w, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
  return TRUE;
}

TEST_F(WindowTreeTest, RelationsAndEnumerationFollowTheTree) {
  HWND top = Make(WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, 0, "Main Window");
  HWND a = Make(WS_CHILD, 0, 0, 50, 50, top, 0, "A", reinterpret_cast<HMENU>(1));
  HWND b = Make(WS_CHILD, 0, 0, 50, 50, top, 0, "B", reinterpret_cast<HMENU>(2));
  HWND a1 = Make(WS_CHILD, 0, 0, 10, 10, a, 0, "A1", reinterpret_cast<HMENU>(3));
  HWND popup = Make(WS_POPUP, 0, 0, 10, 10, top);

  EXPECT_EQ(GetParent(a1), a);
  EXPECT_EQ(GetParent(top), nullptr);
  EXPECT_EQ(GetAncestor(a1, GA_ROOT), top);
  EXPECT_EQ(GetAncestor(a1, GA_PARENT), a);
  EXPECT_EQ(GetAncestor(top, GA_PARENT), GetDesktopWindow());
  EXPECT_TRUE(IsChild(top, a1));
  EXPECT_FALSE(IsChild(a1, top));
  EXPECT_FALSE(IsChild(top, popup));
  // Children keep their creation order from the top.
  EXPECT_EQ(GetWindow(top, GW_CHILD), a);
  EXPECT_EQ(GetTopWindow(top), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDPREV), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDLAST), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDFIRST), a);
  SetLastError(0);
  EXPECT_EQ(GetWindow(a, 99), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_GW_COMMAND);
  EXPECT_EQ(GetDlgItem(top, 3), nullptr);  // only direct children
  EXPECT_EQ(GetDlgItem(a, 3), a1);

  std::vector<HWND> all;
  EXPECT_TRUE(EnumChildWindows(top, Collect, reinterpret_cast<LPARAM>(&all)));
  EXPECT_EQ(all, (std::vector<HWND>{a, a1, b}));
  std::vector<HWND> tops;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&tops));
  EXPECT_EQ(tops.size(), 2u);
  EXPECT_NE(std::find(tops.begin(), tops.end(), top), tops.end());
  std::vector<HWND> mine;
  EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&mine));
  EXPECT_EQ(mine.size(), 2u);

  // A callback that destroys windows still listed neither crashes nor sees them.
  std::vector<HWND> seen;
  struct Ctx {
    std::vector<HWND>* seen;
    HWND victim;
  } ctx{&seen, b};
  EnumChildWindows(
      top,
      [](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(p);
        c->seen->push_back(w);
        if (c->seen->size() == 1) DestroyWindow(c->victim);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  EXPECT_EQ(seen, (std::vector<HWND>{a, a1}));

  EXPECT_EQ(FindWindowA(nullptr, "main window"), top);
  EXPECT_EQ(FindWindowA(ClassName(), "Nothing like it"), nullptr);
  EXPECT_EQ(FindWindowExA(top, nullptr, nullptr, "A"), a);
  EXPECT_EQ(FindWindowExA(top, a, nullptr, nullptr), nullptr);

  RECT desktop = WindowRect(GetDesktopWindow());
  const auto& screen = platform::gdi::Screen();
  EXPECT_EQ(Str(desktop), Str(0, 0, screen.width, screen.height));
  EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), GetTopWindow(nullptr));
}

TEST_F(WindowTreeTest, SetParentMovesWindowsBetweenParentsAndRefusesLoops) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, 100, 100, 300, 300);
  HWND box = Make(WS_CHILD | WS_VISIBLE, 50, 50, 100, 100, top);
  HWND item = Make(WS_CHILD | WS_VISIBLE, 10, 20, 30, 30, top);
  EXPECT_EQ(SetParent(item, box), top);
  EXPECT_EQ(GetParent(item), box);
  EXPECT_EQ(GetWindow(top, GW_CHILD), box);
  EXPECT_EQ(GetWindow(box, GW_HWNDNEXT), nullptr);
  // The same numbers, now inside the new parent.
  EXPECT_EQ(Str(WindowRect(item)), Str(160, 170, 190, 200));
  SetLastError(0);
  EXPECT_EQ(SetParent(box, item), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(SetParent(box, box), nullptr);
  EXPECT_EQ(GetParent(box), top);
  // To the desktop: a top-level window at the same screen numbers.
  EXPECT_EQ(SetParent(item, nullptr), box);
  EXPECT_EQ(GetAncestor(item, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(Str(WindowRect(item)), Str(10, 20, 40, 50));
  EXPECT_EQ(SetParent(item, top), GetDesktopWindow());
  EXPECT_TRUE(IsChild(top, item));
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> out;
  for (HWND w = GetWindow(parent, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    out.push_back(w);
  }
  return out;
}

TEST_F(WindowTreeTest, ZOrderFollowsSetWindowPos) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
  HWND a = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top);
  HWND b = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top);
  HWND c = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top);
  const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, keep);
  EXPECT_EQ(ChildrenOf(top), (std::vector<HWND>{c, a, b}));
  SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, keep);
  EXPECT_EQ(ChildrenOf(top), (std::vector<HWND>{a, b, c}));
  SetWindowPos(a, b, 0, 0, 0, 0, keep);
  EXPECT_EQ(ChildrenOf(top), (std::vector<HWND>{b, a, c}));
  SetWindowPos(c, HWND_TOPMOST, 0, 0, 0, 0, keep);  // a child just goes to the top
  EXPECT_EQ(ChildrenOf(top), (std::vector<HWND>{c, b, a}));
  // SWP_NOZORDER keeps the place whatever insert-after says.
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, keep | SWP_NOZORDER);
  EXPECT_EQ(ChildrenOf(top), (std::vector<HWND>{c, b, a}));
  SetLastError(0);
  EXPECT_FALSE(
      SetWindowPos(a, reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7654320)), 0, 0, 0, 0, keep));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);

  // Top-level: topmost windows stay in front of the rest.
  HWND pinned = Make(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, WS_EX_TOPMOST);
  HWND plain = Make(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  EXPECT_EQ(GetTopWindow(nullptr), pinned);
  EXPECT_EQ(GetWindow(pinned, GW_HWNDNEXT), plain);
  SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, keep);
  EXPECT_EQ(GetTopWindow(nullptr), pinned);
  SetWindowPos(plain, HWND_TOPMOST, 0, 0, 0, 0, keep);
  EXPECT_EQ(GetTopWindow(nullptr), plain);
  EXPECT_NE(GetWindowLongPtrA(plain, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  SetWindowPos(plain, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
  EXPECT_EQ(GetWindowLongPtrA(plain, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(GetTopWindow(nullptr), pinned);
  EXPECT_EQ(GetWindow(pinned, GW_HWNDNEXT), plain);
  SetWindowPos(pinned, HWND_BOTTOM, 0, 0, 0, 0, keep);
  EXPECT_EQ(GetWindowLongPtrA(pinned, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(GetWindow(pinned, GW_HWNDNEXT), nullptr);

  // Owned windows stay above their owner when the owner comes to the top.
  HWND owner = Make(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  HWND owned = Make(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, owner);
  HWND ownedByOwned = Make(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, owned);
  SetWindowPos(plain, HWND_TOP, 0, 0, 0, 0, keep);
  EXPECT_EQ(GetTopWindow(nullptr), plain);
  SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, keep);
  EXPECT_EQ(GetTopWindow(nullptr), ownedByOwned);
  EXPECT_EQ(GetWindow(ownedByOwned, GW_HWNDNEXT), owned);
  EXPECT_EQ(GetWindow(owned, GW_HWNDNEXT), owner);
  SetWindowPos(owned, HWND_BOTTOM, 0, 0, 0, 0, keep);
  EXPECT_EQ(GetWindow(owned, GW_HWNDNEXT), owner);
}

TEST_F(WindowTreeTest, SetWindowPosLetsTheWindowAdjustAndReportsWhatChanged) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
  HWND w = Make(WS_CHILD | WS_VISIBLE, 10, 10, 100, 50, top);
  Record().handlers[w] = [](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (message == WM_WINDOWPOSCHANGING) {
      auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
      if (pos->cx > 150) pos->cx = 150;
    }
    return std::nullopt;
  };
  Take();
  EXPECT_TRUE(SetWindowPos(w, nullptr, 20, 30, 400, 60, SWP_NOZORDER));
  auto log = Take();
  EXPECT_EQ(Only(log, {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}),
            (std::vector<std::pair<HWND, UINT>>{{w, WM_WINDOWPOSCHANGING},
                                                {w, WM_NCCALCSIZE},
                                                {w, WM_WINDOWPOSCHANGED},
                                                {w, WM_MOVE},
                                                {w, WM_SIZE}}));
  for (const Entry& e : log) {
    if (e.message == WM_SIZE) {
      EXPECT_EQ(e.lParam, MAKELPARAM(150, 60));
    }
    if (e.message == WM_MOVE) {
      EXPECT_EQ(e.lParam, MAKELPARAM(20, 30));
    }
  }
  EXPECT_EQ(Str(WindowRect(w)), Str(20, 30, 170, 90));

  // Only a move: no WM_NCCALCSIZE, no WM_SIZE.
  EXPECT_TRUE(MoveWindow(w, 25, 30, 150, 60, TRUE));
  log = Take();
  EXPECT_EQ(Count(log, w, WM_NCCALCSIZE), 0u);
  EXPECT_EQ(Count(log, w, WM_SIZE), 0u);
  EXPECT_EQ(Count(log, w, WM_MOVE), 1u);

  // Nothing at all changes: still the pair of notifications, but no WM_MOVE or WM_SIZE.
  SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  log = Take();
  EXPECT_EQ(Count(log, w, WM_WINDOWPOSCHANGED), 1u);
  EXPECT_EQ(Count(log, w, WM_MOVE) + Count(log, w, WM_SIZE), 0u);

  // SWP_NOSENDCHANGING skips the chance to adjust.
  SetWindowPos(w, nullptr, 0, 0, 300, 60, SWP_NOMOVE | SWP_NOZORDER | SWP_NOSENDCHANGING);
  EXPECT_EQ(Count(Take(), w, WM_WINDOWPOSCHANGING), 0u);
  EXPECT_EQ(WindowRect(w).right - WindowRect(w).left, 300);

  // Show and hide through SetWindowPos.
  SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
  EXPECT_FALSE(IsWindowVisible(w));
  SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  EXPECT_TRUE(IsWindowVisible(w));
  // Negative sizes become empty windows.
  SetWindowPos(w, nullptr, 0, 0, -10, -10, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Str(ClientRect(w)), Str(0, 0, 0, 0));
}

TEST_F(WindowTreeTest, CoordinatesMapBetweenWindowsAndTheScreen) {
  HWND top = Make(WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 100, 50, 400, 300);
  HWND child = Make(WS_CHILD | WS_VISIBLE, 20, 10, 100, 100, top);
  HWND grandchild = Make(WS_CHILD | WS_VISIBLE | WS_BORDER, 5, 5, 50, 50, child);
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 100 + 6 + 20);
  EXPECT_EQ(p.y, 50 + 30 + 10);
  ScreenToClient(top, &p);
  EXPECT_EQ(p.x, 20);
  EXPECT_EQ(p.y, 10);
  POINT points[2] = {{1, 2}, {3, 4}};
  int packed = MapWindowPoints(grandchild, top, points, 2);
  EXPECT_EQ(points[0].x, 1 + 20 + 5 + 1);
  EXPECT_EQ(points[1].y, 4 + 10 + 5 + 1);
  EXPECT_EQ(static_cast<short>(LOWORD(static_cast<uint32_t>(packed))), 26);
  EXPECT_EQ(static_cast<short>(HIWORD(static_cast<uint32_t>(packed))), 16);
  POINT back{0, 0};
  packed = MapWindowPoints(nullptr, child, &back, 1);
  EXPECT_EQ(back.x, -126);
  EXPECT_EQ(static_cast<short>(LOWORD(static_cast<uint32_t>(packed))), -126);
  EXPECT_EQ(Str(WindowRect(grandchild)), Str(131, 95, 181, 145));
  EXPECT_EQ(Str(ClientRect(grandchild)), Str(0, 0, 48, 48));

  // Points: the deepest visible, enabled window; hidden and disabled ones are looked through.
  EXPECT_EQ(WindowFromPoint({135, 100}), grandchild);
  EXPECT_EQ(WindowFromPoint({110, 60}), top);  // the caption
  EXPECT_EQ(WindowFromPoint({5, 5}), nullptr);
  EnableWindow(grandchild, FALSE);
  EXPECT_EQ(WindowFromPoint({135, 100}), child);
  ShowWindow(child, SW_HIDE);
  EXPECT_EQ(WindowFromPoint({135, 100}), top);
  ShowWindow(child, SW_SHOWNA);

  // Child lookups in parent client coordinates, one level only.
  EXPECT_EQ(ChildWindowFromPoint(top, {30, 20}), child);
  EXPECT_EQ(ChildWindowFromPoint(top, {300, 200}), top);
  EXPECT_EQ(ChildWindowFromPoint(top, {-5, 20}), nullptr);
  EXPECT_EQ(ChildWindowFromPointEx(child, {10, 10}, CWP_ALL), grandchild);
  EXPECT_EQ(ChildWindowFromPointEx(child, {10, 10}, CWP_SKIPDISABLED), child);
  ShowWindow(grandchild, SW_HIDE);
  EXPECT_EQ(ChildWindowFromPointEx(child, {10, 10}, CWP_ALL), grandchild);
  EXPECT_EQ(ChildWindowFromPointEx(child, {10, 10}, CWP_SKIPINVISIBLE), child);
}

TEST_F(WindowTreeTest, ShowWindowReportsVisibilityAndRemembersThePlacement) {
  HWND w = Make(WS_OVERLAPPEDWINDOW, 100, 100, 400, 300);
  Take();
  EXPECT_FALSE(ShowWindow(w, SW_SHOWNA));
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_TRUE(ShowWindow(w, SW_SHOW));
  auto log = Take();
  EXPECT_EQ(Count(log, w, WM_SHOWWINDOW), 1u);  // only when visibility changed
  EXPECT_EQ(GetActiveWindow(), w);

  EXPECT_TRUE(ShowWindow(w, SW_MAXIMIZE));
  EXPECT_TRUE(IsZoomed(w));
  const auto& screen = platform::gdi::Screen();
  EXPECT_EQ(Str(WindowRect(w)), Str(0, 0, screen.width, screen.height));
  bool sizedMaximized = false;
  for (const Entry& e : Take()) {
    if (e.message == WM_SIZE && e.wParam == SIZE_MAXIMIZED) sizedMaximized = true;
  }
  EXPECT_TRUE(sizedMaximized);

  EXPECT_TRUE(ShowWindow(w, SW_MINIMIZE));
  EXPECT_TRUE(IsIconic(w));
  EXPECT_FALSE(IsZoomed(w));
  EXPECT_LT(WindowRect(w).left, -10000);
  // Minimised from maximised: restore brings it back maximised, then to its normal place.
  ShowWindow(w, SW_RESTORE);
  EXPECT_TRUE(IsZoomed(w));
  ShowWindow(w, SW_RESTORE);
  EXPECT_FALSE(IsZoomed(w));
  EXPECT_FALSE(IsIconic(w));
  EXPECT_EQ(Str(WindowRect(w)), Str(100, 100, 500, 400));

  Take();
  EXPECT_TRUE(ShowWindow(w, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_FALSE(ShowWindow(w, SW_HIDE));
  log = Take();
  EXPECT_EQ(Count(log, w, WM_SHOWWINDOW), 1u);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  SetLastError(0);
  EXPECT_FALSE(ShowWindow(w, 99));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_SHOWWIN_COMMAND);

  // A child is visible only while its parent is.
  HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, w);
  EXPECT_FALSE(IsWindowVisible(child));
  ShowWindow(w, SW_SHOWNA);
  EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(WindowTreeTest, EnableWindowAnnouncesChangesAndReportsThePreviousState) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top);
  SetFocus(child);
  Take();
  EXPECT_FALSE(EnableWindow(top, FALSE));  // was enabled
  EXPECT_FALSE(IsWindowEnabled(top));
  EXPECT_EQ(GetFocus(), nullptr);  // a disabled ancestor takes the focus away
  EXPECT_TRUE(EnableWindow(top, FALSE));
  auto log = Take();
  EXPECT_EQ(Count(log, top, WM_ENABLE), 1u);
  EXPECT_EQ(Count(log, child, WM_KILLFOCUS), 1u);
  EXPECT_EQ(SetFocus(child), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_TRUE(EnableWindow(top, TRUE));
  EXPECT_TRUE(IsWindowEnabled(top));
  EXPECT_EQ(Count(Take(), top, WM_ENABLE), 1u);

  HWND disabled = Make(WS_CHILD | WS_VISIBLE | WS_DISABLED, 0, 0, 10, 10, top);
  EXPECT_FALSE(IsWindowEnabled(disabled));
  EXPECT_EQ(SetFocus(disabled), nullptr);
}

TEST_F(WindowTreeTest, TextAndPropertiesBelongToTheWindow) {
  HWND w = Make(WS_POPUP, 0, 0, 10, 10, nullptr, 0, "start");
  // "照片": a GBK text is never cut inside a character.
  EXPECT_TRUE(SetWindowTextA(w, "ab\xD5\xD5\xC6\xAC"));
  EXPECT_EQ(GetWindowTextLengthA(w), 6);
  char buffer[8];
  EXPECT_EQ(GetWindowTextA(w, buffer, 4), 2);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(GetWindowTextA(w, buffer, 5), 4);
  EXPECT_STREQ(buffer, "ab\xD5\xD5");
  EXPECT_TRUE(SetWindowTextA(w, nullptr));
  EXPECT_EQ(GetWindowTextLengthA(w), 0);

  int value = 0;
  EXPECT_TRUE(SetPropA(w, "Tag", &value));
  EXPECT_EQ(GetPropA(w, "TAG"), &value);
  auto atom = reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(0xC123));
  EXPECT_TRUE(SetPropA(w, atom, w));
  EXPECT_EQ(GetPropA(w, atom), w);
  EXPECT_EQ(RemovePropA(w, "tag"), &value);
  EXPECT_EQ(GetPropA(w, "Tag"), nullptr);
  EXPECT_EQ(RemovePropA(w, "Tag"), nullptr);
}

}  // namespace
