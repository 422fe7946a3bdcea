// A surface over a device context that calls the platform's GetPixel and SetPixel directly,
// one call per pixel: the floor that the program's own surface (DllPixelSurface, the same
// calls through its declared DLL commands) is measured against, and a second route for the
// tests.
#pragma once
#include "app/filters/PixelSurface.h"
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

}  // namespace app
