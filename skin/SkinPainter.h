// Paints every piece of a window or control from a skin's style; the theme interface's
// painting callback, with the skin as its context.
#pragma once

#include "platform/ThemeApi.h"

namespace skin {

int PaintSkinPart(void* skin, HDC dc, int part, const RECT* rect,
                  const VelmoraThemePaintInfo* info);

}  // namespace skin
