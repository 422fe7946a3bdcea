// A parent may destroy a control from inside any notification the control sends, while
// the control's procedure is still on the stack below it. Each control must finish that
// message without touching freed state (the sanitizer build is what sees a slip) and the
// parent must go on working.
#include <functional>
#include <string>
#include <vector>

#include "platform/commctrl.h"
#include "tests/platform/controls/ListsTestSupport.h"

namespace {

using namespace lists_test;

struct Case {
  const char* what;
  const char* cls;
  DWORD style;
  UINT message;  // what the parent hears: WM_COMMAND (with `code`), WM_HSCROLL or WM_VSCROLL
  int code;
  std::function<void(HWND)> fill;  // items and state before the input
  std::function<void(HWND)> input;
};

void Items(HWND control, UINT add) {
  for (const char* text : {"alpha", "beta", "gamma", "delta"})
    SendMessageA(control, add, 0, reinterpret_cast<LPARAM>(text));
}

POINT Centre(HWND control) {
  RECT r = WindowRect(control);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Click(HWND control) {
  automation::ClickAt(Centre(control));
}

void FocusAndPress(HWND control, int key) {
  SetFocus(control);
  automation::RunUntilIdle();
  automation::PressKey(key);
}

void FocusAndType(HWND control, const char* text) {
  SetFocus(control);
  automation::RunUntilIdle();
  automation::TypeGbk(text);
}

class DestroyedByParent : public ControlTest {};

TEST_F(DestroyedByParent, EveryControlFinishesTheMessageThatDestroyedIt) {
  const std::vector<Case> cases = {
      {"push button clicked", "BUTTON", BS_PUSHBUTTON, WM_COMMAND, BN_CLICKED, nullptr, Click},
      {"check box toggled by space", "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, WM_COMMAND, BN_CLICKED,
       nullptr, [](HWND c) { FocusAndPress(c, VK_SPACE); }},
      {"label clicked", "STATIC", SS_NOTIFY, WM_COMMAND, STN_CLICKED, nullptr, Click},
      {"edit about to show typing", "EDIT", WS_BORDER, WM_COMMAND, EN_UPDATE, nullptr,
       [](HWND c) { FocusAndType(c, "a"); }},
      {"edit changed by typing", "EDIT", WS_BORDER, WM_COMMAND, EN_CHANGE, nullptr,
       [](HWND c) { FocusAndType(c, "a"); }},
      {"edit full", "EDIT", WS_BORDER, WM_COMMAND, EN_MAXTEXT,
       [](HWND c) { SendMessageA(c, EM_LIMITTEXT, 1, 0); }, [](HWND c) { FocusAndType(c, "ab"); }},
      {"edit focused by a click", "EDIT", WS_BORDER, WM_COMMAND, EN_SETFOCUS, nullptr, Click},
      {"list clicked", "LISTBOX", LBS_NOTIFY | WS_BORDER, WM_COMMAND, LBN_SELCHANGE,
       [](HWND c) { Items(c, LB_ADDSTRING); },
       [](HWND c) {
         RECT r = WindowRect(c);
         automation::ClickAt({r.left + 10, r.top + 5});
       }},
      {"list moved by a key", "LISTBOX", LBS_NOTIFY | WS_BORDER, WM_COMMAND, LBN_SELCHANGE,
       [](HWND c) { Items(c, LB_ADDSTRING); }, [](HWND c) { FocusAndPress(c, VK_DOWN); }},
      {"drop-down list moved by a key", "COMBOBOX", CBS_DROPDOWNLIST, WM_COMMAND, CBN_SELCHANGE,
       [](HWND c) { Items(c, CB_ADDSTRING); }, [](HWND c) { FocusAndPress(c, VK_DOWN); }},
      {"scroll bar arrow pressed", "SCROLLBAR", SBS_HORZ, WM_HSCROLL, SB_LINEUP,
       [](HWND c) { SetScrollRange(c, SB_CTL, 0, 10, FALSE), SetScrollPos(c, SB_CTL, 5, FALSE); },
       [](HWND c) {
         RECT r = WindowRect(c);
         automation::ClickAt({r.left + 3, (r.top + r.bottom) / 2});
       }},
      {"trackbar moved by a key", TRACKBAR_CLASSA, 0, WM_HSCROLL, TB_LINEDOWN, nullptr,
       [](HWND c) { FocusAndPress(c, VK_RIGHT); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND control = Child(c.cls, c.style, 20, 20, 160, c.message == WM_COMMAND ? 60 : 20, 300);
    ASSERT_NE(control, nullptr);
    if (c.fill) c.fill(control);
    automation::RunUntilIdle();
    int heard = 0;
    Record().handlers[parent_] = [&](HWND, UINT message, WPARAM wParam,
                                     LPARAM lParam) -> std::optional<LRESULT> {
      const bool fromControl = message == WM_COMMAND
                                   ? reinterpret_cast<HWND>(lParam) == control &&
                                         HIWORD(static_cast<DWORD>(wParam)) == c.code
                                   : reinterpret_cast<HWND>(lParam) == control &&
                                         LOWORD(static_cast<DWORD>(wParam)) == c.code;
      if (message == c.message && fromControl && IsWindow(control)) {
        ++heard;
        DestroyWindow(control);
        return 0;
      }
      return std::nullopt;
    };
    c.input(control);
    automation::RunUntilIdle();
    Record().handlers.erase(parent_);
    EXPECT_EQ(heard, 1) << "the notification came, once";
    EXPECT_FALSE(IsWindow(control));
    // The parent is still whole: it takes a new child and paints.
    HWND next = Child("BUTTON", BS_PUSHBUTTON, 20, 20, 80, 24, 301);
    EXPECT_TRUE(IsWindow(next));
    DestroyWindow(next);
    Take();
  }
}

}  // namespace
