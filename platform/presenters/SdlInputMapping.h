// How native SDL input becomes the window manager's input: keys as virtual keys with PC
// scan codes, desktop hit testing from WM_NCHITTEST codes, standard cursors, typed text as
// GBK and wheel motion in WHEEL_DELTA units. Pure functions, so they can be checked
// without a display.
#pragma once

#include <SDL_keycode.h>
#include <SDL_mouse.h>
#include <SDL_scancode.h>
#include <SDL_video.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/user32.h"

namespace platform::user {

struct KeyTranslation {
  int virtualKey = 0;  // 0: a key programs cannot see (nothing is sent)
  int scanCode = 0;    // PC set-1 make code, without the E0 prefix
  bool extended = false;
};

// The virtual key follows the layout (the key that prints 'q' is 'Q' wherever it sits);
// keys whose symbol has no virtual key of its own (letters of other scripts) fall back to
// the key's position on a US keyboard. Keypad digits are digits only with Num Lock on.
KeyTranslation TranslateSdlKey(SDL_Keycode key, SDL_Scancode scancode, bool numLock);

// The PC scan code of a physical key; {0, false} for keys without one.
KeyTranslation ScanCodeOf(SDL_Scancode scancode);

// What the desktop may do at a point of one of our windows, from the window's answer to
// WM_NCHITTEST: the caption drags, the borders of a resizable window resize, and everything
// else (including the caption buttons) stays with the program.
SDL_HitTestResult DesktopHitTest(LRESULT hit, bool resizable);

// The system cursor that stands for a standard cursor id (IDC_*); nullopt for ids that are
// not standard cursors.
std::optional<SDL_SystemCursor> SystemCursorFor(uintptr_t cursorId);

// Turns the UTF-8 pieces an input method commits into GBK for InputText. A character split
// across two pieces is held until its end arrives; control characters are dropped (their
// keys already make them through TranslateMessage); characters GBK lacks become '?'.
class TypedTextDecoder {
 public:
  std::string Feed(std::string_view utf8);

 private:
  std::string pending_;
};

// Wheel motion arrives in fractions of a notch from touchpads; the program sees whole
// WHEEL_DELTA units (120 per notch) with the remainder carried to the next motion.
class WheelAccumulator {
 public:
  // The delta to send now; 0 when the motion so far is less than one unit.
  int Add(float notches);

 private:
  double carried_ = 0;
};

}  // namespace platform::user
