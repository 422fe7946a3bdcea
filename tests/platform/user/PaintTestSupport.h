// Windows for the painting, screen and input tests: each paints its client area in one
// colour and records the messages it receives.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "platform/user/WindowManager.h"
#include "platform/user32.h"

namespace paint_test {

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

struct Painted {
  RECT rcPaint;
  BOOL fErase;
};

// What a test window does and what happened to it; lives as long as the test.
struct Recorder {
  COLORREF fill = RGB(255, 255, 255);
  bool paintClient = true;  // WM_PAINT fills the whole client area (clipped by BeginPaint)
  LRESULT eraseResult = 1;  // WM_ERASEBKGND's answer (nothing is drawn)
  bool paintFrame = false;  // WM_NCPAINT fills the whole window with frameColour
  COLORREF frameColour = RGB(255, 0, 255);
  LRESULT hitTest = 0;        // non-zero: WM_NCHITTEST answers this
  LRESULT mouseActivate = 0;  // non-zero: WM_MOUSEACTIVATE answers this
  std::vector<Received> messages;
  std::vector<Painted> paints;

  void Clear() {
    messages.clear();
    paints.clear();
  }
  int Count(UINT message) const {
    return static_cast<int>(
        std::count_if(messages.begin(), messages.end(),
                      [message](const Received& r) { return r.message == message; }));
  }
  // Messages of interest in arrival order, others dropped.
  std::vector<UINT> Sequence(std::initializer_list<UINT> wanted) const {
    std::vector<UINT> out;
    for (const Received& r : messages) {
      if (std::find(wanted.begin(), wanted.end(), r.message) != wanted.end())
        out.push_back(r.message);
    }
    return out;
  }
  const Received* Last(UINT message) const {
    for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
      if (it->message == message) return &*it;
    }
    return nullptr;
  }
};

inline LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* recorder = reinterpret_cast<Recorder*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (recorder == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  recorder->messages.push_back({message, wParam, lParam});
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      recorder->paints.push_back({ps.rcPaint, ps.fErase});
      if (dc != nullptr && recorder->paintClient) {
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(recorder->fill);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
      }
      EndPaint(window, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return recorder->eraseResult;
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(window, &client);
      HBRUSH brush = CreateSolidBrush(recorder->fill);
      FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
      DeleteObject(brush);
      return 0;
    }
    case WM_NCPAINT:
      if (recorder->paintFrame) {
        HDC dc = GetWindowDC(window);
        RECT r;
        GetWindowRect(window, &r);
        RECT whole{0, 0, r.right - r.left, r.bottom - r.top};
        HBRUSH brush = CreateSolidBrush(recorder->frameColour);
        FillRect(dc, &whole, brush);
        DeleteObject(brush);
        ReleaseDC(window, dc);
        return 0;
      }
      break;
    case WM_NCHITTEST:
      if (recorder->hitTest != 0) return recorder->hitTest;
      break;
    case WM_MOUSEACTIVATE:
      if (recorder->mouseActivate != 0) return recorder->mouseActivate;
      break;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      // Kept from the default handling: Alt and F10 would open the window menu.
      return 0;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCMOUSEMOVE:
      // Kept from the default handling: a caption drag would start a move loop.
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

inline const char* ClassName(bool doubleClicks) {
  static const bool registered = [] {
    for (int i = 0; i < 2; ++i) {
      WNDCLASSA wc{};
      wc.style = i == 1 ? CS_DBLCLKS : 0;
      wc.lpfnWndProc = RecordingProc;
      wc.lpszClassName = i == 1 ? "PaintTestDbl" : "PaintTest";
      RegisterClassA(&wc);
    }
    return true;
  }();
  (void)registered;
  return doubleClicks ? "PaintTestDbl" : "PaintTest";
}

// A window with a recorder; destroyed with the test.
class TestWindow {
 public:
  TestWindow(DWORD style, RECT r, HWND parent = nullptr, COLORREF fill = RGB(255, 255, 255),
             bool doubleClicks = false, DWORD exStyle = 0) {
    recorder_ = std::make_unique<Recorder>();
    recorder_->fill = fill;
    // Created hidden so the recorder is in place before the first paint.
    handle_ =
        CreateWindowExA(exStyle, ClassName(doubleClicks), "", style & ~WS_VISIBLE, r.left, r.top,
                        r.right - r.left, r.bottom - r.top, parent, nullptr, nullptr, nullptr);
    if (handle_ != nullptr) {
      SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(recorder_.get()));
      if ((style & WS_VISIBLE) != 0) ShowWindow(handle_, SW_SHOW);
    }
  }
  ~TestWindow() {
    if (IsWindow(handle_)) {
      SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
      DestroyWindow(handle_);
    }
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND handle() const { return handle_; }
  Recorder& rec() { return *recorder_; }

 private:
  HWND handle_ = nullptr;
  std::unique_ptr<Recorder> recorder_;
};

// The colour of one pixel of a window as its surface holds it (window coordinates).
inline COLORREF PixelOf(HWND window, int x, int y) {
  platform::testing::Image image = platform::testing::CaptureWindow(window);
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return CLR_INVALID;
  return image.ColorAt(x, y);
}

// The same straight from the top-level surface, without bringing owed paints up to date
// (coordinates in the top-level window's rectangle).
inline COLORREF SurfacePixel(HWND topLevel, int x, int y) {
  std::shared_ptr<platform::user::Window> w = platform::user::LookupWindow(topLevel);
  if (!w || !w->surface || x < 0 || y < 0 || x >= w->surface->width() ||
      y >= w->surface->height()) {
    return CLR_INVALID;
  }
  return platform::gdi::BgrxToColor(w->surface->ReadRaw(x, y) & 0xFFFFFF);
}

inline void Fill(HDC dc, RECT r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

inline void RunLoop() {
  platform::testing::RunUntilIdle();
}

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kGrey = RGB(128, 128, 128);

}  // namespace paint_test
