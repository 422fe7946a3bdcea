// The menu loop driven as a person would: the mouse on the bar and in popups, Alt and
// access keys, arrows, Enter and Esc, and TrackPopupMenu. The loop asks its owner for work
// when idle (WM_ENTERIDLE); the scripts answer with the next input.
#include "platform/testing/InputAutomation.h"
#include "tests/platform/controls/MenuTestSupport.h"

namespace {

using namespace window_test;
using menu_test::MenuScript;
using menu_test::PopupItem;
using platform::testing::ClickAt;
using platform::testing::KeyDown;
using platform::testing::KeyUp;
using platform::testing::MouseMove;
using platform::testing::PressKey;
using platform::testing::RunUntilIdle;

enum : UINT { kNew = 100, kOpen, kSave, kExit, kRecentA, kRecentB, kUndo, kCopy };

class MenuTrackingTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    recent_ = CreatePopupMenu();
    AppendMenuA(recent_, MF_STRING, kRecentA, "&Alpha");
    AppendMenuA(recent_, MF_STRING, kRecentB, "&Beta");
    file_ = CreatePopupMenu();
    AppendMenuA(file_, MF_STRING, kNew, "&New\tCtrl+N");
    AppendMenuA(file_, MF_STRING, kOpen, "&Open...\tCtrl+O");
    AppendMenuA(file_, MF_STRING | MF_GRAYED, kSave, "&Save\tCtrl+S");
    AppendMenuA(file_, MF_POPUP, reinterpret_cast<UINT_PTR>(recent_), "&Recent");
    AppendMenuA(file_, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file_, MF_STRING, kExit, "E&xit");
    edit_ = CreatePopupMenu();
    AppendMenuA(edit_, MF_STRING, kUndo, "&Undo");
    AppendMenuA(edit_, MF_STRING, kCopy, "&Copy");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file_), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit_), "&Edit");
    window_ = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr, 0, "Menus", bar);
    SetForegroundWindow(window_);
    SetFocus(window_);
    RunUntilIdle();
    script_.Attach(window_);
    Take();
  }
  void TearDown() override {
    HMENU bar = GetMenu(window_);
    WindowTest::TearDown();
    DestroyMenu(bar);
  }

  // Bar items in screen coordinates: the bar lies under the 8 + 24 pixel frame top.
  POINT BarPoint(int x) const {
    RECT r = WindowRect(window_);
    return {r.left + 8 + x, r.top + 8 + 24 + 10};
  }
  POINT FileItem() const { return BarPoint(12); }
  POINT EditItem() const {
    // Past "File" and its padding; "Edit" starts well before 60 pixels in.
    return BarPoint(50);
  }

  HWND window_ = nullptr;
  HMENU file_ = nullptr, edit_ = nullptr, recent_ = nullptr;
  MenuScript script_;
};

TEST_F(MenuTrackingTest, ClickingABarItemThenAnItemSendsItsCommand) {
  script_.steps = {
      [&](HWND popup) {
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(script_.initPopups.size(), 1u);
        ClickAt(PopupItem(popup, 1));
      },
  };
  ClickAt(FileItem());
  RunUntilIdle();
  ASSERT_EQ(script_.commands.size(), 1u);
  EXPECT_EQ(script_.commands[0], kOpen);
  EXPECT_EQ(script_.commandSources[0], 0) << "HIWORD 0 for menus";
  EXPECT_EQ(script_.idleAfterEnd, 0);
  // The loop announces itself, initialises the bar, then each popup before it shows.
  std::vector<UINT> expected = {WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_EXITMENULOOP};
  EXPECT_EQ(script_.order, expected);
  EXPECT_EQ(script_.initPopups[0], file_);
  EXPECT_EQ(GetCapture(), nullptr) << "the loop gives the mouse back";
}

TEST_F(MenuTrackingTest, GrayedItemsAndSeparatorsAreNotChosenAndOutsideClicksCancel) {
  script_.steps = {
      [&](HWND popup) { ClickAt(PopupItem(popup, 2)); },  // Save: grayed
      [&](HWND popup) {
        RECT r{};
        GetWindowRect(popup, &r);
        ClickAt({r.left + 40, r.top + 3 + 4 * 20 + 4});  // the separator's middle
      },
      [&](HWND) {
        RECT r = WindowRect(window_);
        ClickAt({r.left + 200, r.top + 200});  // the client area: cancels
      },
  };
  ClickAt(FileItem());
  RunUntilIdle();
  EXPECT_TRUE(script_.commands.empty());
  EXPECT_EQ(script_.next, 3u);
  EXPECT_EQ(script_.idleAfterEnd, 0) << "the outside click ended the loop";
}

TEST_F(MenuTrackingTest, HoverOpensSubmenusAndSlidingAlongTheBarSwitchesMenus) {
  std::vector<HMENU> seen;
  script_.steps = {
      [&](HWND popup) { MouseMove(PopupItem(popup, 3)); },  // Recent: opens its submenu
      [&](HWND popup) {
        RECT r{};
        GetWindowRect(popup, &r);
        seen.push_back(script_.initPopups.back());
        MouseMove(EditItem());  // slide to Edit
      },
      [&](HWND popup) {
        seen.push_back(script_.initPopups.back());
        ClickAt(PopupItem(popup, 1));  // Copy
      },
  };
  ClickAt(FileItem());
  RunUntilIdle();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], recent_);
  EXPECT_EQ(seen[1], edit_);
  ASSERT_EQ(script_.commands.size(), 1u);
  EXPECT_EQ(script_.commands[0], kCopy);
}

TEST_F(MenuTrackingTest, AltAndAnAccessKeyOpenThatMenuAndArrowsAndEnterChoose) {
  script_.steps = {
      [&](HWND popup) {
        EXPECT_EQ(script_.initPopups.back(), file_);
        EXPECT_NE(popup, nullptr);
        PressKey(VK_DOWN);  // New is selected first; down to Open
      },
      [&](HWND) { PressKey(VK_RETURN); },
  };
  KeyDown(VK_MENU);
  PressKey('F');
  KeyUp(VK_MENU);
  RunUntilIdle();
  ASSERT_EQ(script_.commands.size(), 1u);
  EXPECT_EQ(script_.commands[0], kOpen);
}

TEST_F(MenuTrackingTest, ArrowsSkipSeparatorsEnterSubmenusAndCrossTheBar) {
  script_.steps = {
      // New(0) Open(1) Save(2, grayed but selectable) Recent(3) sep Exit(5): up wraps to Exit.
      [&](HWND) { PressKey(VK_UP); },
      [&](HWND) { PressKey(VK_UP); },     // skips the separator to Recent
      [&](HWND) { PressKey(VK_RIGHT); },  // opens Recent with Alpha selected
      [&](HWND) {
        EXPECT_EQ(script_.initPopups.back(), recent_);
        PressKey(VK_DOWN);
      },
      [&](HWND) { PressKey(VK_RETURN); },  // Beta
  };
  KeyDown(VK_MENU);
  PressKey('F');
  KeyUp(VK_MENU);
  RunUntilIdle();
  ASSERT_EQ(script_.commands.size(), 1u);
  EXPECT_EQ(script_.commands[0], kRecentB);

  // Right from a plain item moves to the next menu on the bar.
  script_.steps = {[&](HWND) { PressKey(VK_RIGHT); },
                   [&](HWND) {
                     EXPECT_EQ(script_.initPopups.back(), edit_);
                     PressKey('C');
                   }};
  script_.next = 0;
  script_.commands.clear();
  KeyDown(VK_MENU);
  PressKey('F');
  KeyUp(VK_MENU);
  RunUntilIdle();
  ASSERT_EQ(script_.commands.size(), 1u);
  EXPECT_EQ(script_.commands[0], kCopy) << "the access key chooses at once";
}

TEST_F(MenuTrackingTest, EscClosesOneLevelAtATimeAndAltAloneSelectsTheBar) {
  int popupsWhenIdle = 0;
  script_.steps = {
      // Alt alone: the bar is selected, nothing open yet.
      [&](HWND popup) {
        EXPECT_EQ(popup, nullptr);
        EXPECT_TRUE(script_.initPopups.empty());
        PressKey(VK_DOWN);  // opens File
      },
      [&](HWND popup) {
        EXPECT_NE(popup, nullptr);
        popupsWhenIdle = 1;
        PressKey(VK_ESCAPE);  // closes File, the bar stays selected
      },
      [&](HWND popup) {
        EXPECT_EQ(popup, nullptr);
        PressKey(VK_ESCAPE);  // leaves the bar
      },
  };
  KeyDown(VK_MENU);
  KeyUp(VK_MENU);
  RunUntilIdle();
  EXPECT_EQ(popupsWhenIdle, 1);
  EXPECT_EQ(script_.next, 3u);
  EXPECT_EQ(script_.idleAfterEnd, 0);
  EXPECT_TRUE(script_.commands.empty());

  // F10 does what Alt alone does; Enter on a grayed item does nothing.
  script_.steps = {[&](HWND) { PressKey(VK_RETURN); }, [&](HWND) { PressKey(VK_DOWN); },
                   [&](HWND) { PressKey(VK_DOWN); },  // Save (grayed)
                   [&](HWND) { PressKey(VK_RETURN); },
                   [&](HWND popup) {
                     EXPECT_NE(popup, nullptr) << "still open";
                     PressKey(VK_MENU);
                   }};
  script_.next = 0;
  PressKey(VK_F10);
  RunUntilIdle();
  EXPECT_EQ(script_.next, 5u);
  EXPECT_TRUE(script_.commands.empty());
  EXPECT_EQ(script_.idleAfterEnd, 0);
}

TEST_F(MenuTrackingTest, AltReleasedAfterAKeyTheProgramHandledLeavesTheBarAlone) {
  // A program that takes Alt+X for itself never dispatches it; releasing Alt afterwards is
  // not "Alt alone". Should the bar be selected anyway, the script leaves it again.
  script_.steps = {[&](HWND) { PressKey(VK_ESCAPE); }};
  KeyDown(VK_MENU);
  PressKey('X');
  KeyUp(VK_MENU);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_SYSKEYDOWN && msg.wParam == 'X') continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(script_.next, 0u);
}

TEST_F(MenuTrackingTest, InitMenuPopupMayChangeItemsBeforeTheyShow) {
  // The program greys Open when the menu is about to show; the click on it does nothing.
  script_.Attach(window_, [&](HWND, UINT m, WPARAM wp, LPARAM) {
    if (m == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(wp) == file_) {
      EnableMenuItem(file_, kOpen, MF_BYCOMMAND | MF_GRAYED);
    }
  });
  script_.steps = {[&](HWND popup) { ClickAt(PopupItem(popup, 1)); },
                   [&](HWND popup) { ClickAt(PopupItem(popup, 0)); }};
  ClickAt(FileItem());
  RunUntilIdle();
  ASSERT_EQ(script_.commands.size(), 1u);
  EXPECT_EQ(script_.commands[0], kNew);
}

TEST_F(MenuTrackingTest, TheOpenBarItemIsDrawnHighlightedUntilTheLoopEnds) {
  COLORREF during = 0;
  script_.steps = {[&](HWND) {
    platform::testing::Image shot = platform::testing::CaptureWindow(window_);
    during = shot.ColorAt(8 + 3, 8 + 24 + 3);
    PressKey(VK_ESCAPE);
    PressKey(VK_ESCAPE);
  }};
  ClickAt(FileItem());
  RunUntilIdle();
  EXPECT_EQ(during, GetSysColor(COLOR_HIGHLIGHT));
  platform::testing::Image after = platform::testing::CaptureWindow(window_);
  EXPECT_EQ(after.ColorAt(8 + 3, 8 + 24 + 3), GetSysColor(COLOR_MENUBAR));
}

TEST_F(MenuTrackingTest, TrackPopupMenuReturnsOrSendsTheCommand) {
  HMENU context = CreatePopupMenu();
  AppendMenuA(context, MF_STRING, 7, "&Cut");
  AppendMenuA(context, MF_STRING, 8, "C&opy");
  script_.steps = {[&](HWND popup) {
    RECT r{};
    GetWindowRect(popup, &r);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 160);
    ClickAt(PopupItem(popup, 1));
  }};
  BOOL result =
      TrackPopupMenu(context, TPM_RETURNCMD | TPM_LEFTALIGN, 150, 160, 0, window_, nullptr);
  EXPECT_EQ(result, 8);
  RunUntilIdle();
  EXPECT_TRUE(script_.commands.empty()) << "TPM_RETURNCMD sends nothing";

  // Without it the command arrives as WM_COMMAND; right alignment puts the popup left of x.
  script_.steps = {[&](HWND popup) {
    RECT r{};
    GetWindowRect(popup, &r);
    EXPECT_EQ(r.right, 300);
    PressKey('O');
  }};
  script_.next = 0;
  EXPECT_TRUE(TrackPopupMenu(context, TPM_RIGHTALIGN, 300, 160, 0, window_, nullptr));
  RunUntilIdle();
  ASSERT_EQ(script_.commands.size(), 1u);
  EXPECT_EQ(script_.commands[0], 8u);

  // Cancelled: 0 with TPM_RETURNCMD.
  script_.steps = {[&](HWND) { PressKey(VK_ESCAPE); }};
  script_.next = 0;
  EXPECT_EQ(TrackPopupMenu(context, TPM_RETURNCMD, 10, 10, 0, window_, nullptr), 0);
  // Bad handles are refused without a loop.
  EXPECT_FALSE(TrackPopupMenu(reinterpret_cast<HMENU>(static_cast<uintptr_t>(0x99)), 0, 0, 0, 0,
                              window_, nullptr));
  EXPECT_FALSE(TrackPopupMenu(context, 0, 0, 0, 0, nullptr, nullptr));
  DestroyMenu(context);
}

TEST_F(MenuTrackingTest, OwnerDestroyedDuringTheLoopEndsItSafely) {
  script_.steps = {[&](HWND) { DestroyWindow(window_); }};
  ClickAt(FileItem());
  RunUntilIdle();
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(script_.commands.empty());
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
