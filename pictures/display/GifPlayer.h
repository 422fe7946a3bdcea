// The player of an animated GIF in a picture box: a thread of its own that composes each
// frame onto a canvas of the logical screen size and copies the canvas to the box's window,
// waiting each frame's delay in steps of 10 ms so that a stop request is seen quickly.
//
// The canvas is shared with the user-interface thread, which copies it to the window when
// the box paints. Only the player writes it, under the busy flag; the UI thread takes the
// flag to read it, so it waits at most for one composition (never for a frame's decoding,
// its delay or the player's own copy to the window, which only reads).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/wingdi.h"

namespace pic {

// The delay of a frame that gives none.
inline constexpr uint32_t kDefaultGifDelayMs = 50;

class GifPlayer {
 public:
  // Null when the bytes are not a GIF whose first frame decodes.
  static std::unique_ptr<GifPlayer> Open(const uint8_t* bytes, size_t length);
  ~GifPlayer();  // stops the thread and waits for it
  GifPlayer(const GifPlayer&) = delete;
  GifPlayer& operator=(const GifPlayer&) = delete;

  int ScreenWidth() const { return width_; }
  int ScreenHeight() const { return height_; }

  // The display mode decides where the canvas goes in the window (as for a still picture).
  void SetDisplayMode(int mode) { mode_.store(mode); }
  void SetCanvasBackground(COLORREF colour) { background_ = colour; }
  // Called on the player thread after each copy to the window, with the frame's number
  // since the start and GetTickCount at that moment.
  void SetFrameShownHook(std::function<void(int frame, uint32_t tick)> hook) {
    hook_ = std::move(hook);
  }

  // Starts playing from the first frame into `window` unless the player already runs.
  bool Start(HWND window);
  // Requests a stop and waits until the thread has ended.
  void Stop();
  bool Running() const { return thread_.joinable(); }
  bool FirstFrameShown() const { return firstFrameShown_.load(); }

  // Where the canvas goes in a client area of the given size.
  RECT CanvasRect(int clientWidth, int clientHeight) const;
  // UI thread: copies the canvas to the window's DC, taking the busy flag.
  void PaintCanvas(HDC dc, int clientWidth, int clientHeight);

  // The longest time a PaintCanvas waited for the busy flag, in microseconds.
  int64_t LongestPaintWaitUs() const { return longestWaitUs_.load(); }

 private:
  GifPlayer() = default;
  void Run(HWND window);
  void TakeBusy();
  void ReleaseBusy();
  void CopyCanvas(HDC dc, int clientWidth, int clientHeight) const;

  std::vector<uint8_t> bytes_;
  int width_ = 0;
  int height_ = 0;
  COLORREF background_ = RGB(255, 255, 255);
  std::atomic<int> mode_{0};
  std::function<void(int, uint32_t)> hook_;

  HBITMAP canvas_ = nullptr;  // 32-bit top-down DIB section
  uint32_t* canvasBits_ = nullptr;
  std::atomic_flag busy_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> firstFrameShown_{false};
  std::atomic<int64_t> longestWaitUs_{0};
  std::thread thread_;
};

}  // namespace pic
