// What a filter pass reads and writes: a picture one raw colour at a time. The program's
// own pass goes through a device context (GdiPixelSurface); tests and benchmarks run the
// same formulas over memory (MemoryPixelSurface). Both follow the platform's pixel calls:
// colours are 0x00BBGGRR, a read outside the picture gives 0xFFFFFFFF, a write outside it
// is dropped.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace app {

inline constexpr uint32_t kInvalidColor = 0xFFFFFFFF;

class PixelSurface {
 public:
  virtual ~PixelSurface() = default;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual uint32_t GetRaw(int32_t x, int32_t y) = 0;
  virtual void SetRaw(int32_t x, int32_t y, uint32_t color) = 0;
};

// One pixel as the formulas see it; a formula may leave any integer in a field.
struct PixelColor {
  int32_t red = 0;
  int32_t green = 0;
  int32_t blue = 0;
  bool operator==(const PixelColor&) const = default;
};

PixelColor ReadPixel(PixelSurface& surface, int32_t x, int32_t y);
// Keeps the low byte of each field: 300 is written as 44, -2 as 254.
void WritePixel(PixelSurface& surface, int32_t x, int32_t y, const PixelColor& color);
void WriteRawPixel(PixelSurface& surface, int32_t x, int32_t y, int32_t value);
uint32_t ColorOf(int32_t red, int32_t green, int32_t blue);

class MemoryPixelSurface final : public PixelSurface {
 public:
  MemoryPixelSurface(int32_t width, int32_t height, uint32_t fill = 0);
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  uint32_t GetRaw(int32_t x, int32_t y) override {
    return Inside(x, y) ? pixels_[Index(x, y)] : kInvalidColor;
  }
  // Like the platform's pixel write: the top byte would mark a palette-relative colour,
  // which without a palette is plain RGB.
  void SetRaw(int32_t x, int32_t y, uint32_t color) override {
    if (Inside(x, y)) pixels_[Index(x, y)] = color & 0xFFFFFF;
  }
  const std::vector<uint32_t>& Pixels() const { return pixels_; }

 private:
  bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  size_t Index(int32_t x, int32_t y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
  }
  int32_t width_;
  int32_t height_;
  std::vector<uint32_t> pixels_;  // row by row
};

}  // namespace app
