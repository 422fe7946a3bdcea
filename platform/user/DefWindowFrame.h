// What the default window procedure does with a window's frame, shared between its
// files: the frame drawn outside a paint cycle, presses on the caption, its buttons and
// edges, system commands, the cursor over each part, and the client area inside the frame.
#pragma once

#include "platform/user32.h"

namespace platform::user {

bool IsActiveFrame(HWND window);
// Draws the frame now, outside any paint cycle, as a caption change or activation needs.
void RepaintFrame(HWND window, bool active);
// WM_NCCALCSIZE: the client rectangle inside the frame's insets.
LRESULT CalcClientArea(HWND window, WPARAM wParam, LPARAM lParam);
// WM_NCLBUTTONDOWN and WM_NCLBUTTONDBLCLK at hit-test code `hit`.
void NonClientPress(HWND window, WPARAM hit, LPARAM screenPoint);
void NonClientDoubleClick(HWND window, WPARAM hit, LPARAM screenPoint);
LRESULT SysCommand(HWND window, WPARAM wParam, LPARAM lParam);
LRESULT SetCursorDefault(HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace platform::user
