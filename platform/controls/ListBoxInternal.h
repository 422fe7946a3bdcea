// What the combo box shares with the list box: its drop-down is a list box window of its
// own class that reports to the combo box instead of to a parent.
#pragma once

#include "platform/user32.h"

namespace platform::controls {

// The class of a combo box's drop-down list (a WS_POPUP list box created with
// LBS_COMBOBOX; lpCreateParams is the combo box).
inline constexpr const char* kComboListClass = "ComboLBox";

// Sent by a drop-down list to its combo box: the user picked the highlighted item
// (wParam 1) or dismissed the list (wParam 0).
constexpr UINT kComboListDone = WM_USER + 0x3F0;

}  // namespace platform::controls
