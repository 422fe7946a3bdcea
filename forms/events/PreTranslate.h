// The pre-translation of every message of a loaded window before it is dispatched: the
// window's keyboard interface (accelerators, Tab, Enter, Esc, F1, Alt+key), the units'
// message filters, the common mouse and keyboard events of every unit, and dragging the
// window by its client area.
#pragma once

#include <cstdint>

#include "platform/user32.h"

namespace forms {

// True when the message is consumed and must not be dispatched.
bool PreTranslateMessage(MSG* message);

// Shift state of the common events: 1 Ctrl, 2 Shift, 4 Alt.
uint32_t MouseShiftState(WPARAM wParam);
uint32_t KeyShiftState(LPARAM lParam);

}  // namespace forms
