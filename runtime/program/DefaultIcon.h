// The program's default icon (notify 1000), shown by windows that have no icon of their
// own. The program carries no resource section, so the icon is drawn here once, in a large
// and a small size, and destroyed at program end.
#pragma once

#include "platform/wingdi.h"

namespace rt {

struct DefaultIcons {
  HICON large = nullptr;  // 32 x 32
  HICON small = nullptr;  // 16 x 16
};

// Made on first use; the same handles afterwards.
DefaultIcons ProgramDefaultIcons();
void DestroyDefaultIcons();

}  // namespace rt
