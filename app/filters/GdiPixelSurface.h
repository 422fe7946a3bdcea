// The filter pass on real pixels: a surface over a device context, one GetPixel or
// SetPixel per pixel, and the off-screen copy of a window's client area that the pass
// works on before it is drawn back.
#pragma once
#include "app/filters/PixelSurface.h"
#include "platform/user32.h"
#include "platform/wingdi.h"

namespace app {

class GdiPixelSurface final : public PixelSurface {
 public:
  GdiPixelSurface(HDC dc, int32_t width, int32_t height)
      : dc_(dc), width_(width), height_(height) {}
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  uint32_t GetRaw(int32_t x, int32_t y) override { return GetPixel(dc_, x, y); }
  void SetRaw(int32_t x, int32_t y, uint32_t color) override { SetPixel(dc_, x, y, color); }

 private:
  HDC dc_;
  int32_t width_;
  int32_t height_;
};

// What the window shows, copied into a compatible bitmap when made, drawn back and every
// GDI object released by Finish (or by the destructor, so a pass cut short leaks nothing).
class OffscreenCapture {
 public:
  explicit OffscreenCapture(HWND box);
  ~OffscreenCapture();
  OffscreenCapture(const OffscreenCapture&) = delete;
  OffscreenCapture& operator=(const OffscreenCapture&) = delete;

  PixelSurface& Surface() { return surface_; }
  void Finish();

 private:
  HWND box_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  HDC screen_ = nullptr;
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  GdiPixelSurface surface_{nullptr, 0, 0};
};

}  // namespace app
