// The state of a built-in control lives in a slot of its window: made when the window is
// (WM_NCCREATE), gone with it (after WM_NCDESTROY). ControlProc is the one window procedure
// that looks the state up and holds it for the whole message, so a control whose parent
// destroys it from inside a notification still finishes the message on live state.
#pragma once

#include <memory>

#include "platform/user/WindowSlot.h"
#include "platform/user32.h"

namespace platform::controls {

template <typename State>
std::shared_ptr<State> ControlStateOf(HWND window) {
  return platform::user::WindowSlot<State>::Of(window);
}

// `Handle` sees every message of a window that has its state, WM_NCCREATE included (with
// the state fresh, to fill from the CREATESTRUCTA). A window without state (a handle the
// procedure was called for by hand, or one already destroyed) gets the default handling.
template <typename State, LRESULT (*Handle)(HWND, State&, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<State> state = message == WM_NCCREATE
                                     ? platform::user::WindowSlot<State>::Make(window)
                                     : platform::user::WindowSlot<State>::Of(window);
  if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return Handle(window, *state, message, wParam, lParam);
}

}  // namespace platform::controls
