// What a picture box shows and how it paints: the picture with its display mode, the back
// colour, and either a still drawing or the GIF player.
//
// The box keeps what it drew: the picture as a device bitmap of its own size when it was
// needed and, in the stretched modes, the stretched copy at the size last drawn. A repaint with
// nothing changed copies that copy; only a new picture decodes, and only a new size or mode
// stretches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "pictures/DecodedPicture.h"
#include "pictures/display/GifPlayer.h"
#include "platform/user32.h"

namespace pic {

inline constexpr int kModeTopLeft = 0;
inline constexpr int kModeStretch = 1;
inline constexpr int kModeCentred = 2;
inline constexpr int kModeFitBox = 3;

class PictureBox {
 public:
  explicit PictureBox(HWND window) : window_(window) {}
  ~PictureBox();
  PictureBox(const PictureBox&) = delete;
  PictureBox& operator=(const PictureBox&) = delete;

  HWND Window() const { return window_; }
  // A unit re-created in place hands its state to the new window.
  void SetWindow(HWND window) { window_ = window; }

  int DisplayMode() const { return mode_; }
  // Modes outside 0-3 draw like mode 0. Repaints.
  void SetDisplayMode(int mode);
  // The brush every paint fills the client area with first. Repaints.
  void SetBackColor(COLORREF colour);
  bool AnimateGif() const { return animate_; }
  // Takes effect with the next picture.
  void SetAnimateGif(bool on) { animate_ = on; }

  const DecodedPicture* Picture() const { return picture_; }
  GifPlayer* Player() const { return player_.get(); }

  // How often the box decoded a picture and stretched one (for callers that check the
  // cache does its job).
  int Decodes() const { return decodes_; }
  int Stretches() const { return stretches_; }

 private:
  friend bool SetPictureBoxData(PictureBox& box, const uint8_t* bytes, size_t length);
  friend void PictureBoxPaint(PictureBox& box);
  friend void PaintPictureBox(PictureBox& box, HDC dc);

  void Release();
  void FitWindowToPicture();
  // Where a still picture goes in a client area of that size.
  RECT StillRect(int clientWidth, int clientHeight) const;
  void DrawStill(HDC dc, int clientWidth, int clientHeight);
  // The picture stretched onto `stretched` (w x h) in the screen's stretch mode.
  bool StretchInto(HBITMAP stretched, int w, int h);
  void DropDrawn();

  HWND window_;
  int mode_ = kModeTopLeft;
  COLORREF backColour_ = RGB(255, 255, 255);
  bool animate_ = false;
  DecodedPicture* picture_ = nullptr;
  std::unique_ptr<GifPlayer> player_;
  HBITMAP source_ = nullptr;  // the picture at its own size, made when first needed
  HBITMAP drawn_ = nullptr;   // the picture at the size last stretched to
  int drawnWidth_ = 0;
  int drawnHeight_ = 0;
  int decodes_ = 0;
  int stretches_ = 0;
};

// Decodes and installs a picture; empty data removes it. True when the data was decoded.
bool SetPictureBoxData(PictureBox& box, const uint8_t* bytes, size_t length);
// The box's WM_PAINT: BeginPaint, PaintPictureBox, EndPaint.
void PictureBoxPaint(PictureBox& box);
// Paints the whole box onto `dc` (its client area at the DC's origin).
void PaintPictureBox(PictureBox& box, HDC dc);

}  // namespace pic
