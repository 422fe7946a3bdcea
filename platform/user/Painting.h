// What the message loop asks of painting.
#pragma once

#include "platform/user32.h"

namespace platform::user {

// A window of the thread that is owed WM_PAINT (an update region, a pending frame or an
// internal paint), parents before children; null when none. `filter` limits the search to
// that window and its descendants, as GetMessage's window filter does.
HWND FindPaintWindow(DWORD threadId, HWND filter);

}  // namespace platform::user
