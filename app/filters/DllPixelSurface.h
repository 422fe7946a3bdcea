// The filter pass as the program runs it: every pixel is read and written through the
// program's declared GetPixel and SetPixel commands on the memory device context of the
// pass, one bound call per pixel. Reads outside the bitmap come back as 0xFFFFFFFF and
// writes there are dropped by the platform itself, which is what gives the filters their
// white right and bottom edges.
#pragma once

#include "app/filters/PixelSurface.h"
#include "libraries/ProgramDllCommands.h"

namespace app {

class DllPixelSurface final : public PixelSurface {
 public:
  // `memoryDc` is a handle as the program keeps it, in a 32-bit integer.
  DllPixelSurface(int32_t memoryDc, int32_t width, int32_t height)
      : dc_(memoryDc), width_(width), height_(height) {}
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  uint32_t GetRaw(int32_t x, int32_t y) override {
    return static_cast<uint32_t>(libs::dll::GetPixel(dc_, x, y));
  }
  void SetRaw(int32_t x, int32_t y, uint32_t color) override {
    libs::dll::SetPixel(dc_, x, y, static_cast<int32_t>(color));
  }

 private:
  int32_t dc_;
  int32_t width_;
  int32_t height_;
};

}  // namespace app
