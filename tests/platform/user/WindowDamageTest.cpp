// Drawing through a window DC records the drawn area at the window's place in its
// top-level surface, and a DC kept while its window moves records the new place.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/testing/MessageLoop.h"
#include "platform/user/Presenter.h"
#include "platform/user/WindowManager.h"
#include "platform/user32.h"

namespace platform::user {
namespace {

// Counts what the window manager tells the presenter about each window.
class CountingPresenter final : public Presenter {
 public:
  DWORD UiThread() const override { return 0; }
  void PumpNativeEvents() override {}
  void WaitForEvents(DWORD) override {}
  void Wake() override {}
  void TopLevelChanged(HWND window) override {
    std::lock_guard lock(mutex_);
    changed_.push_back(window);
  }
  void SetCursorShape(HCURSOR) override {}
  bool SetClipboardText(const std::string&) override { return false; }
  std::string GetClipboardText() override { return {}; }

  int Times(HWND window) {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(changed_.begin(), changed_.end(), window));
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    changed_.clear();
  }

 private:
  std::mutex mutex_;
  std::vector<HWND> changed_;
};

std::vector<RECT> TakeDamage(HWND topLevel) {
  std::shared_ptr<Window> window = LookupWindow(topLevel);
  if (!window || !window->surface) return {};
  std::lock_guard lock(window->surface->lock());
  return window->surface->TakeDamage();
}

bool Only(const std::vector<RECT>& rects, RECT expected) {
  return rects.size() == 1 && rects[0].left == expected.left && rects[0].top == expected.top &&
         rects[0].right == expected.right && rects[0].bottom == expected.bottom;
}

std::string Show(const std::vector<RECT>& rects) {
  std::ostringstream out;
  for (const RECT& r : rects)
    out << '{' << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom << '}';
  return out.str();
}

TEST(WindowDamageTest, WindowDcRecordsWhereItDrewAndFollowsItsWindow) {
  auto owned = std::make_unique<CountingPresenter>();
  CountingPresenter& presenter = *owned;
  InstallPresenter(std::move(owned));
  WNDCLASSA cls{};
  cls.lpfnWndProc = DefWindowProcA;
  cls.lpszClassName = "WindowDamageTest";
  RegisterClassA(&cls);
  // The client area starts 6 px right of and 30 px below the window's corner.
  HWND top = CreateWindowExA(0, "WindowDamageTest", "damage", WS_CAPTION | WS_VISIBLE, 50, 50, 400,
                             300, nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExA(0, "WindowDamageTest", "", WS_CHILD | WS_VISIBLE, 20, 40, 100, 80,
                               top, nullptr, nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  platform::testing::RunUntilIdle();
  TakeDamage(top);
  presenter.Clear();

  HDC dc = GetDC(child);
  RECT box{5, 6, 15, 16};
  FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_TRUE(Only(TakeDamage(top), {6 + 20 + 5, 30 + 40 + 6, 6 + 20 + 15, 30 + 40 + 16}));
  EXPECT_GE(presenter.Times(top), 1);

  // Many primitives between two looks of the presenter tell it once.
  presenter.Clear();
  for (int i = 0; i < 20; ++i) SetPixel(dc, i, 0, RGB(255, 0, 0));
  EXPECT_EQ(presenter.Times(top), 1);
  TakeDamage(top);

  // The kept DC follows the child to its new place.
  SetWindowPos(child, nullptr, 200, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  platform::testing::RunUntilIdle();
  TakeDamage(top);
  FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const std::vector<RECT> moved = TakeDamage(top);
  EXPECT_TRUE(Only(moved, {6 + 200 + 5, 30 + 10 + 6, 6 + 200 + 15, 30 + 10 + 16})) << Show(moved);

  // A hidden child draws nothing, so nothing is recorded.
  ShowWindow(child, SW_HIDE);
  platform::testing::RunUntilIdle();
  TakeDamage(top);
  FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_TRUE(TakeDamage(top).empty());

  ReleaseDC(child, dc);
  DestroyWindow(top);
  UnregisterClassA("WindowDamageTest", nullptr);
  InstallPresenter(nullptr);
}

}  // namespace
}  // namespace platform::user
