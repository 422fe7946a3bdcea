#include "pictures/display/GifPlayer.h"

#include <algorithm>
#include <chrono>

#include "pictures/decoders/GifFrames.h"
#include "pictures/display/GdiHandles.h"
#include "pictures/display/PictureDrawing.h"
#include "platform/kernel32.h"
#include "platform/user32.h"

namespace pic {
namespace {

constexpr DWORD kStopPollMs = 10;

// A memory DC with one bitmap selected for its whole life.
struct BitmapDc {
  MemoryDc dc{CreateCompatibleDC(nullptr)};
  GdiObject bitmap;
  HGDIOBJ old = nullptr;

  bool Hold(HBITMAP b) {
    Drop();
    bitmap.reset(b);
    if (!dc || b == nullptr) return false;
    old = SelectObject(dc.get(), b);
    return old != nullptr && old != HGDI_ERROR;
  }
  void Drop() {
    if (old != nullptr && old != HGDI_ERROR) SelectObject(dc.get(), old);
    old = nullptr;
    bitmap.reset();
  }
  ~BitmapDc() { Drop(); }
};

// The canvas as a DIB: 32 bits, top-down, the logical screen's size.
BITMAPINFO CanvasInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

bool IsRestoringDisposal(int disposal) {
  return disposal == 8 || disposal == 12;
}

}  // namespace

std::unique_ptr<GifPlayer> GifPlayer::Open(const uint8_t* bytes, size_t length) {
  if (bytes == nullptr || length == 0) return nullptr;
  std::unique_ptr<GifPlayer> player(new GifPlayer);
  player->bytes_.assign(bytes, bytes + length);
  GifStream stream;
  if (!stream.Open(player->bytes_.data(), player->bytes_.size())) return nullptr;
  GifFrame first;
  bool wrapped = false;
  if (!stream.NextFrame(&first, &wrapped)) return nullptr;
  player->width_ = stream.ScreenWidth();
  player->height_ = stream.ScreenHeight();
  if (player->width_ <= 0 || player->height_ <= 0) return nullptr;
  return player;
}

GifPlayer::~GifPlayer() {
  Stop();
  if (canvas_ != nullptr) DeleteObject(canvas_);
}

bool GifPlayer::Start(HWND window) {
  if (thread_.joinable()) return true;
  if (canvas_ == nullptr) {
    const BITMAPINFO info = CanvasInfo(width_, height_);
    void* bits = nullptr;
    canvas_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (canvas_ == nullptr || bits == nullptr) return false;
    canvasBits_ = static_cast<uint32_t*>(bits);
    const uint32_t fill =
        (GetRValue(background_) << 16) | (GetGValue(background_) << 8) | GetBValue(background_);
    std::fill(canvasBits_, canvasBits_ + static_cast<size_t>(width_) * height_, fill);
  }
  stop_.store(false);
  thread_ = std::thread(&GifPlayer::Run, this, window);
  return true;
}

void GifPlayer::Stop() {
  if (!thread_.joinable()) return;
  stop_.store(true);
  thread_.join();
}

void GifPlayer::TakeBusy() {
  while (busy_.test_and_set(std::memory_order_acquire)) busy_.wait(true, std::memory_order_relaxed);
}

void GifPlayer::ReleaseBusy() {
  busy_.clear(std::memory_order_release);
  busy_.notify_one();
}

RECT GifPlayer::CanvasRect(int clientWidth, int clientHeight) const {
  switch (mode_.load()) {
    case 0:
      return {0, 0, width_, height_};
    case 2:
      return FitCentred(width_, height_, clientWidth, clientHeight);
    default:
      return {0, 0, clientWidth, clientHeight};
  }
}

void GifPlayer::CopyCanvas(HDC dc, int clientWidth, int clientHeight) const {
  const BITMAPINFO info = CanvasInfo(width_, height_);
  const RECT r = CanvasRect(clientWidth, clientHeight);
  SetStretchBltMode(dc, PictureStretchMode());
  StretchDIBits(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, width_, height_,
                canvasBits_, &info, DIB_RGB_COLORS, SRCCOPY);
}

void GifPlayer::PaintCanvas(HDC dc, int clientWidth, int clientHeight) {
  if (canvasBits_ == nullptr) return;
  const auto asked = std::chrono::steady_clock::now();
  TakeBusy();
  const auto waited = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - asked)
                          .count();
  int64_t longest = longestWaitUs_.load();
  while (waited > longest && !longestWaitUs_.compare_exchange_weak(longest, waited)) {
  }
  CopyCanvas(dc, clientWidth, clientHeight);
  ReleaseBusy();
}

void GifPlayer::Run(HWND window) {
  GifStream stream;
  if (!stream.Open(bytes_.data(), bytes_.size())) return;
  HDC screen = GetDC(window);
  if (screen == nullptr) return;
  SetStretchBltMode(screen, PictureStretchMode());
  BitmapDc canvas, frameDc, maskDc, inverseDc, savedDc;
  // The canvas stays ours: it is selected here only so that GDI can draw on it.
  HGDIOBJ canvasOld = canvas.dc ? SelectObject(canvas.dc.get(), canvas_) : nullptr;
  int prevLeft = 0, prevTop = 0, prevWidth = 0, prevHeight = 0, prevDisposal = 0;
  int shown = 0;
  while (!stop_.load() && canvasOld != nullptr && canvasOld != HGDI_ERROR) {
    const DWORD start = GetTickCount();
    // The stream and the frame are ours alone: decode before taking the flag.
    GifFrame frame;
    bool wrapped = false;
    if (!stream.NextFrame(&frame, &wrapped)) break;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(frame.dib);
    const bool drawable = frameDc.Hold(
        CreateDIBitmap(nullptr, &info->bmiHeader, CBM_INIT, frame.Pixels(), info, DIB_RGB_COLORS));
    bool masked = false;
    if (drawable && frame.transparent) {
      masked = maskDc.Hold(CreateBitmap(frame.width, frame.height, 1, 1, nullptr)) &&
               inverseDc.Hold(CreateBitmap(frame.width, frame.height, 1, 1, nullptr));
      if (masked) {
        SetBkColor(frameDc.dc.get(), frame.transparentColor);
        BitBlt(maskDc.dc.get(), 0, 0, frame.width, frame.height, frameDc.dc.get(), 0, 0, SRCCOPY);
        BitBlt(inverseDc.dc.get(), 0, 0, frame.width, frame.height, maskDc.dc.get(), 0, 0,
               NOTSRCCOPY);
        // The frame keeps only what shows; its transparent pixels become black. A mask's 1
        // bits turn into the background colour on the way: white again.
        SetBkColor(frameDc.dc.get(), RGB(255, 255, 255));
        SetTextColor(frameDc.dc.get(), RGB(0, 0, 0));
        BitBlt(frameDc.dc.get(), 0, 0, frame.width, frame.height, inverseDc.dc.get(), 0, 0, SRCAND);
      }
    }

    TakeBusy();
    HDC c = canvas.dc.get();
    if (IsRestoringDisposal(prevDisposal) && savedDc.bitmap) {
      BitBlt(c, prevLeft, prevTop, prevWidth, prevHeight, savedDc.dc.get(), 0, 0, SRCCOPY);
    }
    if (IsRestoringDisposal(frame.disposal) &&
        savedDc.Hold(CreateCompatibleBitmap(nullptr, frame.width, frame.height))) {
      BitBlt(savedDc.dc.get(), 0, 0, frame.width, frame.height, c, frame.left, frame.top, SRCCOPY);
    }
    if (masked) {
      BitBlt(c, frame.left, frame.top, frame.width, frame.height, maskDc.dc.get(), 0, 0, SRCAND);
      BitBlt(c, frame.left, frame.top, frame.width, frame.height, frameDc.dc.get(), 0, 0, SRCPAINT);
    } else if (drawable) {
      BitBlt(c, frame.left, frame.top, frame.width, frame.height, frameDc.dc.get(), 0, 0, SRCCOPY);
    }
    ReleaseBusy();
    prevLeft = frame.left, prevTop = frame.top;
    prevWidth = frame.width, prevHeight = frame.height;
    prevDisposal = frame.disposal;

    // Only this thread writes the canvas, so reading it for the window needs no flag.
    if (IsWindow(window)) {
      RECT client{};
      GetClientRect(window, &client);
      const RECT r = CanvasRect(client.right, client.bottom);
      if (mode_.load() == 0) {
        BitBlt(screen, r.left, r.top, width_, height_, c, 0, 0, SRCCOPY);
      } else {
        StretchBlt(screen, r.left, r.top, r.right - r.left, r.bottom - r.top, c, 0, 0, width_,
                   height_, SRCCOPY);
      }
      firstFrameShown_.store(true);
      if (hook_) hook_(shown, GetTickCount());
    }
    ++shown;

    const DWORD delay = frame.delay > 0 ? static_cast<DWORD>(frame.delay) * 10 : kDefaultGifDelayMs;
    while (!stop_.load() && GetTickCount() - start < delay) Sleep(kStopPollMs);
  }
  if (canvasOld != nullptr && canvasOld != HGDI_ERROR) SelectObject(canvas.dc.get(), canvasOld);
  ReleaseDC(window, screen);
}

}  // namespace pic
