// Keyboard focus and activation: the messages each change sends, who may take the focus,
// and where focus and activation go when windows are hidden, destroyed or clicked.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "platform/testing/InputAutomation.h"
#include "tests/platform/user/WindowTestSupport.h"

namespace {

using namespace window_test;

class FocusTest : public WindowTest {};

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Seen& o) const {
    return hwnd == o.hwnd && message == o.message && wParam == o.wParam && lParam == o.lParam;
  }
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
  return out << s.hwnd << ":" << std::hex << s.message << "(" << s.wParam << "," << s.lParam << ")"
             << std::dec;
}

std::vector<Seen> FocusMessages(const std::vector<Entry>& log) {
  std::vector<Seen> out;
  for (const Entry& e : log) {
    switch (e.message) {
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
      case WM_ACTIVATE:
      case WM_NCACTIVATE:
      case WM_ACTIVATEAPP:
        // The thread id in WM_ACTIVATEAPP and the minimised flag are not what we check.
        out.push_back({e.hwnd, e.message, e.message == WM_ACTIVATE ? LOWORD(e.wParam) : e.wParam,
                       e.message == WM_ACTIVATEAPP || e.message == WM_NCACTIVATE ? 0 : e.lParam});
        break;
      default:
        break;
    }
  }
  return out;
}

LPARAM L(HWND w) {
  return reinterpret_cast<LPARAM>(w);
}
WPARAM W(HWND w) {
  return reinterpret_cast<WPARAM>(w);
}

TEST_F(FocusTest, SetFocusMovesFocusWithKillAndSetMessages) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
  HWND a = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top);
  HWND b = Make(WS_CHILD | WS_VISIBLE, 60, 0, 50, 50, top);
  EXPECT_EQ(GetFocus(), top);  // activation gave the new window the focus
  Take();
  EXPECT_EQ(SetFocus(a), top);
  EXPECT_EQ(SetFocus(b), a);
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(FocusMessages(Take()), (std::vector<Seen>{{top, WM_KILLFOCUS, W(a), 0},
                                                      {a, WM_SETFOCUS, W(top), 0},
                                                      {a, WM_KILLFOCUS, W(b), 0},
                                                      {b, WM_SETFOCUS, W(a), 0}}));
  // The same window again: nothing happens.
  EXPECT_EQ(SetFocus(b), b);
  EXPECT_TRUE(FocusMessages(Take()).empty());

  // Hidden and disabled windows are refused and the focus stays.
  ShowWindow(a, SW_HIDE);
  EXPECT_EQ(SetFocus(a), nullptr);
  ShowWindow(a, SW_SHOWNA);
  EnableWindow(a, FALSE);
  EXPECT_EQ(SetFocus(a), nullptr);
  EXPECT_EQ(GetFocus(), b);

  // A losing window that moves the focus itself keeps that choice.
  EnableWindow(a, TRUE);
  Record().handlers[b] = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_KILLFOCUS) SetFocus(top);
    return std::nullopt;
  };
  SetFocus(a);
  EXPECT_EQ(GetFocus(), top);
  Record().handlers.erase(b);

  EXPECT_EQ(SetFocus(nullptr), top);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(FocusTest, ActivationSwitchesBetweenTopLevelWindows) {
  Take();
  HWND first = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
  auto log = FocusMessages(Take());
  // Activation enters the program: WM_ACTIVATEAPP before the window's own activation.
  EXPECT_EQ(log, (std::vector<Seen>{{first, WM_ACTIVATEAPP, TRUE, 0},
                                    {first, WM_NCACTIVATE, TRUE, 0},
                                    {first, WM_ACTIVATE, WA_ACTIVE, 0},
                                    {first, WM_SETFOCUS, 0, 0}}));
  HWND second = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 200);
  HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, first);
  Take();
  EXPECT_EQ(GetActiveWindow(), second);
  EXPECT_EQ(GetTopWindow(nullptr), second);

  // Focusing a child of the inactive window activates that window first.
  EXPECT_EQ(SetFocus(child), second);
  log = FocusMessages(Take());
  EXPECT_EQ(log, (std::vector<Seen>{{second, WM_NCACTIVATE, FALSE, 0},
                                    {second, WM_ACTIVATE, WA_INACTIVE, L(first)},
                                    {first, WM_NCACTIVATE, TRUE, 0},
                                    {first, WM_ACTIVATE, WA_ACTIVE, L(second)},
                                    {second, WM_KILLFOCUS, W(first), 0},
                                    {first, WM_SETFOCUS, W(second), 0},
                                    {first, WM_KILLFOCUS, W(child), 0},
                                    {child, WM_SETFOCUS, W(first), 0}}));
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(GetForegroundWindow(), first);
  EXPECT_EQ(GetTopWindow(nullptr), first);

  // A window that handles WM_ACTIVATE itself still takes the focus from the other window.
  Record().handlers[second] = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_ACTIVATE) return 0;
    return std::nullopt;
  };
  EXPECT_EQ(SetActiveWindow(second), first);
  EXPECT_EQ(GetFocus(), nullptr);
  Record().handlers.erase(second);
  EXPECT_TRUE(SetForegroundWindow(first));
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(GetFocus(), first);

  // Disabled windows are not activated.
  EnableWindow(second, FALSE);
  EXPECT_EQ(SetActiveWindow(second), nullptr);
  EXPECT_FALSE(SetForegroundWindow(second));
  EXPECT_EQ(GetActiveWindow(), first);
}

TEST_F(FocusTest, HidingOrDestroyingTheActiveWindowPassesActivationOn) {
  HWND back = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
  HWND front = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 200);
  HWND owned = Make(WS_POPUP | WS_CAPTION | WS_VISIBLE, 80, 80, 100, 100, back);
  EXPECT_EQ(GetActiveWindow(), owned);
  // An owned window hands activation back to its owner.
  DestroyWindow(owned);
  EXPECT_EQ(GetActiveWindow(), back);
  EXPECT_EQ(GetFocus(), back);
  ShowWindow(back, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), front);
  EXPECT_EQ(GetFocus(), front);
  ShowWindow(front, SW_MINIMIZE);
  EXPECT_NE(GetActiveWindow(), front);

  // The last window going: activation leaves the program.
  ShowWindow(front, SW_RESTORE);
  EXPECT_EQ(GetActiveWindow(), front);
  DestroyWindow(back);
  Take();
  DestroyWindow(front);
  auto log = FocusMessages(Take());
  EXPECT_EQ(log, (std::vector<Seen>{{front, WM_NCACTIVATE, FALSE, 0},
                                    {front, WM_ACTIVATE, WA_INACTIVE, 0},
                                    {front, WM_KILLFOCUS, 0, 0},
                                    {front, WM_ACTIVATEAPP, FALSE, 0}}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);

  // A hidden child with the focus gives it to its parent.
  HWND top = Make(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
  HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top);
  SetFocus(child);
  ShowWindow(child, SW_HIDE);
  EXPECT_EQ(GetFocus(), top);
}

TEST_F(FocusTest, ClickingAnInactiveWindowActivatesIt) {
  HWND left = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
  HWND right = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 0, 200, 200);
  platform::testing::RunUntilIdle();
  ASSERT_EQ(GetActiveWindow(), right);
  Take();
  platform::testing::ClickAt({100, 100});
  platform::testing::RunUntilIdle();
  EXPECT_EQ(GetActiveWindow(), left);
  EXPECT_EQ(GetFocus(), left);
  bool clickActivated = false;
  for (const Entry& e : Take()) {
    if (e.hwnd == left && e.message == WM_ACTIVATE)
      clickActivated = LOWORD(e.wParam) == WA_CLICKACTIVE;
  }
  EXPECT_TRUE(clickActivated);
}

// Activation is process-wide, so a window shown on a worker thread takes it from this
// thread's window. This thread may be blocked waiting for the worker meanwhile: the
// worker must not wait for it to answer.
TEST_F(FocusTest, WindowShownOnAnotherThreadDoesNotWaitForTheBlockedActiveThread) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
  ASSERT_EQ(GetActiveWindow(), top);
  std::promise<HWND> created;
  std::future<HWND> result = created.get_future();
  std::thread worker([&created] {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.lpszClassName = "FocusWorkerClass";
    RegisterClassA(&cls);
    HWND w = CreateWindowExA(0, "FocusWorkerClass", "", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50,
                             nullptr, nullptr, nullptr, nullptr);
    created.set_value(w);
    DestroyWindow(w);
  });
  // This thread reads no messages while it waits, as a thread joining a worker would not.
  const bool finished = result.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  EXPECT_TRUE(finished);
  if (!finished) std::abort();  // the worker is stuck; joining would hang the run
  EXPECT_NE(result.get(), nullptr);
  worker.join();
  // What this window was told arrives through its queue.
  platform::testing::RunUntilIdle();
  const auto seen = FocusMessages(Take());
  EXPECT_NE(std::find_if(seen.begin(), seen.end(),
                         [&](const Seen& s) {
                           return s.hwnd == top && s.message == WM_ACTIVATE &&
                                  s.wParam == WA_INACTIVE;
                         }),
            seen.end());
}

}  // namespace
