// Changing the style bits a unit manages on its live window, leaving every other bit alone,
// and letting the frame follow at once.
#pragma once

#include "platform/user32.h"

namespace forms {

struct ManagedStyles {
  DWORD managed = 0;    // the bits the unit decides
  DWORD style = 0;      // which of them are on
  DWORD managedEx = 0;  // the same for the extended style
  DWORD exStyle = 0;
};

void ApplyManagedStyles(HWND window, const ManagedStyles& styles);

}  // namespace forms
