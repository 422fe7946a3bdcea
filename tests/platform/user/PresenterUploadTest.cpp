// On a real X screen the SDL presenter copies only what was drawn since its last copy, and
// what the X server shows of a window is then exactly the window's surface: after drawing
// on the UI thread and on another thread, after a child window moves and after a scroll,
// and what UpdateWindow painted as soon as it returns.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "platform/presenters/ProgramPresenter.h"
#include "platform/presenters/SdlPresenter.h"
#include "platform/user/Presenter.h"
#include "platform/user/WindowManager.h"
#include "platform/user32.h"
#include "tests/platform/user/XServerTestSupport.h"

// Last: Xlib (which SDL_syswm.h brings in too) defines macros such as None, Bool and Status
// that clash with names in the headers above.
// clang-format off
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

namespace platform::user {
namespace {

constexpr int kWidth = 1185, kHeight = 701;

void PumpUntilIdle() {
  MSG message;
  for (int round = 0; round < 20; ++round) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
}

// The X server answers at its own pace: the loop runs until the presenter has copied
// nothing for a few turns.
void Settle() {
  uint64_t last = PresentedBytes();
  for (int quiet = 0, round = 0; quiet < 5 && round < 200; ++round) {
    PumpUntilIdle();
    usleep(5000);
    const uint64_t now = PresentedBytes();
    quiet = now == last ? quiet + 1 : 0;
    last = now;
  }
}

// Pixels that differ between what the X server shows of the window and its surface.
long StalePixels(HWND window) {
  SDL_Window* native = SDL_GetWindowFromID(NativeWindowId(window));
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (native == nullptr || !SDL_GetWindowWMInfo(native, &info) || info.subsystem != SDL_SYSWM_X11)
    return -1;
  std::shared_ptr<Window> w = LookupWindow(window);
  if (!w || !w->surface) return -2;
  gdi::Surface& surface = *w->surface;
  XImage* image = XGetImage(info.info.x11.display, info.info.x11.window, 0, 0,
                            static_cast<unsigned>(surface.width()),
                            static_cast<unsigned>(surface.height()), AllPlanes, ZPixmap);
  if (image == nullptr) return -3;
  long stale = 0;
  {
    std::lock_guard lock(surface.lock());
    for (int y = 0; y < surface.height(); ++y) {
      for (int x = 0; x < surface.width(); ++x) {
        const unsigned long shown = XGetPixel(image, x, y) & 0xFFFFFF;
        stale += shown != (surface.ReadRaw(x, y) & 0xFFFFFF) ? 1 : 0;
      }
    }
  }
  XDestroyImage(image);
  return stale;
}

void Fill(HWND window, RECT r, COLORREF colour) {
  HDC dc = GetDC(window);
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  ReleaseDC(window, dc);
}

// A window that paints itself in the colour of the moment.
COLORREF g_paintColour = RGB(255, 255, 255);
LRESULT CALLBACK PaintsItsColour(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  HBRUSH brush = CreateSolidBrush(g_paintColour);
  FillRect(dc, &paint.rcPaint, brush);
  DeleteObject(brush);
  EndPaint(window, &paint);
  return 0;
}

// What UpdateWindow paints is on the screen before the caller goes back to its loop, as a
// long run that shows each step without pumping needs.
int PaintOfUpdateWindowIsShownAtOnce() {
  WNDCLASSA cls{};
  cls.lpfnWndProc = PaintsItsColour;
  cls.lpszClassName = "PresenterUpdateNow";
  if (RegisterClassA(&cls) == 0) return 20;
  HWND window = CreateWindowExA(0, "PresenterUpdateNow", "update", WS_POPUP | WS_VISIBLE, 60, 60,
                                300, 200, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) return 21;
  Settle();
  if (StalePixels(window) != 0) return 22;
  g_paintColour = RGB(30, 160, 60);
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  // The X server may take a moment; the program's loop does not run meanwhile.
  long stale = StalePixels(window);
  for (int i = 0; i < 100 && stale != 0; ++i) {
    usleep(2000);
    stale = StalePixels(window);
  }
  if (stale != 0) return 23;
  DestroyWindow(window);
  PumpUntilIdle();
  return 0;
}

int CopiesOnlyWhatChanged() {
  if (!StartPresenterForProgram() || !ActivePresenter().ShowsNativeWindows()) return 2;
  WNDCLASSA cls{};
  cls.lpfnWndProc = DefWindowProcA;
  cls.lpszClassName = "PresenterUpload";
  cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (RegisterClassA(&cls) == 0) return 3;
  HWND window =
      CreateWindowExA(0, "PresenterUpload", "upload", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 20,
                      20, kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) return 4;
  HWND child = CreateWindowExA(0, "PresenterUpload", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 40, 40,
                               200, 120, window, nullptr, nullptr, nullptr);
  if (child == nullptr) return 5;
  Settle();
  if (StalePixels(window) != 0) return 10;

  // A 10x10 change costs 10 x 10 x 4 bytes, not the window's 1185 x 701 x 4.
  const uint64_t before = PresentedBytes();
  Fill(window, {300, 200, 310, 210}, RGB(200, 30, 30));
  Settle();
  const uint64_t copied = PresentedBytes() - before;
  std::fprintf(stderr,
               "a 10x10 change of a %dx%d window copied %llu bytes (the whole window: %d)\n",
               kWidth, kHeight, static_cast<unsigned long long>(copied), kWidth * kHeight * 4);
  if (copied != 10 * 10 * 4) return 11;
  if (StalePixels(window) != 0) return 12;

  // Drawing from another thread reaches the screen too: the presenter is woken for it.
  std::thread other([window] {
    HDC dc = GetDC(window);
    TextOutA(dc, 500, 300, "drawn elsewhere", 15);
    ReleaseDC(window, dc);
  });
  other.join();
  Settle();
  if (StalePixels(window) != 0) return 13;

  SetWindowPos(child, nullptr, 600, 350, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Settle();
  if (StalePixels(window) != 0) return 14;

  ScrollWindow(window, 0, -25, nullptr, nullptr);
  Settle();
  if (StalePixels(window) != 0) return 15;

  DestroyWindow(window);
  PumpUntilIdle();
  return PaintOfUpdateWindowIsShownAtOnce();
}

int RunOnPrivateServer() {
  IgnoreSdlStartupLeaks();
  PrivateXServer server("1280x800x24");
  if (server.display().empty()) return 1;
  for (const char* name : {"WAYLAND_DISPLAY", "VELMORA_HEADLESS", "SDL_VIDEODRIVER"})
    unsetenv(name);
  setenv("DISPLAY", server.display().c_str(), 1);
  const int result = CopiesOnlyWhatChanged();
  // SDL must let go of the server before it stops, or its exit handler fails instead.
  ShutdownSdlPresenter();
  return result;
}

TEST(PresenterUploadTest, CopiesOnlyWhatChangedAndLeavesNothingStale) {
  if (!OnPath("Xvfb")) GTEST_SKIP() << "no Xvfb to open a display with";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(RunOnPrivateServer()), ::testing::ExitedWithCode(0), "copied 400 bytes");
}

}  // namespace
}  // namespace platform::user
