// Raw input entering the window manager, from the presenter or from automation. Positions
// are screen coordinates; the window manager finds the target window (capture, hit test,
// focus), updates key and button state and queues the messages on the target's thread.
#pragma once

#include <string>

#include "platform/user32.h"

namespace platform::user {

enum class MouseButton { Left, Right, Middle };

void InputMouseMove(POINT screen);
void InputMouseButton(MouseButton button, bool down, POINT screen);
// A press the desktop kept for itself (it began a drag by our caption): no message, but
// it counts as the first click of a double click, as it would have had it reached us.
void InputDesktopTookPress(MouseButton button, POINT screen);
// `delta` in WHEEL_DELTA units (120 per notch, positive away from the user).
void InputMouseWheel(int delta, POINT screen);
// A virtual key going down or up. `scanCode` and `extended` fill the lParam bits.
void InputKey(int virtualKey, bool down, int scanCode = 0, bool extended = false);
// Characters typed through an input method: GBK text, queued to the focus window as
// WM_CHAR messages, one per byte, lead byte first.
void InputText(const std::string& gbk);

}  // namespace platform::user
