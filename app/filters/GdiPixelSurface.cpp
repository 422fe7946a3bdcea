#include "app/filters/GdiPixelSurface.h"

namespace app {

OffscreenCapture::OffscreenCapture(HWND box) : box_(box) {
  RECT client{};
  GetClientRect(box_, &client);
  width_ = client.right - client.left;
  height_ = client.bottom - client.top;
  screen_ = GetDC(box_);
  memory_ = CreateCompatibleDC(screen_);
  bitmap_ = CreateCompatibleBitmap(screen_, width_, height_);
  previous_ = SelectObject(memory_, bitmap_);
  BitBlt(memory_, 0, 0, width_, height_, screen_, 0, 0, SRCCOPY);
  surface_ = GdiPixelSurface(memory_, width_, height_);
}

void OffscreenCapture::Finish() {
  if (memory_ == nullptr) return;
  BitBlt(screen_, 0, 0, width_, height_, memory_, 0, 0, SRCCOPY);
  SelectObject(memory_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(memory_);
  ReleaseDC(box_, screen_);
  memory_ = nullptr;
  surface_ = GdiPixelSurface(nullptr, 0, 0);
}

OffscreenCapture::~OffscreenCapture() {
  Finish();
}

}  // namespace app
