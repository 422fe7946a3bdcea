// The box's background: a 32-bit top-down DIB section of the client size holding the
// background colour and picture as the display mode places them. Objects are composed over
// it; it is rebuilt only when the size or the background changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/wingdi.h"

namespace pic {

// Background display modes.
inline constexpr int kCanvasTopLeft = 0;
inline constexpr int kCanvasStretched = 1;
inline constexpr int kCanvasCentred = 2;
inline constexpr int kCanvasTiled = 3;

// The header of a 32-bit top-down bitmap of that size, for DIB sections and blits.
BITMAPINFO TopDownBitmapInfo(int width, int height);

class BackgroundCanvas {
 public:
  BackgroundCanvas() = default;
  ~BackgroundCanvas();
  BackgroundCanvas(const BackgroundCanvas&) = delete;
  BackgroundCanvas& operator=(const BackgroundCanvas&) = delete;

  // `colour` is a plain 0x00BBGGRR (system colours already resolved). An empty or
  // undecodable picture leaves the colour alone. A size of 0 leaves no canvas.
  void Build(int width, int height, std::span<const uint8_t> picture, int mode, COLORREF colour);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Row y, B, G, R, X per pixel; null outside the canvas.
  const uint32_t* Row(int y) const {
    return bits_ != nullptr && y >= 0 && y < height_ ? bits_ + static_cast<size_t>(y) * width_
                                                     : nullptr;
  }

 private:
  void Release();

  HBITMAP bitmap_ = nullptr;
  uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace pic
