// The message box as a modal window.
#pragma once

#include <vector>

#include "platform/user32.h"

namespace platform::controls {

// Shows the box and returns the id of the button that answered it. `buttons` are the
// ids left to right (IDHELP last when present); `defaultIndex` is valid for them.
int ShowMessageBoxWindow(HWND owner, LPCSTR text, LPCSTR caption, UINT type,
                         const std::vector<int>& buttons, size_t defaultIndex);

}  // namespace platform::controls
