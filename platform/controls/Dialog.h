// What the platform's own dialogs (message box, file and font dialogs) share: a dialog
// window whose behaviour is a C++ handler in front of the dialog class, a modal loop, and
// layout measured with the default GUI font.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/user32.h"

namespace platform::controls {

// Sees every message of the dialog before the dialog class does; a value ends the
// message with that result.
using DialogHandler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

// A hidden top-level dialog window with a client area of the given size, centred over
// `owner` (or the screen). The handler receives WM_INITDIALOG once the caller sends it.
HWND CreateDialogWindow(HWND owner, LPCSTR title, int clientWidth, int clientHeight, DWORD style,
                        DWORD exStyle, DialogHandler handler);

// A child control of a dialog, in the dialog's font.
HWND AddDialogControl(HWND dialog, LPCSTR className, LPCSTR text, DWORD style, int x, int y,
                      int width, int height, int id, DWORD exStyle = 0);

struct ModalOptions {
  // Windows to disable while the dialog runs (the owner, or all the thread's windows).
  std::vector<HWND> disable;
  // Looks at each queued message before the keyboard interface does; true swallows it.
  std::function<bool(MSG&)> preTranslate;
  // What the dialog ends with when the loop must stop without an answer (WM_QUIT, or a
  // driven dialog left idle with nothing more to come).
  INT_PTR cancelResult = IDCANCEL;
};

// Shows the dialog, runs its modal loop until EndDialog and destroys it. The disabled
// windows are enabled again and the owner reactivated before returning. A WM_QUIT that
// arrives meanwhile ends the dialog with `cancelResult` and is posted again for the
// caller's loop.
INT_PTR RunModalDialog(HWND dialog, HWND owner, const ModalOptions& options);

// Handles everything queued as the innermost modal dialog's loop would (keyboard interface
// included), for a dialog driver between injections. Returns how many messages it handled.
int PumpModalDialogMessages();

// True when dialogs appear as windows: a test drives dialogs, or a screen is shown and the
// caller is on the thread that owns it.
bool DialogsAreWindows();

// Text size in the default GUI font (single line).
SIZE MeasureDialogText(const std::string& gbk);
// Height of `gbk` wrapped at `width` pixels, and the widest line, in the default GUI font.
SIZE MeasureWrappedText(const std::string& gbk, int width);
HFONT DialogFont();

// Removes "&" access-key markers ("&&" stays as one "&").
std::string StripAccessMarkers(const std::string& gbk);

}  // namespace platform::controls
