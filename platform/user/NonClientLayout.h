// Where the parts of a window's frame lie, in window coordinates (0,0 = the window's
// top-left corner). Empty rectangles mark parts the window does not have.
#pragma once

#include "platform/user/WindowManager.h"

namespace platform::user {

struct FrameLayout {
  RECT window{};
  RECT client{};
  RECT caption{};  // the whole caption bar, buttons included
  RECT title{};    // the caption without its buttons
  RECT close{};
  RECT maximize{};
  RECT minimize{};
  RECT menuBar{};
  int border = 0;
  bool resizable = false;  // borders resize (WS_THICKFRAME, neither minimised nor maximised)
};

// With UserLock held.
FrameLayout LayoutFrame(const Window& window);
LRESULT HitTestLayout(const FrameLayout& layout, POINT windowPoint);
// The caption button under a press, drawn pressed (or hot when the mouse left it).
void SetPressedCaptionButton(HWND window, LRESULT hit, bool pressed);

}  // namespace platform::user
