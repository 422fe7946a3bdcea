// Driving the windows as a person would, for tests: mouse and keyboard input at screen or
// window coordinates, typed text, and the pixels that windows and the screen show.
//
// Input goes through the same path as the presenter's: the window manager finds the target,
// sends what it sends synchronously (WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEACTIVATE) and
// queues the rest; run the message loop afterwards to have the queued messages handled.
// Typed text arrives as WM_CHAR messages only (one per GBK byte, lead byte first), never as
// key presses; use PressKey for keys.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/user/Input.h"
#include "platform/user32.h"

namespace platform::testing {

using platform::user::MouseButton;

void MouseMove(POINT screen);
void MouseDown(POINT screen, MouseButton button = MouseButton::Left);
void MouseUp(POINT screen, MouseButton button = MouseButton::Left);
// Moves there, presses and releases.
void ClickAt(POINT screen, MouseButton button = MouseButton::Left);
// The same at a point of the window's client area; false for a dead window.
bool ClickInWindow(HWND window, POINT client, MouseButton button = MouseButton::Left);
// Two clicks at once on the input clock: a double click for windows whose class asks.
void DoubleClick(POINT screen, MouseButton button = MouseButton::Left);
// `delta` in WHEEL_DELTA units.
void Wheel(POINT screen, int delta);

// Keys by virtual key code, with the scan code and extended bit of a standard keyboard.
void KeyDown(int virtualKey);
void KeyUp(int virtualKey);
void PressKey(int virtualKey);
// False (and nothing typed) when the text is not valid UTF-8 or has characters GBK lacks.
bool TypeUtf8(const std::string& utf8);
void TypeGbk(const std::string& gbk);

// Pixels as 0x00RRGGBB values, top row first (B, G, R, X in memory).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // The same pixel as a COLORREF (0x00BBGGRR), to compare with RGB(...).
  COLORREF ColorAt(int x, int y) const {
    uint32_t p = At(x, y);
    return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
  }
  bool empty() const { return pixels.empty(); }
};

// The window's whole window rectangle (frame and children) from its top-level surface,
// after the paints it is owed; empty for a dead window.
Image CaptureWindow(HWND window);
// The composed screen, as GetDC(NULL) shows it.
Image CaptureScreen();
// False when the image is empty or the file cannot be written.
bool WritePng(const Image& image, const std::string& path);

}  // namespace platform::testing
