// The drawing functions as the built-in modules export them, for GetProcAddress. Windows
// splits them between two modules: Gdi32 holds the GDI proper, User32 the rectangle helpers,
// FillRect and friends, DrawTextA, system colours, icons and cursors.
#pragma once

#include <vector>

#include "platform/ModuleExports.h"

namespace platform::gdi {

// Gdi32's functions, with ordinals given in name order from 1.
const std::vector<ModuleExport>& GdiExports();
// The User32 functions declared in wingdi.h, found by name (ordinal 0).
// The layer adds both tables to the built-in modules when the program starts.
const std::vector<ModuleExport>& GdiUserExports();

}  // namespace platform::gdi
