// A memory DC over a 32-bit bitmap whose pixels tests read directly, without going through
// the drawing functions under test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/gdi/GdiObjects.h"
#include "platform/wingdi.h"

namespace gdi_test {

class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255), int bitCount = 32)
      : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateBitmap(width, height, 1, bitCount, nullptr);
    previous_ = SelectObject(dc_, bitmap_);
    surface_ = platform::gdi::Lookup<platform::gdi::BitmapObject>(bitmap_)->surface;
    Fill(fill);
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }
  platform::gdi::Surface& surface() { return *surface_; }

  void Fill(COLORREF color) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) Set(x, y, color);
    }
  }
  void Set(int x, int y, COLORREF color) { surface_->WriteRaw(x, y, surface_->ColorToRaw(color)); }
  COLORREF At(int x, int y) const {
    return surface_->RawToColor(surface_->ReadRaw(x, y)) & 0xFFFFFF;
  }

  // The smallest rectangle holding every pixel that is not `background` (empty when none).
  RECT Ink(COLORREF background, RECT within = {0, 0, 0, 0}) const {
    if (within.right == 0 && within.bottom == 0) within = {0, 0, width_, height_};
    RECT box = {within.right, within.bottom, within.left, within.top};
    for (int y = within.top; y < within.bottom; ++y) {
      for (int x = within.left; x < within.right; ++x) {
        if (At(x, y) == background) continue;
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
    }
    if (box.left >= box.right) return {0, 0, 0, 0};
    return box;
  }
  int Count(COLORREF color, RECT within = {0, 0, 0, 0}) const {
    if (within.right == 0 && within.bottom == 0) within = {0, 0, width_, height_};
    int n = 0;
    for (int y = within.top; y < within.bottom; ++y) {
      for (int x = within.left; x < within.right; ++x) n += At(x, y) == color;
    }
    return n;
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  std::shared_ptr<platform::gdi::Surface> surface_;
};

// A font selected into a DC for the life of the guard.
class SelectedFont {
 public:
  SelectedFont(HDC dc, HFONT font) : dc_(dc), font_(font), previous_(SelectObject(dc, font)) {}
  ~SelectedFont() {
    SelectObject(dc_, previous_);
    DeleteObject(font_);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ previous_;
};

inline HFONT MakeFont(const char* gbkFace, int height, int weight = FW_NORMAL, bool italic = false,
                      bool underline = false, bool strikeOut = false, int width = 0,
                      int escapement = 0) {
  return CreateFontA(height, width, escapement, escapement, weight, italic, underline, strikeOut,
                     DEFAULT_CHARSET, 0, 0, 0, 0, gbkFace);
}

}  // namespace gdi_test
