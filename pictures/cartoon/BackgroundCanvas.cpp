#include "pictures/cartoon/BackgroundCanvas.h"

#include "pictures/DecodedPicture.h"

namespace pic {
namespace {

// The largest canvas we make: far above any screen, small enough to allocate.
constexpr int64_t kMaxCanvasPixels = int64_t{1} << 26;

// Draws the picture onto the canvas context by the display mode.
void DrawPicture(HDC canvas, int width, int height, HBITMAP picture, int mode) {
  BITMAP info{};
  if (GetObjectA(picture, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight <= 0) {
    return;
  }
  HDC source = CreateCompatibleDC(canvas);
  if (source == nullptr) return;
  HGDIOBJ old = SelectObject(source, picture);
  const int pw = info.bmWidth, ph = info.bmHeight;
  switch (mode) {
    case kCanvasStretched:
      // The screen has 32 bits a pixel, so stretching averages areas.
      SetStretchBltMode(canvas, HALFTONE);
      StretchBlt(canvas, 0, 0, width, height, source, 0, 0, pw, ph, SRCCOPY);
      break;
    case kCanvasTiled:
      for (int y = 0; y < height; y += ph) {
        for (int x = 0; x < width; x += pw) BitBlt(canvas, x, y, pw, ph, source, 0, 0, SRCCOPY);
      }
      break;
    case kCanvasCentred:
      BitBlt(canvas, (width - pw) / 2, (height - ph) / 2, pw, ph, source, 0, 0, SRCCOPY);
      break;
    default:
      BitBlt(canvas, 0, 0, pw, ph, source, 0, 0, SRCCOPY);
      break;
  }
  SelectObject(source, old);
  DeleteDC(source);
}

}  // namespace

BITMAPINFO TopDownBitmapInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

BackgroundCanvas::~BackgroundCanvas() {
  Release();
}

void BackgroundCanvas::Release() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

void BackgroundCanvas::Build(int width, int height, std::span<const uint8_t> picture, int mode,
                             COLORREF colour) {
  Release();
  if (width <= 0 || height <= 0 || int64_t{width} * height > kMaxCanvasPixels) return;
  const BITMAPINFO request = TopDownBitmapInfo(width, height);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &request, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    return;
  }
  bitmap_ = bitmap;
  bits_ = static_cast<uint32_t*>(bits);
  width_ = width;
  height_ = height;

  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return;
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap_);
  HBITMAP pictureBitmap =
      picture.empty() ? nullptr
                      : PictureToBitmapWithin(picture.data(), picture.size(), kMaxCanvasPixels);
  // Stretched and tiled pictures cover the whole area; the others stand on the colour.
  if (pictureBitmap == nullptr || mode == kCanvasTopLeft || mode == kCanvasCentred || mode < 0 ||
      mode > kCanvasTiled) {
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    PatBlt(dc, 0, 0, width, height, PATCOPY);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
  }
  if (pictureBitmap != nullptr) {
    DrawPicture(dc, width, height, pictureBitmap, mode);
    DeleteObject(pictureBitmap);
  }
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
}

}  // namespace pic
