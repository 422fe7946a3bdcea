// What the picture-display tests share: pictures made in the test as BMP bytes, and a
// headless window holding one picture box whose client area the tests read back.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "pictures/display/PictureBox.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "platform/user32.h"

namespace display_testing {

using Colours = std::function<COLORREF(int x, int y)>;

// A 24-bit bottom-up BMP file whose pixel (x, y) (top row 0) is colours(x, y).
inline std::vector<uint8_t> Bmp(int width, int height, const Colours& colours) {
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> f(54 + stride * height, 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(f.data() + at, &v, 4); };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, static_cast<uint32_t>(f.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  f[26] = 1;
  f[28] = 24;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = f.data() + 54 + stride * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colours(x, y);
      row[3 * x] = GetBValue(c);
      row[3 * x + 1] = GetGValue(c);
      row[3 * x + 2] = GetRValue(c);
    }
  }
  return f;
}

// Pixels that differ from every neighbour's, in blocks of `block` so that any whole-ratio
// shrink by that factor averages equal pixels only.
inline COLORREF Pattern(int x, int y, int block = 1) {
  const int bx = x / block, by = y / block;
  return RGB((bx * 37 + by * 11) & 0xFF, (bx * 5 + by * 71) & 0xFF, (bx * 13 + by * 29 + 7) & 0xFF);
}

// A top-level window with one child that paints a picture box; the child's client area
// starts at the child's top-left corner (no border).
class BoxHost {
 public:
  BoxHost(int clientWidth, int clientHeight);
  ~BoxHost();
  BoxHost(const BoxHost&) = delete;
  BoxHost& operator=(const BoxHost&) = delete;

  HWND Top() const { return top_; }
  HWND Child() const { return child_; }
  pic::PictureBox& Box() { return *box_; }
  // Paints what is owed and reads the child's pixels.
  platform::testing::Image Capture();
  void DestroyChild();

 private:
  HWND top_ = nullptr;
  HWND child_ = nullptr;
  std::unique_ptr<pic::PictureBox> box_;
};

inline LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<pic::PictureBox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      if (box != nullptr) {
        pic::PictureBoxPaint(*box);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

inline BoxHost::BoxHost(int clientWidth, int clientHeight) {
  static const bool registered = [] {
    WNDCLASSA c{};
    c.style = CS_HREDRAW | CS_VREDRAW;
    c.lpfnWndProc = BoxProc;
    c.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    c.lpszClassName = "DisplayTestBox";
    WNDCLASSA top{};
    top.lpfnWndProc = DefWindowProcA;
    top.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    top.lpszClassName = "DisplayTestTop";
    return RegisterClassA(&c) != 0 && RegisterClassA(&top) != 0;
  }();
  EXPECT_TRUE(registered);
  top_ = CreateWindowExA(0, "DisplayTestTop", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                         clientWidth + 300, clientHeight + 300, nullptr, nullptr, nullptr, nullptr);
  child_ = CreateWindowExA(0, "DisplayTestBox", "", WS_CHILD | WS_VISIBLE, 10, 10, clientWidth,
                           clientHeight, top_, nullptr, nullptr, nullptr);
  box_ = std::make_unique<pic::PictureBox>(child_);
  SetWindowLongPtrA(child_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(box_.get()));
}

inline void BoxHost::DestroyChild() {
  if (child_ == nullptr) return;
  SetWindowLongPtrA(child_, GWLP_USERDATA, 0);
  box_.reset();
  DestroyWindow(child_);
  child_ = nullptr;
}

inline BoxHost::~BoxHost() {
  DestroyChild();
  DestroyWindow(top_);
  platform::testing::RunUntilIdle();
}

inline platform::testing::Image BoxHost::Capture() {
  platform::testing::RunUntilIdle();
  return platform::testing::CaptureWindow(child_);
}

}  // namespace display_testing
